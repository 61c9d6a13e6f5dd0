#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

// Texts that change with every arrival (the counter, the last answer and
// its time, the caption with the count) reach the screen once per frame:
// laying out a box's text costs more than taking in, storing and answering
// the arrival itself. What a box or caption is to show is known at once.
//
// A target is a QLineEdit (its text) or a window (its caption).
class FrameTexts final : public QObject {
public:
    FrameTexts(int frameMs, QObject *parent);

    // Shown with the next frame; a later text for the same target wins.
    void show(QWidget *target, const QString &text);
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
    QTimer m_frame;
};
