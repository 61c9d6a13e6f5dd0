#pragma once

#include <QList>
#include <QStringList>

#include <functional>

#include "platform/failure.h"
#include "platform/operator_port.h"

// An operator port for tests: records every box, answers Yes/No boxes from a
// script (No when the script has run out), hands out scripted file choices,
// keeps a fixed clock and ends the program by unwinding with ProgramEnded.
class ScriptedPort final : public OperatorPort {
public:
    struct Box {
        QString text;
        QString title;
        Buttons buttons;
        Default defaultButton;
        Icon icon;
    };

    explicit ScriptedPort(QString programDirectory)
        : directory(std::move(programDirectory)), now(QDate(2005, 3, 5), QTime(9, 7, 45))
    {
    }

    Answer MsgBox(const QString &text, const QString &title, Buttons buttons, Default defaultButton,
                  Icon icon) override
    {
        boxes.append({text, title, buttons, defaultButton, icon});
        ++openBoxes;
        mostOpenBoxes = qMax(mostOpenBoxes, openBoxes);
        if (whileBoxIsUp)
            std::exchange(whileBoxIsUp, {})();
        --openBoxes;
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }

    QString ChooseFile() override
    {
        ++choosers;
        return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
    }

    [[noreturn]] void EndNow() override
    {
        ended = true;
        throw ProgramEnded{};
    }

    QDateTime Now() const override
    {
        if (std::exchange(outOfMemoryAtNextClock, false))
            throw std::bad_alloc();
        return now;
    }
    QString ProgramDirectory() const override { return directory; }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const Box &box : boxes)
            texts << box.text;
        return texts;
    }

    QString directory;
    QDateTime now;
    QList<Answer> answers;
    QStringList chosenFiles;
    QList<Box> boxes;
    // Runs once, inside the next box, as events run while a real box waits.
    std::function<void()> whileBoxIsUp;
    int openBoxes = 0;
    int mostOpenBoxes = 0;
    int choosers = 0;
    mutable bool outOfMemoryAtNextClock = false;
    bool ended = false;
};
