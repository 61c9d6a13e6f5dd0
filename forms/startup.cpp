#include "forms/frm_interface.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include "forms/program_files.h"
#include "formats/basic_numbers.h"
#include "formats/port_text.h"
#include "widgets/paced_texts.h"
#include "forms/frm_setup.h"
#include "feed/received_data_model.h"

// Runs once before the window is first shown, and again when an arrival
// recovers from a counter overflow. A failure ends start-up at its step with
// one box; the window is then shown as far as it was set.
void frmInterface::Form_Load()
{
    lngTempCounter = 0;
    lngItemCount = 0;
    bool starting = false;
    try {
        outOfMemoryAsFailure([&] {
            strAppPath = m_port.ProgramDirectory();
            strMessagesFileName = programFile(kReportFileName);
            reportEvent("Program started.");
            ReadProgramInformation();
            m_pacedTexts->showNow(this, Setup().interfaceName());
            receivedData->clear();
            const QString port = shownPort(settings.strPort);
            txtRemotePort->setText(port);
            txtLocalIPAddress->setText(Winsock.LocalIP());
            txtLocalPort->setText(port);
            const bool autoStart = settings.strAutoStart != QLatin1String("Off");
            mnuOptionsAutomaticStart->setChecked(autoStart);
            lblAutomaticStart->setText(autoStart ? QStringLiteral("Automatic Start is ON")
                                                 : QStringLiteral("Automatic Start is OFF"));
            if (mnuOptionsAutomaticStart->isChecked()) {
                starting = true;
                cmdStart_Click();
                starting = false;
            }
            mnuOptionsEditShowWarningBox->setChecked(truthValue(settings.strExitWarning));
        });
    } catch (const Failure &failure) {
        m_port.MsgBox(QStringLiteral("Error in Form_Load.\r\nError number %1\r\nPlease report this error.")
                          .arg(failure.number),
                      interfaceNameTitle());
        // A failed automatic start leaves the buttons and menus stopped, not
        // seemingly started, and writes nothing more. A second run finds
        // socket 0 listening already: that listener keeps going.
        if (starting && Winsock.state(0) != SocketSet::State::Listening)
            arrange(Arrangement::Stopped);
    }
}
