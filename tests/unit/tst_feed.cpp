// The feed as data, without a window: rows read back from the file their
// bytes went to, whatever happens to its name, never as another arrival's
// bytes; and the arithmetic of the received-data area.
#include <QtTest>

#include "feed/receive_area.h"
#include "feed/received_data_model.h"
#include "feed/row_finder.h"
#include "platform/file_channel.h"
#include "test_files.h"

namespace {

// Arrivals of one length from one template, longer than a row shows, so
// that reading one whole goes to the file.
QByteArray arrival(int i)
{
    return "\x0bMSH|^~\\&|A|B|C|D|2005||ADT^A01|" + QByteArray::number(i) + "|P|2.5\rPID|1||" + QByteArray(5000, 'x')
           + "||PATIENT" + QByteArray::number(i) + "\x1c\r";
}

}  // namespace

class Feed : public QObject {
    Q_OBJECT
private slots:
    // Outer sizes in twips: up to the limits nothing changes; just above them the list stays at 0.
    void receiveAreaRule()
    {
        QVERIFY(!receiveAreaFor(1000, 8730) && !receiveAreaFor(9540, 5200));
        const auto area = [](int width, int height) {
            const ReceiveArea a = receiveAreaFor(width, height).value();
            return QList<int>{a.frameWidth, a.frameHeight, a.listWidth, a.listHeight};
        };
        QCOMPARE(area(9540, 8730), QList<int>({8655, 3615, 8415, 3255}));
        QCOMPARE(area(1001, 8730), QList<int>({116, 3615, 0, 3255}));
        QCOMPARE(area(9540, 5201), QList<int>({8655, 86, 8415, 0}));
    }

    // Three arrivals, then the data file changes under the program, then
    // three more after the file is opened again by its name (as the tenth
    // write does). A row reads its own bytes back, or says it cannot.
    void rowsFollowTheFileTheirBytesWentTo_data()
    {
        QTest::addColumn<QString>("change");  // a command in the folder of data.txt
        QTest::addColumn<bool>("earlierKept");   // the first three open whole
        QTest::addColumn<bool>("earlierShown");  // their rows show their first bytes (from memory where the file changed unnoticed)
        QTest::newRow("renamed") << "mv data.txt data.old" << true << true;
        QTest::newRow("moved to another folder") << "mkdir old && mv data.txt old/" << true << true;
        QTest::newRow("removed") << "rm data.txt" << true << true;
        QTest::newRow("another writer appended") << "printf 'theirs\\r\\n' >> data.txt" << true << true;
        QTest::newRow("copied, then cut short") << "cp data.txt data.old && : > data.txt" << false << false;
        QTest::newRow("rewritten in place") << "tr a-z A-Z < data.txt > up && dd if=up of=data.txt conv=notrunc 2>/dev/null"
                                            << false << true;
    }
    void rowsFollowTheFileTheirBytesWentTo()
    {
        QFETCH(QString, change);
        QFETCH(bool, earlierKept);
        QFETCH(bool, earlierShown);
        QTemporaryDir dir;
        FileChannel data;
        ReceivedDataModel model;
        const auto arrive = [&](int i) {
            model.setRowArrival(model.appendEmptyRow({}), i, arrival(i), data, data.writeLine(arrival(i)));
        };
        data.openAppend(dir.filePath(QStringLiteral("data.txt")));
        for (int i = 1; i <= 3; ++i)
            arrive(i);
        QCOMPARE(QProcess::execute(QStringLiteral("sh"), {"-c", "cd '" + dir.path() + "' && " + change}), 0);
        data.close();
        data.openAppend(dir.filePath(QStringLiteral("data.txt")));
        for (int i = 4; i <= 6; ++i)
            arrive(i);
        for (int row = 0; row < 6; ++row) {
            const ArrivalRecord record = model.arrival(row);
            const bool kept = row >= 3 || earlierKept;
            QCOMPARE(record.bytes, kept ? arrival(row + 1) : QByteArray());
            QCOMPARE(record.problem.isEmpty(), kept);
            QCOMPARE(model.shown(row).problem.isEmpty(), row >= 3 || earlierShown);
        }
    }

    // A device keeps a row's first bytes; an arrival whose storing failed
    // says so; reading rows back leaves no file open; Clear empties the list.
    void rowsThatCannotBeReadBack()
    {
        FileChannel device;
        device.openAppend(QStringLiteral("/dev/null"));
        ReceivedDataModel model;
        model.setRowArrival(model.appendEmptyRow({}), 1, QByteArray(3000, 'x'), device, device.writeLine(QByteArray(3000, 'x')));
        const int unstored = model.appendEmptyRow({});
        QCOMPARE(model.displayText(0, 4), QStringLiteral("xxxx\u2026"));
        QVERIFY(model.arrival(0).problem.contains(u"first 256 bytes"));
        QVERIFY(model.displayText(unstored, 99).isEmpty() && !model.arrival(unstored).problem.isEmpty());

        QTemporaryDir dir;
        FileChannel data;
        data.openAppend(dir.filePath(QStringLiteral("data.txt")));
        model.setRowArrival(model.appendEmptyRow({}), 2, arrival(2), data, data.writeLine(arrival(2)));
        const qsizetype openFiles = QDir(QStringLiteral("/proc/self/fd")).count();
        for (int opened = 0; opened < 500; ++opened)
            QCOMPARE(model.arrival(2).bytes.size(), arrival(2).size());  // read back whole, then let go
        QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), openFiles);
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    // Find reads rows back in steps, telling how far it has come: a field at
    // a position or plain text, onwards from a row and round past the end.
    void findOnALargeFeed()
    {
        QTemporaryDir dir;
        FileChannel data;
        data.openAppend(dir.filePath(QStringLiteral("data.txt")));
        ReceivedDataModel model;
        for (int i = 0; i < 20000; ++i) {
            const QByteArray message = "MSH|^~\\&|||||||ADT^A01|" + QByteArray::number(i) + "\rPID|1||" + QByteArray::number(i * 7)
                                       + "^^^A~" + QByteArray::number(i) + "||Name" + QByteArray::number(i);
            model.setRowArrival(model.appendEmptyRow({}), i + 1, message, data, data.writeLine(message));
        }
        RowFinder finder(model);
        QSignalSpy found(&finder, &RowFinder::found), progress(&finder, &RowFinder::progress), none(&finder, &RowFinder::notFound);
        const QList<std::tuple<QString, int, bool, int>> searches = {  // query, from, forward, row found
            {"PID-3(1).1=70007", 15000, true, 10001}, {"pid-3=19999", 19999, true, 19999}, {"NAME150", 0, false, 15099}};
        for (const auto &[query, from, forward, row] : searches) {
            finder.find(query, from, forward);
            QVERIFY(found.wait(20000));
            QCOMPARE(found.takeFirst().value(0).toInt(), row);
        }
        QVERIFY(progress.size() > 1);  // in steps
        finder.find(QStringLiteral("MSH-9=ACK"), 0, true);
        QVERIFY(none.wait(20000) && found.isEmpty());
    }
};

QTEST_GUILESS_MAIN(Feed)
#include "tst_feed.moc"
