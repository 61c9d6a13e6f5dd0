#pragma once

#include <QWidget>

#include <functional>
#include <optional>

#include "formats/hl7_position.h"
#include "formats/visible_text.h"
#include "platform/operator_port.h"
#include "feed/received_data_model.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// One arrival opened whole in a window of its own: its number, when it was
// received, its size, and its bytes with one segment per line, every byte
// shown by the visible-text rule in a fixed-width face. Where the arrival
// has an MSH segment, the position of the field under the mouse or the text
// cursor is named the HL7 way (PID-5.1), by the separators the message
// declares. Copy takes the shown text; Save As writes the exact bytes. It
// holds nothing of the window that opened it and runs no event loop of its
// own, so reception goes on while it is open.
class ArrivalViewer final : public QWidget {
    Q_OBJECT
public:
    // Why a file may not be written by Save As (one the program keeps up to
    // date itself); empty where it may.
    using SaveGuard = std::function<QString(const QString &path)>;

    ArrivalViewer(ArrivalRecord arrival, OperatorPort &port, SaveGuard guard = {}, QWidget *parent = nullptr);

    // The HL7 position at a character of the shown text; empty where there is none.
    QString positionAt(int textPosition) const;
    void copyShownText() const;
    // Writes the arrival's bytes as received, whole or not at all; false
    // (and says why) when it cannot or may not.
    bool saveTo(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPosition(int textPosition);
    void chooseFileToSave();

    ArrivalRecord m_arrival;
    OperatorPort &m_port;
    SaveGuard m_guard;
    MappedText m_lines;
    std::optional<Hl7Separators> m_separators;
    QPlainTextEdit *m_text;
    QLabel *m_position;
    QLabel *m_status;
};
