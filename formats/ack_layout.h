#pragma once

#include <QByteArray>
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
struct AckParts {
    QByteArray head;
    QByteArray tail;
};

AckParts ackParts(const AckSources &sources);
