#pragma once

// The main window. Its member names (controls, procedures, state variables)
// are the system's established vocabulary and are kept on purpose, so that
// the code reads like the interface's own map; helpers elsewhere use ordinary
// modern names. Procedures are defined in the file of their subsystem:
// app/startup.cpp, core/report_log.cpp, core/listener.cpp,
// core/reception.cpp, core/acknowledgement.cpp, settings/settings_file.cpp,
// ui/main_window_layout.cpp, ui/indicators.cpp, ui/commands.cpp.
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
class FrameTexts;
class ReceivedDataModel;
class ReceivedDataView;
class frmSetup;

class frmInterface final : public QMainWindow {
    Q_OBJECT
public:
    explicit frmInterface(OperatorPort &port, QWidget *parent = nullptr);
    ~frmInterface() override;

    // Start-up
    void Form_Load();

    // Report and error logs
    void BuildDateTime();
    void OpenMessageFile();
    void CloseMessageFile();

    // Settings file
    void ReadProgramInformation();
    void CheckBlankParameter();
    void SaveFile();

    // Listener
    void cmdStart_Click();
    void cmdStop_Click();
    void Winsock_ConnectionRequest(qint16 Index, qint32 requestID);
    void Winsock_Close(qint16 Index);
    void Winsock_Error(qint16 Index, qint16 Number, const QString &Description, qint32 Scode, const QString &Source,
                       const QString &HelpFile, qint32 HelpContext, bool *CancelDisplay);
    // The start operation as the operator and the recoveries run it: a
    // failure is reported in a box and the window returns to the stopped
    // arrangement, ready for another try.
    void startReportingFailure();

    // Reception and the data file
    void Winsock_DataArrival(qint16 Index, qint32 bytesTotal);
    void OpenFile();
    void CloseFile();
    void AddTransactionCount();

    // Acknowledgement
    void PrepareAck();

    // Commands of the buttons and menus
    void cmdExit_Click();
    // A termination signal ends the program as Exit does with the warning off.
    void endOnSignal();
    void cmdEdit_Click();
    void cmdSave_Click();
    void mnuOptionsAutomaticStart_Click();
    void mnuOptionsEditShowWarningBox_Click();
    void mnuOptionsSetup_Click();
    void mnuHelpAbout_Click();
    static QString aboutText();

    // The received-data area follows the window's outer size.
    void Form_Resize();

    // Window icon indicator
    void tmrFlash_Timer();
    void startFlash();
    void showPicture(Picture picture);
    Picture shownPicture() const { return m_shownPicture; }

    // The setup dialog, created hidden (and loaded from the settings) the
    // first time any of its fields is needed.
    frmSetup &Setup();
    bool setupExists() const { return !m_setup.isNull(); }

    // Shared state
    qint32 lngTempCounter = 0;
    qint32 lngItemCount = 0;
    QString strDateTime;
    QString strAppPath;
    QString strMessagesFileName;
    QString strSettingsFileName;
    QString strSettingsFilePath;
    QString strUpdate;  // "Yes" once a default was filled, "No" after the saved message
    QByteArray strSend2;  // the acknowledgement, framed, as it goes onto the wire
    qint16 intFileCounter = 0;
    qint16 intFlashCount = 0;
    ProgramInformation settings;

    // Non-visual members
    SocketSet Winsock;
    QTimer *tmrFlash;

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
    QLabel *lblErrorFile;

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

    // The title of boxes that have no title of their own.
    static QString applicationTitle();
    // The title of error boxes: the interface name as the setup field holds it.
    QString interfaceNameTitle();
    // The program directory joined with a file name by the platform's separator.
    QString programFile(const QString &name) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The close request: with the exit warning on, the question comes first
    // and No keeps everything running.
    bool Form_QueryUnload();
    void Form_Unload();
    // Ending after the operator agreed: no report line, the program ends at once.
    void endConfirmed();
    void exitProgram(bool ask);

    void buildLayout();
    void buildMenus();
    void connectEvents();
    void connectCommands();
    // Runs the handler of one event from the event loop.
    void dispatch(const std::function<void()> &handler);
    void showUnhandled(const Failure &failure);

    void locateSettingsFile();
    // BuildDateTime; OpenMessageFile; the stamped line; CloseMessageFile.
    void reportEvent(const char *text);
    void writeErrorRecord(qint16 number);
    void reportOutOfMemory(const char *procedure);

    // Enabled flags of buttons and menu items while listening, and while stopped.
    void arrangeStarted();
    void arrangeStopped();
    void closeEverySocket();
    void configureAndListen();

    // The steps of an arrival up to the count; the row they added.
    int takeArrival(qint16 index, QByteArray &received);
    // The steps of an arrival from writing the data on; a recovery resumes here.
    void storeAndAcknowledge(qint16 index, const QByteArray &received, int row);
    enum class ArrivalCourse { Ended, ResumeStoring };
    ArrivalCourse arrivalFailed(const Failure &failure, qint16 index, qint16 &intFileCheckCounter, bool recovered);
    void arrivalFailedOtherwise(const Failure &failure);
    void openDataFile();

    OperatorPort &m_port;
    FileChannel m_messageFile;
    FileChannel m_errorFile;
    FileChannel m_settingsFile;
    FileChannel m_dataFile;
    QPointer<frmSetup> m_setup;
    QByteArray m_shownAck;  // the answer txtSendData shows
    std::optional<std::pair<AckSources, AckParts>> m_ack;  // the answer's parts, with what they were built from
    FrameTexts *m_frameTexts;
    std::array<QIcon, 7> m_pictures;
    Picture m_shownPicture = Picture::Program;
};
