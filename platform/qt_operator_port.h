#pragma once

#include "platform/operator_port.h"

// The operator port on a real desktop: QMessageBox, QFileDialog, the system
// clock and the directory of the executable.
class QtOperatorPort final : public OperatorPort {
public:
    Answer MsgBox(const QString &text, const QString &title, Buttons buttons, Default defaultButton,
                  Icon icon) override;
    QString ChooseFile() override;
    [[noreturn]] void EndNow() override;
    QDateTime Now() const override;
    QString ProgramDirectory() const override;
};
