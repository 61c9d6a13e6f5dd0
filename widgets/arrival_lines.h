#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>

#include <vector>

// The bytes of one arrival in a fixed-width face, painted a screen at a
// time: as text, one segment a line, every byte shown by the visible-text
// rule with control names and escapes drawn apart from typed text (and
// characters decoded from UTF-8 underlined); or as hex, 16 bytes a line with
// their offset and printable column. It keeps the bytes and a sparse index
// of where lines start, so it costs little more than the arrival itself
// whatever its bytes are (a few hundred thousand carriage returns included).
class ArrivalLines final : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Mode { Text, Hex };

    ArrivalLines(QByteArray bytes, Mode mode, QWidget *parent = nullptr);

    int lineCount() const;
    // The text of a line as shown (text mode: visibleText of its segment).
    QString lineText(int line) const;
    // The byte shown at a point of the viewport; -1 where none is.
    qsizetype byteAt(QPoint point) const;

signals:
    void hovered(qsizetype byte);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Span {
        qsizetype start;
        qsizetype end;
    };
    Span segment(int line) const;
    int lineHeight() const;
    int charWidth() const;
    void updateScrollRanges();
    void paintText(QPainter &painter, int line, int top, int firstColumn, int columns) const;

    QByteArray m_bytes;
    std::vector<qsizetype> m_everyNth;  // text: where lines 0, N, 2N, … start
    int m_segments = 0;
    int m_widestText = 0;  // in characters
    Mode m_mode;
};
