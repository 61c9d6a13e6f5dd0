#pragma once

#include <QString>

// The files the program keeps beside itself.
inline const QString kSettingsFileName = QStringLiteral("corvconf.ini");
inline const QString kReportFileName = QStringLiteral("ifreport.txt");
inline const QString kErrorFileName = QStringLiteral("iferrors.txt");

// The box for a data file that cannot be opened or may not be used.
inline const QString kDataFileNotOpened =
    QStringLiteral("The logfile could not be opened.\r\nVerify that the name is correct.");

// Whether a path names one of those files, links followed. The data file may
// never be one of them: its lines would be appended to the settings or a log,
// and the settings file's rewrite would wipe them.
bool isProgramFile(const QString &path, const QString &programDirectory);
