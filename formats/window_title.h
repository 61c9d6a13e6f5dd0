#pragma once

#include <QString>

// Qt takes "[*]" in a window title for the place of its modified marker and
// drops it; doubled, it shows as it is. Names the operator chose reach a
// title through literalTitle.
inline QString literalTitle(QString text)
{
    return text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

// What a title made by literalTitle shows.
inline QString shownTitle(QString title)
{
    return title.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
}
