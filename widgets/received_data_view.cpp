#include "widgets/received_data_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "feed/received_data_model.h"
#include "formats/visible_text.h"
#include "widgets/arrival_viewer.h"
#include "widgets/find_bar.h"
#include "widgets/row_painter.h"

ReceivedDataView::ReceivedDataView(OperatorPort &port, QWidget *parent)
    : QAbstractScrollArea(parent), m_port(port), m_header(new QHeaderView(Qt::Horizontal, this))
{
    m_header->setStretchLastSection(false);
    m_header->setSectionsClickable(false);
    // Rows are cut to the column, which never runs wider than the list.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    m_rowsArrived.setSingleShot(true);
    m_rowsArrived.setInterval(16);
    connect(&m_rowsArrived, &QTimer::timeout, this, &ReceivedDataView::rowsAppended);
    // The column follows the inside of the list, also when the vertical
    // scroll bar comes or goes.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
        m_header->resizeSection(0, viewport()->width());
    });
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
        m_current = -1;
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

bool ReceivedDataView::hasRow(int row) const
{
    return m_model && row >= 0 && row < m_model->rowCount();
}

int ReceivedDataView::rowAt(int y) const
{
    const int row = (y + verticalScrollBar()->value()) / rowHeight();
    return hasRow(row) ? row : -1;
}

void ReceivedDataView::setCurrentRow(int row)
{
    if (row != -1 && !hasRow(row))
        return;
    m_current = row;
    if (row >= 0) {
        const int top = row * rowHeight();
        QScrollBar *vertical = verticalScrollBar();
        if (top < vertical->value())
            vertical->setValue(top);
        else if (top + rowHeight() > vertical->value() + viewport()->height())
            vertical->setValue(top + rowHeight() - viewport()->height());
    }
    viewport()->update();
}

// Opening a viewer never takes the program down: where memory runs out,
// the operator is told and the list goes on.
void ReceivedDataView::showRow(int row)
{
    if (!hasRow(row))
        return;
    try {
        (new ArrivalViewer(m_model->arrival(row), m_port, m_saveGuard, m_model->framingStart(), m_model->framingEnd()))->show();
    } catch (const std::bad_alloc &) {
        m_port.MsgBox(QStringLiteral("There is not enough memory to open this arrival."), window()->windowTitle());
    }
}

void ReceivedDataView::copyRow(int row)
{
    if (hasRow(row))
        m_port.SetClipboardText(m_model->displayText(row, std::numeric_limits<qint32>::max()));
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
}

void ReceivedDataView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int headerHeight = m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);
    m_header->resizeSection(0, area.width());
    const bool follow = isScrolledToBottom();
    updateScrollRanges();
    if (follow)
        scrollToBottom();
}

void ReceivedDataView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// Each row shows its first bytes by the visible-text rule: control names
// and escapes in a colour and frame of their own, so a sender's typed "<CR>"
// never looks like the byte; characters decoded from UTF-8 underlined, so
// UTF-8 and ISO 8859-1 letters differ; a row that is a piece of a message or
// holds several says so first.
void ReceivedDataView::paintEvent(QPaintEvent *)
{
    if (!m_model)
        return;
    QPainter painter(viewport());
    const int height = rowHeight();
    const int first = firstVisibleRow();
    const int last = qMin(m_model->rowCount() - 1, first + visibleRowCount());
    const int width = viewport()->width();
    int top = first * height - verticalScrollBar()->value();
    // Shaping text costs by its length: take no more than the narrowest
    // characters could fill, and leave the rest of a long row unshaped.
    int narrowest = fontMetrics().horizontalAdvance(u'|');
    for (const QChar c : QStringView(u" .,:;!il'"))
        narrowest = qMin(narrowest, fontMetrics().horizontalAdvance(c));
    const qsizetype fits = width / qMax(1, narrowest) + 2;
    for (int row = first; row <= last; ++row, top += height) {
        const QRect line(0, top, width, height);
        const bool current = row == m_current;
        if (current)
            painter.fillRect(line, palette().brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
        // Readable also while the window is disabled (the setup dialog open over it).
        const QColor text = palette().color(QPalette::Active, current ? QPalette::HighlightedText : QPalette::Text);
        const ReceivedDataModel::Shown shown = m_model->shown(row);
        RowPainter out(painter, line.adjusted(4, 0, -4, 0), text);
        for (const QString &note : shown.framingNotes())
            out.draw(QStringLiteral("[%1]").arg(note), RowPainter::Marked);
        if (!shown.problem.isEmpty()) {
            out.draw(shown.problem, RowPainter::Plain);
            continue;
        }
        for (const VisibleRun &run : visibleRuns(shown.bytes, fits)) {
            if (!out.draw(run))
                break;
        }
        if (shown.bytes.size() < shown.length)
            out.draw(QStringLiteral("\u2026"), RowPainter::Plain);
    }
}

bool ReceivedDataView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_model) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int row = rowAt(help->pos().y());
        if (row >= 0)
            QToolTip::showText(help->globalPos(), m_model->data(m_model->index(row, 0), Qt::ToolTipRole).toString(),
                               viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

FindBar &ReceivedDataView::findBar()
{
    if (!m_find) {
        m_find = new FindBar(*m_model, this);
        connect(m_find, &FindBar::found, this, &ReceivedDataView::setCurrentRow);
    }
    return *m_find;
}

void ReceivedDataView::keyPressEvent(QKeyEvent *event)
{
    const int rows = m_model ? m_model->rowCount() : 0;
    if (event->matches(QKeySequence::Find) && m_model) {
        findBar().open();
        return;
    }
    if (event->key() == Qt::Key_F3 && m_model) {
        if (!findBar().findFrom(m_current, !(event->modifiers() & Qt::ShiftModifier)))
            findBar().open();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: showRow(m_current); return;
    case Qt::Key_Up: setCurrentRow(qMax(0, m_current - 1)); return;
    case Qt::Key_Down: setCurrentRow(qMin(rows - 1, m_current + 1)); return;
    case Qt::Key_Home: setCurrentRow(rows > 0 ? 0 : -1); return;
    case Qt::Key_End: setCurrentRow(rows - 1); return;
    default: QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReceivedDataView::mousePressEvent(QMouseEvent *event)
{
    setCurrentRow(rowAt(event->position().toPoint().y()));
    QAbstractScrollArea::mousePressEvent(event);
}

void ReceivedDataView::mouseDoubleClickEvent(QMouseEvent *event)
{
    showRow(rowAt(event->position().toPoint().y()));
}

void ReceivedDataView::contextMenuEvent(QContextMenuEvent *event)
{
    const int row = rowAt(viewport()->mapFromGlobal(event->globalPos()).y());
    if (row >= 0)
        setCurrentRow(row);
    QMenu menu(this);
    menu.addAction(QStringLiteral("Show"), this, [this, row] { showRow(row); })->setEnabled(row >= 0);
    menu.addAction(QStringLiteral("Copy"), this, [this, row] { copyRow(row); })->setEnabled(row >= 0);
    menu.addAction(QStringLiteral("Find..."), this, [this] { findBar().open(); })->setEnabled(m_model && m_model->rowCount() > 0);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Clear list"), this, [this] { m_model->clear(); })->setEnabled(m_model && m_model->rowCount() > 0);
    menu.exec(event->globalPos());
}
