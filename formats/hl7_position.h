#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The separators an HL7 v2 message declares in its MSH segment: the field
// separator right after "MSH", then the encoding characters (component,
// repetition, escape, subcomponent), whatever characters the sender chose.
struct Hl7Separators {
    char field = '|';
    QByteArray encoding;  // as declared: up to four characters

    std::optional<char> component() const { return encodingAt(0); }
    std::optional<char> repetition() const { return encodingAt(1); }
    std::optional<char> subcomponent() const { return encodingAt(3); }

private:
    std::optional<char> encodingAt(qsizetype i) const
    {
        return i < encoding.size() ? std::optional<char>(encoding[i]) : std::nullopt;
    }
};

// The separators of the arrival's first MSH segment; none without one.
std::optional<Hl7Separators> declaredSeparators(QByteArrayView arrival);

// Field `number` (2 and up) of the first MSH segment, by the separator it
// declares: 9 the message type, 10 the control id. Empty where there is none.
QByteArrayView mshField(QByteArrayView message, int number);

// Where byte `at` of the arrival lies, named the HL7 way: "PID-5.1" (field 5,
// component 1), "PID-3(2).1" in a field's second repetition, "PID-5.1.2" in a
// component's second subcomponent, "MSH-1" and "MSH-2" for the separators
// themselves, "PID" on the segment's name. Empty where no segment is (the
// frame characters, the line ends).
QString hl7Position(QByteArrayView arrival, qsizetype at, const Hl7Separators &separators);

// The segments of a message, each from its name (frame characters and other
// control bytes before it skipped) to its line end, empty lines left out.
// Each is a view into the message, so data() tells where it starts.
QList<QByteArrayView> hl7Segments(QByteArrayView message);

// A segment's fields, numbered as positions name them: [0] the segment's
// name, then field 1 on; in MSH, [1] is the field separator itself and [2]
// the encoding characters.
QList<QByteArrayView> hl7Fields(QByteArrayView segment, char fieldSeparator);

// A field's repetitions or a repetition's components: the parts between
// `separator`s, the whole as one part where none is declared or found.
QList<QByteArrayView> hl7Parts(QByteArrayView text, std::optional<char> separator);

// One non-empty field, repetition or component of a message, for the
// viewer's table. Offsets are into the message.
struct Hl7Cell {
    qsizetype segmentStart;
    QByteArray segment;  // its name: "PID"
    int field;
    int repetition;  // from 1; 1 where the field does not repeat
    int component;   // from 1; 0 where the repetition has no components
    qsizetype start;
    qsizetype length;
};

// Every non-empty field, repetition and component of the message, in order:
// one cell per component that has text, a repetition without component
// separators one cell of component 0, MSH-1 and MSH-2 cells of their own.
QList<Hl7Cell> hl7Cells(QByteArrayView message, const Hl7Separators &separators);
