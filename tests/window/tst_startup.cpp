// Start-up of the main window: the report line, reading and repairing the
// settings file, and what the window shows afterwards.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

#include "ui/frm_setup.h"
#include "ui/received_data_model.h"
#include "ui/twips.h"
#include "window_fixture.h"

namespace {

const QByteArray kStarted = "200503050907Program started.\r\n";
const QString kSaved = QStringLiteral("The CORVCONF.INI file has been updated and saved.");
const QString kFileError = QStringLiteral(
    "The file CORVCONF.INI was not\r\nfound in the default directory\r\nor contains errors.\r\nDo you wish to fix the file?");

template <typename T>
T *control(const frmInterface &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

}  // namespace

class Startup : public QObject {
    Q_OBJECT
private slots:
    void firstStartRepairsAndWritesDefaults()
    {
        WindowFixture f;
        f.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(f.load());

        QCOMPARE(f.port.boxTexts(), QStringList({kFileError, kSaved}));
        const ScriptedPort::Box &question = f.port.boxes[0];
        QCOMPARE(question.title, QStringLiteral("File Error"));
        QCOMPARE(question.buttons, OperatorPort::Buttons::YesNo);
        QCOMPARE(question.defaultButton, OperatorPort::Default::Second);
        QCOMPARE(question.icon, OperatorPort::Icon::Question);
        QCOMPARE(f.port.boxes[1].title, frmInterface::applicationTitle());

        QCOMPARE(f.settingsFile(), goldenFile("first_start.ini"));
        QCOMPARE(f.reportFile(), kStarted);
        const frmInterface &w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Interface"));
        QCOMPARE(w.txtRemotePort->text(), QStringLiteral("65535"));
        QCOMPARE(w.txtLocalPort->text(), QStringLiteral("65535"));
        QVERIFY(!w.txtLocalIPAddress->text().isEmpty());
        QCOMPARE(w.lblAutomaticStart->text(), QStringLiteral("Automatic Start is OFF"));
        QVERIFY(!w.mnuOptionsAutomaticStart->isChecked());
        QVERIFY(w.mnuOptionsEditShowWarningBox->isChecked());
        QCOMPARE(w.lblErrorFile->text(), QStringLiteral("closed"));
        QVERIFY(!f.window->Setup().isVisible());
    }

    void refusingTheRepairEndsAtOnce()
    {
        WindowFixture f;
        f.port.answers = {OperatorPort::Answer::No};
        QVERIFY(!f.load());
        QVERIFY(f.port.ended);
        QCOMPARE(f.port.boxTexts(), QStringList{kFileError});
        QVERIFY(!QFile::exists(f.file("corvconf.ini")));
        QCOMPARE(f.reportFile(), kStarted);
    }

