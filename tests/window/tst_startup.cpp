// Start-up: reading, repairing and rewriting the settings file, and long
// values from it under the typing limit.
#include <QtTest>

#include <QClipboard>
#include <QLineEdit>

#include <sys/stat.h>

#include "forms/frm_setup.h"
#include "window_fixture.h"

namespace {

const QString kSaved = QStringLiteral("The CORVCONF.INI file has been updated and saved.");
const QString kFileError = QStringLiteral(
    "The file CORVCONF.INI was not\r\nfound in the default directory\r\nor contains errors.\r\nDo you wish to fix the file?");

}  // namespace

class Startup : public QObject {
    Q_OBJECT
private slots:
    void firstStartAsksThenWritesDefaults()
    {
        WindowFixture f;
        f.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(f.load());
        QCOMPARE(f.port.boxes, QStringList({kFileError, kSaved}));  // told once, though written twice
        QCOMPARE(f.port.defaults[0], OperatorPort::Default::Second);
        QCOMPARE(f.settingsFile(), settingsWith({}));
        QCOMPARE(f.reportLines(), QList<QByteArray>{"200503050907Program started."});
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Interface"));

        WindowFixture refused;
        QVERIFY(!refused.load());  // the script answers No: the program ends at once
        QCOMPARE(refused.port.boxes, QStringList{kFileError});
        QVERIFY(!QFile::exists(refused.file("corvconf.ini")));
    }

    void repairs_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QByteArray>("header");  // and its value in the rewritten file
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("empty") << QByteArray() << QStringList{kSaved} << QByteArray("[Interface Name]")
                               << QByteArray("Interface");
        QTest::newRow("blank remote IP: told, the box's text written")
            << settingsWith({{"[RemoteIP]", ""}}) << QStringList{kSaved} << QByteArray("[RemoteIP]") << QByteArray("IP Address");
        QTest::newRow("header as the last line: asks, keeps what was read")
            << crlfLines({"[Port]", "2575", "[Interface Name]"}) << QStringList{kFileError, kSaved} << QByteArray("[Port]")
            << QByteArray("2575");
        QTest::newRow("over a megabyte: asks, keeps what was read")
            << settingsWith({{"[Port]", "2575"}}) + QByteArray(2 * 1024 * 1024, '\n') << QStringList{kFileError} << QByteArray("[Port]") << QByteArray("2575");
    }
    void repairs()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, boxes);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, value);
        WindowFixture f;
        f.writeSettings(content);
        f.port.answers = {OperatorPort::Answer::Yes};
        QVERIFY(f.load());
        QCOMPARE(f.port.boxes, boxes);
        QCOMPARE(valueAfter(f.settingsFile(), header), value);
        QCOMPARE(f.settingsFile().count('\n'), 41);  // rewritten in its canonical form
    }

    // A FIFO (which must not hang the start) or a folder as the settings file.
    void settingsFileThatIsNoFileEndsTheProgram()
    {
        for (const bool fifo : {true, false}) {
            WindowFixture f;
            QVERIFY(fifo ? ::mkfifo(QFile::encodeName(f.file("corvconf.ini")).constData(), 0600) == 0
                         : QDir(f.dir.path()).mkdir(QStringLiteral("corvconf.ini")));
            f.port.answers = {OperatorPort::Answer::Yes};
            QVERIFY(!f.load());
            QCOMPARE(f.port.boxes, QStringList({kFileError, QStringLiteral("The CORVCONF.INI file could not be opened.")}));
        }
    }

    // Values of any length (beyond a text box's usual 32,767 characters too)
    // are rewritten whole; typing and pasting stop at a field's limit.
    void longValuesFromTheFileStayWholeWhileTypingIsLimited()
    {
        WindowFixture f;
        const QByteArray settings = settingsWith({{"[Interface Name]", "Twenty-two characters"}, {"[Start of Text]", "110"},
                                                  {"[MSH before date]", QByteArray(40000, '|')}, {"[Port]", "2575" + QByteArray(40000, ' ')}});
        f.writeSettings(settings);
        QVERIFY(f.load());
        QCOMPARE(f.settingsFile(), settings);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Twenty-two characters"));
        QLineEdit *name = control<QLineEdit>(f.seam().setup(), "txtInterfaceName"), *code = control<QLineEdit>(f.seam().setup(), "txtSTF(0)");
        name->setEnabled(true);
        code->setEnabled(true);
        name->setText(QStringLiteral("Seventeen chars.."));
        QTest::keyClicks(name, QStringLiteral("xyz"));
        QCOMPARE(name->text(), QStringLiteral("Seventeen chars..x"));
        QGuiApplication::clipboard()->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
        name->setSelection(0, 5);  // "Seven" is replaced by what fits
        name->paste();
        QCOMPARE(name->text(), QStringLiteral("ABCDEteen chars..x"));
        code->end(false);
        QTest::keyClick(code, Qt::Key_Backspace);  // shortening a long value is allowed
        QTest::keyClicks(code, QStringLiteral("5"));
        QCOMPARE(code->text(), QStringLiteral("11"));
    }
};

QTEST_MAIN(Startup)
#include "tst_startup.moc"
