// File channels: numbered failures, byte-exact lines, and a settings file
// that is never left half-written.
#include <QtTest>

#include "failure_number.h"
#include "platform/file_channel.h"
#include "test_files.h"

class FileChannelTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void linesAreByteExactAndWrittenThrough()
    {
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b)
            everyByte += char(b);
        FileChannel channel;
        channel.openAppend(path("data.txt"));
        channel.writeLine(everyByte);
        QCOMPARE(readBytes(path("data.txt")), everyByte + "\r\n");  // before the channel is closed
        QCOMPARE(failureNumberOf([&] { channel.openAppend(path("data.txt")); }), err::FileAlreadyOpen);
        channel.close();
        channel.close();  // closing a closed channel is no failure
        QCOMPARE(failureNumberOf([&] { channel.writeLine("x"); }), err::BadFileNumber);
    }

    void operatingSystemFailures()
    {
        FileChannel channel;
        QCOMPARE(failureNumberOf([&] { channel.openInput(path("missing.ini")); }), err::FileNotFound);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(path("no/such/dir/data.txt")); }), err::PathNotFound);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(dir.path()); }), err::PathFileAccess);
        channel.openAppend(QStringLiteral("/dev/full"));
        QCOMPARE(failureNumberOf([&] { channel.writeLine("lost"); }), err::DiskFull);
        channel.close();
    }

    void fileRemovedWhileOpenIsLetGo()
    {
        FileChannel channel;
        channel.openAppend(path("removed.txt"));
        QVERIFY(QFile::remove(path("removed.txt")));
        QCOMPARE(failureNumberOf([&] { channel.writeLine("nowhere"); }), err::BadFileNumber);
        channel.openAppend(path("removed.txt"));  // not open any more: opening makes a new file
        channel.writeLine("again");
        channel.close();
        QCOMPARE(readBytes(path("removed.txt")), QByteArray("again\r\n"));
    }

    void inputHandsOutItemsThenFailsPastEnd()
    {
        writeBytes(path("items.ini"), "[Port]\r\n  2575\r\n");
        FileChannel channel;
        channel.openInput(path("items.ini"));
        QCOMPARE(channel.readItem(), QByteArray("[Port]"));
        QCOMPARE(channel.readItem(), QByteArray("2575"));
        QVERIFY(channel.atEnd());
        QCOMPARE(failureNumberOf([&] { channel.readItem(); }), err::InputPastEnd);
    }

    void outputReplacesTheFileOnlyWhenWhole()
    {
        writeBytes(path("real.ini"), "old\r\n");
        QVERIFY(QFile::link(path("real.ini"), path("corvconf.ini")));
        FileChannel channel;
        channel.openOutput(path("corvconf.ini"));
        channel.writeLine("half");
        channel.abandon();  // after a failure: the old content stays
        QCOMPARE(readBytes(path("real.ini")), QByteArray("old\r\n"));
        channel.openOutput(path("corvconf.ini"));
        channel.writeLine("new");
        QCOMPARE(readBytes(path("real.ini")), QByteArray("old\r\n"));
        channel.close();
        QCOMPARE(readBytes(path("real.ini")), QByteArray("new\r\n"));  // through the link, which stays
        QVERIFY(QFileInfo(path("corvconf.ini")).isSymLink());
        QCOMPARE(QDir(dir.path()).entryList({"*.new"}, QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(FileChannelTest)
#include "tst_file_channel.moc"
