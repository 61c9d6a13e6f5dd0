#include "widgets/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "feed/row_finder.h"

FindBar::FindBar(const ReceivedDataModel &model, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_query(new QLineEdit), m_state(new QLabel), m_finder(new RowFinder(model, this))
{
    setObjectName(QStringLiteral("FindBar"));
    setWindowTitle(QStringLiteral("Find arrivals"));
    m_query->setObjectName(QStringLiteral("query"));
    m_query->setPlaceholderText(QStringLiteral("text, or a field: PID-3=12345, MSH-9=ADT^A01"));
    m_query->setMinimumWidth(260);
    m_state->setObjectName(QStringLiteral("state"));
    auto *previous = new QPushButton(QStringLiteral("&Previous"));
    auto *next = new QPushButton(QStringLiteral("&Next"));
    auto *stop = new QPushButton(QStringLiteral("&Stop"));
    auto *row = new QHBoxLayout(this);
    row->addWidget(m_query, 1);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(stop);
    row->addWidget(m_state);
    connect(next, &QPushButton::clicked, this, [this] { findFrom(m_from, true); });
    connect(previous, &QPushButton::clicked, this, [this] { findFrom(m_from, false); });
    connect(stop, &QPushButton::clicked, this, [this] {
        m_finder->cancel();
        m_state->setText(QStringLiteral("Stopped"));
    });
    connect(m_finder, &RowFinder::progress, this,
            [this](int percent) { m_state->setText(QStringLiteral("Searching… %1 %").arg(percent)); });
    connect(m_finder, &RowFinder::notFound, this, [this] { m_state->setText(QStringLiteral("Not found")); });
    connect(m_finder, &RowFinder::found, this, [this](int found) {
        m_from = found;
        m_state->setText(QStringLiteral("Row %1").arg(found + 1));
        emit this->found(found);
    });
}

void FindBar::open()
{
    show();
    raise();
    activateWindow();
    m_query->setFocus();
    m_query->selectAll();
}

bool FindBar::findFrom(int from, bool forward)
{
    if (m_query->text().isEmpty())
        return false;
    m_from = from;
    m_state->setText(QStringLiteral("Searching…"));
    m_finder->find(m_query->text(), from, forward);
    return true;
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: findFrom(m_from, !(event->modifiers() & Qt::ShiftModifier)); return;
    case Qt::Key_Escape: m_finder->cancel(); close(); return;
    default: QWidget::keyPressEvent(event);
    }
}
