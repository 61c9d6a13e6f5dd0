#include "widgets/row_painter.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

const QColor kMarkedText(0x5b, 0x2a, 0x86);
const QColor kMarkedFrame(0xe9, 0xe1, 0xf5);

}  // namespace

RowPainter::RowPainter(QPainter &painter, QRect cell, QColor text, int x)
    : m_painter(painter), m_cell(cell), m_text(text), m_x(x)
{
    m_painter.save();
    m_painter.setClipRect(cell);
}

RowPainter::~RowPainter()
{
    m_painter.restore();
}

bool RowPainter::draw(const QString &piece, Style style)
{
    QFont face = m_painter.font();
    face.setUnderline(style == Decoded);
    m_painter.setFont(face);
    const QFontMetrics metrics(face);
    QString shown = piece;
    int width = metrics.horizontalAdvance(shown);
    const bool fits = m_x + width <= m_cell.right();
    if (!fits) {
        shown = metrics.elidedText(piece, Qt::ElideRight, qMax(0, m_cell.right() - m_x));
        width = metrics.horizontalAdvance(shown);
    }
    const QRect box(m_x, m_cell.top() + 1, width, m_cell.height() - 2);
    if (style == Marked) {
        m_painter.fillRect(box, kMarkedFrame);
        m_painter.setPen(kMarkedText);
    } else {
        m_painter.setPen(m_text);
    }
    m_painter.drawText(QRect(m_x, m_cell.top(), width + 1, m_cell.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       shown);
    m_x += width;
    return fits;
}

bool RowPainter::draw(const VisibleRun &run)
{
    switch (run.kind) {
    case VisibleRun::Kind::Name:
    case VisibleRun::Kind::Escape: return draw(run.text, Marked);
    case VisibleRun::Kind::Utf8: return draw(run.text, Decoded);
    case VisibleRun::Kind::Plain: break;
    }
    return draw(run.text, Plain);
}
