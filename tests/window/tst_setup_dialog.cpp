// The setup dialog: its states, saving the fields before the frame codes are
// tidied, discarding on Exit, and the file chooser.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "forms/program_files.h"
#include "forms/frm_setup.h"
#include "window_fixture.h"

namespace {

// Enabled state: the fields other than the data file field (1 all, 0 none,
// -1 some), the data file field, then Edit, Save and Exit.
QList<int> dialogState(const frmSetup &d)
{
    QList<QWidget *> fields = {d.txtInterfaceName, d.chkShowCount, d.txtAckBeforeDate, d.txtAckAfterDate, d.txtMSASegment};
    for (int i = 0; i < 5; ++i)
        fields << d.txtSTF[i] << d.txtETF[i];
    const qsizetype enabled = std::count_if(fields.begin(), fields.end(), [](QWidget *w) { return w->isEnabled(); });
    return {enabled == fields.size() ? 1 : enabled == 0 ? 0 : -1, d.txtLogfileLocation->isEnabled(),
            d.cmdEdit->isEnabled(), d.cmdSave->isEnabled(), d.cmdExit->isEnabled()};
}

const QList<int> kViewing = {0, 0, 1, 0, 1};
const QList<int> kEditing = {1, 1, 0, 1, 1};
const QList<int> kSaved = {0, 0, 0, 0, 1};
const QList<int> kRecovery = {0, 1, 1, 1, 1};

struct SetupFixture : ListeningFixture {
    frmSetup &open()
    {
        writeSettings(settingsFor({{"[AutoStart]", "Off"}, {"[Interface Name]", "Lab"}}, 2575));
        if (!load())
            qFatal("start-up ended");
        control<QAction>(*window, "mnuOptionsSetup")->trigger();
        return InterfaceSeam(*window).setup();
    }
};

}  // namespace

class SetupDialog : public QObject {
    Q_OBJECT
private slots:
    void opensShowingTheSettingsForViewing()
    {
        SetupFixture f;
        frmSetup &d = f.open();
        QVERIFY(d.isVisible());
        QCOMPARE(d.windowTitle(), QStringLiteral("Setup"));
        QCOMPARE(dialogState(d), kViewing);
        QCOMPARE(d.txtInterfaceName->text(), QStringLiteral("Lab"));
        QCOMPARE(d.txtAckAfterDate->text(), QStringLiteral("||ACK|||||||||"));
        QCOMPARE(d.txtETF[1]->text(), QStringLiteral("13"));
        QCOMPARE(d.txtLogfileLocation->text(), f.dataPath());
    }

    void editAndSaveStoresTheFieldsAndRetitles()
    {
        SetupFixture f;
        frmSetup &d = f.open();
        d.cmdEdit->click();
        QCOMPARE(dialogState(d), kEditing);
        d.txtInterfaceName->setText(QStringLiteral("West lab"));
        d.chkShowCount->setChecked(true);
        d.txtMSASegment->setText(QStringLiteral("|AE|x"));
        d.cmdSave->click();
        QCOMPARE(dialogState(d), kSaved);
        QCOMPARE(f.settingsFile(), f.settingsFor({{"[AutoStart]", "Off"},
                                                  {"[Interface Name]", "West lab"},
                                                  {"[Show Transaction Count]", " 1 "},
                                                  {"[MSA Segment]", "|AE|x"}},
                                                 2575));
        QTRY_COMPARE(f.window->windowTitle(), QStringLiteral("West lab "));  // the name, a blank and the (empty) count
        QVERIFY(f.port.boxes.isEmpty());
    }

    void frameCodeIsSavedAsTypedThenTidied()
    {
        SetupFixture f;
        frmSetup &d = f.open();
        d.cmdEdit->click();
        d.txtSTF[1]->setText(QStringLiteral("x"));
        d.txtETF[2]->setText(QStringLiteral("7"));
        d.cmdSave->click();
        QVERIFY(f.settingsFile().contains("[Start of Text]\r\n11\r\nx\r\n0"));
        QCOMPARE(d.txtSTF[1]->text(), QStringLiteral("0"));
        QCOMPARE(d.txtETF[2]->text(), QStringLiteral("7"));

        // The next start brings the "x" back.
        WindowFixture next;
        writeBytes(next.file("corvconf.ini"), f.settingsFile());
        QVERIFY(next.load());
        QCOMPARE(InterfaceSeam(*next.window).setup().txtSTF[1]->text(), QStringLiteral("x"));
    }

