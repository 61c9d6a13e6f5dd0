#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class QObject;

// What the program asks of the person and the machine it runs on: message
// boxes, the file choosers, the clipboard, ending at once, the clock and its
// own directory. The window receives one through its constructor; tests hand
// it a scripted one.
class OperatorPort {
public:
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };
    enum class Icon { None, Question };
    enum class Default { First, Second };

    virtual ~OperatorPort() = default;

    // A modal box; lines of the text are joined by CR LF.
    virtual Answer MsgBox(const QString &text, const QString &title, Buttons buttons = Buttons::Ok,
                          Default defaultButton = Default::First, Icon icon = Icon::None) = 0;
    // The chosen file's full path, or empty when the operator cancels.
    virtual QString ChooseFile() = 0;
    // Offers to choose a file to save to, over the window `over`, without
    // waiting: `chosen` gets the full path once the operator has chosen one,
    // and is never called when the operator cancels or the window is gone.
    virtual void ChooseFileToSave(QObject *over, const QString &title, std::function<void(const QString &)> chosen) = 0;
    virtual void SetClipboardText(const QString &text) = 0;
    // Ends the program at once: no closing steps, open files closed by the ending.
    [[noreturn]] virtual void EndNow() = 0;
    // Runs the handler of one event. A port that cannot end the process
    // (a test's) unwinds from EndNow, and stops that unwinding here.
    virtual void RunEvent(const std::function<void()> &handler) { handler(); }
    virtual QDateTime Now() const = 0;
    virtual QString ProgramDirectory() const = 0;
};
