// Arrivals over real loopback sockets: the acknowledgement on the wire, the
// data file, the list and the count, and each failure course.
#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

#include "forms/program_files.h"
#include "forms/frm_setup.h"
#include "widgets/received_data_model.h"
#include "window_fixture.h"

namespace {

const QByteArray kDefaultAck = QByteArray("\x0bMSH|||||200503050907||ACK|||||||||\rMSA|AA||||||\x1c\r");
const QByteArray kMessage = QByteArray("\x0bMSH|^~\\&|LAB|WEST|||200503050907||ADT^A01|1|P|2.3\rPID|1||4711\x1c\r");

}  // namespace

class Reception : public QObject {
    Q_OBJECT
private slots:
    void everyArrivalIsStoredExactlyAndAnswered()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        QByteArray everyByte;
        for (int b = 255; b >= 0; --b)
            everyByte += char(b);
        const QList<QByteArray> arrivals = {kMessage, everyByte, "junk\x0bMSH|one\x1c\r\x0bMSH|two\x1c\r"};
        QByteArray stored;
        for (const QByteArray &arrival : arrivals) {
            QCOMPARE(sender.exchange(arrival, kDefaultAck.size()), kDefaultAck);
            stored += arrival + "\r\n";  // a framed message's line ends 28, 13, 13, 10
        }
        QCOMPARE(f.dataFile(), stored);
        frmInterface &w = *f.window;
        QCOMPARE(w.findChild<ReceivedDataModel *>()->arrival(1).bytes, everyByte);
        QTRY_COMPARE(control<QLineEdit>(w, "txtItemCount")->text(), QStringLiteral("3"));  // the boxes follow within a frame
        QCOMPARE(control<QLineEdit>(w, "txtDateTime")->text(), QStringLiteral("200503050907"));
        QCOMPARE(control<QLineEdit>(w, "txtSendData")->text(), QStringLiteral("<VT>MSH|||||200503050907||ACK|||||||||<CR>MSA|AA||||||<FS><CR>"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Interface"));  // the count is not shown
        QTRY_COMPARE(InterfaceSeam(w).shownPicture(), Picture::Connect);  // the flash ends connected
    }

    void largeArrivalIsStoredWhole()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        const QByteArray big = "\x0b" + QByteArray(1024 * 1024, 'x') + "\x1c\r";
        sender.send(big);
        // However the network cut it, every piece is a line and an answer.
        QTRY_VERIFY(f.dataFile().size() >= big.size());
        QTRY_COMPARE(sender.received.size(), control<QLineEdit>(*f.window, "txtItemCount")->text().toLongLong() * kDefaultAck.size());
        QCOMPARE(QByteArray(f.dataFile()).replace("\r\n", ""), big);
    }

