// Arrivals over real loopback sockets: the acknowledgement on the wire, the
// data file, the list and the count, each failure course, and what the
// operator sees of them.
#include <QtTest>

#include <QTabWidget>
#include <QTableView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <sys/stat.h>

#include "forms/frm_setup.h"
#include "platform/file_channel.h"
#include "widgets/qt_operator_port.h"
#include "widgets/arrival_lines.h"
#include "widgets/arrival_viewer.h"
#include "widgets/paced_texts.h"
#include "feed/receive_area.h"
#include "feed/received_data_model.h"
#include "widgets/received_data_view.h"
#include "window_fixture.h"

namespace {

const QByteArray kDefaultAck = QByteArray("\x0bMSH|^~\\&|||||200503050907||ACK|||||||||\rMSA|AA||||||\x1c\r");

// The report's record of a failed arrival, after which the listener starts over.
QList<QByteArray> failedArrival(int number, const char *description)
{
    return {"Error in Winsock_DataArrival.", ' ' + QByteArray::number(number) + ' ', description, "200503050907Stop requested.",
            "200503050907Connection was stopped.", "200503050907Start requested."};
}

}  // namespace

class Reception : public QObject {
    Q_OBJECT
private slots:
    // Each arrival is one line and one answer; every ten lines the data file is closed.
    void everyArrivalIsStoredExactlyAndAnswered()
    {
        WindowFixture f;
        QVERIFY(f.startAndConnect());
        QByteArray everyByte, stored;
        for (int b = 255; b >= 0; --b)
            everyByte += char(b);
        const frmInterface &w = *f.window;
        for (int i = 1; i <= 11; ++i) {
            const QByteArray arrival = i == 1 ? everyByte : i == 2 ? "x\x0bMSH|1\x1c\r\x0bMSH|2\x1c\r" : "MSH|" + QByteArray::number(i);
            QCOMPARE(f.sender.exchange(arrival), kDefaultAck);
            stored += arrival + "\r\n";
            QCOMPARE(control<QLabel>(w, "lblFileCounter")->text(), QString::number(i == 11 ? 1 : i));
        }
        QCOMPARE(f.dataFile(), stored);
        QCOMPARE(w.findChild<ReceivedDataModel *>()->arrival(0).bytes, everyByte);
        QTRY_COMPARE(control<QLineEdit>(w, "txtItemCount")->text(), QStringLiteral("11"));  // within a paint interval
        QCOMPARE(control<QLineEdit>(w, "txtSendData")->text(),
                 QStringLiteral("<VT>MSH|^~\\&|||||200503050907||ACK|||||||||<CR>MSA|AA||||||<FS><CR>"));
        QTRY_COMPARE(f.seam().shownPicture(), Picture::Connect);  // the icon's flash ends
        frmSetup &setup = f.seam().setup();  // an answer after a setup save follows it
        control<QPushButton>(setup, "cmdEdit")->click();
        control<QLineEdit>(setup, "txtMSASegment")->setText(QStringLiteral("|AE|"));
        control<QPushButton>(setup, "cmdSave")->click();
        QVERIFY(f.sender.exchange("MSH|12", kAckSize - 5).endsWith("\rMSA|AE|\x1c\r"));
    }

    // Message mode: each message answered with its id, however reads join or
    // split them; an ACK, outside bytes and a message cut short stored only.
    void messageModeAnswersEachMessageWithItsId()
    {
        WindowFixture f;
        QVERIFY(f.startAndConnect({{"[Answer Each Message]", "On"}}));
        const auto message = [](const QByteArray &type, const QByteArray &id) {
            return "\x0bMSH|^~\\&|A|B|C|D|2005||" + type + '|' + id + "|P|2.5\rPID|1\x1c\r";
        };
        const QByteArray third = message("ORU^R01", "3"), ack = message("ACK", "A9"), cut = message("ADT^A01", "4");
        const auto answered = [](const char *id) {
            return "\x0bMSH|^~\\&|||||200503050907||ACK|||||||||\rMSA|AA|" + QByteArray(id) + "|||||\x1c\r";
        };
        QCOMPARE(f.sender.exchange(message("ADT^A01", "1") + message("ADT^A01", "22") + "stray" + third.first(30),
                                   2 * kAckSize + 3),
                 answered("1") + answered("22"));
        f.sender.send(third.sliced(30) + ack);
        QTRY_COMPARE(f.sender.received, answered("3"));
        f.sender.send(cut.first(20));
        f.sender.socket.disconnectFromHost();
        QTRY_COMPARE(f.window->findChild<ReceivedDataModel *>()->rowCount(), 6);
        QCOMPARE(f.dataFile(), crlfLines({message("ADT^A01", "1"), message("ADT^A01", "22"), "stray", third, ack, cut.first(20)}));
        QCOMPARE(f.sender.received, answered("3"));
    }

