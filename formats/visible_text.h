#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

// Bytes as the operator sees them, wherever the program shows received or
// sent bytes. Printable ASCII shows as itself and control characters by
// name (<VT>, <CR>, <FS>, <DEL>, …); a well-formed UTF-8 sequence shows as
// its character, unless that character is a control, which shows as bytes;
// any other byte from 0xA0 to 0xFF shows as its Latin-1 character and one
// from 0x80 to 0x9F as an escape such as <x9C>. A character that would show
// blank or move the text around it (format and bidi controls, line and
// paragraph separators, non-characters, the no-break space, the soft hyphen)
// shows as an escape: <U+202E> for its UTF-8 sequence, <xA0> or <xAD> for a
// Latin-1 byte. So the shown text never holds a raw control character, which
// a text layout could swallow together with the text around it, and the
// bytes underneath stay exactly as they are.

// How many bytes a shown text holds at most unless told otherwise.
inline constexpr qsizetype kMostShownBytes = 4096;

// At most `limit` bytes shown; a text cut short ends with "…".
QString visibleText(QByteArrayView bytes, qsizetype limit = kMostShownBytes);

// A stretch of the shown text whose characters all show bytes one way.
struct VisibleRun {
    enum class Kind {
        Plain,   // printable ASCII and single Latin-1 characters
        Name,    // control characters by name: <CR>
        Escape,  // bytes and characters shown by number: <x9C>, <xA0>, <U+202E>
        Utf8,    // characters decoded from multi-byte UTF-8
    };
    Kind kind;
    QString text;          // as visibleText spells it
    qsizetype firstByte;   // where the run's bytes start in the input
    qsizetype byteCount;
};

// The same text as visibleText, cut the same way, as runs of one kind each
// (neighbours of one kind merged), so their texts joined are visibleText's.
// The "…" of a cut ends a trailing Plain run, one of no bytes where the last
// run is of another kind; no byte shows as "…" in a Plain run otherwise.
QList<VisibleRun> visibleRuns(QByteArrayView bytes, qsizetype limit = kMostShownBytes);

// How an arrival's bytes above 0x7F read as shown.
enum class Decoding {
    Ascii,   // none there
    Utf8,    // all in well-formed UTF-8 sequences
    Latin1,  // all shown as single bytes (Latin-1 characters or escapes)
    Mixed,   // both well-formed UTF-8 sequences and bytes shown as Latin-1/escapes
};
Decoding decodingOf(QByteArrayView bytes);
// "ASCII", "UTF-8", "ISO 8859-1", "mixed UTF-8 and ISO 8859-1".
QString decodingName(Decoding decoding);

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