    void frameCodesAsTheyStandShapeTheAnswer()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        frmSetup &setup = InterfaceSeam(*f.window).setup();
        const QStringList start = {"00", "11.9", "0", " 255 ", "0"};  // as typed in the open dialog, not yet saved
        for (int i = 0; i < 5; ++i) {
            setup.txtSTF[i]->setText(start[i]);
            setup.txtETF[i]->setText(QStringLiteral("0"));
        }
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        const QByteArray body = "MSH|||||200503050907||ACK|||||||||\rMSA|AA||||||";
        QCOMPARE(sender.exchange("MSH|x", 3 + body.size()), QByteArray("\0\x0b\xff", 3) + body);
        setup.txtETF[2]->setText(QStringLiteral("10"));  // changed between two arrivals
        QCOMPARE(sender.exchange("MSH|y", 4 + body.size()), QByteArray("\0\x0b\xff", 3) + body + "\n");
    }

    void failureAfterStoringRestartsWithoutAnswer_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<bool>("outOfMemory");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("frame code a letter") << QByteArray("x") << false << QList<QByteArray>{" 13 ", "Type mismatch"};
        QTest::newRow("frame code above 255") << QByteArray("300") << false
                                              << QList<QByteArray>{" 5 ", "Invalid procedure call or argument"};
        QTest::newRow("out of memory") << QByteArray("0") << true << QList<QByteArray>{" 7 ", "Out of memory"};
    }
    void failureAfterStoringRestartsWithoutAnswer()
    {
        QFETCH(QByteArray, code);
        QFETCH(bool, outOfMemory);
        QFETCH(QList<QByteArray>, lines);
        ListeningFixture f;
        QVERIFY(f.startListening());
        InterfaceSeam(*f.window).setup().txtETF[2]->setText(QString::fromLatin1(code));
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        QTRY_VERIFY(InterfaceSeam(*f.window).sockets().exists(1));
        f.port.outOfMemoryAtNextClock = outOfMemory;  // the answer's stamp
        sender.send("MSH|stored, not answered");
        QVERIFY(sender.waitUntilDropped());
        QCOMPARE(sender.received, QByteArray());
        QCOMPARE(f.dataFile(), QByteArray("MSH|stored, not answered\r\n"));
        QCOMPARE(f.reportLines(3), QList<QByteArray>({"Error in Winsock_DataArrival.", lines[0], lines[1],
                                                      "200503050907Stop requested.",
                                                      "200503050907Connection was stopped.",
                                                      "200503050907Start requested."}));
        QCOMPARE(InterfaceSeam(*f.window).sockets().state(0), SocketSet::State::Listening);
    }

    void tenWritesCloseTheFileAndTheEleventhReopensIt()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        frmInterface &w = *f.window;
        for (int i = 1; i <= 11; ++i) {
            QCOMPARE(sender.exchange("MSH|" + QByteArray::number(i), kDefaultAck.size()), kDefaultAck);
            QCOMPARE(control<QLabel>(w, "lblFileCounter")->text(), QString::number(i == 11 ? 1 : i));
            QCOMPARE(control<QLabel>(w, "lblDataFile")->text(), i == 10 ? QStringLiteral("closed") : QStringLiteral("open"));
        }
        QCOMPARE(f.dataFile().count("\r\n"), 11);
    }

    void countContinuesAcrossStopAndStartAndShowsInTheCaption()
    {
        ListeningFixture f;
        QVERIFY(f.startListening({{"[Show Transaction Count]", "1"}, {"[Interface Name]", "Lab"}}));
        frmInterface &w = *f.window;
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        for (int i = 0; i < 3; ++i)
            sender.exchange("MSH|x", kDefaultAck.size());
        QTRY_COMPARE(w.windowTitle(), QStringLiteral("Lab 3"));
        control<QPushButton>(w, "cmdStop")->click();
        control<QPushButton>(w, "cmdStart")->click();
        QCOMPARE(control<QLineEdit>(w, "txtItemCount")->text(), QStringLiteral("0"));
        Sender again;
        QVERIFY(again.connectTo(f.listenPort));
        again.exchange("MSH|x", kDefaultAck.size());
        QTRY_COMPARE(w.windowTitle(), QStringLiteral("Lab 4"));
        QCOMPARE(control<QLineEdit>(w, "txtItemCount")->text(), QStringLiteral("4"));
    }

    void countOverflowRestartsTheProgramWithoutStoring()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        InterfaceSeam(*f.window).setCounters(std::numeric_limits<qint32>::max(), 7);
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        sender.send("MSH|one too many");
        QTRY_COMPARE(f.port.boxes.size(), 2);
        QCOMPARE(f.port.boxes[0].text, QStringLiteral("An overflow error occurred.\r\nThe integers and longs were saved.\r\n"
                                                      "The program will be restarted."));
        // Start-up ran again and, with automatic start on, was refused by the listening socket 0.
        QCOMPARE(f.port.boxes[1].text,
                 QStringLiteral("Error in Form_Load.\r\nError number 40020\r\nPlease report this error."));
        QCOMPARE(f.reportLines(3), QList<QByteArray>({"Index is  1 ", "intFileCheckCounter is  0 ",
                                                      "lngTempCounter is  7 ", "lngItemCount is  2147483647 ",
                                                      "200503050907Program started.", "200503050907Start requested."}));
        QCOMPARE(f.dataFile(), QByteArray());
        QCOMPARE(sender.received, QByteArray());
        QCOMPARE(f.window->findChild<ReceivedDataModel *>()->rowCount(), 0);  // start-up emptied the list
    }

    void dataFileThatCannotBeOpenedOffersTheChooserAndNeverAnswers()
    {
        ListeningFixture f;
        f.port.chosenFiles = {f.file("chosen.txt")};
        f.listenPort = freePort();
        f.writeSettings(f.settingsFor({{"[Logfile Location]", f.file("no/such/dir/data.txt").toLatin1()},
                                       {"[Interface Name]", "Lab"}},
                                      f.listenPort));
        QVERIFY(f.load());
        const QString box = QStringLiteral("The logfile could not be opened.\r\nVerify that the name is correct.");
        QCOMPARE(f.port.boxTexts(), QStringList{box});
        QCOMPARE(f.port.boxes[0].title, QStringLiteral("Lab"));
        frmSetup &setup = InterfaceSeam(*f.window).setup();
        QVERIFY(!f.window->isEnabled());
        QVERIFY(setup.isVisible() && setup.txtLogfileLocation->isEnabled() && setup.cmdSave->isEnabled());
        QCOMPARE(setup.txtLogfileLocation->text(), f.file("chosen.txt"));
        QCOMPARE(InterfaceSeam(*f.window).sockets().state(0), SocketSet::State::Listening);  // the start went on

        // Until the new path is saved, an arrival cannot be stored: it is not answered.
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        sender.send("MSH|nowhere to go");
        QVERIFY(sender.waitUntilDropped());
        QCOMPARE(sender.received, QByteArray());
        QCOMPARE(f.port.boxTexts().count(box), 3);  // the arrival's open, then the restart's
        QCOMPARE(f.reportLines().mid(3, 3), QList<QByteArray>({"Error in Winsock_DataArrival.", " 76 ", "Path not found"}));
        QCOMPARE(setup.txtLogfileLocation->text(), f.file("chosen.txt"));  // kept after later cancels
    }

    // While the box of an arrival waits for the operator, 200 senders connect
    // and send, each replacing the one before: nothing is handled until the
    // box is dismissed, and each sender is answered for its own arrival only.
    void oneSocketEventAtATime()
    {
        ListeningFixture f;
        const QString folder = f.file("later");
        QVERIFY(f.startListening({{"[Logfile Location]", (folder + "/data.txt").toLatin1()}}));
        Sender first;
        std::vector<std::unique_ptr<Sender>> others;
        f.port.whileBoxIsUp = [&] {
            for (int i = 0; i < 200; ++i) {
                others.push_back(std::make_unique<Sender>());
                others.back()->socket.connectToHost(QHostAddress::LocalHost, f.listenPort);
            }
            QVERIFY(QTest::qWaitFor([&] {
                return std::all_of(others.begin(), others.end(), [](const auto &sender) {
                    return sender->socket.state() == QAbstractSocket::ConnectedState;
                });
            }));
            for (auto &sender : others)
                sender->send("MSH|later");
            QCoreApplication::processEvents();
            QVERIFY(QDir().mkdir(folder));  // the operator makes the folder, then dismisses the box
        };
        const qsizetype boxesBefore = f.port.boxes.size();
        QVERIFY(first.connectTo(f.listenPort));
        first.send("MSH|first");
        QVERIFY(first.waitForBytes(kDefaultAck.size()));
        QCOMPARE(f.port.boxes.size(), boxesBefore + 1);
        QCOMPARE(f.port.mostOpenBoxes, 1);
        QVERIFY(others.back()->waitForBytes(kDefaultAck.size()));
        QCOMPARE(readBytes(folder + "/data.txt"), QByteArray("MSH|first\r\nMSH|later\r\n"));
        QCOMPARE(first.received, kDefaultAck);
        for (const auto &sender : others)
            QCOMPARE(sender->received, sender == others.back() ? kDefaultAck : QByteArray());
    }

    void dataFileThatMayNotBeUsedIsRefused_data()
    {
        QTest::addColumn<QString>("name");  // in the program's directory
        QTest::addColumn<QString>("kind");
        QTest::newRow("the settings file") << "corvconf.ini" << "";
        QTest::newRow("the report file") << "ifreport.txt" << "";
        QTest::newRow("the error file, not made yet") << "iferrors.txt" << "";
        QTest::newRow("a link to the settings file") << "link.txt" << "link";
        QTest::newRow("a FIFO") << "fifo" << "fifo";
    }
    void dataFileThatMayNotBeUsedIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        ListeningFixture f;
        const QString path = f.dir.filePath(name);
        if (kind == "link")
            QVERIFY(QFile::link(f.file("corvconf.ini"), path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QVERIFY(f.startListening({{"[Logfile Location]", path.toLatin1()}}));
        QCOMPARE(f.port.boxTexts(), QStringList{kDataFileNotOpened});
        const QByteArray settings = f.settingsFile();
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        sender.send("MSH|refused");
        QVERIFY(sender.waitUntilDropped());
        QCOMPARE(sender.received, QByteArray());
        QCOMPARE(f.settingsFile(), settings);
        QVERIFY(!f.reportFile().contains("MSH|refused") && !readBytes(f.file("iferrors.txt")).contains("MSH|refused"));
    }

    void dataFileOnAFullDeviceIsNeverAnswered()
    {
        ListeningFixture f;
        QVERIFY(f.startListening({{"[Logfile Location]", "/dev/full"}}));
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        sender.send("MSH|lost to a full disk");
        QVERIFY(sender.waitUntilDropped());
        QCOMPARE(sender.received, QByteArray());
        QCOMPARE(f.reportLines(3).mid(0, 3), QList<QByteArray>({"Error in Winsock_DataArrival.", " 61 ", "Disk full"}));
    }

    void flashShowsDataInThenOutThenConnected()
    {
        WindowFixture f;
        frmInterface &w = *f.window;
        InterfaceSeam seam(w);
        control<QTimer>(w, "tmrFlash")->setInterval(60 * 60 * 1000);  // ticks by hand only
        seam.startFlash();
        QList<Picture> seen{seam.shownPicture()};
        for (int tick = 1; tick <= 20; ++tick) {
            w.tmrFlash_Timer();
            seen << seam.shownPicture();
        }
        QCOMPARE(seen.indexOf(Picture::DataOut), 10);
        QCOMPARE(seen.indexOf(Picture::Connect), 20);
        QCOMPARE(seen.count(Picture::DataIn), 10);
        QVERIFY(!control<QTimer>(w, "tmrFlash")->isActive());
        seam.startFlash();
        w.tmrFlash_Timer();
        seam.showPicture(Picture::NoConnect);  // a close during the flash
        seam.startFlash();                     // a second arrival starts it again
        for (int tick = 0; tick < 20; ++tick)
            w.tmrFlash_Timer();
        QCOMPARE(seam.shownPicture(), Picture::Connect);
    }
};

QTEST_MAIN(Reception)
#include "tst_reception.moc"
