// File channels: numbered failures, byte-exact lines, and a settings file
// that is never left half-written.
#include <QtTest>

#include <sys/stat.h>

#include "failure_number.h"
#include "platform/failure.h"
#include "platform/file_channel.h"
#include "test_files.h"

class FileChannelTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void appendedLinesAreByteExact()
    {
        FileChannel channel;
        channel.openAppend(path("data.txt"));
        const QByteArray everyByte = [] {
            QByteArray bytes;
            for (int b = 0; b < 256; ++b)
                bytes += char(b);
            return bytes;
        }();
        channel.writeLine(everyByte);
        // Written through before close: another reader sees it at once.
        QCOMPARE(readBytes(path("data.txt")), everyByte + "\r\n");
        channel.close();
        channel.openAppend(path("data.txt"));
        channel.writeLine("");
        channel.close();
        QCOMPARE(readBytes(path("data.txt")), everyByte + "\r\n\r\n");
    }

    void channelStateFailures()
    {
        FileChannel channel;
        QCOMPARE(failureNumberOf([&] { channel.writeLine("x"); }), err::BadFileNumber);
        channel.close();  // closing a closed channel is no failure
        channel.openAppend(path("state.txt"));
        QCOMPARE(failureNumberOf([&] { channel.openAppend(path("state.txt")); }), err::FileAlreadyOpen);
        QCOMPARE(failureNumberOf([&] { channel.openOutput(path("state.txt")); }), err::FileAlreadyOpen);
        channel.close();
        QVERIFY(!channel.isOpen());
    }

    void operatingSystemFailures()
    {
        FileChannel channel;
        QCOMPARE(failureNumberOf([&] { channel.openInput(path("missing.ini")); }), err::FileNotFound);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(path("no/such/dir/data.txt")); }), err::PathNotFound);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(dir.path()); }), err::PathFileAccess);
        if (::geteuid() != 0) {  // root may write anywhere
            writeBytes(path("readonly.txt"), "x");
            ::chmod(qPrintable(path("readonly.txt")), 0444);
            QCOMPARE(failureNumberOf([&] { channel.openAppend(path("readonly.txt")); }), err::PermissionDenied);
        }
        QCOMPARE(failureNumberOf([&] { channel.openAppend(QStringLiteral("/dev/full")); }), err::NoNumber);
        QCOMPARE(failureNumberOf([&] { channel.writeLine("lost"); }), err::DiskFull);
        channel.close();
    }

    void fileRemovedWhileOpenIsLetGo()
    {
        FileChannel channel;
        channel.openAppend(path("removed.txt"));
        channel.writeLine("kept");
        QVERIFY(QFile::remove(path("removed.txt")));
        QCOMPARE(failureNumberOf([&] { channel.writeLine("nowhere"); }), err::BadFileNumber);
        QVERIFY(!channel.isOpen());
        channel.openAppend(path("removed.txt"));  // opening again makes a new file
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
        QVERIFY(!channel.atEnd());
        QCOMPARE(channel.readItem(), QByteArray("2575"));
        QVERIFY(channel.atEnd());
        QCOMPARE(failureNumberOf([&] { channel.readItem(); }), err::InputPastEnd);
        channel.close();
    }

    void outputReplacesTheFileOnlyWhenClosed()
    {
        writeBytes(path("corvconf.ini"), "old\r\n");
        FileChannel channel;
        channel.openOutput(path("corvconf.ini"));
        channel.writeLine("new");
        QCOMPARE(readBytes(path("corvconf.ini")), QByteArray("old\r\n"));
        channel.close();
        QCOMPARE(readBytes(path("corvconf.ini")), QByteArray("new\r\n"));

        channel.openOutput(path("corvconf.ini"));
        channel.writeLine("half");
        channel.abandon();  // after a failure: the old content stays
        QCOMPARE(readBytes(path("corvconf.ini")), QByteArray("new\r\n"));
        QCOMPARE(QDir(dir.path()).entryList({"corvconf.ini*"}, QDir::Files), QStringList{"corvconf.ini"});
    }

    void outputFollowsALink()
    {
        writeBytes(path("real.ini"), "old\r\n");
        QVERIFY(QFile::link(path("real.ini"), path("link.ini")));
        FileChannel channel;
        channel.openOutput(path("link.ini"));
        channel.writeLine("through the link");
        channel.close();
        QVERIFY(QFileInfo(path("link.ini")).isSymLink());
        QCOMPARE(readBytes(path("real.ini")), QByteArray("through the link\r\n"));
    }

    void outputRefusesAReadOnlyFile()
    {
        if (::geteuid() == 0)
            QSKIP("root may write any file");
        writeBytes(path("locked.ini"), "keep\r\n");
        ::chmod(qPrintable(path("locked.ini")), 0444);
        FileChannel channel;
        QCOMPARE(failureNumberOf([&] { channel.openOutput(path("locked.ini")); }), err::PermissionDenied);
        QCOMPARE(readBytes(path("locked.ini")), QByteArray("keep\r\n"));
    }
};

QTEST_GUILESS_MAIN(FileChannelTest)
#include "tst_file_channel.moc"
