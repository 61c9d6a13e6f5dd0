#pragma once

#include <QString>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

// An oracle written apart from core/basic_numbers.cpp for how numbers are
// read from text. A number: leading blanks (space, tab), an optional sign,
// digits with an optional point (at least one digit), an optional exponent
// that counts only when it has digits. Its value is what the C library reads.
struct OracleNumber {
    double value = 0;
    bool overflow = false;          // too large for a double
    bool outOfRange = false;        // too large, or too small to hold exactly
    bool negativeExponent = false;  // written with an exponent below zero
    qsizetype end = 0;              // one past its last character
};

inline std::optional<OracleNumber> oracleLeadingNumber(const QString &text)
{
    const auto blank = [&](qsizetype i) { return i < text.size() && (text[i] == u' ' || text[i] == u'\t'); };
    const auto digit = [&](qsizetype i) { return i < text.size() && text[i] >= u'0' && text[i] <= u'9'; };
    qsizetype i = 0;
    while (blank(i))
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        number += char(text[i++].unicode());
    int digits = 0;
    bool negativeExponent = false;
    for (; digit(i); ++i, ++digits)
        number += char(text[i].unicode());
    if (i < text.size() && text[i] == u'.') {
        number += char(text[i++].unicode());
        for (; digit(i); ++i, ++digits)
            number += char(text[i].unicode());
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (digit(j)) {
            negativeExponent = text[j - 1] == u'-';
            for (qsizetype k = i; k < j; ++k)
                number += char(text[k].unicode());
            for (i = j; digit(i); ++i)
                number += char(text[i].unicode());
        }
    }
    errno = 0;
    OracleNumber result;
    result.value = std::strtod(number.c_str(), nullptr);
    result.outOfRange = errno == ERANGE;
    result.overflow = result.outOfRange && std::isinf(result.value);
    result.negativeExponent = negativeExponent;
    result.end = i;
    return result;
}

// The number when the whole text, blanks around it aside, is one number.
inline std::optional<OracleNumber> oracleWholeNumber(const QString &text)
{
    std::optional<OracleNumber> number = oracleLeadingNumber(text);
    if (!number)
        return std::nullopt;
    qsizetype i = number->end;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    return i == text.size() ? number : std::nullopt;
}
