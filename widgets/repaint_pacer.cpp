#include "widgets/repaint_pacer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Holds back the window's update requests that come too soon after the last
// repaint and posts one in their place when the interval is over.
class RepaintPacer final : public QObject {
public:
    RepaintPacer(QWidget *window, int intervalMs) : QObject(window), m_window(window), m_intervalMs(intervalMs)
    {
        m_delayed.setSingleShot(true);
        connect(&m_delayed, &QTimer::timeout, this,
                [this] { QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest)); });
        m_sinceRepaint.start();
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window || event->type() != QEvent::UpdateRequest)
            return false;
        const qint64 elapsed = m_sinceRepaint.elapsed();
        if (elapsed >= m_intervalMs) {
            m_sinceRepaint.restart();
            return false;
        }
        if (!m_delayed.isActive())
            m_delayed.start(int(m_intervalMs - elapsed));
        return true;
    }

private:
    QWidget *m_window;
    int m_intervalMs;
    QElapsedTimer m_sinceRepaint;
    QTimer m_delayed;
};

}  // namespace

void paceRepaints(QWidget *window, int intervalMs)
{
    new RepaintPacer(window, intervalMs);
}
