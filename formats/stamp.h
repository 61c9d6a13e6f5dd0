#pragma once

#include <QDateTime>
#include <QString>

// The 12-digit stamp YYYYMMDDHHMM of a local time; seconds never appear.
QString stampOf(const QDateTime &localTime);
