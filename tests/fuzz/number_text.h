#pragma once

#include <QRegularExpression>

#include <cstdlib>
#include <optional>

// How a number reads from text, written apart from core/basic_numbers.cpp:
// blanks (space, tab), a sign, digits with at most one point, an exponent
// only when it has digits; the value as the C library reads it, infinite
// when too large for a double. With `whole`, only blanks may follow.
inline std::optional<double> oracleNumber(const QString &text, bool whole)
{
    static const QRegularExpression leading(
        QStringLiteral("^[ \\t]*([+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"));
    static const QRegularExpression entire(leading.pattern() + QStringLiteral("[ \\t]*\\z"));
    const QRegularExpressionMatch match = (whole ? entire : leading).match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return std::strtod(match.captured(1).toLatin1().constData(), nullptr);
}
