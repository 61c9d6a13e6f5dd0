// The settings file's format: how items become settings, which blanks get
// defaults, and the canonical 41 lines the writer produces.
#include <QtTest>

#include "platform/failure.h"
#include "platform/file_channel.h"
#include "settings/settings_format.h"
#include "test_files.h"

namespace {

// Hands out items the way an input channel does, failing past the end.
struct Items {
    QList<QByteArray> items;
    qsizetype next = 0;
    bool atEnd() const { return next >= items.size(); }
    QByteArray readItem()
    {
        if (atEnd())
            raise(err::InputPastEnd);
        return items[next++];
    }
};

ProgramInformation readFrom(const QByteArray &content)
{
    Items source{splitItems(content)};
    ProgramInformation info;
    readSettingsItems(source, info);
    return info;
}

ProgramInformation defaultsFilled()
{
    ProgramInformation info;
    fillBlankSettings(info);
    info.strRemoteIP = QStringLiteral("IP Address");  // what the hidden remote-IP box holds
    return info;
}

}  // namespace

class SettingsFormat : public QObject {
    Q_OBJECT
private slots:
    void firstStartFileIsCanonical()
    {
        QCOMPARE(crlfLines(settingsFileLines(defaultsFilled())), goldenFile("first_start.ini"));
    }

    void canonicalFileReadsBackAsWritten()
    {
        ProgramInformation written = defaultsFilled();
        written.strPort = QStringLiteral("2575");
        written.strAutoStart = QStringLiteral("On");
        written.strInterfaceName = QStringLiteral("Lab, \"west\" wing");  // commas and quotes stay
        written.strLogfileLocation = QStringLiteral("/var/data/in, out.txt");
        written.intShowCount = 1;
        written.strSTF = {"11", "0", "12", "0", "0"};
        written.strETF = {"28", "13", "10", "0", "x"};
        const ProgramInformation read = readFrom(crlfLines(settingsFileLines(written)));
        QCOMPARE(crlfLines(settingsFileLines(read)), crlfLines(settingsFileLines(written)));
        QCOMPARE(read.strInterfaceName, written.strInterfaceName);
        QCOMPARE(read.intShowCount, qint16(1));
    }

    void entriesInAnyOrderWithAliasesAndStrayLines()
    {
        const QByteArray shuffled = crlfLines({
            "; a comment the reader skips",
            "[Start of Text]", "11", "0", "0", "0", "0",
            "[ACK after date]", "||ACK|||||||||",
            "[Port]", "   2575",
            "[ACK before date]", "|||||",
            "stray",
            "[Port]", "4000",  // a repeated entry: the last one wins
            "[port]", "9",     // headers are matched case-sensitively
        });
        const ProgramInformation info = readFrom(shuffled);
        QCOMPARE(info.strPort, QStringLiteral("4000"));
        QCOMPARE(info.strAckBeforeDate, QStringLiteral("|||||"));
        QCOMPARE(info.strAckAfterDate, QStringLiteral("||ACK|||||||||"));
        QCOMPARE(info.strSTF[0], QStringLiteral("11"));
        QVERIFY(info.strInterfaceName.isEmpty());
        QCOMPARE(settingsFileLines(info)[12], QByteArray("[MSH before date]"));
    }

    void frameEntryTakesFiveItemsWhateverTheyAre()
    {
        const ProgramInformation info = readFrom(crlfLines({"[End of Text]", "28", "[Port]", "", " 7", "x", "[Port]", "1"}));
        QCOMPARE(info.strETF[1], QStringLiteral("[Port]"));
        QCOMPARE(info.strETF[2], QString());
        QCOMPARE(info.strETF[3], QStringLiteral("7"));
        QCOMPARE(info.strPort, QStringLiteral("1"));
    }