    void canonicalFileIsReadWithoutAnyBox()
    {
        WindowFixture f;
        const QByteArray file = settingsWith({{"[Port]", "2575"}, {"[Interface Name]", "Lab, \"west\""}});
        f.writeSettings(file);
        QVERIFY(f.load());
        QVERIFY(f.port.boxes.isEmpty());
        QCOMPARE(f.settingsFile(), file);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Lab, \"west\""));
        QCOMPARE(f.window->txtLocalPort->text(), QStringLiteral("2575"));
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QByteArray>("rewritten");
        const QByteArray defaults = goldenFile("first_start.ini");
        QTest::newRow("empty: defaults with the saved message")
            << QByteArray() << QStringList{kSaved} << defaults;
        QTest::newRow("other order, aliases and stray lines")
            << crlfLines({"[Interface Name]", "Lab", "junk", "[ACK before date]", "|X|", "[RemoteIP]", "10.0.0.1"})
            << QStringList{kSaved} << settingsWith({{"[Interface Name]", "Lab"}, {"[MSH before date]", "|X|"}});
        QTest::newRow("a text saved empty gets its default")
            << settingsWith({{"[MSA Segment]", ""}}) << QStringList{kSaved} << defaults;
        QTest::newRow("a blank remote IP tells, though the box's text is written")
            << settingsWith({{"[RemoteIP]", ""}}) << QStringList{kSaved} << defaults;
        QTest::newRow("count flag 2 becomes 0")
            << settingsWith({{"[Show Transaction Count]", "2"}}) << QStringList{kSaved} << defaults;
        QTest::newRow("count flag a word becomes 0")
            << settingsWith({{"[Show Transaction Count]", "many"}}) << QStringList{kSaved} << defaults;
        QTest::newRow("empty frame codes fill silently")
            << settingsWith({{"[Start of Text]", ""}, {"[End of Text]", ""}}) << QStringList{} << defaults;
        QTest::newRow("count flag beyond 16 bits asks to repair")
            << settingsWith({{"[Show Transaction Count]", "99999"}}) << QStringList{kFileError, kSaved}
            << defaults;
        QTest::newRow("header as the last line asks to repair, keeping what was read")
            << crlfLines({"[Port]", "2575", "[Interface Name]"}) << QStringList{kFileError, kSaved}
            << settingsWith({{"[Port]", "2575"}});
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, boxes);
        QFETCH(QByteArray, rewritten);
        WindowFixture f;
        f.writeSettings(content);
        f.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(f.load());
        QCOMPARE(f.port.boxTexts(), boxes);
        QCOMPARE(f.settingsFile(), rewritten);
    }

    void automaticStart_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("on");
        QTest::newRow("Off") << QByteArray("Off") << false;
        QTest::newRow("On") << QByteArray("On") << true;
        QTest::newRow("off in other letters is on") << QByteArray("off") << true;
        QTest::newRow("empty becomes Off") << QByteArray() << false;
    }
    void automaticStart()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, on);
        WindowFixture f;
        f.writeSettings(settingsWith(
            {{"[AutoStart]", value}, {"[Port]", "0"}, {"[Logfile Location]", f.file("data.txt").toLatin1()}}));
        QVERIFY(f.load());
        QCOMPARE(f.window->mnuOptionsAutomaticStart->isChecked(), on);
        QCOMPARE(f.window->Winsock.state(0) == SocketSet::State::Listening, on);
        QCOMPARE(f.window->lblAutomaticStart->text(),
                 on ? QStringLiteral("Automatic Start is ON") : QStringLiteral("Automatic Start is OFF"));
    }

    void exitWarning_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("checked");
        QTest::newRow("False") << QByteArray("False") << false;
        QTest::newRow("fALSE") << QByteArray("fALSE") << false;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("true") << QByteArray("true") << true;
        QTest::newRow("-1") << QByteArray("-1") << true;
    }
    void exitWarning()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, checked);
        WindowFixture f;
        f.writeSettings(settingsWith({{"[ExitWarning]", value}}));
        QVERIFY(f.load());
        QVERIFY(f.port.boxes.isEmpty());
        QCOMPARE(f.window->mnuOptionsEditShowWarningBox->isChecked(), checked);
    }

    void exitWarningThatIsNoTruthValueEndsStartUpWithItsBox()
    {
        WindowFixture f;
        f.writeSettings(settingsWith({{"[ExitWarning]", "Yes"}, {"[Interface Name]", "Lab 7"}}));
        QVERIFY(f.load());
        QCOMPARE(f.port.boxTexts(),
                 QStringList{QStringLiteral("Error in Form_Load.\r\nError number 13\r\nPlease report this error.")});
        QCOMPARE(f.port.boxes[0].title, QStringLiteral("Lab 7"));
        QVERIFY(!f.window->mnuOptionsEditShowWarningBox->isChecked());  // as the layout has it
        QCOMPARE(f.window->lblAutomaticStart->text(), QStringLiteral("Automatic Start is OFF"));
    }

    void portBoxesShowTheLeadingNumber_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("blanks before") << QByteArray("   2575") << "2575";
        QTest::newRow("letters after") << QByteArray("2575abc") << "2575";
        QTest::newRow("fraction") << QByteArray("2575.5") << "2575.5";
        QTest::newRow("letter first") << QByteArray("abc") << "0";
        QTest::newRow("leading zeros") << QByteArray("007") << "7";
    }
    void portBoxesShowTheLeadingNumber()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, shown);
        WindowFixture f;
        f.writeSettings(settingsWith({{"[Port]", value}}));
        QVERIFY(f.load());
        QCOMPARE(f.window->txtRemotePort->text(), shown);
        QCOMPARE(f.window->txtLocalPort->text(), shown);
    }

    void unwritableReportDirectoryEndsBeforeAnythingElse()
    {
        WindowFixture f;
        if (::geteuid() == 0)
            f.port.directory = QStringLiteral("/sys");  // refuses new files even to root
        else
            ::chmod(qPrintable(f.dir.path()), 0555);
        QVERIFY(!f.load());
        ::chmod(qPrintable(f.dir.path()), 0755);
        QCOMPARE(f.port.boxTexts(), QStringList{QStringLiteral("Error number 70")});
        QCOMPARE(f.port.boxes[0].title, frmInterface::applicationTitle());
        QVERIFY(!QFile::exists(f.file("corvconf.ini")));
    }

    void unwritableSettingsFileEndsWithTheWritersBox()
    {
        WindowFixture f;
        // A folder in the file's place can be neither read nor replaced.
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("corvconf.ini")));
        f.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(!f.load());
        QCOMPARE(f.port.boxTexts(),
                 QStringList({kFileError, QStringLiteral("The CORVCONF.INI file could not be opened.")}));
        QCOMPARE(f.port.boxes[1].title, frmInterface::applicationTitle());
        QVERIFY(QFileInfo(f.file("corvconf.ini")).isDir());
    }

    void secondRunStartsAgainFromScratch()
    {
        WindowFixture f;
        f.writeSettings(goldenFile("first_start.ini"));
        QVERIFY(f.load());
        f.window->lngItemCount = 12;
        f.window->lngTempCounter = 12;
        f.window->receivedData->appendEmptyRow();
        f.port.now = f.port.now.addSecs(60);
        QVERIFY(f.load());
        QCOMPARE(f.window->lngItemCount, 0);
        QCOMPARE(f.window->lngTempCounter, 0);
        QCOMPARE(f.window->receivedData->rowCount(), 0);
        QCOMPARE(f.reportFile(), kStarted + "200503050908Program started.\r\n");
    }

    void reportFileLeftOpenIsReopenedWithoutLoss()
    {
        WindowFixture f;
        f.writeSettings(goldenFile("first_start.ini"));
        QVERIFY(f.load());
        f.window->strMessagesFileName = f.file("ifreport.txt");
        f.window->OpenMessageFile();  // a handler that left it open
        QCOMPARE(f.window->lblErrorFile->text(), QStringLiteral("open"));
        QVERIFY(f.load());
        QVERIFY(f.port.boxes.isEmpty());
        QCOMPARE(f.reportFile(), kStarted + kStarted);
        QCOMPARE(f.window->lblErrorFile->text(), QStringLiteral("closed"));
    }

    void longValuesFromTheFileStayWholeWhileTypingIsLimited()
    {
        WindowFixture f;
        const QByteArray longName = "Twenty-two characters";
        f.writeSettings(settingsWith({{"[Interface Name]", longName}, {"[Start of Text]", "110"}}));
        QVERIFY(f.load());
        frmSetup &setup = f.window->Setup();
        QCOMPARE(setup.txtInterfaceName->text(), QString::fromLatin1(longName));
        QCOMPARE(setup.txtSTF[0]->text(), QStringLiteral("110"));
        QCOMPARE(f.window->windowTitle(), QString::fromLatin1(longName));

        setup.txtInterfaceName->setEnabled(true);
        setup.txtInterfaceName->setText(QStringLiteral("Seventeen chars.."));
        setup.txtInterfaceName->end(false);
        QTest::keyClicks(setup.txtInterfaceName, QStringLiteral("xyz"));
        QCOMPARE(setup.txtInterfaceName->text(), QStringLiteral("Seventeen chars..x"));

        setup.txtSTF[0]->setEnabled(true);
        setup.txtSTF[0]->end(false);
        QTest::keyClick(setup.txtSTF[0], Qt::Key_Backspace);  // shortening a long value is allowed
        QCOMPARE(setup.txtSTF[0]->text(), QStringLiteral("11"));
        QTest::keyClicks(setup.txtSTF[0], QStringLiteral("5"));
        QCOMPARE(setup.txtSTF[0]->text(), QStringLiteral("11"));
    }
};

QTEST_MAIN(Startup)
#include "tst_startup.moc"
