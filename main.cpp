#include <QApplication>

#include "forms/frm_interface.h"
#include "widgets/qt_operator_port.h"
#include "platform/termination_signals.h"

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
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &window, &frmInterface::endOnSignal);
    window.Form_Load();
    window.show();
    return app.exec();
}