    void exitOrTheCloseBoxDiscardsUnsavedEdits()
    {
        SetupFixture f;
        const QByteArray before = [&] { f.open(); return f.settingsFile(); }();
        for (const bool closeBox : {false, true}) {
            frmSetup &d = InterfaceSeam(*f.window).setup();
            d.cmdEdit->click();
            d.txtInterfaceName->setText(QStringLiteral("Never saved"));
            if (closeBox)
                d.close();
            else
                d.cmdExit->click();
            QVERIFY(f.window->isEnabled());
            QVERIFY(!InterfaceSeam(*f.window).setupExists());
            control<QAction>(*f.window, "mnuOptionsSetup")->trigger();
        }
        QCOMPARE(f.settingsFile(), before);
        QCOMPARE(InterfaceSeam(*f.window).setup().txtInterfaceName->text(), QStringLiteral("Lab"));
        QCOMPARE(dialogState(InterfaceSeam(*f.window).setup()), kViewing);
    }

    void tabbingIntoTheDataFileFieldOffersTheChooser()
    {
        SetupFixture f;
        frmSetup &d = f.open();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.cmdEdit->click();
        d.chkShowCount->setFocus();
        QTest::keyClick(d.chkShowCount, Qt::Key_Tab);  // cancelled: nothing chosen yet
        QCOMPARE(f.port.choosers, 1);
        QCOMPARE(d.txtLogfileLocation->text(), f.dataPath());

        f.port.chosenFiles = {f.file("chosen.txt")};
        d.chkShowCount->setFocus();
        QTest::keyClick(d.chkShowCount, Qt::Key_Tab);
        QCOMPARE(f.port.choosers, 2);
        QCOMPARE(d.txtLogfileLocation->text(), f.file("chosen.txt"));
    }

    // The program's own files are refused as the data file, chosen or typed.
    void programFilesAreRefusedAsTheDataFile()
    {
        SetupFixture f;
        frmSetup &d = f.open();
        const QByteArray before = f.settingsFile();
        d.cmdEdit->click();
        f.port.chosenFiles = {f.file("corvconf.ini")};
        d.txtLogfileLocation_GotFocus();
        QCOMPARE(d.txtLogfileLocation->text(), f.dataPath());
        d.txtLogfileLocation->setText(f.file("ifreport.txt"));
        d.cmdSave->click();
        QCOMPARE(f.port.boxTexts(), QStringList(2, kDataFileNotOpened));
        QCOMPARE(f.settingsFile(), before);
        QCOMPARE(dialogState(d), kEditing);
    }

    void recoveryEntryThenSaveTakesTheNewPath()
    {
        ListeningFixture f;
        f.port.chosenFiles = {f.file("recovered.txt")};
        f.writeSettings(f.settingsFor({{"[AutoStart]", "Off"}, {"[Logfile Location]", f.file("gone/data.txt").toLatin1()}},
                                      freePort()));
        QVERIFY(f.load());
        control<QPushButton>(*f.window, "cmdStart")->click();  // the data file cannot be opened
        frmSetup &d = InterfaceSeam(*f.window).setup();
        QCOMPARE(dialogState(d), kRecovery);
        QVERIFY(!f.window->isEnabled());
        d.cmdSave->click();
        QVERIFY(f.settingsFile().contains("[Logfile Location]\r\n" + f.file("recovered.txt").toLatin1() + "\r\n"));
        d.cmdExit->click();
        QVERIFY(f.window->isEnabled());
        control<QPushButton>(*f.window, "cmdStop")->click();
        control<QPushButton>(*f.window, "cmdStart")->click();
        QCOMPARE(control<QLabel>(*f.window, "lblDataFile")->text(), QStringLiteral("open"));
        QVERIFY(QFile::exists(f.file("recovered.txt")));
    }
};

QTEST_MAIN(SetupDialog)
#include "tst_setup_dialog.moc"
