// The operator's commands: the remote port, Exit and the close request, and
// the setup dialog.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionGroupBox>

#include <algorithm>
#include <cmath>

#include "forms/frm_setup.h"
#include "platform/file_channel.h"
#include "window_fixture.h"

namespace {

const QString kInvalidPort = QStringLiteral("The remote port is invalid.\r\nEnter a valid port number.");
const QString kPortRange =
    QStringLiteral("The remote port number cannot be\r\nless than 0 or greater than 65535.\r\nEnter a valid port number.");

// WCAG 2 contrast ratio of two colours, from their relative luminance.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A window started up on port 2575 that does not listen.
struct StoppedFixture : WindowFixture {
    StoppedFixture()
    {
        writeSettings(listeningSettings(2575, dataPath(), {{"[AutoStart]", "Off"}, {"[Interface Name]", "Lab"}}));
        if (!load())
            qFatal("start-up ended");
    }
    frmSetup &openSetup()
    {
        control<QAction>(*window, "mnuOptionsSetup")->trigger();
        return seam().setup();
    }
};

}  // namespace

class Commands : public QObject {
    Q_OBJECT
private slots:
    void remotePortSave_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box");  // empty: saved
        QTest::newRow("as it stands, without Edit") << QString() << QString();
        QTest::newRow("largest port") << "65535" << QString();
        QTest::newRow("blanks around are kept as typed") << " 2575 " << QString();
        QTest::newRow("blank") << " " << kInvalidPort;
        QTest::newRow("fraction") << "2575.5" << kInvalidPort;
        QTest::newRow("negative") << "-1" << kPortRange;
        QTest::newRow("one past the largest") << "65536" << kPortRange;
        QTest::newRow("fraction above the largest") << "65535.5" << kPortRange;
        QTest::newRow("letters after a number too large") << "70000abc" << kPortRange;
        QTest::newRow("exponent too large") << "1e9" << kPortRange;
    }
    void remotePortSave()
    {
        QFETCH(QString, typed);
        QFETCH(QString, box);
        StoppedFixture f;
        QLineEdit *remote = control<QLineEdit>(*f.window, "txtRemotePort");
        if (!typed.isNull()) {
            control<QAction>(*f.window, "mnuOptionsEditRemoteSettings")->trigger();
            remote->setText(typed);
        }
        control<QAction>(*f.window, "mnuOptionsSaveRemoteSettings")->trigger();
        const QString kept = box.isEmpty() && !typed.isNull() ? typed : QStringLiteral("2575");
        QCOMPARE(f.port.boxes, box.isEmpty() ? QStringList{} : QStringList{box});
        QCOMPARE(remote->isEnabled(), !box.isEmpty());  // still editing when refused
        QCOMPARE(control<QLineEdit>(*f.window, "txtLocalPort")->text(), kept);
        QCOMPARE(valueAfter(f.settingsFile(), "[Port]"), kept.toLatin1());
        // Stop is left as it was: as laid out after start-up, disabled by Edit.
        QCOMPARE(control<QAction>(*f.window, "mnuFileStopInterface")->isEnabled(), typed.isNull());
    }

    void exitAndCloseRequest_data()
    {
        QTest::addColumn<bool>("closeBox");  // the window's close request, else the Exit button
        QTest::addColumn<QByteArray>("warning");
        QTest::addColumn<bool>("yes");  // the answer to the question, when asked
        QTest::addColumn<bool>("ends");
        QTest::newRow("Exit, warning off") << false << QByteArray("False") << false << true;
        QTest::newRow("Exit, warning on, No") << false << QByteArray("True") << false << false;
        QTest::newRow("Exit, only True exactly asks") << false << QByteArray("true") << false << true;
        QTest::newRow("close box, warning on, Yes") << true << QByteArray("True") << true << true;
        QTest::newRow("close box, warning on, No") << true << QByteArray("True") << false << false;
    }
    void exitAndCloseRequest()
    {
        QFETCH(bool, closeBox);
        QFETCH(QByteArray, warning);
        QFETCH(bool, yes);
        QFETCH(bool, ends);
        WindowFixture f;
        QVERIFY(f.startAndConnect({{"[ExitWarning]", warning}}));
        f.port.answers = {yes ? OperatorPort::Answer::Yes : OperatorPort::Answer::No};
        f.window->show();
        closeBox ? void(f.window->close()) : control<QPushButton>(*f.window, "cmdExit")->click();
        QCOMPARE(f.port.ended, ends);
        QCOMPARE(f.port.boxes.size(), warning == "True" ? 1 : 0);
        // Asked and confirmed, the program ends without a word in the report.
        QCOMPARE(f.reportLines().last() == "200503050907Program was ended.", ends && warning != "True");
        if (ends)
            QVERIFY(f.sender.waitUntilDropped());  // every socket closed first
        else  // No changes nothing
            QCOMPARE(f.sender.exchange("MSH|still running").size(), kAckSize);
    }

    // The file gets the fields exactly as they stand; then the frame codes
    // are tidied, and the caption shows the name and the count.
    void setupSaveStoresTheFieldsThenTidiesTheCodes()
    {
        StoppedFixture f;
        frmSetup &d = f.openSetup();
        QVERIFY(!f.window->isEnabled() && !control<QLineEdit>(d, "txtInterfaceName")->isEnabled());
        control<QPushButton>(d, "cmdEdit")->click();
        const QByteArray before = f.settingsFile();
        control<QLineEdit>(d, "txtMSASegment")->setText(QString(FileChannel::kMostInput, u'|'));  // more than a start reads back
        control<QPushButton>(d, "cmdSave")->click();
        QVERIFY(f.port.boxes.value(0).startsWith(u"The settings are too long") && control<QPushButton>(d, "cmdSave")->isEnabled());
        QCOMPARE(f.settingsFile(), before);
        control<QLineEdit>(d, "txtMSASegment")->setText(QStringLiteral("|AA|"));
        control<QLineEdit>(d, "txtInterfaceName")->setText(QStringLiteral("West lab"));
        control<QCheckBox>(d, "chkShowCount")->setChecked(true);
        control<QLineEdit>(d, "txtSTF(1)")->setText(QStringLiteral("x"));
        control<QLineEdit>(d, "txtETF(2)")->setText(QStringLiteral("7"));
        control<QCheckBox>(d, "chkAnswerEachMessage")->setChecked(true);
        control<QPushButton>(d, "cmdSave")->click();
        const QByteArray file = f.settingsFile();
        QVERIFY(file.endsWith("\r\n0\r\n[Answer Each Message]\r\nOn\r\n"));
        QCOMPARE(valueAfter(file, "[Interface Name]") + valueAfter(file, "[Show Transaction Count]"), QByteArray("West lab 1 "));
        QVERIFY(file.contains("[Start of Text]\r\n11\r\nx\r\n0"));
        QCOMPARE(control<QLineEdit>(d, "txtSTF(1)")->text() + control<QLineEdit>(d, "txtETF(2)")->text(), QStringLiteral("07"));
        QTRY_COMPARE(f.window->windowTitle(), QStringLiteral("West lab "));  // no count yet
        control<QPushButton>(d, "cmdExit")->click();
        QVERIFY(f.window->isEnabled());
    }

    // Moving into the data file field offers the chooser; the program's own
    // files are refused there, chosen or typed.
    void setupDataFileFieldOffersTheChooserAndRefusesProgramFiles()
    {
        StoppedFixture f;
        frmSetup &d = f.openSetup();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        control<QPushButton>(d, "cmdEdit")->click();
        f.port.chosenFiles = {QString(), f.file("chosen.txt"), f.file("corvconf.ini")};
        for (int tab = 1; tab <= 3; ++tab) {  // cancelled, chosen, refused
            control<QCheckBox>(d, "chkShowCount")->setFocus();
            QTest::keyClick(control<QCheckBox>(d, "chkShowCount"), Qt::Key_Tab);
            QCOMPARE(f.port.choosers, tab);
            QCOMPARE(control<QLineEdit>(d, "txtLogfileLocation")->text(), tab == 1 ? f.dataPath() : f.file("chosen.txt"));
        }
        const QByteArray before = f.settingsFile();
        control<QLineEdit>(d, "txtLogfileLocation")->setText(f.file("ifreport.txt"));
        control<QPushButton>(d, "cmdSave")->click();
        QCOMPARE(f.port.boxes, QStringList(2, kLogfileNotOpened));
        QCOMPARE(f.settingsFile(), before);
    }

    // What the operator reads: no frame's caption over what the frame holds,
    // a status text too long for its box whole in the tooltip, and disabled
    // settings in both windows at AA contrast, on a background of their own.
    void textsStayReadable()
    {
        WindowFixture f;
        QVERIFY(f.startAndConnect());
        f.window->show();
        for (QGroupBox *frame : f.window->findChildren<QGroupBox *>()) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            const QRect caption = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
            for (QWidget *inside : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                QVERIFY2(!inside->isVisible() || !caption.intersects(inside->geometry()), qPrintable(inside->objectName()));
        }
        f.sender.socket.disconnectFromHost();
        QLineEdit *status = control<QLineEdit>(*f.window, "txtInterfaceStatus");
        QTRY_COMPARE(status->toolTip(), QStringLiteral("Interface Status\nConnection closed.Waiting for reconnect."));
        QVERIFY(status->fontMetrics().horizontalAdvance(status->text()) > status->contentsRect().width());
        control<QPushButton>(*f.window, "cmdStop")->click();
        control<QAction>(*f.window, "mnuOptionsSetup")->trigger();  // the main window is disabled meanwhile
        frmSetup &d = f.seam().setup();
        for (QWidget *shown : {control<QWidget>(*f.window, "txtRemotePort"), control<QWidget>(*f.window, "lblRemotePort"),
                               control<QWidget>(d, "txtInterfaceName"), control<QWidget>(d, "chkShowCount")}) {
            const bool box = qobject_cast<QLineEdit *>(shown);
            const QPalette::ColorRole text = box ? QPalette::Text : QPalette::WindowText, back = box ? QPalette::Base : QPalette::Window;
            const QPalette &p = shown->palette();
            QVERIFY2(!shown->isEnabled() && contrast(p.color(QPalette::Disabled, text), p.color(QPalette::Disabled, back)) >= 4.5,
                     qPrintable(shown->objectName()));
            QVERIFY(!box || p.color(QPalette::Disabled, back) != p.color(QPalette::Active, back));
        }
    }
};

QTEST_MAIN(Commands)
#include "tst_commands.moc"
