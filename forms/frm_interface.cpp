#include "forms/frm_interface.h"

#include <QDir>
#include <QLineEdit>
#include <QTimer>

#include "widgets/paced_texts.h"
#include "forms/frm_setup.h"
#include "widgets/repaint_pacer.h"

namespace {

constexpr int kPaintIntervalMs = 33;

}  // namespace

frmInterface::frmInterface(OperatorPort &port, QWidget *parent) : QMainWindow(parent), m_port(port)
{
    setObjectName(QStringLiteral("frmInterface"));
    for (size_t picture = 0; picture < m_pictures.size(); ++picture)
        m_pictures[picture] = pictureOf(Picture(picture));
    tmrFlash = new QTimer(this);
    tmrFlash->setObjectName(QStringLiteral("tmrFlash"));
    tmrFlash->setInterval(1);
    buildLayout();
    buildMenus();
    connectEvents();
    // Rows and texts that change with every arrival reach the screen once a paint interval.
    paceRepaints(this, kPaintIntervalMs);
    m_pacedTexts = new PacedTexts(kPaintIntervalMs, this);
}

frmInterface::~frmInterface()
{
    delete m_setup.data();
}

// Handlers run one event at a time from the event loop, through the operator
// port (where a port that cannot end the process stops its unwinding). A
// failure that a handler without failure handling lets through, running out
// of memory included, is shown rather than taking the program down.
void frmInterface::dispatch(const std::function<void()> &handler)
{
    m_port.RunEvent([&] {
        try {
            handler();
        } catch (const Failure &failure) {
            showUnhandled(failure);
        } catch (const std::bad_alloc &) {
            showUnhandled(failureOf(err::OutOfMemory));
        }
    });
}

void frmInterface::showUnhandled(const Failure &failure)
{
    m_port.MsgBox(QStringLiteral("Error number %1\r\n%2").arg(failure.number).arg(failure.description),
                  interfaceNameTitle());
}

void frmInterface::connectEvents()
{
    connect(&Winsock, &SocketSet::ConnectionRequest, this,
            [this](qint16 index, qint32 requestId) { dispatch([&] { Winsock_ConnectionRequest(index, requestId); }); });
    connect(&Winsock, &SocketSet::DataArrival, this,
            [this](qint16 index, qint32 bytes) { dispatch([&] { Winsock_DataArrival(index, bytes); }); });
    connect(&Winsock, &SocketSet::CloseEvent, this, [this](qint16 index) { dispatch([&] { Winsock_Close(index); }); });
    connect(&Winsock, &SocketSet::Error, this,
            [this](qint16 index, qint16 number, const QString &description, qint32 scode, const QString &source,
                   const QString &helpFile, qint32 helpContext, bool *cancelDisplay) {
                dispatch([&] {
                    Winsock_Error(index, number, description, scode, source, helpFile, helpContext, cancelDisplay);
                });
            });
    connect(tmrFlash, &QTimer::timeout, this, [this] { tmrFlash_Timer(); });
    connectCommands();
}

frmSetup &frmInterface::Setup()
{
    if (m_setup)
        return *m_setup;
    m_setup = new frmSetup(settings, m_port);  // no owner window: it stands beside the main window
    connect(m_setup, &frmSetup::SaveFileRequested, this, [this](bool *saved) { dispatch([&] { *saved = SaveFile(); }); });
    connect(m_setup, &frmSetup::AddTransactionCountRequested, this, [this] { AddTransactionCount(); });
    connect(m_setup, &frmSetup::Exited, this, [this] {
        setEnabled(true);
        m_setup = nullptr;  // gone for good: the next use builds it anew from the settings
    });
    return *m_setup;
}

QString frmInterface::applicationTitle()
{
    return QStringLiteral("Corvane");
}

QString frmInterface::interfaceNameTitle()
{
    return Setup().interfaceName();
}

QString frmInterface::programFile(const QString &name) const
{
    return strAppPath + QDir::separator() + name;
}
