// The feed as data, without a window: rows read back from the data file,
// and the arithmetic of the received-data area.
#include <QtTest>

#include "feed/receive_area.h"
#include "feed/received_data_model.h"
#include "platform/file_channel.h"
#include "test_files.h"

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

    // Rows keep where their bytes went, not the bytes: what is shown and
    // opened comes back from the data file, or says plainly that it cannot.
    void rowsComeBackFromTheDataFileOrSaySo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.txt"));
        const QByteArray long3000 = QByteArray(3000, 'x');
        FileChannel data, device;
        data.openAppend(path);
        device.openAppend(QStringLiteral("/dev/null"));  // cannot give arrivals back
        ReceivedDataModel model;
        for (FileChannel *file : {&data, &data, &device})
            model.setRowArrival(model.appendEmptyRow({}), model.rowCount(), long3000, file->path(), file->writeLine(long3000));
        const int unstored = model.appendEmptyRow({});  // storing it failed
        QCOMPARE(model.arrival(1).bytes, long3000);
        QCOMPARE(model.displayText(2, 4), QStringLiteral("xxxx\u2026"));
        QVERIFY(model.arrival(2).problem.contains(u"first 256 bytes"));
        QVERIFY(model.displayText(unstored, 99).isEmpty() && !model.arrival(unstored).problem.isEmpty());
        const QByteArray file = readBytes(path);
        const auto gone = [&] {
            return model.arrival(1).problem.contains(u"no longer") && model.displayText(1, 99).startsWith(u"(no longer");
        };
        for (const QByteArray &changed : {QByteArray(file).replace(file.size() - 9, 3, "xyx"), file.left(30), QByteArray()}) {
            writeBytes(path, changed);  // rewritten, cut short, emptied
            QVERIFY(gone());
            writeBytes(path, file);
            QVERIFY(!gone());
        }
        const qsizetype openFiles = QDir(QStringLiteral("/proc/self/fd")).count();
        for (int paint = 0; paint < 500; ++paint)
            model.displayText(paint % 2, 99);  // read back, then let go
        QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), openFiles);
        QVERIFY(QFile::remove(path) && gone());
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

};

QTEST_GUILESS_MAIN(Feed)
#include "tst_feed.moc"
