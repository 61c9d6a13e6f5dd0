#include "widgets/paced_texts.h"

#include <QLineEdit>

#include "formats/visible_text.h"
#include "formats/window_title.h"

PacedTexts::PacedTexts(int intervalMs, QObject *parent) : QObject(parent)
{
    m_paint.setSingleShot(true);
    m_paint.setInterval(intervalMs);
    connect(&m_paint, &QTimer::timeout, this, &PacedTexts::flush);
}

void PacedTexts::show(QWidget *target, const QString &text)
{
    m_waitingBytes.remove(target);
    m_waiting.insert(target, text);
    if (!m_paint.isActive())
        m_paint.start();
}

void PacedTexts::showVisible(QWidget *target, const QByteArray &bytes)
{
    m_waiting.remove(target);
    m_waitingBytes.insert(target, bytes);
    if (!m_paint.isActive())
        m_paint.start();
}

void PacedTexts::showNow(QWidget *target, const QString &text)
{
    m_waiting.remove(target);
    m_waitingBytes.remove(target);
    apply(target, text);
}

QString PacedTexts::text(const QWidget *target) const
{
    const auto waiting = m_waiting.constFind(const_cast<QWidget *>(target));
    if (waiting != m_waiting.cend())
        return *waiting;
    const auto bytes = m_waitingBytes.constFind(const_cast<QWidget *>(target));
    return bytes != m_waitingBytes.cend() ? visibleText(*bytes) : current(target);
}

void PacedTexts::flush()
{
    m_paint.stop();
    const QHash<QWidget *, QString> waiting = std::exchange(m_waiting, {});
    for (auto it = waiting.cbegin(); it != waiting.cend(); ++it)
        apply(it.key(), it.value());
    const QHash<QWidget *, QByteArray> bytes = std::exchange(m_waitingBytes, {});
    for (auto it = bytes.cbegin(); it != bytes.cend(); ++it)
        apply(it.key(), visibleText(it.value()));
}

void PacedTexts::apply(QWidget *target, const QString &text)
{
    if (current(target) == text)
        return;
    if (auto *box = qobject_cast<QLineEdit *>(target))
        box->setText(text);
    else
        target->setWindowTitle(literalTitle(text));
}

QString PacedTexts::current(const QWidget *target)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(target))
        return box->text();
    return shownTitle(target->windowTitle());
}
