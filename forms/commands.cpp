#include "forms/frm_interface.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <tuple>

#include "formats/port_text.h"
#include "formats/report_lines.h"
#include "widgets/paced_texts.h"
#include "forms/frm_setup.h"

namespace {

const QString kExitQuestion = QStringLiteral("Do you wish to exit Corvane?");
const QString kExitTitle = QStringLiteral("Exit Corvane");

}  // namespace

// Buttons and menu items. A menu item that shares a command with a button
// runs the button's handler, so both behave the same.
void frmInterface::connectCommands()
{
    using Handler = void (frmInterface::*)();
    const auto run = [this](Handler handler) { return [this, handler] { dispatch([this, handler] { (this->*handler)(); }); }; };
    const std::tuple<QPushButton *, QAction *, Handler> shared[] = {
        {cmdStart, mnuFileStartInterface, &frmInterface::startReportingFailure},
        {cmdStop, mnuFileStopInterface, &frmInterface::cmdStop_Click},
        {cmdExit, mnuFileExit, &frmInterface::cmdExit_Click},
        {cmdEdit, mnuOptionsEditRemoteSettings, &frmInterface::cmdEdit_Click},
        {cmdSave, mnuOptionsSaveRemoteSettings, &frmInterface::cmdSave_Click},
    };
    for (const auto &[button, item, handler] : shared) {
        connect(button, &QPushButton::clicked, this, run(handler));
        connect(item, &QAction::triggered, this, run(handler));
    }
    connect(mnuOptionsSetup, &QAction::triggered, this, run(&frmInterface::mnuOptionsSetup_Click));
    connect(mnuHelpAbout, &QAction::triggered, this, run(&frmInterface::mnuHelpAbout_Click));
    // The toggles decide from the check mark as it stood before the click,
    // which Qt has already turned over by now.
    for (QAction *toggle : {mnuOptionsAutomaticStart, mnuOptionsEditShowWarningBox}) {
        connect(toggle, &QAction::triggered, this, [this, toggle](bool checkedNow) {
            toggle->setChecked(!checkedNow);
            dispatch([this, toggle] {
                if (toggle == mnuOptionsAutomaticStart)
                    mnuOptionsAutomaticStart_Click();
                else
                    mnuOptionsEditShowWarningBox_Click();
            });
        });
    }
}

// Which buttons and menu items take a click in each arrangement; a button
// and the menu item that runs the same command go together. Editing and
// saving the port leave some as they were.
void frmInterface::arrange(Arrangement arrangement)
{
    enum Flag : char { Off, On, Kept };
    struct Row {
        QPushButton *button;
        QAction *item;
        std::array<Flag, 4> flags;  // started, stopped, editing the port, port saved
    };
    const Row rows[] = {
        {cmdStart, mnuFileStartInterface, {Off, On, Off, On}},
        {cmdStop, mnuFileStopInterface, {On, Off, Off, Kept}},
        {cmdEdit, mnuOptionsEditRemoteSettings, {Off, On, Off, On}},
        {cmdSave, mnuOptionsSaveRemoteSettings, {Off, Off, On, Off}},
        {nullptr, mnuOptionsSetup, {Off, On, Kept, Kept}},
        {nullptr, mnuOptionsAutomaticStart, {Off, On, Kept, Kept}},
    };
    for (const Row &row : rows) {
        const Flag flag = row.flags[size_t(arrangement)];
        if (flag == Kept)
            continue;
        if (row.button)
            row.button->setEnabled(flag == On);
        row.item->setEnabled(flag == On);
    }
}

void frmInterface::cmdEdit_Click()
{
    txtRemotePort->setEnabled(true);
    txtRemotePort->setFocus();
    arrange(Arrangement::EditingPort);
}

// Only a plain whole number from 0 to 65535 is taken as the port; it goes
// into the local port box as typed and into the settings file at once.
void frmInterface::cmdSave_Click()
{
    switch (checkPortText(txtRemotePort->text())) {
    case PortText::Invalid:
        m_port.MsgBox(QStringLiteral("The remote port is invalid.\r\nEnter a valid port number."),
                      QStringLiteral("Invalid Port"));
        txtRemotePort->setFocus();
        return;
    case PortText::OutOfRange:
        m_port.MsgBox(QStringLiteral("The remote port number cannot be\r\nless than 0 or greater than 65535.\r\n"
                                     "Enter a valid port number."),
                      QStringLiteral("Invalid Port"));
        txtRemotePort->setFocus();
        return;
    case PortText::Valid:
        break;
    }
    txtRemotePort->setEnabled(false);
    txtLocalPort->setText(txtRemotePort->text());
    SaveFile();
    arrange(Arrangement::PortSaved);
    m_pacedTexts->showNow(this, Setup().interfaceName());
}

