#pragma once

#include <QDateTime>
#include <QString>

// What the program asks of the person and the machine it runs on: message
// boxes, the file chooser, ending at once, the clock and its own directory.
// The window receives one through its constructor; tests hand it a scripted one.
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
    // Ends the program at once: no closing steps, open files closed by the ending.
    [[noreturn]] virtual void EndNow() = 0;
    virtual QDateTime Now() const = 0;
    virtual QString ProgramDirectory() const = 0;
};
