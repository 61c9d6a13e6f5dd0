#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// Ticks on the event loop every few milliseconds and keeps the longest gap
// between two ticks: how long the loop was kept from anything else, such as
// painting or the operator's clicks. Gaps are kept per named phase.
class StallProbe final : public QObject {
public:
    explicit StallProbe(int intervalMs, QObject *parent = nullptr);

    // Starts a new phase; the previous one's figures are returned by finish().
    void begin(const QString &phase);
    struct Phase {
        QString name;
        double longestGapMs = 0;
        qint64 ticks = 0;
        qint64 gapsOver50Ms = 0;
    };
    Phase finish();

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    Phase m_phase;
};
