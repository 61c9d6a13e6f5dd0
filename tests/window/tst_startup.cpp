// Start-up of the main window: the report line, reading and repairing the
// settings file, and what the window shows afterwards.
#include <QtTest>

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>

#include <sys/stat.h>
#include <unistd.h>

#include "forms/frm_setup.h"
#include "widgets/received_data_model.h"
#include "window_fixture.h"

namespace {

const QByteArray kStarted = "200503050907Program started.\r\n";
const QString kSaved = QStringLiteral("The CORVCONF.INI file has been updated and saved.");
const QString kFileError = QStringLiteral(
    "The file CORVCONF.INI was not\r\nfound in the default directory\r\nor contains errors.\r\nDo you wish to fix the file?");

}  // namespace

class Startup : public QObject {
    Q_OBJECT
private slots:
    void firstStartRepairsAndWritesDefaults()
    {
        WindowFixture f;
        f.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(f.load());
        QCOMPARE(f.port.boxTexts(), QStringList({kFileError, kSaved}));  // told once, though written twice
        const ScriptedPort::Box &question = f.port.boxes[0];
        QCOMPARE(question.title, QStringLiteral("File Error"));
        QCOMPARE(question.defaultButton, OperatorPort::Default::Second);
        QCOMPARE(question.icon, OperatorPort::Icon::Question);
        QCOMPARE(f.settingsFile(), goldenFile("first_start.ini"));
        QCOMPARE(f.reportFile(), kStarted);
        frmInterface &w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Interface"));
        QCOMPARE(control<QLineEdit>(w, "txtLocalPort")->text(), QStringLiteral("65535"));
        QVERIFY(!control<QLineEdit>(w, "txtLocalIPAddress")->text().isEmpty());
        QCOMPARE(control<QLabel>(w, "lblAutomaticStart")->text(), QStringLiteral("Automatic Start is OFF"));
        QVERIFY(control<QAction>(w, "mnuOptionsEditShowWarningBox")->isChecked());
        QCOMPARE(control<QLabel>(w, "lblErrorFile")->text(), QStringLiteral("closed"));
    }

