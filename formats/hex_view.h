#pragma once

#include <QByteArrayView>
#include <QString>

// How many bytes one line of the hex view shows.
inline constexpr qsizetype kHexLineBytes = 16;

// One line of an arrival's hex view, from byte `offset` (a multiple of 16):
// "00000010  4d 53 48 7c 5e 7e 5c 26  7c 41 7c 42 7c 43 7c 44  |MSH|^~\&|A|B|C|D|",
// the offset, the bytes in hex (a gap after the eighth), then the bytes
// between bars, "." for each outside 0x20-0x7E. A short last line keeps the
// bars where a full line has them; nothing where no byte is.
QString hexLine(QByteArrayView bytes, qsizetype offset);
