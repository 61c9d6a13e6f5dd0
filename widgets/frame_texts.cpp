#include "widgets/frame_texts.h"

#include <QLineEdit>

#include "platform/window_title.h"

FrameTexts::FrameTexts(int frameMs, QObject *parent) : QObject(parent)
{
    m_frame.setSingleShot(true);
    m_frame.setInterval(frameMs);
    connect(&m_frame, &QTimer::timeout, this, &FrameTexts::flush);
}

void FrameTexts::show(QWidget *target, const QString &text)
{
    m_waiting.insert(target, text);
    if (!m_frame.isActive())
        m_frame.start();
}

void FrameTexts::showNow(QWidget *target, const QString &text)
{
    m_waiting.remove(target);
    apply(target, text);
}

QString FrameTexts::text(const QWidget *target) const
{
    const auto waiting = m_waiting.constFind(const_cast<QWidget *>(target));
    return waiting != m_waiting.cend() ? *waiting : current(target);
}

void FrameTexts::flush()
{
    m_frame.stop();
    const QHash<QWidget *, QString> waiting = std::exchange(m_waiting, {});
    for (auto it = waiting.cbegin(); it != waiting.cend(); ++it)
        apply(it.key(), it.value());
}

void FrameTexts::apply(QWidget *target, const QString &text)
{
    if (current(target) == text)
        return;
    if (auto *box = qobject_cast<QLineEdit *>(target))
        box->setText(text);
    else
        target->setWindowTitle(literalTitle(text));
}

QString FrameTexts::current(const QWidget *target)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(target))
        return box->text();
    return shownTitle(target->windowTitle());
}
