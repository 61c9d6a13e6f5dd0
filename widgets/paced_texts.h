#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

// Texts that change with every arrival (the counter, the last answer and
// its time, the caption with the count) reach the screen once per paint interval:
// laying out a box's text costs more than taking in, storing and answering
// the arrival itself. What a box or caption is to show is known at once.
//
// A target is a QLineEdit (its text) or a window (its caption).
class PacedTexts final : public QObject {
public:
    PacedTexts(int intervalMs, QObject *parent);

    // Shown at the next paint; a later text for the same target wins.
    void show(QWidget *target, const QString &text);
    // Bytes shown by the visible-text rule at the next paint: only the last
    // of many answers is ever turned into text.
    void showVisible(QWidget *target, const QByteArray &bytes);
    // Shown now, dropping any text still waiting for that target.
    void showNow(QWidget *target, const QString &text);
    // The text the target shows, or is about to.
    QString text(const QWidget *target) const;
    // Everything waiting, shown now.
    void flush();

private:
    static void apply(QWidget *target, const QString &text);
    static QString current(const QWidget *target);

    QHash<QWidget *, QString> m_waiting;
    QHash<QWidget *, QByteArray> m_waitingBytes;
    QTimer m_paint;
};
