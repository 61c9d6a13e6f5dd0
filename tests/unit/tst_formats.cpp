// Stamps, numbers, frame codes and the settings file: how text is read,
// written and shown.
#include <QtTest>

#include "failure_number.h"
#include "formats/basic_numbers.h"
#include "formats/frame_code.h"
#include "formats/report_lines.h"
#include "formats/stamp.h"
#include "formats/visible_text.h"
#include "settings_reading.h"
#include "test_files.h"

class Formats : public QObject {
    Q_OBJECT
private slots:
    void writtenForms()
    {
        QCOMPARE(stampOf(QDateTime(QDate(2005, 3, 5), QTime(9, 7, 45))), QStringLiteral("200503050907"));
        QCOMPARE(printForm(0) + printForm(-5), QByteArray(" 0 -5 "));
        QCOMPARE(errorRecordLines(10054, QStringLiteral("200503050907")), QList<QByteArray>({" 10054 ", "200503050907"}));
        QCOMPARE(shortestDecimal(-0.0) + ' ' + shortestDecimal(2575.5) + ' ' + shortestDecimal(1e21), QStringLiteral("0 2575.5 1E+21"));
        QCOMPARE(visibleText(QByteArray("\x0bM|\0\x7f\xe9\x1c\r", 8)) + visibleText(QByteArray(10, 'x'), 4),
                 QStringLiteral("<VT>M|<NUL><DEL>\u00e9<FS><CR>xxxx\u2026"));
    }

    // One text through every reader: the leading number (NaN: failure 6), the
    // whole number (NaN: none), the frame character and the truth value
    // (negative: minus the failure).
    void readings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("leading");
        QTest::addColumn<double>("whole");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("truth");
        const double no = qQNaN(), inf = qInf();
        QTest::newRow("blanks, then letters") << "\t 65535abc" << 65535.0 << no << -13 << -13;
        QTest::newRow("blanks around") << " 28\t" << 28.0 << 28.0 << 28 << 1;
        QTest::newRow("fraction rounds down") << "11.9" << 11.9 << 11.9 << 11 << 1;
        QTest::newRow("above 255") << "256" << 256.0 << 256.0 << -5 << 1;
        QTest::newRow("just below zero") << "-0.5" << -0.5 << -0.5 << -5 << 1;
        QTest::newRow("beyond 32 bits") << "-2147483649" << -2147483649.0 << -2147483649.0 << -6 << 1;
        QTest::newRow("empty") << "" << 0.0 << no << -13 << -13;
        QTest::newRow("exponent without digits") << "12e+ 1" << 12.0 << no << -13 << -13;
        QTest::newRow("fAlSe") << " fAlSe" << 0.0 << no << -13 << 0;
        // Found by fuzzing: text after a number too large, and sizes judged by
        // the exponent's sign instead of the value.
        const QString huge = QString(700, u'8') + QStringLiteral("e-260");             // about 1e440
        const QString tiny = QStringLiteral("0.") + QString(400, u'0') + QChar(u'1');  // about 1e-401
        QTest::newRow("too large") << "1e999" << no << inf << -6 << 1;
        QTest::newRow("too large, a letter after") << "1e999x" << no << no << -13 << -13;
        QTest::newRow("too large, NULs after") << QString::fromLatin1("2.2e1727207381\0\0\0\0\0\00072013e-\00108", 30)
                                               << no << no << -13 << -13;
        QTest::newRow("frame code 11e912e") << "11e912e" << no << no << -13 << -13;
        QTest::newRow("too large, negative exponent") << huge << no << inf << -6 << 1;
        QTest::newRow("too small, positive exponent") << tiny + QStringLiteral("e5") << 0.0 << 0.0 << 0 << 0;
    }
    void readings()
    {
        QFETCH(QString, text);
        QFETCH(double, leading);
        QFETCH(double, whole);
        QFETCH(int, frame);
        QFETCH(int, truth);
        double got = qQNaN();
        QCOMPARE(failureNumberOf([&] { got = leadingNumber(text); }), qIsNaN(leading) ? err::Overflow : 0);
        QCOMPARE(got, leading);
        QCOMPARE(wholeNumber(text).value_or(qQNaN()), whole);
        QCOMPARE(outcomeOf([&] { return static_cast<unsigned char>(frameCharacter(text)); }), frame);
        QCOMPARE(outcomeOf([&] { return truthValue(text); }), truth);
    }

    void roundingAndCountersStayInTheirType()
    {
        QCOMPARE(QList<qint32>({roundToLong(2.5), roundToLong(3.5), roundToLong(-2.5)}), QList<qint32>({2, 4, -2}));
        QCOMPARE(failureNumberOf([] { roundToInteger(32767.5); }), err::Overflow);
        QCOMPARE(checkedAdd<qint32>(2147483646, 1), 2147483647);
        QCOMPARE(failureNumberOf([] { checkedAdd<qint32>(2147483647, 1); }), err::Overflow);
        QCOMPARE(failureNumberOf([] { checkedAdd<qint16>(32767, 1); }), err::Overflow);
    }

    // The canonical file reads back as written; other files are read in any
    // order, under older names, around stray lines, the last entry winning.
    void settingsFile()
    {
        const QByteArray written = settingsWith({{"[Interface Name]", "Lab, \"west\" wing"},  // commas and quotes stay
                                                 {"[Show Transaction Count]", " 1 "}, {"[Start of Text]", "x"}});
        QCOMPARE(crlfLines(settingsFileLines(readFrom(written))), written);
        const ProgramInformation info = readFrom(crlfLines({
            "stray", "[End of Text]", "28", "[Port]", "", " 7", "x",  // five codes, whatever they are
            "[ACK before date]", "|X|", "[ACK after date]", "|Y|", "[Port]", "2575", "[Port]", "4000", "[port]", "9",
        }));
        QCOMPARE(info.strPort, QStringLiteral("4000"));  // headers match case and all
        QCOMPARE(info.strAckBeforeDate + info.strAckAfterDate, QStringLiteral("|X||Y|"));
        QCOMPARE(info.strETF, (std::array<QString, 5>{"28", "[Port]", "", "7", "x"}));
        QCOMPARE(splitItems("a\r\n\r\n  b \nc\rd"), QList<QByteArray>({"a", "", "b ", "c", "d"}));
    }

    void countFlag_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("outcome");  // the flag after the defaults, whether the operator is told, or the failure
        QTest::newRow("as written") << QByteArray(" 1 ") << "1";
        QTest::newRow("empty") << QByteArray("") << "0";
        QTest::newRow("two") << QByteArray("2") << "0 told";
        QTest::newRow("a word") << QByteArray("yes") << "0 told";
        QTest::newRow("beyond 16 bits") << QByteArray("99999") << "failure 6";
    }
    void countFlag()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, outcome);
        QString got;
        const qint32 failure = failureNumberOf([&] {
            ProgramInformation info = readFrom(settingsWith({{"[Show Transaction Count]", value}}));
            const bool told = fillBlankSettings(info);
            got = QString::number(info.intShowCount) + (told ? " told" : "");
        });
        QCOMPARE(failure ? QStringLiteral("failure %1").arg(failure) : got, outcome);
    }
};

QTEST_GUILESS_MAIN(Formats)
#include "tst_formats.moc"
