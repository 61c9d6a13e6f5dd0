#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include "formats/visible_text.h"

class QPainter;

// Draws a line of shown bytes piece by piece, left to right: plain text;
// marked text (control names, escapes, notes about the arrival) in a colour
// and frame typed text never has, so a sender's literal "<CR>" never looks
// like the byte; and characters decoded from UTF-8, underlined, so that they
// differ from the same letters sent as ISO 8859-1.
class RowPainter {
public:
    enum Style { Plain, Marked, Decoded };

    // `x` is where the first piece starts, left of the cell where the line is scrolled.
    RowPainter(QPainter &painter, QRect cell, QColor text, int x);
    RowPainter(QPainter &painter, QRect cell, QColor text) : RowPainter(painter, cell, text, cell.left()) {}
    ~RowPainter();

    // Draws a piece after those before it; false once the cell is full, the
    // piece that did not fit cut with "…".
    bool draw(const QString &piece, Style style);
    // A run of shown bytes in the style of its kind.
    bool draw(const VisibleRun &run);
    // Moves on by `width` without drawing: a piece left of a scrolled view.
    void skip(int width) { m_x += width; }

private:
    QPainter &m_painter;
    QRect m_cell;
    QColor m_text;
    int m_x;
};
