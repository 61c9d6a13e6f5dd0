#pragma once

#include "platform/operator_port.h"

// The operator port on a real desktop: QMessageBox, QFileDialog, the system
// clipboard, the system clock and the directory of the executable.
class QtOperatorPort final : public OperatorPort {
public:
    Answer MsgBox(const QString &text, const QString &title, Buttons buttons, Default defaultButton,
                  Icon icon) override;
    QString ChooseFile() override;
    void ChooseFileToSave(QObject *over, const QString &title, std::function<void(const QString &)> chosen) override;
    void SetClipboardText(const QString &text) override;
    [[noreturn]] void EndNow() override;
    QDateTime Now() const override;
    QString ProgramDirectory() const override;

private:
    // The local time's offset from UTC, and the span of UTC milliseconds it
    // holds for: looking it up reads the time zone, too slow for every arrival.
    mutable int m_offset = 0;
    mutable qint64 m_offsetFrom = 0;
    mutable qint64 m_offsetUntil = 0;
};
