#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
