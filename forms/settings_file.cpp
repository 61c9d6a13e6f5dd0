#include "forms/frm_interface.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

#include "forms/program_files.h"
#include "formats/settings_format.h"
#include "forms/frm_setup.h"
#include "widgets/setting_controls.h"

namespace {

const QString kFileErrorQuestion = QStringLiteral(
    "The file CORVCONF.INI was not\r\nfound in the default directory\r\nor contains errors.\r\nDo you wish to fix the file?");

}  // namespace

void frmInterface::locateSettingsFile()
{
    strAppPath = m_port.ProgramDirectory();
    strSettingsFileName = QDir::separator() + kSettingsFileName;
    strSettingsFilePath = strAppPath + strSettingsFileName;
}

// Reads "corvconf.ini", fills what is blank, rewrites the file in its
// canonical form and loads the setup fields. A missing or broken file asks
// the operator whether to repair it; refusing ends the program.
void frmInterface::ReadProgramInformation()
{
    try {
        locateSettingsFile();
        m_settingsFile.openInput(strSettingsFilePath);
        readSettingsItems(m_settingsFile, settings);
        m_settingsFile.close();
        CheckBlankParameter();  // which also loads the setup fields
    } catch (const Failure &) {
        m_settingsFile.close();
        const auto answer = m_port.MsgBox(kFileErrorQuestion, QStringLiteral("File Error"),
                                          OperatorPort::Buttons::YesNo, OperatorPort::Default::Second,
                                          OperatorPort::Icon::Question);
        if (answer != OperatorPort::Answer::Yes)
            m_port.EndNow();
        CheckBlankParameter();  // repairs with whatever was read before the failure
        ReadProgramInformation();
    }
}

void frmInterface::CheckBlankParameter()
{
    if (fillBlankSettings(settings))
        strUpdate = QStringLiteral("Yes");
    txtRemotePort->setText(settings.strPort);
    Setup().LoadTextBoxes();
    SaveFile();
}

// Writes the canonical lines. Each value comes from where it is kept between
// saves: the two boxes of the main window for the remote address and port,
// the two switches, and the setup fields for all the rest. A file longer
// than the next start would read is not written: the operator is told, and
// false returned.
bool frmInterface::SaveFile()
{
    try {
        locateSettingsFile();
        ProgramInformation stored = settings;
        copySettingControls(*this, stored);  // the remote address and port boxes
        Setup().copyFieldsInto(stored);
        const QList<QByteArray> lines = settingsFileLines(stored);
        qsizetype size = 0;
        for (const QByteArray &line : lines)
            size += line.size() + 2;
        if (size > FileChannel::kMostInput) {
            m_port.MsgBox(QStringLiteral("The settings are too long to be saved: CORVCONF.INI may hold at most "
                                         "%1 bytes.\r\nShorten a text and save again.")
                              .arg(FileChannel::kMostInput),
                          applicationTitle());
            return false;
        }
        if (m_settingsFile.isOpen())  // left open by a failure: opened again
            m_settingsFile.close();
        m_settingsFile.openOutput(strSettingsFilePath);
        for (const QByteArray &line : lines)
            m_settingsFile.writeLine(line);
        m_settingsFile.close();
    } catch (const Failure &) {
        m_settingsFile.abandon();
        m_port.MsgBox(QStringLiteral("The CORVCONF.INI file could not be opened."), applicationTitle());
        m_port.EndNow();
    }
    if (strUpdate == QLatin1String("Yes")) {
        m_port.MsgBox(QStringLiteral("The CORVCONF.INI file has been updated and saved."), applicationTitle());
        strUpdate = QStringLiteral("No");
    }
    return true;
}
