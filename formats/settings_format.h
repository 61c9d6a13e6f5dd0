#pragma once

#include "formats/program_information.h"

#include <QByteArray>
#include <QList>

// The settings file "corvconf.ini": single-byte text, a header line in square
// brackets followed by its value line, or by five lines for the frame codes.

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

// The file as the writer always produces it: 41 lines, without line ends.
QList<QByteArray> settingsFileLines(const ProgramInformation &stored);

// --- implementation details of the reader ---

enum class SettingsEntry { None, RemoteIP, Port, AutoStart, ExitWarning, AckBeforeDate, AckAfterDate,
                           MSASegment, InterfaceName, ShowCount, LogfileLocation, StartOfText, EndOfText };

SettingsEntry settingsEntryOf(const QByteArray &item);
// The text setting that an entry's value goes into; nullptr for the count
// flag and the frame codes.
QString *textSettingOf(SettingsEntry entry, ProgramInformation &info);
inline constexpr qint16 kNotAFlag = -1;
qint16 countFlagOf(const QByteArray &item);

template <typename ItemSource>
void readSettingsItems(ItemSource &source, ProgramInformation &info)
{
    while (!source.atEnd()) {
        const SettingsEntry entry = settingsEntryOf(source.readItem());
        switch (entry) {
        case SettingsEntry::None:
            break;
        case SettingsEntry::ShowCount:
            info.intShowCount = countFlagOf(source.readItem());
            break;
        case SettingsEntry::StartOfText:
        case SettingsEntry::EndOfText: {
            auto &codes = entry == SettingsEntry::StartOfText ? info.strSTF : info.strETF;
            for (QString &code : codes)
                code = QString::fromLatin1(source.readItem());
            break;
        }
        default:
            *textSettingOf(entry, info) = QString::fromLatin1(source.readItem());
            break;
        }
    }
}