    void refusingTheRepairEndsAtOnce()
    {
        WindowFixture f;
        QVERIFY(!f.load());  // the script answers No
        QCOMPARE(f.port.boxTexts(), QStringList{kFileError});
        QVERIFY(!QFile::exists(f.file("corvconf.ini")));
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QByteArray>("rewritten");
        const QByteArray defaults = goldenFile("first_start.ini");
        QTest::newRow("canonical: nothing to say") << settingsWith({{"[Port]", "2575"}}) << QStringList{}
                                                   << settingsWith({{"[Port]", "2575"}});
        QTest::newRow("empty") << QByteArray() << QStringList{kSaved} << defaults;
        QTest::newRow("other order, aliases and stray lines")
            << crlfLines({"[Interface Name]", "Lab", "junk", "[ACK before date]", "|X|", "[RemoteIP]", "10.0.0.1"})
            << QStringList{kSaved} << settingsWith({{"[Interface Name]", "Lab"}, {"[MSH before date]", "|X|"}});
        QTest::newRow("a blank remote IP tells, though the box's text is written")
            << settingsWith({{"[RemoteIP]", ""}}) << QStringList{kSaved} << defaults;
        QTest::newRow("count flag a word") << settingsWith({{"[Show Transaction Count]", "many"}}) << QStringList{kSaved}
                                           << defaults;
        QTest::newRow("empty frame codes fill silently")
            << settingsWith({{"[Start of Text]", ""}, {"[End of Text]", ""}}) << QStringList{} << defaults;
        QTest::newRow("count flag beyond 16 bits asks to repair")
            << settingsWith({{"[Show Transaction Count]", "99999"}}) << QStringList{kFileError, kSaved} << defaults;
        QTest::newRow("over a megabyte asks, keeping what was read")
            << settingsWith({{"[Port]", "2575"}}) + QByteArray(100 * 1024 * 1024, '\n') << QStringList{kFileError}
            << settingsWith({{"[Port]", "2575"}});
        QTest::newRow("header as the last line asks, keeping what was read")
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

    void settingsFileThatIsNoFileEndsWithABox()
    {
        WindowFixture f;
        QCOMPARE(::mkfifo(QFile::encodeName(f.file("corvconf.ini")).constData(), 0600), 0);
        f.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(!f.load());
        QCOMPARE(f.port.boxTexts(), QStringList({kFileError, QStringLiteral("The CORVCONF.INI file could not be opened.")}));
    }

    void settingsShownAtStartUp_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("shown");  // the port box, the automatic-start label or the warning check
        QTest::newRow("port: blanks before") << QByteArray("[Port]") << QByteArray("   2575") << "2575";
        QTest::newRow("port: fraction") << QByteArray("[Port]") << QByteArray("2575.5") << "2575.5";
        QTest::newRow("port: letter first") << QByteArray("[Port]") << QByteArray("abc") << "0";
        QTest::newRow("automatic start: off in other letters is on") << QByteArray("[AutoStart]") << QByteArray("off")
                                                                     << "Automatic Start is ON";
        QTest::newRow("exit warning: fALSE") << QByteArray("[ExitWarning]") << QByteArray("fALSE") << "clear";
        QTest::newRow("exit warning: -1") << QByteArray("[ExitWarning]") << QByteArray("-1") << "checked";
    }
    void settingsShownAtStartUp()
    {
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, value);
        QFETCH(QString, shown);
        ListeningFixture f;
        f.writeSettings(settingsWith({{"[Port]", "0"}, {"[Logfile Location]", f.dataPath().toLatin1()}, {header, value}}));
        QVERIFY(f.load());
        QVERIFY(f.port.boxes.isEmpty());
        frmInterface &w = *f.window;
        if (header == "[Port]")
            QCOMPARE(control<QLineEdit>(w, "txtRemotePort")->text() + control<QLineEdit>(w, "txtLocalPort")->text(), shown + shown);
        else if (header == "[AutoStart]")
            QCOMPARE(control<QLabel>(w, "lblAutomaticStart")->text(), shown);  // and it started: see the listener's tests
        else
            QCOMPARE(control<QAction>(w, "mnuOptionsEditShowWarningBox")->isChecked(), shown == QLatin1String("checked"));
    }

    void exitWarningThatIsNoTruthValueEndsStartUpWithItsBox()
    {
        WindowFixture f;
        f.writeSettings(settingsWith({{"[ExitWarning]", "Yes"}, {"[Interface Name]", "Lab 7"}}));
        QVERIFY(f.load());
        QCOMPARE(f.port.boxTexts(),
                 QStringList{QStringLiteral("Error in Form_Load.\r\nError number 13\r\nPlease report this error.")});
        QCOMPARE(f.port.boxes[0].title, QStringLiteral("Lab 7"));
        QVERIFY(!control<QAction>(*f.window, "mnuOptionsEditShowWarningBox")->isChecked());  // as the layout has it
    }

    void unwritableFilesEndTheProgram()
    {
        WindowFixture report;  // the report directory
        if (::geteuid() == 0)
            report.port.directory = QStringLiteral("/sys");  // refuses new files even to root
        else
            ::chmod(qPrintable(report.dir.path()), 0555);
        QVERIFY(!report.load());
        ::chmod(qPrintable(report.dir.path()), 0755);
        QCOMPARE(report.port.boxTexts(), QStringList{QStringLiteral("Error number 70")});
        QCOMPARE(report.port.boxes[0].title, frmInterface::applicationTitle());

        WindowFixture settings;  // a folder in the settings file's place can be neither read nor replaced
        QVERIFY(QDir(settings.dir.path()).mkdir(QStringLiteral("corvconf.ini")));
        settings.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(!settings.load());
        QCOMPARE(settings.port.boxTexts(),
                 QStringList({kFileError, QStringLiteral("The CORVCONF.INI file could not be opened.")}));
    }

    void longValuesFromTheFileStayWholeWhileTypingIsLimited()
    {
        WindowFixture f;
        f.writeSettings(settingsWith({{"[Interface Name]", "Twenty-two characters"}, {"[Start of Text]", "110"}}));
        QVERIFY(f.load());
        frmSetup &setup = InterfaceSeam(*f.window).setup();
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Twenty-two characters"));
        setup.txtInterfaceName->setEnabled(true);
        setup.txtInterfaceName->setText(QStringLiteral("Seventeen chars.."));
        setup.txtInterfaceName->end(false);
        QTest::keyClicks(setup.txtInterfaceName, QStringLiteral("xyz"));
        QCOMPARE(setup.txtInterfaceName->text(), QStringLiteral("Seventeen chars..x"));
        setup.txtSTF[0]->setEnabled(true);
        setup.txtSTF[0]->end(false);
        QTest::keyClick(setup.txtSTF[0], Qt::Key_Backspace);  // shortening a long value is allowed
        QTest::keyClicks(setup.txtSTF[0], QStringLiteral("5"));
        QCOMPARE(setup.txtSTF[0]->text(), QStringLiteral("11"));
    }

    // Beyond a text box's usual 32,767 characters too: a setup field, the port box.
    void valuesOfAnyLengthAreRewrittenWhole()
    {
        WindowFixture f;
        const QByteArray settings =
            settingsWith({{"[MSH before date]", QByteArray(40000, '|')}, {"[Port]", "2575" + QByteArray(40000, ' ')}});
        f.writeSettings(settings);
        QVERIFY(f.load());
        QCOMPARE(f.settingsFile(), settings);
    }

    // A paste longer than a field takes keeps its first characters, as typing would.
    void pasteBeyondTheTypingLimitKeepsWhatFits()
    {
        WindowFixture f;
        f.writeSettings(settingsWith({}));
        QVERIFY(f.load());
        QLineEdit *name = InterfaceSeam(*f.window).setup().txtInterfaceName;
        name->setEnabled(true);
        QGuiApplication::clipboard()->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
        name->setSelection(0, 5);  // "Inter" of "Interface" is replaced
        name->paste();
        QCOMPARE(name->text(), QStringLiteral("ABCDEFGHIJKLMNface"));
        QCOMPARE(name->cursorPosition(), 14);
    }
};

QTEST_MAIN(Startup)
#include "tst_startup.moc"