    void failureEndsTheArrivalWithoutAnswer_data()
    {
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<bool>("outOfMemory");  // at the answer's stamp
        QTest::addColumn<QList<QByteArray>>("report");
        QTest::addColumn<bool>("stored");
        QTest::newRow("frame code a letter") << Changes{{"[End of Text]", "x"}} << false << failedArrival(13, "Type mismatch")
                                             << true;
        QTest::newRow("out of memory") << Changes{} << true << failedArrival(7, "Out of memory") << true;
        QTest::newRow("data file on a full device") << Changes{{"[Logfile Location]", "/dev/full"}} << false
                                                    << failedArrival(61, "Disk full") << false;
    }
    void failureEndsTheArrivalWithoutAnswer()
    {
        QFETCH(Changes, changes);
        QFETCH(bool, outOfMemory);
        QFETCH(QList<QByteArray>, report);
        QFETCH(bool, stored);
        WindowFixture f;
        QVERIFY(f.startAndConnect(changes));
        f.port.outOfMemoryAtClock = outOfMemory ? 2 : 0;  // the row's time, then the answer's stamp
        f.sender.send("MSH|not answered");
        QVERIFY(f.sender.waitUntilDropped());
        QCOMPARE(f.sender.received, QByteArray());
        QCOMPARE(f.dataFile(), stored ? QByteArray("MSH|not answered\r\n") : QByteArray());
        QCOMPARE(f.reportLines(3), report);
        QCOMPARE(f.seam().sockets().state(0), SocketSet::State::Listening);
    }

    // The count goes on across a stop and a start, and shows in the caption;
    // at its limit the program starts again without storing.
    void countAndItsOverflow()
    {
        WindowFixture f;
        QVERIFY(f.startAndConnect({{"[Show Transaction Count]", "1"}, {"[Interface Name]", "Lab"}}));
        frmInterface &w = *f.window;
        QCOMPARE(f.sender.exchange("MSH|1"), kDefaultAck);
        control<QPushButton>(w, "cmdStop")->click();
        control<QPushButton>(w, "cmdStart")->click();
        QCOMPARE(control<QLineEdit>(w, "txtItemCount")->text(), QStringLiteral("0"));
        Sender again;
        QVERIFY(again.connectTo(f.listenPort));
        QCOMPARE(again.exchange("MSH|2"), kDefaultAck);
        QTRY_COMPARE(w.windowTitle(), QStringLiteral("Lab 2"));

        f.seam().setCounters(std::numeric_limits<qint32>::max(), 7);
        again.send("MSH|one too many");
        QTRY_COMPARE(f.port.boxes.size(), 2);
        QVERIFY(f.port.boxes[0].startsWith(QStringLiteral("An overflow error occurred.")));
        // Start-up ran again; automatic start was refused by the listening socket 0.
        QCOMPARE(f.port.boxes[1], QStringLiteral("Error in Form_Load.\r\nError number 40020\r\nPlease report this error."));
        QVERIFY(f.reportLines().contains("lngItemCount is  2147483647 "));  // the counters are saved
        QCOMPARE(f.dataFile().count("\r\n"), 2);
        QCOMPARE(again.received, QByteArray());
        QCOMPARE(w.findChild<ReceivedDataModel *>()->rowCount(), 0);  // start-up emptied the list
        QCOMPARE(again.exchange("MSH|3"), kDefaultAck);  // socket 0 and the connection were kept, started
        QVERIFY(control<QPushButton>(w, "cmdStop")->isEnabled());
    }

