#include "widgets/received_data_view.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "widgets/received_data_model.h"

ReceivedDataView::ReceivedDataView(QWidget *parent) : QAbstractScrollArea(parent), m_header(new QHeaderView(Qt::Horizontal, this))
{
    m_header->setStretchLastSection(false);
    m_header->setSectionsClickable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Base);
    connect(m_header, &QHeaderView::sectionResized, this, [this] {
        updateScrollRanges();
        viewport()->update();
    });
    m_rowsArrived.setSingleShot(true);
    m_rowsArrived.setInterval(16);
    connect(&m_rowsArrived, &QTimer::timeout, this, &ReceivedDataView::rowsAppended);
}

void ReceivedDataView::setModel(ReceivedDataModel *model)
{
    m_model = model;
    m_header->setModel(model);
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!m_rowsArrived.isActive())
            m_rowsArrived.start();
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_rowsArrived.stop();
        updateScrollRanges();
        verticalScrollBar()->setValue(0);
        viewport()->update();
    });
    connect(model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
        const int first = firstVisibleRow();
        if (to.row() >= first && from.row() <= first + visibleRowCount())
            viewport()->update();
    });
    updateScrollRanges();
}

void ReceivedDataView::setColumnWidth(int column, int width)
{
    m_header->resizeSection(column, width);
}

int ReceivedDataView::columnWidth(int column) const
{
    return m_header->sectionSize(column);
}

int ReceivedDataView::rowHeight() const
{
    return fontMetrics().height() + 4;
}

int ReceivedDataView::firstVisibleRow() const
{
    return verticalScrollBar()->value() / rowHeight();
}

int ReceivedDataView::visibleRowCount() const
{
    return viewport()->height() / rowHeight() + 1;
}

bool ReceivedDataView::isScrolledToBottom() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

void ReceivedDataView::scrollToBottom()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ReceivedDataView::rowsAppended()
{
    const bool follow = isScrolledToBottom();  // where the operator left it, before the new rows
    updateScrollRanges();
    if (follow)
        scrollToBottom();
    viewport()->update();
}

void ReceivedDataView::updateScrollRanges()
{
    const int rows = m_model ? m_model->rowCount() : 0;
    const qint64 contentHeight = qint64(rows) * rowHeight();
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, int(qMin<qint64>(qMax<qint64>(0, contentHeight - viewport()->height()), INT_MAX)));
    vertical->setPageStep(viewport()->height());
    vertical->setSingleStep(rowHeight());
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, qMax(0, m_header->length() - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
}

void ReceivedDataView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int headerHeight = m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);
    const bool follow = isScrolledToBottom();
    updateScrollRanges();
    if (follow)
        scrollToBottom();
}

void ReceivedDataView::scrollContentsBy(int dx, int)
{
    if (dx != 0)
        m_header->setOffset(horizontalScrollBar()->value());
    viewport()->update();
}

void ReceivedDataView::paintEvent(QPaintEvent *)
{
    if (!m_model)
        return;
    QPainter painter(viewport());
    const int height = rowHeight();
    const int first = firstVisibleRow();
    const int last = qMin(m_model->rowCount() - 1, first + visibleRowCount());
    const int width = columnWidth(0);
    const int left = -horizontalScrollBar()->value();
    int top = first * height - verticalScrollBar()->value();
    painter.setPen(palette().color(QPalette::Text));
    // Shaping text costs by its length: take no more than the narrowest
    // characters could fill, and leave the rest of a long row unshaped.
    int narrowest = fontMetrics().horizontalAdvance(u'|');
    for (const QChar c : QStringView(u" .,:;!il'"))
        narrowest = qMin(narrowest, fontMetrics().horizontalAdvance(c));
    const qsizetype fits = width / qMax(1, narrowest) + 2;
    for (int row = first; row <= last; ++row, top += height) {
        const QRect cell(left + 4, top, width - 8, height);
        const QString text = m_model->displayText(row, fits);
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         fontMetrics().elidedText(text, Qt::ElideRight, cell.width()));
    }
}

bool ReceivedDataView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_model) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int row = (help->pos().y() + verticalScrollBar()->value()) / rowHeight();
        if (row < m_model->rowCount())
            QToolTip::showText(help->globalPos(), m_model->data(m_model->index(row, 0), Qt::ToolTipRole).toString(),
                               viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
