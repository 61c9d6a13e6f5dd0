#pragma once

#include <QDateTime>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "platform/operator_port.h"

// An operator who is never asked anything during a benchmark: every box is
// counted and printed (one would stall the loop), a question is answered No,
// and the program directory is the benchmark's own temporary one.
class FixedOperatorPort final : public OperatorPort {
public:
    explicit FixedOperatorPort(QString programDirectory) : m_directory(std::move(programDirectory)) {}

    Answer MsgBox(const QString &text, const QString &title, Buttons buttons, Default, Icon) override
    {
        ++boxes;
        std::fprintf(stderr, "window_stall: box \"%s\": %s\n", qPrintable(title), qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    QString ChooseFile() override { return {}; }
    [[noreturn]] void EndNow() override
    {
        std::fprintf(stderr, "window_stall: the window ended the program\n");
        std::_Exit(2);
    }
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
    QString ProgramDirectory() const override { return m_directory; }

    int boxes = 0;

private:
    QString m_directory;
};
