// The operator's commands: remote-port editing and its checks, the two
// toggles, Setup, About, Exit and the window's close request.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "forms/frm_setup.h"
#include "window_fixture.h"

namespace {

const QString kEmptyPort = QStringLiteral("The remote port is invalid.\r\nEnter a valid port number.");
const QString kPortRange =
    QStringLiteral("The remote port number cannot be\r\nless than 0 or greater than 65535.\r\nEnter a valid port number.");
const QString kExitQuestion = QStringLiteral("Do you wish to exit Corvane?");

// Enabled flags of the controls remote-port editing switches, in a fixed order.
QList<bool> editArrangement(const frmInterface &w)
{
    return {control<QLineEdit>(w, "txtRemotePort")->isEnabled(), control<QPushButton>(w, "cmdEdit")->isEnabled(), control<QAction>(w, "mnuOptionsEditRemoteSettings")->isEnabled(),
            control<QPushButton>(w, "cmdSave")->isEnabled(), control<QAction>(w, "mnuOptionsSaveRemoteSettings")->isEnabled(), control<QPushButton>(w, "cmdStart")->isEnabled(),
            control<QAction>(w, "mnuFileStartInterface")->isEnabled(), control<QPushButton>(w, "cmdStop")->isEnabled(), control<QAction>(w, "mnuFileStopInterface")->isEnabled()};
}

const QList<bool> kEditing = {true, false, false, true, true, false, false, false, false};
// Stop is left as it was: disabled by Edit, enabled as laid out right after start-up.
const QList<bool> kViewing = {false, true, true, false, false, true, true, false};

QList<bool> viewingArrangement(const frmInterface &w)
{
    return editArrangement(w).first(8);
}

QByteArray valueAfter(const QByteArray &file, const QByteArray &header)
{
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == header + '\r')
            return lines[i + 1].chopped(1);
    }
    return "<missing>";
}

}  // namespace

