// Stamps, numbers, frame codes and the settings file: how text is read,
// written and shown.
#include <QtTest>

#include "failure_number.h"
#include "formats/ack_layout.h"
#include "formats/arrival_shape.h"
#include "formats/basic_numbers.h"
#include "formats/field_query.h"
#include "formats/frame_code.h"
#include "formats/hex_view.h"
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
    // is a control, other bytes from 0xA0 as Latin-1, 0x80 to 0x9F escaped,
    // characters that show blank or move text as escapes; the runs a painter
    // draws ("kind first:count") and the decoding the bytes read as.
    void shownBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<QString>("decoding");
        QTest::newRow("controls") << QByteArray("\x0bM|\0\x7f\x1c\r", 7) << 99 << "<VT>M|<NUL><DEL><FS><CR>" << "N0:1 P1:2 N3:4" << "ASCII";
        QTest::newRow("UTF-8") << QByteArray("M\xc3\x9cLLER \xc3\x85\xe2\x82\xac\xf0\x9f\x98\x80") << 99 << "M\u00dcLLER \u00c5\u20ac\U0001F600" << "P0:1 U1:2 P3:5 U8:9" << "UTF-8";
        QTest::newRow("Latin-1") << QByteArray("\xe9t\x80\x9c") << 99 << "\u00e9t<x80><x9C>" << "P0:2 E2:2" << "ISO 8859-1";
        QTest::newRow("a control in UTF-8 stays bytes") << QByteArray("\xc2\x85") << 99 << "\u00c2<x85>" << "P0:1 E1:1" << "ISO 8859-1";
        QTest::newRow("truncated, overlong, surrogate") << QByteArray("\xe2\x82|\xc0\xaf|\xed\xa0\x80") << 99 << "\u00e2<x82>|\u00c0\u00af|\u00ed<xA0><x80>" << "P0:1 E1:1 P2:5 E7:2" << "ISO 8859-1";
        QTest::newRow("format characters") << QByteArray("\xe2\x80\xae|\xe2\x80\x8b") << 99 << "<U+202E>|<U+200B>" << "E0:3 P3:1 E4:3" << "UTF-8";
        QTest::newRow("blank or moving") << QByteArray("\xa0\xad\xc2\xa0\xc2\xad\xe2\x80\xa8\xef\xb7\x90\xf0\x9f\xbf\xbf\xf4\x8f\xbf\xbf\xe2\x81\xa6")
                                         << 99 << "<xA0><xAD><U+00A0><U+00AD><U+2028><U+FDD0><U+1FFFF><U+10FFFF><U+2066>" << "E0:23" << "mixed UTF-8 and ISO 8859-1";
        QTest::newRow("\u00e9 in UTF-8") << QByteArray("M\xc3\xa9ller") << 99 << "M\u00e9ller" << "P0:1 U1:2 P3:4" << "UTF-8";
        QTest::newRow("\u00e9 in Latin-1") << QByteArray("M\xe9ller") << 99 << "M\u00e9ller" << "P0:6" << "ISO 8859-1";
        QTest::newRow("cut in a character") << QByteArray("\xc3\x9c\xc3\x9c") << 1 << "\u00dc\u2026" << "U0:2 P2:0" << "UTF-8";
        QTest::newRow("a sender's \"<CR>\" and the byte") << QByteArray("<CR>\r") << 99 << "<CR><CR>" << "P0:4 N4:1" << "ASCII";
        QTest::newRow("cut after plain") << QByteArray("ab\x01") << 2 << "ab\u2026" << "P0:2" << "ASCII";
    }
    void shownBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, limit);
        QString joined;
        QStringList layout;
        for (const VisibleRun &run : visibleRuns(bytes, limit)) {
            joined += run.text;
            layout += QStringLiteral("%1%2:%3").arg(QChar(u"PNEU"[int(run.kind)])).arg(run.firstByte).arg(run.byteCount);
        }
        QTEST(joined, "text");
        QTEST(layout.join(u' '), "runs");
        QCOMPARE(::visibleText(bytes, limit), joined);
        QTEST(decodingName(decodingOf(bytes)), "decoding");
    }

    // The hex view's lines line up, a short last one too.
    void hexLines_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("line");
        QTest::newRow("full") << 16 << "00000010  4d 53 48 7c 5e 7e 5c 26  7c 41 7c 42 7c 43 7c 44  |MSH|^~\\&|A|B|C|D|";
        QTest::newRow("short") << 32 << "00000020  0d 1c ff" + QString(42, u' ') + "|...|";
        QTest::newRow("past the end") << 48 << "";
    }
    void hexLines()
    {
        QFETCH(int, offset);
        QTEST(hexLine("0123456789abcdefMSH|^~\\&|A|B|C|D\r\x1c\xff", offset), "line");
    }

    // How an arrival stands to the frames.
    void arrivalShapes_data()
    {
        QTest::addColumn<QByteArray>("arrival");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<QString>("shape");
        const QByteArray vt = "\x0b", fsCr = "\x1c\r";
        QTest::newRow("one whole") << QByteArray("\x0b" "A\x1c\r") << vt << fsCr << "";
        QTest::newRow("whole, then begun") << QByteArray("\x0b" "A\x1c\r\x0b" "B") << vt << fsCr << "continues in the next arrival; holds 1 framed message";
        QTest::newRow("the rest") << QByteArray("B\x1c\r") << vt << fsCr << "continues the previous arrival";
        QTest::newRow("three, bytes between") << QByteArray("\x0b" "A\x1c\rx\x0b" "B\x1c\r\x0b" "C\x1c\r") << vt << fsCr << "holds 3 framed messages";
        QTest::newRow("no start characters") << QByteArray("A\x1c\rB\x1c\r") << QByteArray() << fsCr << "holds 2 framed messages";
        QTest::newRow("no end characters") << QByteArray("\x0b" "A") << vt << QByteArray() << "";
        QTest::newRow("nothing") << QByteArray() << QByteArray() << QByteArray() << "holds no framed message";
    }
    void arrivalShapes()
    {
        QFETCH(QByteArray, arrival);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, end);
        QTEST(shapeDescription(arrivalShape(arrival, start, end)), "shape");
    }

    // Find as the list runs it: a position's value where the text is a query
    // ("segment-field(repetition).component=value"), else the text.
    void find_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        const QByteArray adt = "\x0bMSH|^~\\&|LAB||||||ADT^A01|M1\rPID|1||4711^^^A~4712^^^B||M\xc3\xbcller^H\rPID|2||99\r\x1c\r";
        const QByteArray latin1 = "MSH#$~\\&\rPID#1##4711$A~4712$B##M\xfcller";
        QTest::newRow("repetition's component") << adt << "PID-3(2).1=4712" << true;
        QTest::newRow("other repetition's") << adt << "PID-3(1).1=4712" << false;
        QTest::newRow("any repetition's") << adt << "PID-3.1=4712" << true;
        QTest::newRow("a repetition whole") << adt << "PID-3=4711^^^A" << true;
        QTest::newRow("the field whole") << adt << "PID-3=4711^^^A~4712^^^B" << true;
        QTest::newRow("exactly") << adt << "PID-3=4711" << false;
        QTest::newRow("second segment, lower case") << adt << "pid-3=99" << true;
        QTest::newRow("past the repetitions") << adt << "PID-3(3)=" << true;
        QTest::newRow("MSH-9") << adt << "MSH-9.2=A01" << true;
        QTest::newRow("MSH-2 unsplit") << adt << "MSH-2=^~\\&" << true;
        QTest::newRow("UTF-8 value") << adt << "PID-5.1=M\u00fcller" << true;
        QTest::newRow("Latin-1 value, own separators") << latin1 << "PID-5=M\u00fcller" << true;
        QTest::newRow("own separators") << latin1 << "PID-3(2).2=B" << true;
        QTest::newRow("no MSH") << QByteArray("PID|1||9") << "PID-3=9" << false;
        QTest::newRow("text, case aside") << adt << "adt^a0" << true;
        QTest::newRow("text as UTF-8") << adt << "M\u00fcLLER" << true;
        QTest::newRow("text as Latin-1") << latin1 << "m\u00fcller" << true;
        QTest::newRow("only ASCII letters fold") << adt << "M\u00dcller" << false;
        for (const char *text : {"PID-0=1", "PID-3", "PID3=1", "PI-3=1", "1ID-3=1", "PID-3(2=1", "PID-3.=1", "PID-3()=1", "PID-3 =1", "PID-12345=1", "PID-03=1"})
            QTest::newRow(text) << QByteArray(text) << text << true;  // as text, since no query could match without MSH
    }
    void find()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const auto query = parseFieldQuery(text);
        QTEST(query ? fieldMatches(bytes, *query) : textMatches(bytes, text), "found");
    }

    // The table view's cells: "segment start, position, start+length".
    void cells_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("cells");
        QTest::newRow("ADT") << QByteArray("\x0bMSH|^~\\&|A\rPID|1||4711~4712^^^B||M^H\r\x1c\r")
                             << "1 MSH-1(1).0 4+1, 1 MSH-2(1).0 5+4, 1 MSH-3(1).0 10+1, 12 PID-1(1).0 16+1, 12 PID-3(1).0 19+4, "
                                "12 PID-3(2).1 24+4, 12 PID-3(2).4 31+1, 12 PID-5(1).1 34+1, 12 PID-5(1).2 36+1";
        QTest::newRow("own separators") << QByteArray("MSH#$%\\&\nZ1#a$b%c&d") << "0 MSH-1(1).0 3+1, 0 MSH-2(1).0 4+4, 9 Z1-1(1).1 12+1, 9 Z1-1(1).2 14+1, 9 Z1-1(2).0 16+3";
    }
    void cells()
    {
        QFETCH(QByteArray, message);
        QStringList got;
        for (const Hl7Cell &c : hl7Cells(message, *declaredSeparators(message)))
            got += QStringLiteral("%1 %2-%3(%4).%5 %6+%7").arg(c.segmentStart).arg(c.segment).arg(c.field).arg(c.repetition).arg(c.component).arg(c.start).arg(c.length);
        QTEST(got.join(QStringLiteral(", ")), "cells");
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
