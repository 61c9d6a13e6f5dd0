#include "formats/settings_format.h"

#include "formats/basic_numbers.h"

SettingsEntry settingsEntryOf(const QByteArray &item)
{
    static const std::pair<const char *, SettingsEntry> headers[] = {
        {"[RemoteIP]", SettingsEntry::RemoteIP},
        {"[Port]", SettingsEntry::Port},
        {"[AutoStart]", SettingsEntry::AutoStart},
        {"[ExitWarning]", SettingsEntry::ExitWarning},
        {"[MSH before date]", SettingsEntry::AckBeforeDate},
        {"[ACK before date]", SettingsEntry::AckBeforeDate},
        {"[MSH after date]", SettingsEntry::AckAfterDate},
        {"[ACK after date]", SettingsEntry::AckAfterDate},
        {"[MSA Segment]", SettingsEntry::MSASegment},
        {"[Interface Name]", SettingsEntry::InterfaceName},
        {"[Show Transaction Count]", SettingsEntry::ShowCount},
        {"[Logfile Location]", SettingsEntry::LogfileLocation},
        {"[Start of Text]", SettingsEntry::StartOfText},
        {"[End of Text]", SettingsEntry::EndOfText},
    };
    if (!item.startsWith('['))
        return SettingsEntry::None;
    for (const auto &[header, entry] : headers) {
        if (item == header)
            return entry;
    }
    return SettingsEntry::None;
}

QString *textSettingOf(SettingsEntry entry, ProgramInformation &info)
{
    switch (entry) {
    case SettingsEntry::RemoteIP: return &info.strRemoteIP;
    case SettingsEntry::Port: return &info.strPort;
    case SettingsEntry::AutoStart: return &info.strAutoStart;
    case SettingsEntry::ExitWarning: return &info.strExitWarning;
    case SettingsEntry::AckBeforeDate: return &info.strAckBeforeDate;
    case SettingsEntry::AckAfterDate: return &info.strAckAfterDate;
    case SettingsEntry::MSASegment: return &info.strMSASegment;
    case SettingsEntry::InterfaceName: return &info.strInterfaceName;
    case SettingsEntry::LogfileLocation: return &info.strLogfileLocation;
    default: return nullptr;
    }
}

// A number item; an empty one reads as 0 and one beyond 16 bits is failure 6.
// A word is no flag at all: it reads as a value that the defaults check
// replaces by 0, telling the operator that the file was corrected.
qint16 countFlagOf(const QByteArray &item)
{
    const QString text = QString::fromLatin1(item);
    const std::optional<double> number = leadingNumberIfAny(text);
    if (!number)
        return text.trimmed().isEmpty() ? 0 : kNotAFlag;
    return roundToInteger(*number);
}

namespace {

bool fillWhenEmpty(QString &setting, const QString &value)
{
    if (!setting.isEmpty())
        return false;
    setting = value;
    return true;
}

}  // namespace

bool fillBlankSettings(ProgramInformation &info)
{
    bool filled = false;
    filled |= fillWhenEmpty(info.strRemoteIP, defaults::RemoteIP);
    filled |= fillWhenEmpty(info.strPort, defaults::Port);
    filled |= fillWhenEmpty(info.strAutoStart, defaults::AutoStart);
    filled |= fillWhenEmpty(info.strExitWarning, defaults::ExitWarning);
    filled |= fillWhenEmpty(info.strAckBeforeDate, defaults::AckBeforeDate);
    filled |= fillWhenEmpty(info.strAckAfterDate, defaults::AckAfterDate);
    filled |= fillWhenEmpty(info.strMSASegment, defaults::MSASegment);
    filled |= fillWhenEmpty(info.strInterfaceName, defaults::InterfaceName);
    if (info.intShowCount != 0 && info.intShowCount != 1) {
        info.intShowCount = 0;
        filled = true;
    }
    filled |= fillWhenEmpty(info.strLogfileLocation, defaults::LogfileLocation);

    fillWhenEmpty(info.strSTF[0], defaults::FirstStartCode);
    if (info.strETF[0].isEmpty()) {
        info.strETF[0] = defaults::FirstEndCode;
        info.strETF[1] = defaults::SecondEndCode;
    }
    for (QString &code : info.strSTF)
        fillWhenEmpty(code, defaults::NoCharacter);
    for (QString &code : info.strETF)
        fillWhenEmpty(code, defaults::NoCharacter);
    return filled;
}

QList<QByteArray> settingsFileLines(const ProgramInformation &stored)
{
    const auto entry = [](QList<QByteArray> &lines, const char *header, const QString &value) {
        lines << header << value.toLatin1() << QByteArray();
    };
    QList<QByteArray> lines;
    lines.reserve(41);
    entry(lines, "[RemoteIP]", stored.strRemoteIP);
    entry(lines, "[Port]", stored.strPort);
    entry(lines, "[AutoStart]", stored.strAutoStart);
    entry(lines, "[ExitWarning]", stored.strExitWarning);
    entry(lines, "[MSH before date]", stored.strAckBeforeDate);
    entry(lines, "[MSH after date]", stored.strAckAfterDate);
    entry(lines, "[MSA Segment]", stored.strMSASegment);
    entry(lines, "[Interface Name]", stored.strInterfaceName);
    lines << "[Show Transaction Count]" << printForm(stored.intShowCount) << QByteArray();
    lines << "[Logfile Location]" << stored.strLogfileLocation.toLatin1();
    lines << "[Start of Text]";
    for (const QString &code : stored.strSTF)
        lines << code.toLatin1();
    lines << "[End of Text]";
    for (const QString &code : stored.strETF)
        lines << code.toLatin1();
    return lines;
}