// The toggles only decide what the next start-up does; the file is
// rewritten at once.
void frmInterface::mnuOptionsAutomaticStart_Click()
{
    const bool on = !mnuOptionsAutomaticStart->isChecked();
    mnuOptionsAutomaticStart->setChecked(on);
    settings.strAutoStart = on ? QStringLiteral("On") : QStringLiteral("Off");
    SaveFile();
    lblAutomaticStart->setText(on ? QStringLiteral("Automatic Start is ON") : QStringLiteral("Automatic Start is OFF"));
}

void frmInterface::mnuOptionsEditShowWarningBox_Click()
{
    const bool on = !mnuOptionsEditShowWarningBox->isChecked();
    settings.strExitWarning = on ? QStringLiteral("True") : QStringLiteral("False");
    mnuOptionsEditShowWarningBox->setChecked(on);
    SaveFile();
}

// The dialog does not block: arrivals go on while the operator edits, and
// the main window takes no input until the dialog closes.
void frmInterface::mnuOptionsSetup_Click()
{
    setEnabled(false);
    Setup().show();
}

QString frmInterface::aboutText() const
{
    return QStringLiteral("Corvane\r\n"
                          "Copyright (C) 2026 The Corvane developers. All rights reserved.\r\n"
                          "Questions and reports: the Corvane maintainers\r\n"
                          "Version %1.%2.%3\r\n"
                          "View the file README.TXT for setup instructions.")
        .arg(CORVANE_VERSION_MAJOR)
        .arg(CORVANE_VERSION_MINOR)
        .arg(CORVANE_VERSION_PATCH);
}

void frmInterface::mnuHelpAbout_Click()
{
    m_port.MsgBox(aboutText(), applicationTitle());
}

void frmInterface::endConfirmed()
{
    CloseFile();
    closeEverySocket();
    m_port.EndNow();
}

// Only the exact text "True" asks. The menu's check mark reads the setting
// as a truth value at start-up ("true", -1 are on too), a reading of its own.
bool frmInterface::asksBeforeExit() const
{
    return settings.strExitWarning == QLatin1String("True");
}

void frmInterface::cmdExit_Click()
{
    exitProgram(asksBeforeExit());
}

// A termination signal always ends the program: it closes what is open and
// reports the end where the report file takes it, but no box waits for an
// operator who may not be there.
void frmInterface::endOnSignal()
{
    const auto attempt = [](const auto &step) {
        try {
            outOfMemoryAsFailure(step);
        } catch (const Failure &) {
        }
    };
    attempt([this] { CloseFile(); });
    attempt([this] { closeEverySocket(); });
    attempt([this] {
        BuildDateTime();
        m_messageFile.close();
        m_messageFile.openAppend(strMessagesFileName);
        m_messageFile.writeLine(stampedLine(strDateTime, "Program was ended."));
        m_messageFile.close();
    });
    m_port.EndNow();
}

void frmInterface::exitProgram(bool ask)
{
    const auto failed = [this](const Failure &failure) {
        if (failure.number == err::OutOfMemory) {
            reportOutOfMemory("cmdExit_Click");
            return;
        }
        OpenMessageFile();
        m_port.MsgBox(QStringLiteral("Error in cmdExit.\r\n%1\r\n%2").arg(failure.number).arg(failure.description),
                      interfaceNameTitle());
        CloseMessageFile();
    };
    try {
        outOfMemoryAsFailure([&] {
            if (ask) {
                if (m_port.MsgBox(kExitQuestion, kExitTitle, OperatorPort::Buttons::YesNo,
                                  OperatorPort::Default::Second, OperatorPort::Icon::Question)
                    == OperatorPort::Answer::Yes)
                    endConfirmed();
                return;
            }
            CloseFile();
            closeEverySocket();
            reportEvent("Program was ended.");
            m_port.EndNow();
        });
    } catch (const Failure &failure) {
        failed(failure);
    }
}

bool frmInterface::Form_QueryUnload()
{
    if (asksBeforeExit()
        && m_port.MsgBox(kExitQuestion, kExitTitle, OperatorPort::Buttons::YesNo, OperatorPort::Default::Second,
                         OperatorPort::Icon::Question)
               != OperatorPort::Answer::Yes)
        return false;
    closeEverySocket();
    return true;
}

void frmInterface::Form_Unload()
{
    if (asksBeforeExit())
        endConfirmed();  // the operator has answered already
    cmdExit_Click();
}

// The window only closes by the program ending; when it goes on (No, or a
// failure the exit reported) the window stays.
void frmInterface::closeEvent(QCloseEvent *event)
{
    event->ignore();
    dispatch([this] {
        if (Form_QueryUnload())
            Form_Unload();
    });
}