class Commands : public QObject {
    Q_OBJECT
private slots:
    void remotePortSave_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box");  // empty: saved
        QTest::newRow("largest port") << "65535" << QString();
        QTest::newRow("blanks around are kept as typed") << " 2575 " << QString();
        QTest::newRow("empty") << "" << kEmptyPort;
        QTest::newRow("blank") << " " << kEmptyPort;
        QTest::newRow("exponent") << "1e3" << kEmptyPort;
        QTest::newRow("letters after digits") << "80abc" << kEmptyPort;
        QTest::newRow("fraction") << "2575.5" << kEmptyPort;
        QTest::newRow("negative") << "-1" << kPortRange;
        QTest::newRow("one past the largest") << "65536" << kPortRange;
        QTest::newRow("far beyond 64 bits") << "99999999999999999999" << kPortRange;
        QTest::newRow("fraction above the largest") << "65535.5" << kPortRange;
        QTest::newRow("letters after a number too large") << "70000abc" << kPortRange;
        QTest::newRow("exponent too large") << "1e9" << kPortRange;
        QTest::newRow("beyond a double") << "1e999" << kPortRange;
    }
    void remotePortSave()
    {
        QFETCH(QString, typed);
        QFETCH(QString, box);
        ListeningFixture f;
        f.writeSettings(f.settingsFor({{"[AutoStart]", "Off"}, {"[Interface Name]", "Lab"}}, 2575));
        QVERIFY(f.load());
        frmInterface &w = *f.window;
        control<QAction>(w, "mnuOptionsEditRemoteSettings")->trigger();
        QCOMPARE(editArrangement(w), kEditing);
        control<QLineEdit>(w, "txtRemotePort")->setText(typed);
        w.setWindowTitle(QStringLiteral("Lab 12"));
        control<QPushButton>(w, "cmdSave")->click();
        if (!box.isEmpty()) {
            QCOMPARE(f.port.boxTexts(), QStringList{box});
            QCOMPARE(f.port.boxes[0].title, QStringLiteral("Invalid Port"));
            QCOMPARE(editArrangement(w), kEditing);  // still editing, nothing saved
            QCOMPARE(control<QLineEdit>(w, "txtLocalPort")->text(), QStringLiteral("2575"));
            QCOMPARE(valueAfter(f.settingsFile(), "[Port]"), QByteArray("2575"));
            return;
        }
        QVERIFY(f.port.boxes.isEmpty());
        QCOMPARE(viewingArrangement(w), kViewing);
        QVERIFY(!control<QAction>(w, "mnuFileStopInterface")->isEnabled());
        QCOMPARE(control<QLineEdit>(w, "txtLocalPort")->text(), typed);
        QCOMPARE(valueAfter(f.settingsFile(), "[Port]"), typed.toLatin1());
        QCOMPARE(w.windowTitle(), QStringLiteral("Lab"));
    }

    void savedPortIsTheNextListeningPort()
    {
        ListeningFixture f;
        f.writeSettings(f.settingsFor({{"[AutoStart]", "Off"}}, 1));
        QVERIFY(f.load());
        control<QAction>(*f.window, "mnuOptionsSaveRemoteSettings")->trigger();  // right after start-up, without Edit: saved as it is
        QVERIFY(f.port.boxes.isEmpty());
        QCOMPARE(viewingArrangement(*f.window), kViewing);
        QVERIFY(control<QAction>(*f.window, "mnuFileStopInterface")->isEnabled());  // as laid out, untouched
        const quint16 chosen = freePort();
        control<QPushButton>(*f.window, "cmdEdit")->click();
        control<QLineEdit>(*f.window, "txtRemotePort")->setText(QString::number(chosen));
        control<QPushButton>(*f.window, "cmdSave")->click();
        control<QPushButton>(*f.window, "cmdStart")->click();
        Sender sender;
        QVERIFY(sender.connectTo(chosen));
        QVERIFY(!sender.exchange("MSH|x", 30).isEmpty());
    }

    void togglesRewriteTheFileAtOnce()
    {
        ListeningFixture f;
        f.writeSettings(f.settingsFor({{"[AutoStart]", "Off"}, {"[ExitWarning]", "true"}}, 2575));
        QVERIFY(f.load());
        frmInterface &w = *f.window;
        control<QAction>(w, "mnuOptionsAutomaticStart")->trigger();
        QVERIFY(control<QAction>(w, "mnuOptionsAutomaticStart")->isChecked());
        QCOMPARE(control<QLabel>(w, "lblAutomaticStart")->text(), QStringLiteral("Automatic Start is ON"));
        QCOMPARE(valueAfter(f.settingsFile(), "[AutoStart]"), QByteArray("On"));
        QCOMPARE(InterfaceSeam(w).sockets().state(0), SocketSet::State::Closed);  // the toggle starts nothing
        control<QAction>(w, "mnuOptionsAutomaticStart")->trigger();
        QCOMPARE(control<QLabel>(w, "lblAutomaticStart")->text(), QStringLiteral("Automatic Start is OFF"));
        QCOMPARE(valueAfter(f.settingsFile(), "[AutoStart]"), QByteArray("Off"));

        QVERIFY(control<QAction>(w, "mnuOptionsEditShowWarningBox")->isChecked());  // "true" counts as a truth value here
        control<QAction>(w, "mnuOptionsEditShowWarningBox")->trigger();
        QVERIFY(!control<QAction>(w, "mnuOptionsEditShowWarningBox")->isChecked());
        QCOMPARE(valueAfter(f.settingsFile(), "[ExitWarning]"), QByteArray("False"));
        control<QAction>(w, "mnuOptionsEditShowWarningBox")->trigger();
        QCOMPARE(valueAfter(f.settingsFile(), "[ExitWarning]"), QByteArray("True"));
        QVERIFY(f.port.boxes.isEmpty());
    }

    void toggleWithAnUnwritableSettingsFileEnds()
    {
        ListeningFixture f;
        f.writeSettings(f.settingsFor({{"[AutoStart]", "Off"}}, 2575));
        QVERIFY(f.load());
        QVERIFY(QFile::remove(f.file("corvconf.ini")));
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("corvconf.ini")));  // cannot be replaced, even by root
        control<QAction>(*f.window, "mnuOptionsAutomaticStart")->trigger();
        QVERIFY(f.port.ended);
        QCOMPARE(f.port.boxTexts(), QStringList{QStringLiteral("The CORVCONF.INI file could not be opened.")});
    }

    void exitAndCloseRequest_data()
    {
        QTest::addColumn<bool>("closeBox");   // the window's close request, else the Exit button
        QTest::addColumn<QByteArray>("warning");
        QTest::addColumn<bool>("yes");        // the answer to the question, when asked
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("reported");  // "Program was ended." written
        QTest::newRow("Exit, warning off") << false << QByteArray("False") << false << true << true;
        QTest::newRow("Exit, warning on, Yes") << false << QByteArray("True") << true << true << false;
        QTest::newRow("Exit, warning on, No") << false << QByteArray("True") << false << false << false;
        QTest::newRow("Exit, only True exactly asks") << false << QByteArray("true") << false << true << true;
        QTest::newRow("close box, warning off") << true << QByteArray("False") << false << true << true;
        QTest::newRow("close box, warning on, Yes") << true << QByteArray("True") << true << true << false;
        QTest::newRow("close box, warning on, No") << true << QByteArray("True") << false << false << false;
    }
    void exitAndCloseRequest()
    {
        QFETCH(bool, closeBox);
        QFETCH(QByteArray, warning);
        QFETCH(bool, yes);
        QFETCH(bool, ends);
        QFETCH(bool, reported);
        ListeningFixture f;
        QVERIFY(f.startListening({{"[ExitWarning]", warning}}));
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        QTRY_COMPARE(InterfaceSeam(*f.window).sockets().state(1), SocketSet::State::Connected);
        f.port.answers = {yes ? OperatorPort::Answer::Yes : OperatorPort::Answer::No};
        f.window->show();
        if (closeBox)
            f.window->close();
        else
            control<QPushButton>(*f.window, "cmdExit")->click();
        QCOMPARE(f.port.ended, ends);
        QCOMPARE(f.reportLines().last() == "200503050907Program was ended.", reported);
        QCOMPARE(f.port.boxTexts(), warning == "True" ? QStringList{kExitQuestion} : QStringList{});
        if (warning == "True") {
            QCOMPARE(f.port.boxes[0].title, QStringLiteral("Exit Corvane"));
            QCOMPARE(f.port.boxes[0].defaultButton, OperatorPort::Default::Second);
        }
        if (ends) {
            QVERIFY(sender.waitUntilDropped());  // every socket closed first
        } else {  // No changes nothing: the window and the listener are still there
            QVERIFY(f.window->isVisible());
            QVERIFY(!sender.exchange("MSH|still running", 30).isEmpty());
        }
    }

    void aboutBox()
    {
        WindowFixture f;
        control<QAction>(*f.window, "mnuHelpAbout")->trigger();
        QCOMPARE(f.port.boxes.size(), 1);
        const QStringList lines = f.port.boxes[0].text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("Corvane"));
        QCOMPARE(lines[3], QStringLiteral("Version 1.8.4"));
        QCOMPARE(lines[4], QStringLiteral("View the file README.TXT for setup instructions."));
        QCOMPARE(f.port.boxes[0].title, frmInterface::applicationTitle());
    }
};

QTEST_MAIN(Commands)
#include "tst_commands.moc"
