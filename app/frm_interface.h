#pragma once

// The main window. Its member names (controls, procedures, state variables)
// are the system's established vocabulary and are kept on purpose, so that
// the code reads like the interface's own map; helpers elsewhere use ordinary
// modern names. Procedures are defined in the file of their subsystem:
// app/startup.cpp, core/report_log.cpp, settings/settings_file.cpp,
// ui/main_window_layout.cpp.
//
// Widths follow the prefixes: int… is qint16, lng… is qint32.

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "platform/failure.h"
#include "platform/file_channel.h"
#include "platform/operator_port.h"
#include "platform/socket_set.h"
#include "settings/program_information.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;
class ReceivedDataModel;
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
    QString strSend2;
    ProgramInformation settings;

    // Non-visual members
    SocketSet Winsock;

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
    QTreeView *lvwReceiveData;
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

private:
    void buildLayout();
    void buildMenus();
    // BuildDateTime; OpenMessageFile; the stamped line; CloseMessageFile.
    void reportEvent(const char *text);

    OperatorPort &m_port;
    FileChannel m_messageFile;
    FileChannel m_settingsFile;
    QPointer<frmSetup> m_setup;
};
