// The settings file's format: how items become settings, which blanks get
// defaults, and the canonical lines the writer produces.
#include <QtTest>

#include "failure_number.h"
#include "platform/file_channel.h"
#include "formats/settings_format.h"
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

ProgramInformation readFrom(const QByteArray &content, ProgramInformation info = {})
{
    Items source{splitItems(content)};
    readSettingsItems(source, info);
    return info;
}

}  // namespace

class SettingsFormat : public QObject {
    Q_OBJECT
private slots:
    void canonicalFileReadsBackAsWritten()
    {
        const QByteArray written = settingsWith({{"[Interface Name]", "Lab, \"west\" wing"},  // commas and quotes stay
                                                 {"[Show Transaction Count]", " 1 "},
                                                 {"[Start of Text]", "x"}});
        QCOMPARE(crlfLines(settingsFileLines(readFrom(written))), written);
    }

    void entriesInAnyOrderWithAliasesAndStrayLines()
    {
        const ProgramInformation info = readFrom(crlfLines({
            "stray", "[End of Text]", "28", "[Port]", "", " 7", "x",  // five codes, whatever they are
            "[ACK before date]", "|X|", "[Port]", "   2575", "[Port]", "4000", "[port]", "9",
        }));
        QCOMPARE(info.strPort, QStringLiteral("4000"));  // the last one wins; headers match case and all
        QCOMPARE(info.strAckBeforeDate, QStringLiteral("|X|"));
        QCOMPARE(info.strETF, (std::array<QString, 5>{"28", "[Port]", "", "7", "x"}));
        QCOMPARE(settingsFileLines(info)[12], QByteArray("[MSH before date]"));
        QCOMPARE(splitItems("a\r\n\r\n  b \nc\rd"), QList<QByteArray>({"a", "", "b ", "c", "d"}));
    }

    void countFlag_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("flag");  // after the defaults; -1: the read fails with overflow
        QTest::addColumn<bool>("told");
        QTest::newRow("as written") << QByteArray(" 1 ") << 1 << false;
        QTest::newRow("empty") << QByteArray("") << 0 << false;
        QTest::newRow("two") << QByteArray("2") << 0 << true;
        QTest::newRow("a word") << QByteArray("yes") << 0 << true;
        QTest::newRow("beyond 16 bits") << QByteArray("99999") << -1 << false;
    }
    void countFlag()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, flag);
        QFETCH(bool, told);
        ProgramInformation info = readFrom(goldenFile("first_start.ini"));
        Items source{{"[Show Transaction Count]", value}};
        const qint32 failure = failureNumberOf([&] { readSettingsItems(source, info); });
        QCOMPARE(failure, flag < 0 ? err::Overflow : err::NoNumber);
        if (flag >= 0) {
            QCOMPARE(fillBlankSettings(info), told);
            QCOMPARE(int(info.intShowCount), flag);
        }
    }

    void headerAsLastItemFailsAfterKeepingWhatWasRead()
    {
        Items source{{"[Port]", "2575", "[Interface Name]"}};
        ProgramInformation info;
        QCOMPARE(failureNumberOf([&] { readSettingsItems(source, info); }), err::InputPastEnd);
        QCOMPARE(info.strPort, QStringLiteral("2575"));
    }

    void blanksGetDefaults()
    {
        ProgramInformation info;
        info.strInterfaceName = QStringLiteral(" ");  // a blank is not empty
        info.strSTF = {"", "", "7", "", ""};
        info.strETF = {"", "99", "", "", "5"};
        QVERIFY(fillBlankSettings(info));
        QCOMPARE(info.strRemoteIP, QStringLiteral("0.0.0.0"));
        QCOMPARE(info.strExitWarning, QStringLiteral("True"));
        QCOMPARE(info.strInterfaceName, QStringLiteral(" "));
        QCOMPARE(info.strSTF, (std::array<QString, 5>{"11", "0", "7", "0", "0"}));
        QCOMPARE(info.strETF, (std::array<QString, 5>{"28", "13", "0", "0", "5"}));  // CR comes with the first end code
        QVERIFY(!fillBlankSettings(info));  // nothing left to tell about
        info.strSTF[0].clear();
        QVERIFY(!fillBlankSettings(info));  // frame codes are filled silently
    }
};

QTEST_GUILESS_MAIN(SettingsFormat)
#include "tst_settings_format.moc"
