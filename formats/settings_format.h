#pragma once

#include "formats/program_information.h"

#include <QByteArray>
#include <QList>

#include <span>

// The settings file "corvconf.ini": single-byte text, a header line in square
// brackets followed by its value line, or by five lines for the frame codes.
// One table of entries drives the reader, the defaults, the writer and the
// copying between the settings and the controls that hold them.
struct SettingsEntry {
    enum class Kind {
        Text,        // one value line
        CountFlag,   // one value line, a number printed the way numbers are
        FrameCodes,  // five value lines
        Switch,      // written, as "On", only while it is on
    };
    const char *header;
    const char *secondName;  // an older header, still read, never written
    Kind kind;
    QString ProgramInformation::*text;  // Text and Switch
    std::array<QString, ProgramInformation::kFrameCodes> ProgramInformation::*codes;  // FrameCodes
    // What an empty value becomes. Frame codes: the first codes, blank-separated,
    // given when the first is empty; every other empty code becomes "0".
    const char *defaultValue;
    // The control that holds the value between saves, by object name (frame
    // codes "txtSTF(0)" to "txtSTF(4)"); null where the variable holds it.
    const char *control;
    bool blankLineAfter;
};

std::span<const SettingsEntry> settingsEntries();

// The entry a header item names; null for anything else.
const SettingsEntry *settingsEntryOf(const QByteArray &item);

// Fills the record from the items a source hands out (a file channel, or a
// list in tests), value by value, so that a failure leaves in the record what
// was read before it. Headers are matched exactly; other items are skipped;
// the last of a repeated entry wins. A header whose value is missing raises
// the source's end-of-file failure; a count flag beyond 16 bits is failure 6.
template <typename ItemSource>
void readSettingsItems(ItemSource &source, ProgramInformation &info);

// Gives every empty setting its default. True when one of the ten single
// settings was filled, which the operator is told about; frame codes are
// filled silently.
bool fillBlankSettings(ProgramInformation &info);

// The file as the writer produces it, without line ends: 41 lines, and two
// more while an entry that is written only when on is on.
QList<QByteArray> settingsFileLines(const ProgramInformation &stored);

// A count flag's value item; an empty one reads as 0 and one beyond 16 bits
// is failure 6. A word reads as a value the defaults replace by 0.
qint16 countFlagOf(const QByteArray &item);

template <typename ItemSource>
void readSettingsItems(ItemSource &source, ProgramInformation &info)
{
    while (!source.atEnd()) {
        const SettingsEntry *entry = settingsEntryOf(source.readItem());
        if (!entry)
            continue;
        switch (entry->kind) {
        case SettingsEntry::Kind::CountFlag:
            info.intShowCount = countFlagOf(source.readItem());
            break;
        case SettingsEntry::Kind::FrameCodes:
            for (QString &code : info.*entry->codes)
                code = QString::fromLatin1(source.readItem());
            break;
        case SettingsEntry::Kind::Text:
        case SettingsEntry::Kind::Switch:
            info.*entry->text = QString::fromLatin1(source.readItem());
            break;
        }
    }
}
