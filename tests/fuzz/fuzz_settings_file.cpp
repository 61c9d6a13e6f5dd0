// Any bytes as the settings file: reading fails only in the two ways that
// start-up repairs (a header without its value, a count flag beyond 16 bits),
// and after one read, repair and write the file is settled: read back it needs
// no repair and is written again byte for byte.
#include "tests/support/settings_reading.h"

namespace {

void expect(bool holds, const char *what)
{
    if (!holds)
        qFatal("settings file: %s", what);
}

// The file the program writes after reading `file` and filling in what is blank.
QByteArray rewritten(QByteArrayView file, bool settled)
{
    ProgramInformation info;
    try {
        readSettings(file, info);
    } catch (const Failure &failure) {
        const bool repairable = failure.number == err::InputPastEnd || failure.number == err::Overflow;
        expect(repairable && !settled, "an unexpected failure while reading");
    }
    expect(!fillBlankSettings(info) || !settled, "the written file needs repair again");
    const QList<QByteArray> lines = settingsFileLines(info);
    expect(lines.size() == (info.answersEachMessage() ? 43 : 41), "the writer did not give 41 lines (43 with a switch on)");
    return lines.join("\r\n") + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray written = rewritten(QByteArrayView(data, qsizetype(size)), false);
    expect(rewritten(written, true) == written, "the written file, read and written again, changed");
    return 0;
}
