#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// What find looks for: a value at an HL7 position, "PID-3=12345",
// "MSH-9=ADT^A01", "PID-5.1=Müller", "PID-3(2).1=4712": a segment, a field,
// optionally a repetition and a component, and the value that position must
// hold exactly.
struct FieldQuery {
    QByteArray segment;
    int field = 0;
    int repetition = 0;  // 0: any repetition
    int component = 0;   // 0: the whole field (or repetition)
    QString value;
};

// nullopt: not of that form (then the text is searched as plain text). The
// segment's name may be typed in lower case.
std::optional<FieldQuery> parseFieldQuery(QStringView text);

// Whether a message holds the value there: in any segment of that name, by
// the separators the message declares (MSH-1/MSH-2; MSH's field numbering
// counts MSH-1 as the separator); never in a message without MSH. The value
// is compared as the bytes would read in ISO 8859-1 and in UTF-8 (either
// matches); with no repetition given, the whole field matches too.
bool fieldMatches(QByteArrayView message, const FieldQuery &query);

// Plain text: whether the bytes contain the text, ASCII letters compared
// without regard to case, the text taken both as UTF-8 and as ISO 8859-1
// bytes.
bool textMatches(QByteArrayView bytes, QStringView text);
