#pragma once

// The main window. Its member names (controls, procedures, state variables)
// are the system's established vocabulary and are kept on purpose, so that
// the code reads like the interface's own map; helpers elsewhere use ordinary
// modern names. Procedures are defined in the chapter file of their
// subsystem, all in forms/: startup.cpp, report_log.cpp, listener.cpp,
// reception.cpp, acknowledgement.cpp, settings_file.cpp, layout.cpp,
// indicators.cpp, commands.cpp.
//
// Its public face is what events and the operator call; controls and state
// are its own. Tests reach the few internals they must through InterfaceSeam
// (kept with the tests, the one friend) and find controls by object name.
//
// Widths follow the prefixes: int… is qint16, lng… is qint32.

#include <QByteArray>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>

#include "formats/ack_layout.h"
#include "formats/message_framing.h"
#include "platform/failure.h"
#include "platform/file_channel.h"
#include "platform/operator_port.h"
#include "platform/socket_set.h"
#include "formats/program_information.h"
#include "widgets/icon_pictures.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class PacedTexts;
class ReceivedDataModel;
class ReceivedDataView;
class frmSetup;

class frmInterface final : public QMainWindow {
    Q_OBJECT
public:
    explicit frmInterface(OperatorPort &port, QWidget *parent = nullptr);
    ~frmInterface() override;

    // Start-up: runs once before the window is first shown.
    void Form_Load();

    // The socket set's events; the window connects them itself.
    void Winsock_ConnectionRequest(qint16 Index, qint32 requestID);
    void Winsock_DataArrival(qint16 Index, qint32 bytesTotal);
    void Winsock_Close(qint16 Index);
    void Winsock_Error(qint16 Index, qint16 Number, const QString &Description, qint32 Scode, const QString &Source,
                       const QString &HelpFile, qint32 HelpContext, bool *CancelDisplay);

    // The commands of the buttons and menus. The Start button and menu item
    // run the start operation, cmdStart_Click, through startReportingFailure:
    // the operation itself has no failure handling (start-up and the
    // recoveries that run it see its failures), while from the operator a
    // failure is told in a box and leaves the window stopped, ready for
    // another try. The recoveries that restart the listener use it too.
    void startReportingFailure();
    void cmdStop_Click();
    void cmdExit_Click();
    void cmdEdit_Click();
    void cmdSave_Click();
    void mnuOptionsAutomaticStart_Click();
    void mnuOptionsEditShowWarningBox_Click();
    void mnuOptionsSetup_Click();
    void mnuHelpAbout_Click();
    // A termination signal ends the program as Exit does with the warning off.
    void endOnSignal();

    // A tick of the flash timer.
    void tmrFlash_Timer();

    // The title of boxes that have no title of their own.
    static QString applicationTitle();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend class InterfaceSeam;

    // Report and error logs
    void BuildDateTime();
    void OpenMessageFile();
    void CloseMessageFile();
    // BuildDateTime; OpenMessageFile; the stamped line; CloseMessageFile.
    void reportEvent(const char *text);
    void writeErrorRecord(qint16 number);
    void reportOutOfMemory(const char *procedure);

    // Settings file
    void locateSettingsFile();
    void ReadProgramInformation();
    void CheckBlankParameter();
    bool SaveFile();

    // Listener
    void cmdStart_Click();
    void configureAndListen();
    void closeEverySocket();

    // Reception and the data file
    // One transaction: a whole arrival, or in message mode one unit of it.
    struct Arrival {
        QByteArray bytes;
        bool taken = false;    // an arrival's bytes are taken from the socket once its row is there
        bool answered = true;  // outside bytes, a cut-short message and an acknowledgement are not
        std::optional<QByteArrayView> controlId;  // a message's own, for MSA-2, within `bytes`
        QByteArray *heldAnswers = nullptr;    // where its answer waits to go out with others
    };
    bool receiveMessages(qint16 Index);
    bool storeCutShort(qint16 index);
    void sendHeldAnswers(qint16 index, QByteArray &answers);
    void receive(qint16 Index, Arrival &arrival);
    // The steps of an arrival up to the count; the row they added.
    int takeArrival(qint16 index, Arrival &arrival);
    // The steps of an arrival from writing the data on; a recovery resumes here.
    void storeAndAcknowledge(qint16 index, const Arrival &arrival, int row);
    enum class ArrivalCourse { Ended, ResumeStoring };
    ArrivalCourse arrivalFailed(const Failure &failure, qint16 index, qint16 &intFileCheckCounter, bool recovered);
    void arrivalFailedOtherwise(const Failure &failure);
    void openDataFile();
    void OpenFile();
    void CloseFile();
    void AddTransactionCount();

