// The platform layer: file channels that never tear or lose a line, never
// wait on a FIFO or a device and never leave the settings file half-written; a
// socket set that drops requests nobody accepts and does not read from a peer
// that leaves its answers unread.
#include <QtTest>

#include <QSignalSpy>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "failure_number.h"
#include "platform/file_channel.h"
#include "platform/socket_set.h"
#include "sender.h"
#include "test_files.h"

namespace {

// The file-size limit stands in for a full disk.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes, void (*onLimit)(int) = SIG_IGN)
    {
        std::signal(SIGXFSZ, onLimit);
        ::getrlimit(RLIMIT_FSIZE, &usual);
        rlimit small = usual;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &usual);
        std::signal(SIGXFSZ, SIG_IGN);
    }
    rlimit usual;
};

// Another writer appends a line the moment a write meets the limit.
int otherWriter = -1;
void otherWriterAppends(int)
{
    rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY}, limited;
    ::getrlimit(RLIMIT_FSIZE, &limited);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    (void)!::write(otherWriter, "theirs\r\n", 8);
    ::setrlimit(RLIMIT_FSIZE, &limited);
}

}  // namespace

class Platform : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void failuresOfTheSystemAndOfFifosAndDevices()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
        FileChannel channel;
        QCOMPARE(failureNumberOf([&] { channel.openInput(path("missing.ini")); }), err::FileNotFound);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(path("no/such/dir/data.txt")); }), err::PathNotFound);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(dir.path()); }), err::PathFileAccess);
        // Refused at once rather than waiting for the FIFO's other end.
        QCOMPARE(failureNumberOf([&] { channel.openInput(path("fifo")); }), err::PathFileAccess);
        QCOMPARE(failureNumberOf([&] { channel.openAppend(path("fifo")); }), err::PathFileAccess);
        QCOMPARE(failureNumberOf([&] { channel.openInput(QStringLiteral("/dev/zero")); }), err::PathFileAccess);
    }

    // A line cut short by a full disk (here the file-size limit) is taken
    // back, but never a line another writer appended meanwhile; a line never
    // glues onto another writer's line cut short.
    void linesNeverTornNorGlued()
    {
        writeBytes(path("shared.txt"), "cut sho");
        FileChannel channel;
        channel.openAppend(path("shared.txt"));
        QCOMPARE(channel.writeLine("whole"), 9);
        {
            FileSizeLimit limit(100);
            QCOMPARE(failureNumberOf([&] { channel.writeLine(QByteArray(200, 'x')); }), err::DiskFull);
        }
        QCOMPARE(readBytes(path("shared.txt")), QByteArray("cut sho\r\nwhole\r\n"));
        otherWriter = ::open(qPrintable(path("shared.txt")), O_WRONLY | O_APPEND);
        {
            FileSizeLimit limit(100, otherWriterAppends);
            QCOMPARE(failureNumberOf([&] { channel.writeLine(QByteArray(200, 'x')); }), err::DiskFull);
        }
        ::close(otherWriter);
        QVERIFY(readBytes(path("shared.txt")).endsWith("theirs\r\n"));
    }

    // Save As: a regular file or a new one, whole or not at all, and a FIFO
    // refused at once.
    void wholeFileOrNothing()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(path("save-fifo")).constData(), 0600), 0);
        QCOMPARE(failureNumberOf([&] { writeWholeFile(path("save-fifo"), "x"); }), err::PathFileAccess);
        writeWholeFile(path("saved.hl7"), "old");
        {
            FileSizeLimit limit(2);
            QCOMPARE(failureNumberOf([&] { writeWholeFile(path("saved.hl7"), "longer"); }), err::DiskFull);
        }
        QCOMPARE(readBytes(path("saved.hl7")), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList({"*saved*"}, QDir::Files | QDir::Hidden), QStringList{"saved.hl7"});
    }

    void fileRemovedWhileOpenIsLetGo()
    {
        FileChannel channel;
        channel.openAppend(path("removed.txt"));
        QVERIFY(QFile::remove(path("removed.txt")));
        QCOMPARE(failureNumberOf([&] { channel.writeLine("nowhere"); }), err::BadFileNumber);
        channel.openAppend(path("removed.txt"));  // no longer open: a new file
        channel.writeLine("again");
        QCOMPARE(readBytes(path("removed.txt")), QByteArray("again\r\n"));
    }

    // The settings file is replaced only when whole, and keeps its owner,
    // its mode and its other names (a symbolic link, a hard link).
    void outputReplacesTheFileOnlyWhenWhole()
    {
        writeBytes(path("real.ini"), "old\r\n");
        QVERIFY(QFile::link(path("real.ini"), path("corvconf.ini")));
        QCOMPARE(::chmod(qPrintable(path("real.ini")), 0660), 0);
        QVERIFY(::geteuid() != 0 || ::chown(qPrintable(path("real.ini")), 65534, 65534) == 0);
        struct stat before, after;
        ::stat(qPrintable(path("real.ini")), &before);
        FileChannel channel;
        channel.openOutput(path("corvconf.ini"));
        channel.writeLine("half");
        channel.abandon();  // after a failure: the old content stays, and nothing beside it
        QCOMPARE(QDir(dir.path()).entryList({"*.new"}, QDir::Files), QStringList());
        channel.openOutput(path("corvconf.ini"));
        channel.writeLine("new");
        QCOMPARE(readBytes(path("real.ini")), QByteArray("old\r\n"));
        channel.close();
        QVERIFY(QFileInfo(path("corvconf.ini")).isSymLink());
        QCOMPARE(::link(qPrintable(path("real.ini")), qPrintable(path("hard.ini"))), 0);
        channel.openOutput(path("corvconf.ini"));
        channel.writeLine("newer");
        channel.close();
        QCOMPARE(readBytes(path("real.ini")) + readBytes(path("hard.ini")), QByteArray("newer\r\nnewer\r\n"));
        ::stat(qPrintable(path("real.ini")), &after);
        QCOMPARE(QList<uint>({after.st_mode, after.st_uid, after.st_gid}), QList<uint>({before.st_mode, before.st_uid, before.st_gid}));
    }

    void unacceptedRequestIsDroppedAndListeningGoesOn()
    {
        SocketSet set;
        QCOMPARE(failureNumberOf([&] { set.setLocalPort(0, 65536); }), err::InvalidPropertyValue);
        set.Listen(0);  // port 0: the system picks one
        QSignalSpy requests(&set, &SocketSet::ConnectionRequest);
        Sender ignored;
        QVERIFY(ignored.connectTo(quint16(set.LocalPort(0))));
        QVERIFY(ignored.waitUntilDropped());
        QCOMPARE(set.state(0), SocketSet::State::Listening);
        set.Load(1);
        QCOMPARE(failureNumberOf([&] { set.Accept(1, requests[0][1].toInt()); }), err::SocketInvalidOperation);
    }

    // An answer is sent only on the connection its arrival came from.
    void answerToAClosedConnectionIsDropped()
    {
        SocketSet set;
        set.Listen(0);
        set.Load(1);
        connect(&set, &SocketSet::ConnectionRequest, &set, [&](qint16, qint32 request) { set.Accept(1, request); });
        qint32 failure = -1;
        connect(&set, &SocketSet::DataArrival, &set, [&](qint16 index, qint32) {
            set.Close(index);
            failure = failureNumberOf([&] { set.SendData(index, "late"); });
        });
        Sender sender;
        QVERIFY(sender.connectTo(quint16(set.LocalPort(0))));
        sender.send("m");
        QTRY_COMPARE(failure, err::NoNumber);
    }

    // Once more than the bound of answers waits for a peer that sends and
    // does not read, nothing more is taken from it; a peer that then reads a
    // little at a time gets every answer, and everything it sent is taken.
    void peerThatDoesNotReadIsHeldBackByItsUnsentAnswers()
    {
        SocketSet set;
        set.Listen(0);
        set.Load(1);
        connect(&set, &SocketSet::ConnectionRequest, &set, [&](qint16, qint32 request) { set.Accept(1, request); });
        qint64 taken = 0, answered = 0, received = 0, arrivals = 0;
        connect(&set, &SocketSet::DataArrival, &set, [&](qint16 index, qint32) {
            taken += set.GetData(index).size();
            const QByteArray answer(++arrivals == 1 ? 32 * 1024 * 1024 : 1, 'a');  // more than any socket buffers
            set.SendData(index, answer);
            answered += answer.size();
        });
        QTcpSocket peer;
        peer.setReadBufferSize(1);  // takes next to nothing in
        peer.connectToHost(QHostAddress::LocalHost, quint16(set.LocalPort(0)));
        const qint64 sent = peer.write(QByteArray(8 * 1024 * 1024, 'm'));
        QVERIFY(QTest::qWaitFor([&] { return arrivals > 0; }, 20000));
        for (int round = 0; round < 20; ++round)
            QCoreApplication::processEvents();
        QCOMPARE(arrivals, 1);
        connect(&peer, &QTcpSocket::readyRead, &peer, [&] { received += peer.readAll().size(); });
        peer.setReadBufferSize(256 * 1024);  // a little at a time
        QVERIFY(QTest::qWaitFor([&] {
            received += peer.readAll().size();
            return taken == sent && received == answered;
        }, 20000));
    }
};

QTEST_GUILESS_MAIN(Platform)
#include "tst_platform.moc"
