// The built program, copied into a directory of its own and run headless:
// it reports its start and rewrites its settings file in canonical form.
#include <QtTest>

#include <QRegularExpression>

#include "program_copy.h"
#include "test_files.h"

class EndToEndStartup : public QObject {
    Q_OBJECT
private slots:
    void startsReportsAndRewritesItsSettings()
    {
        ProgramCopy copy;
        // Entries out of order and under their second names, as older files have them.
        QByteArray older = goldenFile("first_start.ini");
        older.replace("[MSH before date]", "[ACK before date]").replace("[MSH after date]", "[ACK after date]");
        older = "[Port]\r\n2575\r\n" + older.replace("[Port]\r\n65535\r\n", "");
        writeBytes(copy.file("corvconf.ini"), older);

        const QDateTime before = QDateTime::currentDateTime();
        copy.start();
        const QByteArray expected = settingsWith({{"[Port]", "2575"}});
        QTRY_COMPARE_WITH_TIMEOUT(readBytes(copy.file("corvconf.ini")), expected, 20000);
        QCOMPARE(copy.process.state(), QProcess::Running);

        const QByteArray report = readBytes(copy.file("ifreport.txt"));
        const auto line = QRegularExpression(QStringLiteral("^(\\d{12})Program started\\.\r\n$"))
                              .match(QString::fromLatin1(report));
        QVERIFY2(line.hasMatch(), report.constData());
        const QDateTime stamp = QDateTime::fromString(line.captured(1), QStringLiteral("yyyyMMddHHmm"));
        QVERIFY(stamp.secsTo(before) < 60 && before.secsTo(stamp) < 120);
    }
};

QTEST_GUILESS_MAIN(EndToEndStartup)
#include "tst_e2e_startup.moc"
