// Stamps, numbers and frame codes, and how they are written and shown.
#include <QtTest>

#include "formats/ack_layout.h"
#include "formats/basic_numbers.h"
#include "formats/frame_code.h"
#include "formats/hl7_position.h"
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

    void visibleText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<QString>("shown");
        QTest::newRow("frame and segment ends named") << QByteArray("\x0bMSH|^~\\&\rPID|\x1c\r") << qsizetype(99)
                                                      << QStringLiteral("<VT>MSH|^~\\&<CR>PID|<FS><CR>");
        QTest::newRow("NUL, DEL") << QByteArray("\0\x7f", 2) << qsizetype(99) << QStringLiteral("<NUL><DEL>");
        QTest::newRow("UTF-8 holding 0x9C") << QByteArray("M\xc3\x9cLLER^HANS") << qsizetype(99)
                                            << QStringLiteral("M\u00dcLLER^HANS");
        QTest::newRow("UTF-8 of 3 and 4 bytes") << QByteArray("\xc3\x85STR\xc3\x96M \xe2\x82\xac \xf0\x9f\x98\x80")
                                                << qsizetype(99) << QStringLiteral("\u00c5STR\u00d6M \u20ac \U0001F600");
        QTest::newRow("Latin-1 alone") << QByteArray("\xe9t\xe9") << qsizetype(99) << QStringLiteral("\u00e9t\u00e9");
        QTest::newRow("0x80 to 0x9F escaped") << QByteArray("\x80\x9c") << qsizetype(99) << QStringLiteral("<x80><x9C>");
        QTest::newRow("a UTF-8 control is bytes") << QByteArray("\xc2\x85") << qsizetype(99) << QStringLiteral("\u00c2<x85>");
        QTest::newRow("truncated, overlong, surrogate") << QByteArray("\xe2\x82|\xc0\xaf|\xed\xa0\x80") << qsizetype(99)
                                                        << QStringLiteral("\u00e2<x82>|\u00c0\u00af|\u00ed\u00a0<x80>");
        QTest::newRow("cut short") << QByteArray(10, 'x') << qsizetype(4) << QStringLiteral("xxxx\u2026");
    }
    void visibleText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, limit);
        QFETCH(QString, shown);
        QCOMPARE(::visibleText(bytes, limit), shown);
    }

    // An arrival laid out one segment per line, and the HL7 position of a
    // character, by the separators the message declares.
    void arrivalLinesAndPositions_data()
    {
        QTest::addColumn<QByteArray>("arrival");
        QTest::addColumn<QString>("at");  // the shown text up to the character, which follows
        QTest::addColumn<QString>("position");
        const QByteArray adt = "\x0bMSH|^~\\&|LAB\rPID|1||4711~4712^^^A&B||M\xc3\x9cLLER^HANS\r\n\x1c\r";
        QTest::newRow("frame character") << adt << "" << "";
        QTest::newRow("segment name") << adt << "<VT>M" << "MSH";
        QTest::newRow("field separator") << adt << "<VT>MSH" << "MSH-1";
        QTest::newRow("encoding characters") << adt << "<VT>MSH|^" << "MSH-2";
        QTest::newRow("after them") << adt << "<VT>MSH|^~\\&|" << "MSH-3.1";
        QTest::newRow("segment end") << adt << "<VT>MSH|^~\\&|LAB" << "";
        QTest::newRow("second repetition, subcomponent") << adt << "<VT>MSH|^~\\&|LAB<CR>\nPID|1||4711~4712^^^A&"
                                                         << "PID-3(2).4.2";
        QTest::newRow("after a UTF-8 letter") << adt << "<VT>MSH|^~\\&|LAB<CR>\nPID|1||4711~4712^^^A&B||M\u00dc"
                                              << "PID-5.1";
        QTest::newRow("next component") << adt << "<VT>MSH|^~\\&|LAB<CR>\nPID|1||4711~4712^^^A&B||M\u00dcLLER^"
                                        << "PID-5.2";
        QTest::newRow("unusual separators") << QByteArray("MSH#$%@&#A$B\rPV1#X$Y") << "MSH#$%@&#A$B<CR>\nPV1#X$"
                                            << "PV1-1.2";
        QTest::newRow("no MSH") << QByteArray("PID|1|2") << "PID|1" << "";
    }
    void arrivalLinesAndPositions()
    {
        QFETCH(QByteArray, arrival);
        QFETCH(QString, at);
        QFETCH(QString, position);
        const MappedText lines = arrivalLines(arrival);
        QVERIFY2(lines.text.startsWith(at), qPrintable(lines.text));
        QCOMPARE(lines.byteOf.size(), lines.text.size());
        const auto separators = declaredSeparators(arrival);
        QCOMPARE(separators ? hl7Position(arrival, lines.byteOf[at.size()], *separators) : QString(), position);
    }
};

QTEST_GUILESS_MAIN(TextForms)
#include "tst_text_forms.moc"
