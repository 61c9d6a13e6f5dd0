// Stamps, numbers, frame codes and the settings file: how text is read,
// written and shown.
#include <QtTest>

#include "failure_number.h"
#include "formats/ack_layout.h"
#include "formats/basic_numbers.h"
#include "formats/frame_code.h"
#include "formats/hl7_field_names.h"
#include "formats/hl7_position.h"
#include "formats/message_framing.h"
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
    }

    // Every byte shown: controls by name, UTF-8 as its character unless that
    // is a control, other bytes from 0xA0 as Latin-1, 0x80 to 0x9F escaped.
    void visibleText()
    {
        const QList<std::pair<QByteArray, QString>> shown = {
            {QByteArray("\x0bM|\0\x7f\x1c\r", 7), QStringLiteral("<VT>M|<NUL><DEL><FS><CR>")},
            {"M\xc3\x9cLLER \xc3\x85\xe2\x82\xac\xf0\x9f\x98\x80", QStringLiteral("M\u00dcLLER \u00c5\u20ac\U0001F600")},
            {"\xe9t\x80\x9c", QStringLiteral("\u00e9t<x80><x9C>")},
            {"\xc2\x85", QStringLiteral("\u00c2<x85>")},  // a control in UTF-8 stays bytes
            {"\xe2\x82|\xc0\xaf|\xed\xa0\x80", QStringLiteral("\u00e2<x82>|\u00c0\u00af|\u00ed\u00a0<x80>")},  // truncated, overlong, surrogate
            {"\xe2\x80\xae|\xe2\x80\x8b", QStringLiteral("\u00e2<x80>\u00ae|\u00e2<x80><x8B>")},  // format characters never raw
        };
        for (const auto &[bytes, text] : shown)
            QCOMPARE(::visibleText(bytes), text);
        QCOMPARE(::visibleText("\xc3\x9c\xc3\x9c", 1), QStringLiteral("\u00dc\u2026"));
    }

    // An arrival one segment a line, and the HL7 position of each character
    // by the separators the message declares.
    void arrivalLinesAndPositions()
    {
        const QByteArray adt = "\x0bMSH|^~\\&|LAB\rPID|1||4711~4712^^^A&B||M\xc3\x9cLLER^HANS\r\n\x1c\r";
        const QList<std::tuple<QByteArray, QString, QString>> cases = {  // arrival, text before the character, position
            {adt, "", ""}, {adt, "<VT>M", "MSH"}, {adt, "<VT>MSH", "MSH-1"}, {adt, "<VT>MSH|^", "MSH-2"},
            {adt, "<VT>MSH|^~\\&|", "MSH-3.1"}, {adt, "<VT>MSH|^~\\&|LAB", ""},
            {adt, "<VT>MSH|^~\\&|LAB<CR>\nPID|1||4711~4712^^^A&", "PID-3(2).4.2"},
            {adt, "<VT>MSH|^~\\&|LAB<CR>\nPID|1||4711~4712^^^A&B||M\u00dc", "PID-5.1"},
            {"MSH#$%@&#A$B\rPV1#X$Y", "MSH#$%@&#A$B<CR>\nPV1#X$", "PV1-1.2"}, {"MSH|^~\\&\rPID|1||4711^A~4712^B", "MSH|^~\\&<CR>\nPID|1||4711^A~4712^", "PID-3(2).2"}, {"PID|1|2", "PID|1", ""}};
        for (const auto &[arrival, before, position] : cases) {
            const MappedText lines = arrivalLines(arrival);
            QVERIFY2(lines.text.startsWith(before) && lines.byteOf.size() == lines.text.size(), qPrintable(lines.text));
            const auto separators = declaredSeparators(arrival);
            QCOMPARE(separators ? hl7Position(arrival, lines.byteOf[before.size()], *separators) : QString(), position);
        }
    }

    // The field's v2.5 name, then its component's by the field's type.
    void fieldNames_data()
    {
        QTest::addColumn<QString>("segment");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("component");
        QTest::addColumn<QString>("description");
        QTest::newRow("PID-5.1") << "PID" << 5 << 1 << "Patient Name, family name";
        QTest::newRow("MSH-9.2") << "MSH" << 9 << 2 << "Message Type, trigger event";
        QTest::newRow("MSH-10") << "MSH" << 10 << 0 << "Message Control ID";
        QTest::newRow("OBX-5.1, type from OBX-2") << "OBX" << 5 << 1 << "Observation Value";
        QTest::newRow("primitive PID-1.1") << "PID" << 1 << 1 << "Set ID - PID";
        QTest::newRow("component past the type's") << "PID" << 5 << 15 << "Patient Name";
        QTest::newRow("past the last") << "PID" << 40 << 0 << "";
        QTest::newRow("field 0") << "PID" << 0 << 0 << "";
        QTest::newRow("unknown segment") << "ZZZ" << 1 << 0 << "";
    }
    void fieldNames()
    {
        QFETCH(QString, segment);
        QFETCH(int, field);
        QFETCH(int, component);
        QFETCH(QString, description);
        QCOMPARE(hl7FieldDescription(segment, field, component), description);
    }

    // Message mode's units ("|" separates reads; "rest" is what a close finds).
    void messageFraming_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<QByteArray>("reads");
        QTest::addColumn<QByteArray>("units");
        QTest::newRow("split in its end") << QByteArray("<") << QByteArray(">.") << QByteArray("<a>|.<b") << QByteArray("M<a>. rest:C<b");
        QTest::newRow("joined, outside bytes") << QByteArray("<") << QByteArray(">") << QByteArray("x<a>y<b><c") << QByteArray("Ox M<a> Oy M<b> rest:C<c");
        QTest::newRow("start split") << QByteArray("<<") << QByteArray(">") << QByteArray("x<|<a>") << QByteArray("Ox M<<a>");
        QTest::newRow("no start codes") << QByteArray() << QByteArray(">") << QByteArray("a>b|c>") << QByteArray("Ma> Mbc>");
        QTest::newRow("no end codes") << QByteArray("<") << QByteArray() << QByteArray("a>b|c") << QByteArray("Ma>b Mc");
        QTest::newRow("a start begun at a close") << QByteArray("<<") << QByteArray(">") << QByteArray("<<a>z<") << QByteArray("M<<a> Oz rest:O<");
    }
    void messageFraming()
    {
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, end);
        QFETCH(QByteArray, reads);
        QFETCH(QByteArray, units);
        const auto written = [](const FramedUnit &unit) { return QByteArray(1, "MOC"[int(unit.kind)]) + unit.bytes; };
        MessageFramer framer;
        QByteArrayList got;
        for (const QByteArray &read : reads.split('|')) {
            for (const FramedUnit &unit : framer.take(read, start, end))
                got += written(unit);
        }
        if (const auto rest = framer.rest())
            got += "rest:" + written(*rest);
        QCOMPARE(got.join(' '), units);
    }

    // A message that never ends is given up at its limit.
    void messageFramingIsBounded()
    {
        MessageFramer framer;
        const QByteArray huge = '<' + QByteArray(MessageFramer::kMostMessage, 'a');
        QList<FramedUnit> units = framer.take(huge, "<", ">");
        units += framer.take("b><c>", "<", ">");
        QCOMPARE(units.size(), 3);
        QCOMPARE(units[0].bytes.size(), huge.size());
        QVERIFY(units[0].kind == FramedUnit::Kind::CutShort && units[1].kind == FramedUnit::Kind::Outside);
        QCOMPARE(units[1].bytes + units[2].bytes, QByteArray("b><c>"));
    }

    // MSA-2 holds a message's control id, read and escaped by each side's separators.
    void answerWithControlId_data()
    {
        QTest::addColumn<QString>("msa");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("tail");  // after the stamp, the end characters FS CR included
        const QByteArray adt = "\x0bMSH#^~\\&#A#B#C#D#2005##ADT^A01#id|7\x1c#P\rPID#1\x1c\r";
        QTest::newRow("default") << "|AA||||||" << QByteArray("MSH|^~\\&|||||||ADT|M1|P") << QByteArray("||ACK|||||||||\rMSA|AA|M1|||||\x1c\r");
        QTest::newRow("fewer fields, other separators") << "|AA" << adt << QByteArray("||ACK|||||||||\rMSA|AA|id\\F\\7\\X1C\\\x1c\r");
        QTest::newRow("MSA-2 given") << "#AE#old#x" << QByteArray("MSH|^~\\&||||||||X") << QByteArray("||ACK|||||||||\rMSA#AE#X#x\x1c\r");
        QTest::newRow("no MSA text, no MSH") << "" << QByteArray("PID|1") << QByteArray("||ACK|||||||||\rMSA||\x1c\r");
    }
    void answerWithControlId()
    {
        QFETCH(QString, msa);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, tail);
        AckSources sources{{"11", "0", "0", "0", "0"}, {"28", "13", "0", "0", "0"}, "|^~\\&|||||", "||ACK|||||||||", msa};
        QCOMPARE(tailWithControlId(ackParts(sources), mshField(message, 10)), tail);
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
        // An entry written only while on, after the others, read wherever it stands.
        const QByteArray on = "[Answer Each Message]\r\nOn\r\n";
        QCOMPARE(crlfLines(settingsFileLines(readFrom(on + written))), written + on);
        QCOMPARE(crlfLines(settingsFileLines(readFrom(written + "[Answer Each Message]\r\nOff\r\n"))), written);
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
