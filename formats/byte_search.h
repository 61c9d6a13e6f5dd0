#pragma once

#include <QByteArrayView>

#include <cstring>

// Where `needle` first stands in `haystack` from `from` on; -1 where it does
// not. Frame characters are searched in every arrival, so this runs on
// memchr for the first byte: QByteArray::indexOf of a needle of two bytes
// or more hashes its way through the haystack a byte at a time.
inline qsizetype findBytes(QByteArrayView haystack, QByteArrayView needle, qsizetype from = 0)
{
    if (needle.isEmpty())
        return from <= haystack.size() ? from : -1;
    const char *const begin = haystack.data();
    const char *const last = begin + haystack.size() - needle.size();
    for (const char *at = begin + from; at <= last;) {
        at = static_cast<const char *>(std::memchr(at, needle[0], size_t(last - at + 1)));
        if (!at)
            return -1;
        if (std::memcmp(at + 1, needle.data() + 1, size_t(needle.size() - 1)) == 0)
            return at - begin;
        ++at;
    }
    return -1;
}
