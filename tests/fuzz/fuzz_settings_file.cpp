// Any bytes as the settings file. Reading fails only in the two ways that
// start-up repairs (a header without its value, a count flag beyond 16
// bits); after one read, repair and write the file is settled: read back it
// needs no repair and is written again byte for byte.
#include <cstdio>
#include <cstdlib>

#include "platform/failure.h"
#include "platform/file_channel.h"
#include "settings/settings_format.h"

namespace {

struct Items {
    QList<QByteArray> items;
    qsizetype next = 0;
    bool atEnd() const { return next >= items.size(); }
    QByteArray readItem()
    {
        if (atEnd())
            raise(err::InputPastEnd);
        return items[next++];
    }
};

[[noreturn]] void fail(const char *what, qint32 number = 0)
{
    std::fprintf(stderr, "settings file: %s (failure %d)\n", what, int(number));
    std::abort();
}

QByteArray fileOf(const ProgramInformation &info)
{
    const QList<QByteArray> lines = settingsFileLines(info);
    if (lines.size() != 41)
        fail("the writer did not produce 41 lines");
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ProgramInformation info;
    Items source{splitItems(QByteArrayView(data, qsizetype(size)))};
    try {
        readSettingsItems(source, info);
    } catch (const Failure &failure) {
        if (failure.number != err::InputPastEnd && failure.number != err::Overflow)
            fail("unexpected failure while reading", failure.number);
    }
    fillBlankSettings(info);
    const QByteArray written = fileOf(info);

    ProgramInformation again;
    Items back{splitItems(written)};
    try {
        readSettingsItems(back, again);
    } catch (const Failure &failure) {
        fail("the written file does not read back", failure.number);
    }
    if (fillBlankSettings(again))
        fail("the written file needs repair again");
    if (fileOf(again) != written)
        fail("the written file, read and written again, changed");
    return 0;
}