    // While the box of an arrival waits for the operator, 200 senders connect
    // and send, each replacing the one before: nothing is handled until the
    // box is dismissed, and each sender is answered for its own arrival only.
    void oneSocketEventAtATime()
    {
        WindowFixture f;
        const QString folder = f.file("later");
        QVERIFY(f.startListening({{"[Logfile Location]", (folder + "/data.txt").toLatin1()}}));
        std::vector<std::unique_ptr<Sender>> others(200);
        f.port.whileBoxIsUp = [&] {
            for (auto &sender : others) {
                sender = std::make_unique<Sender>();
                sender->socket.connectToHost(QHostAddress::LocalHost, f.listenPort);
            }
            QVERIFY(QTest::qWaitFor([&] {
                return std::all_of(others.begin(), others.end(),
                                   [](const auto &s) { return s->socket.state() == QAbstractSocket::ConnectedState; });
            }));
            for (auto &sender : others)
                sender->send("MSH|later");
            QCoreApplication::processEvents();
            QVERIFY(QDir().mkdir(folder));  // the operator makes the folder, then dismisses the box
        };
        QCOMPARE(f.sender.connectTo(f.listenPort) && f.sender.exchange("MSH|first") == kDefaultAck, true);
        QCOMPARE(f.port.mostOpenBoxes, 1);
        QTRY_COMPARE(others.back()->received, kDefaultAck);
        QCOMPARE(readBytes(folder + "/data.txt"), QByteArray("MSH|first\r\nMSH|later\r\n"));
        for (const auto &sender : others)
            QCOMPARE(sender->received, sender == others.back() ? kDefaultAck : QByteArray());
    }

