#pragma once

#include <QLineEdit>
#include <QTemporaryDir>

#include <memory>

#include "forms/interface_seam.h"
#include "scripted_port.h"
#include "sender.h"
#include "test_files.h"

// A control of a window, found by its object name; a missing one ends the test.
template <typename Control>
Control *control(const QObject &window, const char *name)
{
    auto *found = window.findChild<Control *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

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

// A window whose settings file names a free loopback port and a data file in
// its own directory, with automatic start on unless told otherwise.
struct ListeningFixture : WindowFixture {
    quint16 listenPort = 0;

    QString dataPath() const { return file("data.txt"); }
    QByteArray dataFile() const { return readBytes(dataPath()); }

    QByteArray settingsFor(QList<std::pair<QByteArray, QByteArray>> changes, quint16 listenPort)
    {
        changes.prepend({"[Logfile Location]", dataPath().toLatin1()});
        changes.prepend({"[AutoStart]", "On"});
        changes.prepend({"[Port]", QByteArray::number(listenPort)});
        return settingsWith(changes);
    }

    // Loads the window; true when it is listening afterwards.
    bool startListening(const QList<std::pair<QByteArray, QByteArray>> &changes = {})
    {
        listenPort = freePort();
        writeSettings(settingsFor(changes, listenPort));
        return load() && InterfaceSeam(*window).sockets().state(0) == SocketSet::State::Listening;
    }

    // The lines of the report file after the first `skip` ones, without their ends.
    QList<QByteArray> reportLines(qsizetype skip = 0) const
    {
        QList<QByteArray> lines = reportFile().split('\n');
        lines.removeLast();
        for (QByteArray &line : lines)
            line.chop(1);
        return lines.mid(skip);
    }
};
