// Stamps, numbers and how they are printed into files and shown.
#include <QtTest>

#include "core/ack_layout.h"
#include "core/basic_numbers.h"
#include "core/frame_code.h"
#include "core/report_lines.h"
#include "core/stamp.h"
#include "core/visible_text.h"

class TextForms : public QObject {
    Q_OBJECT
private slots:
    void stamp_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("seconds dropped") << QDateTime(QDate(2005, 3, 5), QTime(9, 7, 45)) << "200503050907";
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)) << "202601010000";
        QTest::newRow("last minute of a year") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)) << "199912312359";
        QTest::newRow("example of the acknowledgement") << QDateTime(QDate(2005, 9, 12), QTime(14, 30)) << "200509121430";
    }
    void stamp()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, stamp);
        QCOMPARE(stampOf(time), stamp);
    }

    void printForm_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QByteArray>("printed");
        QTest::newRow("zero") << qint64(0) << QByteArray(" 0 ");
        QTest::newRow("positive") << qint64(10054) << QByteArray(" 10054 ");
        QTest::newRow("negative") << qint64(-5) << QByteArray("-5 ");
        QTest::newRow("largest long") << qint64(2147483647) << QByteArray(" 2147483647 ");
        QTest::newRow("smallest integer") << qint64(-32768) << QByteArray("-32768 ");
    }
    void printForm()
    {
        QFETCH(qint64, value);
        QFETCH(QByteArray, printed);
        QCOMPARE(::printForm(value), printed);
    }

    void reportLineShapes()
    {
        QCOMPARE(stampedLine(QStringLiteral("200503050907"), "Program started."),
                 QByteArray("200503050907Program started."));
        QCOMPARE(textAndNumber("Index is ", 1), QByteArray("Index is  1 "));
        QCOMPARE(errorRecordLines(10054, QStringLiteral("200503050907")),
                 QList<QByteArray>({" 10054 ", "200503050907"}));
        QCOMPARE(errorRecordLines(-1, QStringLiteral("200503050907")), QList<QByteArray>({"-1 ", "200503050907"}));
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "65535" << 65535.0;
        QTest::newRow("blanks then trailing letters") << "   65535abc" << 65535.0;
        QTest::newRow("tab before") << "\t2575" << 2575.0;
        QTest::newRow("fraction") << "2575.5" << 2575.5;
        QTest::newRow("letter first") << "abc123" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("plus sign") << "+80" << 80.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("exponent without digits stops before e") << "12e" << 12.0;
        QTest::newRow("exponent with sign only") << "12e+x" << 12.0;
        QTest::newRow("negative exponent") << "25e-1" << 2.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("inner blank ends the number") << "1 2" << 1.0;
        QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
        QTest::newRow("minus zero reads as zero") << "-0" << 0.0;
        QTest::newRow("underflow reads as zero") << "1e-999" << 0.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(::leadingNumber(text), value);
    }

    void leadingNumberTooLargeIsOverflow()
    {
        try {
            ::leadingNumber(u"1e999");
            QFAIL("no failure");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, err::Overflow);
        }
    }

    void shortestDecimal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 65535.0 << "65535";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("minus zero") << -0.0 << "0";
        QTest::newRow("fraction") << 2575.5 << "2575.5";
        QTest::newRow("negative") << -1.0 << "-1";
        QTest::newRow("no float noise") << 0.1 << "0.1";
    }
    void shortestDecimal()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(::shortestDecimal(value), text);
    }

    void roundingHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.6") << 2.6 << 3;
        QTest::newRow("65535.5") << 65535.5 << 65536;
    }
    void roundingHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(roundToLong(value), rounded);
    }

    void roundingOutOfRangeIsOverflow()
    {
        for (double value : {32767.5, -32769.0, 99999.0}) {
            try {
                roundToInteger(value);
                QFAIL(qPrintable(QString::number(value)));
            } catch (const Failure &failure) {
                QCOMPARE(failure.number, err::Overflow);
            }
        }
        QCOMPARE(roundToInteger(-32768.4), qint16(-32768));
        QVERIFY_THROWS_EXCEPTION(Failure, roundToLong(2147483648.0));
    }

    void countersNeverWrap()
    {
        QCOMPARE(checkedAdd<qint32>(2147483646, 1), 2147483647);
        QCOMPARE(checkedAdd<qint16>(9, 1), qint16(10));
        try {
            checkedAdd<qint32>(2147483647, 1);
            QFAIL("wrapped");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number, err::Overflow);
        }
        QVERIFY_THROWS_EXCEPTION(Failure, checkedAdd<qint16>(32767, 1));
    }

    void truthValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("truth");  // 1 true, 0 false, -1 type mismatch
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("true") << "true" << 1;
        QTest::newRow("FALSE") << "FALSE" << 0;
        QTest::newRow("fAlSe") << "fAlSe" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("minus one") << "-1" << 1;
        QTest::newRow("fraction") << "0.5" << 1;
        QTest::newRow("blanks around a number") << " 0 " << 0;
        QTest::newRow("Yes") << "Yes" << -1;
        QTest::newRow("blank") << " " << -1;
        QTest::newRow("number then word") << "1abc" << -1;
    }
    void truthValue()
    {
        QFETCH(QString, text);
        QFETCH(int, truth);
        try {
            QCOMPARE(int(::truthValue(text)), truth);
        } catch (const Failure &failure) {
            QCOMPARE(truth, -1);
            QCOMPARE(failure.number, err::TypeMismatch);
        }
    }

    void frameCharacter_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("result");  // the character's code, or minus the failure number
        QTest::newRow("vertical tab") << "11" << 11;
        QTest::newRow("blanks around") << " 28 " << 28;
        QTest::newRow("two zeros give NUL") << "00" << 0;
        QTest::newRow("fraction rounds down") << "11.9" << 11;
        QTest::newRow("largest") << "255" << 255;
        QTest::newRow("letter") << "x" << -err::TypeMismatch;
        QTest::newRow("empty") << "" << -err::TypeMismatch;
        QTest::newRow("number then letter") << "1x" << -err::TypeMismatch;
        QTest::newRow("above 255") << "300" << -err::InvalidArgument;
        QTest::newRow("negative") << "-1" << -err::InvalidArgument;
        QTest::newRow("just below zero") << "-0.5" << -err::InvalidArgument;
        QTest::newRow("beyond 32 bits") << "99999999999" << -err::Overflow;
        QTest::newRow("beyond doubles") << "1e999" << -err::Overflow;
    }
    void frameCharacter()
    {
        QFETCH(QString, code);
        QFETCH(int, result);
        try {
            QCOMPARE(int(static_cast<unsigned char>(::frameCharacter(code))), result);
        } catch (const Failure &failure) {
            QCOMPARE(-failure.number, result);
        }
    }

    void acknowledgementAroundItsStamp()
    {
        AckSources sources{{"11", "0", "0", "0", "0"}, {"28", "13", "0", "0", "0"}, "|||||", "||ACK|||||||||", "|AA||||||"};
        const AckParts parts = ackParts(sources);
        QCOMPARE(parts.head + "200509121430" + parts.tail,
                 QByteArray("\x0bMSH|||||200509121430||ACK|||||||||\rMSA|AA||||||\x1c\r"));
        sources.startCodes = {"0", "0", "0", "0", "0"};
        sources.endCodes = {"0", "0", "0", "0", "0"};
        QCOMPARE(ackParts(sources).tail, QByteArray("||ACK|||||||||\rMSA|AA||||||"));  // no CR after the MSA text
        sources.endCodes[4] = QStringLiteral("x");
        QVERIFY_THROWS_EXCEPTION(Failure, ackParts(sources));
    }

    void visibleText()
    {
        const QByteArray framed("\x0bMSH|^~\\&\rPID|\x1c\r");
        QCOMPARE(::visibleText(framed), QStringLiteral("<VT>MSH|^~\\&<CR>PID|<FS><CR>"));
        QCOMPARE(::visibleText(QByteArray("\0\x7f\xe9", 3)), QStringLiteral("<NUL><DEL>\u00e9"));
        QCOMPARE(::visibleText(QByteArray(10, 'x'), 4), QStringLiteral("xxxx\u2026"));
    }
};

QTEST_GUILESS_MAIN(TextForms)
#include "tst_text_forms.moc"
