#pragma once

#include <QTemporaryDir>

#include <memory>

#include "app/frm_interface.h"
#include "scripted_port.h"
#include "test_files.h"

// A main window in a program directory of its own, with a scripted operator.
struct WindowFixture {
    QTemporaryDir dir;
    ScriptedPort port{dir.path()};
    std::unique_ptr<frmInterface> window = std::make_unique<frmInterface>(port);

    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QByteArray settingsFile() const { return readBytes(file("corvconf.ini")); }
    QByteArray reportFile() const { return readBytes(file("ifreport.txt")); }
    void writeSettings(const QByteArray &content) const { writeBytes(file("corvconf.ini"), content); }

    // Runs start-up; false when the program ended during it.
    bool load()
    {
        try {
            window->Form_Load();
            return true;
        } catch (const ProgramEnded &) {
            return false;
        }
    }
};
