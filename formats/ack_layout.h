#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// What the acknowledgement is made of, apart from its stamp: the frame codes
// as the setup fields hold them and the three texts of the settings.
struct AckSources {
    std::array<QString, 5> startCodes;
    std::array<QString, 5> endCodes;
    QString beforeDate;
    QString afterDate;
    QString msaSegment;

    bool operator==(const AckSources &) const = default;
};

// The acknowledgement is head + the 12-digit stamp + tail:
//   start-of-frame characters, "MSH", the text before the date | stamp |
//   the text after the date, CR, "MSA", the MSA text, end-of-frame characters.
// A code "0" gives no character; any other code that is no character code
// raises its failure (13, 5 or 6).
//
// Answering one message, MSA-2 holds the message's control id: the tail is
// cut where MSA-2 goes (its configured value left out; separators added
// where the MSA text has fewer fields; the MSA text's first character is its
// field separator, "|" when the text is empty).
struct AckParts {
    QByteArray head;
    QByteArray tail;
    QByteArray tailBeforeId;
    QByteArray tailAfterId;
    QByteArray startCharacters;  // the frame characters, the end ones too,
    QByteArray endCharacters;    // for the message mode's framing
    char msaSeparator = '|';
    char escape = '\\';  // the answer's own, from its MSH-2
};

AckParts ackParts(const AckSources &sources);

// The tail of the answer to one message. A control id is put in as the
// answer's MSA-2 can hold it: its field separator escaped as \F\, a frame
// character or line end as \Xhh\ (with the answer's escape character).
QByteArray tailWithControlId(const AckParts &parts, QByteArrayView controlId);
