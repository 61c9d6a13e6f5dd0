#include "formats/settings_format.h"

#include "formats/basic_numbers.h"

namespace {

using Kind = SettingsEntry::Kind;
using PI = ProgramInformation;

// In the order the file is written and blanks are filled.
const SettingsEntry kEntries[] = {
    {"[RemoteIP]", nullptr, Kind::Text, &PI::strRemoteIP, nullptr, "0.0.0.0", "txtRemoteIPAddress", true},
    {"[Port]", nullptr, Kind::Text, &PI::strPort, nullptr, "65535", "txtRemotePort", true},
    {"[AutoStart]", nullptr, Kind::Text, &PI::strAutoStart, nullptr, "Off", nullptr, true},
    {"[ExitWarning]", nullptr, Kind::Text, &PI::strExitWarning, nullptr, "True", nullptr, true},
    // MSH-1 and the encoding characters of MSH-2 come first, so that the
    // stamp lands in MSH-7 and ACK in MSH-9.
    {"[MSH before date]", "[ACK before date]", Kind::Text, &PI::strAckBeforeDate, nullptr, "|^~\\&|||||",
     "txtAckBeforeDate", true},
    {"[MSH after date]", "[ACK after date]", Kind::Text, &PI::strAckAfterDate, nullptr, "||ACK|||||||||",
     "txtAckAfterDate", true},
    {"[MSA Segment]", nullptr, Kind::Text, &PI::strMSASegment, nullptr, "|AA||||||", "txtMSASegment", true},
    {"[Interface Name]", nullptr, Kind::Text, &PI::strInterfaceName, nullptr, "Interface", "txtInterfaceName", true},
    {"[Show Transaction Count]", nullptr, Kind::CountFlag, nullptr, nullptr, "0", "chkShowCount", true},
    {"[Logfile Location]", nullptr, Kind::Text, &PI::strLogfileLocation, nullptr, "logfile.txt", "txtLogfileLocation",
     false},
    {"[Start of Text]", nullptr, Kind::FrameCodes, nullptr, &PI::strSTF, "11", "txtSTF", false},
    {"[End of Text]", nullptr, Kind::FrameCodes, nullptr, &PI::strETF, "28 13", "txtETF", false},
    {"[Answer Each Message]", nullptr, Kind::Switch, &PI::strAnswerEachMessage, nullptr, nullptr,
     "chkAnswerEachMessage", false},
};

bool fillWhenEmpty(QString &setting, const QString &value)
{
    if (!setting.isEmpty())
        return false;
    setting = value;
    return true;
}

// Frame codes are filled silently: an empty first code gets the default
// codes, then every code still empty becomes "0", no character.
void fillFrameCodes(std::array<QString, PI::kFrameCodes> &codes, const char *defaults)
{
    if (codes[0].isEmpty()) {
        const QStringList given = QString::fromLatin1(defaults).split(u' ');
        for (qsizetype i = 0; i < given.size(); ++i)
            codes[size_t(i)] = given[i];
    }
    for (QString &code : codes)
        fillWhenEmpty(code, QStringLiteral("0"));
}

}  // namespace

std::span<const SettingsEntry> settingsEntries()
{
    return kEntries;
}

const SettingsEntry *settingsEntryOf(const QByteArray &item)
{
    if (!item.startsWith('['))
        return nullptr;
    for (const SettingsEntry &entry : kEntries) {
        if (item == entry.header || (entry.secondName && item == entry.secondName))
            return &entry;
    }
    return nullptr;
}

qint16 countFlagOf(const QByteArray &item)
{
    const QString text = QString::fromLatin1(item);
    const std::optional<double> number = leadingNumberIfAny(text);
    if (!number)
        return text.trimmed().isEmpty() ? 0 : -1;  // no flag at all
    return roundToInteger(*number);
}

bool fillBlankSettings(ProgramInformation &info)
{
    bool filled = false;
    for (const SettingsEntry &entry : kEntries) {
        switch (entry.kind) {
        case Kind::Text:
            filled |= fillWhenEmpty(info.*entry.text, QString::fromLatin1(entry.defaultValue));
            break;
        case Kind::CountFlag:
            if (info.intShowCount != 0 && info.intShowCount != 1) {
                info.intShowCount = 0;
                filled = true;
            }
            break;
        case Kind::FrameCodes:
            fillFrameCodes(info.*entry.codes, entry.defaultValue);
            break;
        case Kind::Switch:
            break;  // absent is off
        }
    }
    return filled;
}

QList<QByteArray> settingsFileLines(const ProgramInformation &stored)
{
    QList<QByteArray> lines;
    lines.reserve(43);
    for (const SettingsEntry &entry : kEntries) {
        switch (entry.kind) {
        case Kind::Text:
            lines << entry.header << (stored.*entry.text).toLatin1();
            break;
        case Kind::CountFlag:
            lines << entry.header << printForm(stored.intShowCount);
            break;
        case Kind::FrameCodes:
            lines << entry.header;
            for (const QString &code : stored.*entry.codes)
                lines << code.toLatin1();
            break;
        case Kind::Switch:
            if (stored.*entry.text == QLatin1String("On"))
                lines << entry.header << "On";
            break;
        }
        if (entry.blankLineAfter)
            lines << QByteArray();
    }
    return lines;
}
