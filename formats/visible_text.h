#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

// Bytes as the operator sees them, wherever the program shows received or
// sent bytes. Printable ASCII shows as itself and control characters by
// name (<VT>, <CR>, <FS>, <DEL>, …); a well-formed UTF-8 sequence shows as
// its character, unless that character is itself a control or formatting
// character; any other byte from 0xA0 to 0xFF shows as its Latin-1
// character and one from 0x80 to 0x9F as an escape such as <x9C>. So the
// shown text never holds a raw control character, which a text layout could
// swallow together with the text around it, and the bytes underneath stay
// exactly as they are.

// At most `limit` bytes shown; a text cut short ends with "…".
QString visibleText(QByteArrayView bytes, qsizetype limit = 4096);

// The shown text together with, for each of its characters, the index of
// the byte it shows.
struct MappedText {
    QString text;
    QList<qsizetype> byteOf;
};

// An arrival laid out for reading: one line per segment. A segment ends
// after a CR, a CR LF or an LF, which shows at the end of its line; the
// line breaks added between lines show no byte (-1).
MappedText arrivalLines(QByteArrayView bytes);
