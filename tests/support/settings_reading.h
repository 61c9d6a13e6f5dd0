#pragma once

#include "formats/settings_format.h"
#include "platform/failure.h"
#include "platform/file_channel.h"

// Reads settings from a file's content as start-up reads the file: item by
// item, failing past the end, keeping in `info` what was read before.
inline void readSettings(QByteArrayView content, ProgramInformation &info)
{
    struct Items {
        QList<QByteArray> items;
        qsizetype next = 0;
        bool atEnd() const { return next >= items.size(); }
        QByteArray readItem() { return atEnd() ? (raise(err::InputPastEnd), QByteArray()) : items[next++]; }
    } source{splitItems(content)};
    readSettingsItems(source, info);
}

inline ProgramInformation readFrom(QByteArrayView content)
{
    ProgramInformation info;
    readSettings(content, info);
    return info;
}
