#include "forms/program_files.h"

#include <QDir>

#include "platform/file_channel.h"

bool isProgramFile(const QString &path, const QString &programDirectory)
{
    const QDir directory(programDirectory);
    for (const QString &name : {kSettingsFileName, kReportFileName, kErrorFileName}) {
        if (sameFile(path, directory.filePath(name)))
            return true;
    }
    return false;
}
