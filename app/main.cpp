#include <QApplication>

#include "app/frm_interface.h"
#include "platform/qt_operator_port.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(frmInterface::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(CORVANE_VERSION_MAJOR)
                                            .arg(CORVANE_VERSION_MINOR)
                                            .arg(CORVANE_VERSION_PATCH));
    QtOperatorPort port;
    frmInterface window(port);
    window.Form_Load();
    window.show();
    return app.exec();
}
