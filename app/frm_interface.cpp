#include "app/frm_interface.h"

#include <QDir>
#include <QLineEdit>

#include "ui/frm_setup.h"

frmInterface::frmInterface(OperatorPort &port, QWidget *parent) : QMainWindow(parent), m_port(port)
{
    setObjectName(QStringLiteral("frmInterface"));
    buildLayout();
    buildMenus();
}

frmInterface::~frmInterface()
{
    delete m_setup.data();
}

frmSetup &frmInterface::Setup()
{
    if (!m_setup)
        m_setup = new frmSetup(settings);  // no owner window: it stands beside the main window
    return *m_setup;
}

QString frmInterface::applicationTitle()
{
    return QStringLiteral("Corvane");
}

QString frmInterface::interfaceNameTitle()
{
    return Setup().txtInterfaceName->text();
}

QString frmInterface::programFile(const QString &name) const
{
    return strAppPath + QDir::separator() + name;
}
