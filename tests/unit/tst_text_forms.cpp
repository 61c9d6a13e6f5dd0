// Stamps, numbers and frame codes, and how they are written and shown.
#include <QtTest>

#include "formats/ack_layout.h"
#include "formats/basic_numbers.h"
#include "formats/frame_code.h"
#include "formats/report_lines.h"
#include "formats/stamp.h"
#include "formats/visible_text.h"
#include "failure_number.h"

class TextForms : public QObject {
    Q_OBJECT
private slots:
    void stampsAndLineShapes()
    {
        QCOMPARE(stampOf(QDateTime(QDate(2005, 3, 5), QTime(9, 7, 45))), QStringLiteral("200503050907"));
        QCOMPARE(stampOf(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))), QStringLiteral("199912312359"));
        QCOMPARE(printForm(0), QByteArray(" 0 "));
        QCOMPARE(printForm(-5), QByteArray("-5 "));
        QCOMPARE(printForm(2147483647), QByteArray(" 2147483647 "));
        QCOMPARE(textAndNumber("Index is ", 1), QByteArray("Index is  1 "));
        QCOMPARE(errorRecordLines(10054, QStringLiteral("200503050907")), QList<QByteArray>({" 10054 ", "200503050907"}));
        QCOMPARE(errorRecordLines(-1, QStringLiteral("200503050907"))[0], QByteArray("-1 "));
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");  // as the port boxes write it back
        QTest::newRow("blanks, then letters") << "   65535abc" << 65535.0 << "65535";
        QTest::newRow("fraction") << "2575.5" << 2575.5 << "2575.5";
        QTest::newRow("letter first") << "abc123" << 0.0 << "0";
        QTest::newRow("sign only") << "-" << 0.0 << "0";
        QTest::newRow("negative, leading zeros") << "-007" << -7.0 << "-7";
        QTest::newRow("exponent") << "1e3" << 1000.0 << "1000";
        QTest::newRow("exponent without digits") << "12e+x" << 12.0 << "12";
        QTest::newRow("inner blank ends it") << "1 2" << 1.0 << "1";
        QTest::newRow("too small to hold") << "1e-999" << 0.0 << "0";
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(::leadingNumber(text), value);
        QCOMPARE(shortestDecimal(::leadingNumber(text)), shown);
    }

    void numbersBeyondTheirType()
    {
        QCOMPARE(failureNumberOf([] { ::leadingNumber(u"1e999"); }), err::Overflow);
        QCOMPARE(roundToLong(2.5), 2);  // halves go to the even neighbour
        QCOMPARE(roundToLong(3.5), 4);
        QCOMPARE(failureNumberOf([] { roundToInteger(32767.5); }), err::Overflow);
        QCOMPARE(checkedAdd<qint32>(2147483646, 1), 2147483647);
        QCOMPARE(failureNumberOf([] { checkedAdd<qint32>(2147483647, 1); }), err::Overflow);
        QCOMPARE(failureNumberOf([] { checkedAdd<qint16>(32767, 1); }), err::Overflow);
    }

    void truthValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("truth");  // 1 true, 0 false, -1 type mismatch
        QTest::newRow("fAlSe") << "fAlSe" << 0;
        QTest::newRow("true") << "true" << 1;
        QTest::newRow("zero with blanks") << " 0 " << 0;
        QTest::newRow("minus one") << "-1" << 1;
        QTest::newRow("Yes") << "Yes" << -1;
        QTest::newRow("number, then a word") << "1abc" << -1;
    }
    void truthValue()
    {
        QFETCH(QString, text);
        QFETCH(int, truth);
        int got = -1;
        QCOMPARE(failureNumberOf([&] { got = ::truthValue(text); }), truth < 0 ? err::TypeMismatch : err::NoNumber);
        QCOMPARE(got, truth);
    }

    void frameCharacter_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("result");  // the character's code, or minus the failure number
        QTest::newRow("blanks around") << " 28 " << 28;
        QTest::newRow("two zeros give NUL") << "00" << 0;
        QTest::newRow("fraction rounds down") << "11.9" << 11;
        QTest::newRow("largest") << "255" << 255;
        QTest::newRow("empty") << "" << -err::TypeMismatch;
        QTest::newRow("number, then a letter") << "1x" << -err::TypeMismatch;
        QTest::newRow("above 255") << "300" << -err::InvalidArgument;
        QTest::newRow("just below zero") << "-0.5" << -err::InvalidArgument;
        QTest::newRow("beyond 32 bits") << "99999999999" << -err::Overflow;
    }
    void frameCharacter()
    {
        QFETCH(QString, code);
        QFETCH(int, result);
        int got = 0;
        const qint32 failure = failureNumberOf([&] { got = static_cast<unsigned char>(::frameCharacter(code)); });
        QCOMPARE(failure ? -failure : got, result);
    }

    void acknowledgementAroundItsStamp()
    {
        AckSources sources{{"11", "0", "0", "0", "0"}, {"28", "13", "0", "0", "0"}, "|||||", "||ACK|||||||||", "|AA||||||"};
        const AckParts parts = ackParts(sources);
        QCOMPARE(parts.head + "200509121430" + parts.tail,
                 QByteArray("\x0bMSH|||||200509121430||ACK|||||||||\rMSA|AA||||||\x1c\r"));
        sources.startCodes = {"0", "11", "0", "12", "0"};
        sources.endCodes = {"0", "0", "0", "0", "0"};
        QCOMPARE(ackParts(sources).head, QByteArray("\x0b\x0cMSH|||||"));
        QCOMPARE(ackParts(sources).tail, QByteArray("||ACK|||||||||\rMSA|AA||||||"));  // no CR after the MSA text
        sources.endCodes[4] = QStringLiteral("x");
        QCOMPARE(failureNumberOf([&] { ackParts(sources); }), err::TypeMismatch);
    }

    void visibleText()
    {
        QCOMPARE(::visibleText("\x0bMSH|^~\\&\rPID|\x1c\r"), QStringLiteral("<VT>MSH|^~\\&<CR>PID|<FS><CR>"));
        QCOMPARE(::visibleText(QByteArray("\0\x7f\xe9", 3)), QStringLiteral("<NUL><DEL>\u00e9"));
        QCOMPARE(::visibleText(QByteArray(10, 'x'), 4), QStringLiteral("xxxx\u2026"));
    }
};

QTEST_GUILESS_MAIN(TextForms)
#include "tst_text_forms.moc"
