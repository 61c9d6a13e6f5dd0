// File channels: numbered failures, byte-exact lines, and a settings file
// that is never left half-written.
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

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

    // Opening never waits for a FIFO's other end: anything but a regular file
    // (or a device, for appending) is refused at once.
    void specialFilesAreRefusedWithoutWaiting()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
        FileChannel channel;
        QCOMPARE(failureNumberOf([&] { channel.openInput(path("fifo")); }), err::PathFileAccess);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(path("fifo")); }), err::PathFileAccess);
        QCOMPARE(failureNumberOf([&] { channel.openInput(QStringLiteral("/dev/zero")); }), err::PathFileAccess);
        channel.openAppend(QStringLiteral("/dev/null"));
        channel.writeLine("gone");
        channel.close();
    }

    // A line cut short by a full disk (here, the file-size limit) is taken
    // back out: the file ends with the last whole line.
    void lineThatCannotBeWrittenWholeIsTakenBack()
    {
        FileChannel channel;
        channel.openAppend(path("torn.txt"));
        channel.writeLine("whole");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit usual;
        ::getrlimit(RLIMIT_FSIZE, &usual);
        rlimit small = usual;
        small.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const qint32 number = failureNumberOf([&] { channel.writeLine(QByteArray(200, 'x')); });
        ::setrlimit(RLIMIT_FSIZE, &usual);
        QCOMPARE(number, err::DiskFull);
        QCOMPARE(readBytes(path("torn.txt")), QByteArray("whole\r\n"));
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
        channel.close();

        // Beyond its bound a file is read as far as the bound: past that, as past an end.
        writeBytes(path("huge.ini"), "[Port]\r\n" + QByteArray(FileChannel::kMostInput, '\n'));
        channel.openInput(path("huge.ini"));
        QCOMPARE(channel.readItem(), QByteArray("[Port]"));
        QCOMPARE(failureNumberOf([&] {
                     while (!channel.atEnd())
                         channel.readItem();
                 }),
                 err::InputPastEnd);
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

    // A rewritten file keeps its owner, its mode and its other names (hard links).
    void outputKeepsOwnerModeAndLinks()
    {
        writeBytes(path("linked.ini"), "old\r\n");
        QCOMPARE(::link(qPrintable(path("linked.ini")), qPrintable(path("other name"))), 0);
        for (const char *name : {"alone.ini", "linked.ini"}) {
            writeBytes(path(name), "old\r\n");
            QCOMPARE(::chmod(qPrintable(path(name)), 0660), 0);
            if (::geteuid() == 0)
                QCOMPARE(::chown(qPrintable(path(name)), 65534, 65534), 0);
            struct stat before, after;
            ::stat(qPrintable(path(name)), &before);
            FileChannel channel;
            channel.openOutput(path(name));
            channel.writeLine("new");
            channel.close();
            ::stat(qPrintable(path(name)), &after);
            QCOMPARE(QList<uint>({after.st_mode, after.st_uid, after.st_gid}), QList<uint>({before.st_mode, before.st_uid, before.st_gid}));
        }
        QCOMPARE(readBytes(path("other name")), QByteArray("new\r\n"));
    }
};

QTEST_GUILESS_MAIN(FileChannelTest)
#include "tst_file_channel.moc"