    void lineEndsAndLeadingBlanks()
    {
        QCOMPARE(splitItems("a\r\n\r\n  b \nc\rd"), QList<QByteArray>({"a", "", "b ", "c", "d"}));
        QCOMPARE(splitItems(""), QList<QByteArray>());
        QCOMPARE(splitItems("x\r\n"), QList<QByteArray>({"x"}));
    }

    void countFlag_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("read");  // -1: the read fails with overflow
        QTest::addColumn<bool>("filled");
        QTest::newRow("as written") << QByteArray(" 1 ") << 1 << false;
        QTest::newRow("zero") << QByteArray("0") << 0 << false;
        QTest::newRow("empty") << QByteArray("") << 0 << false;
        QTest::newRow("two") << QByteArray("2") << 2 << true;
        QTest::newRow("word") << QByteArray("yes") << -1 << true;
        QTest::newRow("zero with a word after it") << QByteArray("0 yes") << 0 << false;
        QTest::newRow("negative") << QByteArray("-1") << -1 << true;
        QTest::newRow("beyond 16 bits") << QByteArray("99999") << -2 << false;
    }
    void countFlag()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, read);
        QFETCH(bool, filled);
        Items source{{"[Show Transaction Count]", value}};
        ProgramInformation info = defaultsFilled();
        try {
            readSettingsItems(source, info);
            QVERIFY(read != -2);
        } catch (const Failure &failure) {
            QCOMPARE(read, -2);
            QCOMPARE(failure.number, err::Overflow);
            return;
        }
        QCOMPARE(int(info.intShowCount), read);
        QCOMPARE(fillBlankSettings(info), filled);
        QVERIFY(info.intShowCount == 0 || info.intShowCount == 1);
    }

    void headerAsLastItemFailsAfterKeepingWhatWasRead()
    {
        Items source{{"[Port]", "2575", "[Interface Name]"}};
        ProgramInformation info;
        try {
            readSettingsItems(source, info);
            QFAIL("no failure");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, err::InputPastEnd);
        }
        QCOMPARE(info.strPort, QStringLiteral("2575"));
    }

    void blanksGetDefaults()
    {
        ProgramInformation info;
        QVERIFY(fillBlankSettings(info));
        QCOMPARE(info.strRemoteIP, QStringLiteral("0.0.0.0"));
        QCOMPARE(info.strPort, QStringLiteral("65535"));
        QCOMPARE(info.strAutoStart, QStringLiteral("Off"));
        QCOMPARE(info.strExitWarning, QStringLiteral("True"));
        QCOMPARE(info.strSTF, (std::array<QString, 5>{"11", "0", "0", "0", "0"}));
        QCOMPARE(info.strETF, (std::array<QString, 5>{"28", "13", "0", "0", "0"}));
        QVERIFY(!fillBlankSettings(info));  // a second pass has nothing to fill
    }

    void blankValueIsNotEmpty()
    {
        ProgramInformation info = defaultsFilled();
        info.strInterfaceName = QStringLiteral(" ");
        QVERIFY(!fillBlankSettings(info));
        QCOMPARE(info.strInterfaceName, QStringLiteral(" "));
    }

    void frameCodesFillSilently()
    {
        ProgramInformation info = defaultsFilled();
        info.strSTF = {"", "", "7", "", ""};
        info.strETF = {"", "99", "", "", "5"};
        QVERIFY(!fillBlankSettings(info));
        QCOMPARE(info.strSTF, (std::array<QString, 5>{"11", "0", "7", "0", "0"}));
        // An empty first end code brings CR as the second, whatever it held.
        QCOMPARE(info.strETF, (std::array<QString, 5>{"28", "13", "0", "0", "5"}));
        info.strETF = {"10", "", "", "", ""};
        fillBlankSettings(info);
        QCOMPARE(info.strETF, (std::array<QString, 5>{"10", "0", "0", "0", "0"}));
    }
};

QTEST_GUILESS_MAIN(SettingsFormat)
#include "tst_settings_format.moc"
