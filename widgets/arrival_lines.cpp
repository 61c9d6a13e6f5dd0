#include "widgets/arrival_lines.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "formats/hex_view.h"
#include "formats/visible_text.h"
#include "widgets/row_painter.h"

namespace {

constexpr int kIndexStep = 64;  // lines between two entries of the index
constexpr int kHexBytes = 16;

// Where the segment starting at `start` ends: after a CR, a CR LF or an LF.
qsizetype segmentEnd(const QByteArray &bytes, qsizetype start)
{
    qsizetype end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    if (end < bytes.size())
        end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
    return end;
}

}  // namespace

ArrivalLines::ArrivalLines(QByteArray bytes, Mode mode, QWidget *parent)
    : QAbstractScrollArea(parent), m_bytes(std::move(bytes)), m_mode(mode)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setBackgroundRole(QPalette::Base);
    viewport()->setMouseTracking(true);
    for (qsizetype start = 0; m_mode == Mode::Text && start < m_bytes.size(); ++m_segments) {
        if (m_segments % kIndexStep == 0)
            m_everyNth.push_back(start);
        const qsizetype end = segmentEnd(m_bytes, start);
        m_widestText = qMax<qsizetype>(m_widestText, visibleText(QByteArrayView(m_bytes).sliced(start, end - start), end - start).size());
        start = end;
    }
    updateScrollRanges();
}

int ArrivalLines::lineCount() const
{
    return m_mode == Mode::Text ? m_segments : int((m_bytes.size() + kHexBytes - 1) / kHexBytes);
}

ArrivalLines::Span ArrivalLines::segment(int line) const
{
    qsizetype start = m_everyNth[size_t(line / kIndexStep)];
    for (int skipped = line % kIndexStep; skipped > 0; --skipped)
        start = segmentEnd(m_bytes, start);
    return {start, segmentEnd(m_bytes, start)};
}

QString ArrivalLines::lineText(int line) const
{
    if (line < 0 || line >= lineCount())
        return {};
    if (m_mode == Mode::Hex)
        return hexLine(m_bytes, qsizetype(line) * kHexBytes);
    const Span span = segment(line);
    return visibleText(QByteArrayView(m_bytes).sliced(span.start, span.end - span.start), span.end - span.start);
}

int ArrivalLines::lineHeight() const
{
    return fontMetrics().height();
}

int ArrivalLines::charWidth() const
{
    return qMax(1, fontMetrics().horizontalAdvance(u'M'));
}

void ArrivalLines::updateScrollRanges()
{
    const int widest = m_mode == Mode::Text ? m_widestText : hexLine(QByteArray(kHexBytes, 'x'), 0).size();
    horizontalScrollBar()->setRange(0, qMax(0, widest * charWidth() + 8 - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(charWidth());
    const qint64 height = qint64(lineCount()) * lineHeight();
    verticalScrollBar()->setRange(0, int(qMin<qint64>(qMax<qint64>(0, height - viewport()->height()), INT_MAX)));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(lineHeight());
}

void ArrivalLines::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

// Only the columns in sight are made into text: a segment of 200 KB costs
// what a screen of it costs.
void ArrivalLines::paintText(QPainter &painter, int line, int top, int firstColumn, int columns) const
{
    const Span span = segment(line);
    const qsizetype needed = qMin<qsizetype>(span.end - span.start, qsizetype(firstColumn) + columns + 1);
    const QList<VisibleRun> runs = visibleRuns(QByteArrayView(m_bytes).sliced(span.start, span.end - span.start), needed);
    const QRect cell(4, top, viewport()->width() - 4, lineHeight());
    RowPainter out(painter, cell, palette().color(QPalette::Text), 4 - firstColumn * charWidth());
    int column = 0;
    for (const VisibleRun &run : runs) {
        column += int(run.text.size());
        if (column < firstColumn) {  // left of the view: its place is taken, nothing drawn
            out.skip(int(run.text.size()) * charWidth());
            continue;
        }
        if (!out.draw(run))
            break;
    }
}

void ArrivalLines::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const int height = lineHeight(), cw = charWidth();
    const int first = verticalScrollBar()->value() / height;
    const int last = qMin(lineCount() - 1, first + viewport()->height() / height + 1);
    const int firstColumn = horizontalScrollBar()->value() / cw;
    const int columns = viewport()->width() / cw + 2;
    int top = first * height - verticalScrollBar()->value();
    painter.setPen(palette().color(QPalette::Text));
    for (int line = first; line <= last; ++line, top += height) {
        if (m_mode == Mode::Text)
            paintText(painter, line, top, firstColumn, columns);
        else
            painter.drawText(4 - firstColumn * cw, top + fontMetrics().ascent(), lineText(line));
    }
}

qsizetype ArrivalLines::byteAt(QPoint point) const
{
    const int line = (point.y() + verticalScrollBar()->value()) / lineHeight();
    const int column = (point.x() - 4 + horizontalScrollBar()->value()) / charWidth();
    if (line < 0 || line >= lineCount() || column < 0)
        return -1;
    if (m_mode == Mode::Hex) {
        const QString text = lineText(line);
        const qsizetype printable = text.indexOf(u'|') + 1;
        qsizetype at = -1;
        if (column >= printable && column < text.size() - 1)
            at = column - printable;
        else if (column >= 10 && column < printable - 2)
            at = (column - 10 - (column - 10 >= 3 * kHexBytes / 2 ? 1 : 0)) / 3;
        const qsizetype byte = qsizetype(line) * kHexBytes + at;
        return at >= 0 && at < kHexBytes && byte < m_bytes.size() ? byte : -1;
    }
    const Span span = segment(line);
    const MappedText mapped = arrivalLines(QByteArrayView(m_bytes).sliced(span.start, span.end - span.start));
    return column < mapped.byteOf.size() ? span.start + mapped.byteOf[column] : -1;
}

void ArrivalLines::mouseMoveEvent(QMouseEvent *event)
{
    emit hovered(byteAt(event->position().toPoint()));
}

void ArrivalLines::mousePressEvent(QMouseEvent *event)
{
    emit hovered(byteAt(event->position().toPoint()));
}