    // A data file that cannot be opened, or may not be used, is told about
    // and the file chooser offered; until another is saved, nothing is answered.
    void dataFileThatCannotBeUsed_data()
    {
        QTest::addColumn<QString>("name");  // in the program's directory
        QTest::newRow("in a missing folder") << "missing/data.txt";
        QTest::newRow("the settings file") << "corvconf.ini";
        QTest::newRow("the error file, not made yet") << "iferrors.txt";
        QTest::newRow("a link to the report file") << "link";
        QTest::newRow("a FIFO") << "fifo";
    }
    void dataFileThatCannotBeUsed()
    {
        QFETCH(QString, name);
        WindowFixture f;
        const QString path = f.dir.filePath(name);
        QVERIFY(name != "link" || QFile::link(f.file("ifreport.txt"), path));
        QVERIFY(name != "fifo" || ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        f.port.chosenFiles = {f.file("chosen.txt")};
        QVERIFY(f.startAndConnect({{"[Logfile Location]", path.toLatin1()}}));  // the start goes on
        QCOMPARE(f.port.boxes, QStringList{kLogfileNotOpened});
        frmSetup &setup = f.seam().setup();
        QVERIFY(!f.window->isEnabled() && setup.isVisible() && control<QPushButton>(setup, "cmdSave")->isEnabled());
        f.sender.send("MSH|refused");
        QVERIFY(f.sender.waitUntilDropped());
        QCOMPARE(f.sender.received, QByteArray());
        for (const char *own : {"corvconf.ini", "ifreport.txt", "iferrors.txt"})
            QVERIFY(!readBytes(f.file(own)).contains("MSH|refused"));
        QCOMPARE(control<QLineEdit>(setup, "txtLogfileLocation")->text(), f.file("chosen.txt"));  // kept after later cancels
        control<QPushButton>(setup, "cmdSave")->click();
        control<QPushButton>(setup, "cmdExit")->click();
        Sender again;
        QVERIFY(again.connectTo(f.listenPort));
        QCOMPARE(again.exchange("MSH|stored"), kDefaultAck);
        QCOMPARE(readBytes(f.file("chosen.txt")), QByteArray("MSH|stored\r\n"));
    }

    // The viewer: how the arrival reads, one segment a line, positions with
    // their HL7 names, hex, the field table, the shown text copied and the
    // exact bytes saved, but never over the program's own files; Escape closes it.
    void viewerShowsCopiesAndSavesTheArrival()
    {
        WindowFixture f;
        QVERIFY(f.startAndConnect());
        const QByteArray arrival = "\x0bMSH|^~\\&|\xe9\rPID|1||4711~4712^B||M\xc3\xbcller^Hans\x1c\r";
        QCOMPARE(f.sender.exchange(arrival), kDefaultAck);
        control<ReceivedDataView>(*f.window, "lvwReceiveData")->showRow(0);
        QPointer<ArrivalViewer> viewer;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *opened = qobject_cast<ArrivalViewer *>(window))
                viewer = opened;
        }
        QVERIFY(viewer && control<QLabel>(*viewer, "summary")->text().contains(u"read as mixed UTF-8 and ISO 8859-1"));
        const ArrivalLines *text = control<ArrivalLines>(*viewer, "text");
        const QString shown = QStringLiteral("<VT>MSH|^~\\&|\u00e9<CR>\nPID|1||4711~4712^B||M\u00fcller^Hans<FS><CR>");
        QCOMPARE(text->lineText(0) + u'\n' + text->lineText(1), shown);
        QCOMPARE(viewer->positionAt(arrival.indexOf("M\xc3")), QStringLiteral("PID-5.1 Patient Name, family name"));
        QCOMPARE(viewer->positionAt(arrival.indexOf("B|")), QStringLiteral("PID-3(2).2 Patient Identifier List, check digit"));
        QVERIFY(control<ArrivalLines>(*viewer, "hex")->lineText(0).startsWith(u"00000000  0b 4d 53 48 7c"));
        control<QTabWidget>(*viewer, "views")->setCurrentIndex(2);
        const QAbstractItemModel *table = control<QTableView>(*viewer, "table")->model();
        QCOMPARE(table->index(table->rowCount() - 1, 2).data().toString(), QStringLiteral("Patient Name, given name"));
        viewer->copyShownText();
        QCOMPARE(f.port.clipboard, shown);
        QVERIFY(viewer->saveTo(f.file("saved.hl7")));
        QCOMPARE(readBytes(f.file("saved.hl7")), arrival);
        for (const QString &own : {f.dataPath(), f.file("corvconf.ini"), f.file("ifreport.txt")}) {
            const QByteArray before = readBytes(own);
            QVERIFY(!viewer->saveTo(own));
            QCOMPARE(readBytes(own), before);
        }
        QVERIFY(!viewer->saveTo(f.file("no/such/dir/saved.hl7")));
        QTest::keyClick(viewer, Qt::Key_Escape);
        QTRY_VERIFY(!viewer);
    }

    void listFollowsNewRowsOnlyFromTheBottom()
    {
        ReceivedDataModel model;
        ScriptedPort port{QString()};
        ReceivedDataView view(port);
        view.setModel(&model);
        view.resize(400, 200);
        view.show();
        const auto append = [&](int count) {
            for (int i = 0; i < count; ++i)
                model.setRowArrival(model.appendEmptyRow({}), model.rowCount(), "row", {}, -1);
        };
        const auto lastRowInSight = [&] { return view.firstVisibleRow() + view.visibleRowCount() >= model.rowCount(); };
        append(200);
        QTRY_VERIFY(lastRowInSight());
        view.verticalScrollBar()->setValue(view.rowHeight() * 10);  // the operator looks at older rows
        append(50);
        QTRY_COMPARE(view.verticalScrollBar()->maximum(), model.rowCount() * view.rowHeight() - view.viewport()->height());
        QCOMPARE(view.firstVisibleRow(), 10);
        view.scrollToBottom();  // back at the bottom, it follows again
        append(5);
        QTRY_VERIFY(lastRowInSight());
    }

    void textsReachTheScreenOnceAFrameLatestFirst()
    {
        QLineEdit box;
        PacedTexts texts(10, nullptr);
        texts.show(&box, QStringLiteral("1"));
        texts.show(&box, QStringLiteral("2"));
        QCOMPARE(box.text() + texts.text(&box), QStringLiteral("2"));  // not yet shown, but known
        QTRY_COMPARE(box.text(), QStringLiteral("2"));
        texts.show(&box, QStringLiteral("12"));
        texts.showNow(&box, QStringLiteral("0"));
        texts.flush();  // the frame comes: nothing older may still be waiting
        QCOMPARE(box.text(), QStringLiteral("0"));
    }

    // "[*]", Qt's modified marker, shows as it is in a caption and a box's title.
    void titlesShowNamesLiterally()
    {
        QWidget window;
        window.winId();
        PacedTexts(10, nullptr).showNow(&window, QStringLiteral("Lab [*] 2"));
        QCOMPARE(window.windowHandle()->title(), QStringLiteral("Lab [*] 2"));
        QString boxTitle;
        QTimer::singleShot(0, [&] {
            boxTitle = QApplication::activeModalWidget()->windowHandle()->title();
            QApplication::activeModalWidget()->close();
        });
        QtOperatorPort real;
        static_cast<OperatorPort &>(real).MsgBox(QStringLiteral("Error"), QStringLiteral("Lab [*]"));
        QCOMPARE(boxTitle, QStringLiteral("Lab [*]"));
    }

    void flashShowsDataInThenOutThenConnected()
    {
        WindowFixture f;
        control<QTimer>(*f.window, "tmrFlash")->setInterval(60 * 60 * 1000);  // ticks by hand only
        QList<Picture> seen;
        for (int tick = 0; tick <= 20; ++tick) {
            tick ? f.window->tmrFlash_Timer() : f.seam().startFlash();
            seen << f.seam().shownPicture();
        }
        QCOMPARE(seen, QList<Picture>(10, Picture::DataIn) + QList<Picture>(10, Picture::DataOut) + QList<Picture>{Picture::Connect});
    }
};

QTEST_MAIN(Reception)
#include "tst_reception.moc"
