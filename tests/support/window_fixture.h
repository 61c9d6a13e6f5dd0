#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "interface_seam.h"
#include "platform/failure.h"
#include "platform/operator_port.h"
#include "sender.h"
#include "test_files.h"

// Thrown by the scripted port in place of ending the process, so that a test
// can watch the program end.
struct ProgramEnded {};

// An operator port for tests: records every box, answers Yes/No boxes from a
// script (No once it has run out), hands out scripted file choices, keeps the
// clipboard and a fixed clock, and ends the program by unwinding with
// ProgramEnded, which stops at the event it ended.
class ScriptedPort final : public OperatorPort {
public:
    explicit ScriptedPort(QString programDirectory) : directory(std::move(programDirectory)) {}

    Answer MsgBox(const QString &text, const QString &, Buttons buttons, Default defaultButton, Icon) override
    {
        boxes.append(text);
        defaults.append(defaultButton);
        mostOpenBoxes = qMax(mostOpenBoxes, ++openBoxes);
        if (whileBoxIsUp)
            std::exchange(whileBoxIsUp, {})();
        --openBoxes;
        return buttons == Buttons::Ok ? Answer::Ok : answers.isEmpty() ? Answer::No : answers.takeFirst();
    }
    QString ChooseFile() override
    {
        ++choosers;
        return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
    }
    void ChooseFileToSave(QObject *, const QString &, std::function<void(const QString &)> chosen) override
    {
        if (!chosenFiles.isEmpty())
            chosen(chosenFiles.takeFirst());
    }
    void SetClipboardText(const QString &text) override { clipboard = text; }
    [[noreturn]] void EndNow() override
    {
        ended = true;
        throw ProgramEnded{};
    }
    void RunEvent(const std::function<void()> &handler) override
    {
        try {
            handler();
        } catch (const ProgramEnded &) {
        }
    }
    QDateTime Now() const override
    {
        if (outOfMemoryAtClock > 0 && --outOfMemoryAtClock == 0)
            throw std::bad_alloc();
        return now;
    }
    QString ProgramDirectory() const override { return directory; }

    QString directory;
    QDateTime now{QDate(2005, 3, 5), QTime(9, 7, 45)};
    QList<Answer> answers;
    QStringList chosenFiles;
    QString clipboard;
    QStringList boxes;        // their texts
    QList<Default> defaults;  // their default buttons
    std::function<void()> whileBoxIsUp;  // runs inside the next box, as events do while a real box waits
    int openBoxes = 0, mostOpenBoxes = 0, choosers = 0;
    mutable int outOfMemoryAtClock = 0;  // runs out of memory at that reading of the clock from now
    bool ended = false;
};

// The box for a data file that cannot be opened or may not be used.
inline const QString kLogfileNotOpened = QStringLiteral("The logfile could not be opened.\r\nVerify that the name is correct.");

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
    quint16 listenPort = freePort();
    Sender sender;

    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QString dataPath() const { return file("data.txt"); }
    QByteArray dataFile() const { return readBytes(dataPath()); }
    QByteArray settingsFile() const { return readBytes(file("corvconf.ini")); }
    void writeSettings(const QByteArray &content) const { writeBytes(file("corvconf.ini"), content); }
    InterfaceSeam seam() const { return InterfaceSeam(*window); }

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
    // Starts up on listenPort with the data file beside the program; true when listening.
    bool startListening(const Changes &changes = {})
    {
        writeSettings(listeningSettings(listenPort, dataPath(), changes));
        return load() && seam().sockets().state(0) == SocketSet::State::Listening;
    }
    // Also connects the sender and waits until the window has taken it.
    bool startAndConnect(const Changes &changes = {})
    {
        return startListening(changes) && sender.connectTo(listenPort) && QTest::qWaitFor([this] {
                   return seam().sockets().exists(1) && seam().sockets().state(1) == SocketSet::State::Connected;
               });
    }
    // The report file's lines after the first `skip`, without their ends.
    QList<QByteArray> reportLines(qsizetype skip = 0) const
    {
        QList<QByteArray> lines = readBytes(file("ifreport.txt")).split('\n');
        lines.removeLast();
        for (QByteArray &line : lines)
            line.chop(1);
        return lines.mid(skip);
    }
};
