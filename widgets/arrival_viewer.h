#pragma once

#include <QWidget>

#include <functional>
#include <optional>

#include "feed/received_data_model.h"
#include "formats/hl7_position.h"
#include "platform/operator_port.h"

class ArrivalLines;
class QLabel;
class QTabWidget;

// One arrival opened whole in a window of its own: its number, when it was
// received, its size, how its bytes read (ASCII, UTF-8, ISO 8859-1, mixed)
// and how it stands to the framing (a piece of a message, several messages),
// then its bytes three ways: as text, one segment a line, every byte shown by
// the visible-text rule with names and escapes drawn apart from typed text;
// as hex; and, where it has an MSH segment, as a table of its fields. The
// field under the mouse is named the HL7 way with its v2.5 name ("PID-5.1
// Patient Name, family name"), by the separators the message declares. Copy
// takes the shown text; Save As writes the exact bytes. It holds nothing of
// the window that opened it and runs no event loop of its own, so reception
// goes on while it is open; Escape closes it.
class ArrivalViewer final : public QWidget {
    Q_OBJECT
public:
    // Why a file may not be written by Save As (one the program keeps up to
    // date itself); empty where it may.
    using SaveGuard = std::function<QString(const QString &path)>;

    ArrivalViewer(ArrivalRecord arrival, OperatorPort &port, SaveGuard guard = {}, const QByteArray &start = {},
                  const QByteArray &end = {}, QWidget *parent = nullptr);

    // The HL7 position of a byte of the arrival and its field's name; empty where there is none.
    QString positionAt(qsizetype byte) const;
    void copyShownText() const;
    // Writes the arrival's bytes as received, whole or not at all; false
    // (and says why) when it cannot or may not.
    bool saveTo(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showPosition(qsizetype byte);
    void chooseFileToSave();
    QWidget *fieldTable();

    ArrivalRecord m_arrival;
    OperatorPort &m_port;
    SaveGuard m_guard;
    std::optional<Hl7Separators> m_separators;
    QTabWidget *m_views;
    QLabel *m_position;
    QLabel *m_status;
};