    // Acknowledgement
    const AckParts &answerParts();
    void PrepareAck(std::optional<QByteArrayView> controlId = std::nullopt);

    // Commands
    void connectCommands();
    // The enabled flags of the buttons and menu items for one state.
    enum class Arrangement { Started, Stopped, EditingPort, PortSaved };
    void arrange(Arrangement arrangement);
    bool asksBeforeExit() const;
    void exitProgram(bool ask);
    // Ending after the operator agreed: no report line, the program ends at once.
    void endConfirmed();
    // The close request: with the exit warning on, the question comes first
    // and No keeps everything running.
    bool Form_QueryUnload();
    void Form_Unload();
    QString aboutText() const;

    // Layout, resize rule and the window icon indicator
    void buildLayout();
    void buildMenus();
    void Form_Resize();
    void startFlash();
    void showPicture(Picture picture);

    // The setup dialog, created hidden (and loaded from the settings) the
    // first time any of its fields is needed.
    frmSetup &Setup();

    // Runs the handler of one event from the event loop.
    void connectEvents();
    void dispatch(const std::function<void()> &handler);
    void showUnhandled(const Failure &failure);
    // The title of error boxes: the interface name as the setup field holds it.
    QString interfaceNameTitle();
    // The program directory joined with a file name by the platform's separator.
    QString programFile(const QString &name) const;

    // Shared state
    qint32 lngTempCounter = 0;
    qint32 lngItemCount = 0;
    QString strDateTime;
    QString strAppPath;
    QString strMessagesFileName;
    QString strSettingsFileName;
    QString strSettingsFilePath;
    QString strUpdate;    // "Yes" once a default was filled, "No" after the saved message
    QByteArray strSend2;  // the acknowledgement, framed, as it goes onto the wire
    qint16 intFileCounter = 0;
    qint16 intFlashCount = 0;
    ProgramInformation settings;

    // Non-visual members
    OperatorPort &m_port;
    SocketSet Winsock;
    QTimer *tmrFlash;
    FileChannel m_messageFile;
    FileChannel m_errorFile;
    FileChannel m_settingsFile;
    FileChannel m_dataFile;
    QPointer<frmSetup> m_setup;
    MessageFramer m_framer;  // the connection's message not yet complete, in message mode
    // What every answer is built from, with the sources it was built from: the answer
    // itself is strSend2 alone.
    std::optional<std::pair<AckSources, AckParts>> m_answerParts;
    PacedTexts *m_pacedTexts;
    std::array<QIcon, 7> m_pictures;
    Picture m_shownPicture = Picture::Program;

    // Controls
    QLabel *lblAutomaticStart;
    QGroupBox *fraStatus;
    QLabel *lblInterfaceStatus;
    QLineEdit *txtInterfaceStatus;
    QLabel *lblStartDateAndTime;
    QLineEdit *txtStartDateAndTime;
    QLabel *lblItemCount;
    QLineEdit *txtItemCount;
    QLabel *lblDateTime;
    QLineEdit *txtDateTime;
    QGroupBox *fraSend;
    QLineEdit *txtSendData;
    QPushButton *cmdStart;
    QPushButton *cmdStop;
    QPushButton *cmdExit;
    QPushButton *cmdEdit;
    QPushButton *cmdSave;
    QGroupBox *fraRemote;
    QLabel *lblRemotePort;
    QLineEdit *txtRemotePort;
    QLabel *lblRemoteIPAddress;
    QLineEdit *txtRemoteIPAddress;
    QGroupBox *fraLocal;
    QLabel *lblLocalIpAddress;
    QLineEdit *txtLocalIPAddress;
    QLabel *lblLocalPort;
    QLineEdit *txtLocalPort;
    QGroupBox *fraReceive;
    ReceivedDataView *lvwReceiveData;
    ReceivedDataModel *receivedData;
    QLabel *lblFileCounter;
    QLabel *lblDataFile;
    QLabel *lblErrorFile;  // "open"/"closed" of the report file: the system's name, kept

    // Menus
    QMenu *mnuFile;
    QAction *mnuFileStartInterface;
    QAction *mnuFileStopInterface;
    QAction *mnuFileExit;
    QMenu *mnuOptions;
    QAction *mnuOptionsAutomaticStart;
    QAction *mnuOptionsEditShowWarningBox;
    QAction *mnuOptionsEditRemoteSettings;
    QAction *mnuOptionsSaveRemoteSettings;
    QAction *mnuOptionsSetup;
    QMenu *mnuHelp;
    QAction *mnuHelpAbout;
};
