#pragma once

#include <QAbstractScrollArea>
#include <QTimer>

#include "widgets/arrival_viewer.h"

class FindBar;
class QHeaderView;
class ReceivedDataModel;

// The received-data list in report view: a "Data In" header over one row
// per arrival, the one column always as wide as the list's inside. Qt's item
// views re-lay out every row when rows are appended one at a time, which
// grows with the list; this view keeps nothing per row, so an arrival costs
// the same with ten rows as with a million, and only the rows in sight are
// painted.
//
// The newest row comes into sight by itself while the view is scrolled to
// the bottom; scrolled up, the view keeps its place. New rows reach the
// scroll bar a paint interval later, all at once: changing its range lays out the
// whole scroll area, too much to do for every arrival.
//
// A click marks a row; a double click, Enter or "Show" in the context menu
// opens it in a viewer of its own; "Copy" puts its shown text on the
// clipboard; "Clear list" empties the list; Ctrl+F ("Find…") finds rows, F3
// and Shift+F3 the next and the previous.
class ReceivedDataView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReceivedDataView(OperatorPort &port, QWidget *parent = nullptr);

    void setModel(ReceivedDataModel *model);
    int rowHeight() const;
    // The first row in sight and how many rows fit.
    int firstVisibleRow() const;
    int visibleRowCount() const;
    bool isScrolledToBottom() const;
    void scrollToBottom();
    // Marks a row (-1: none) and brings it into sight.
    void setCurrentRow(int row);
    // Opens the row in a viewer window of its own, which never holds the list.
    void showRow(int row);
    // What the viewers' Save As may not write.
    void setSaveGuard(ArrivalViewer::SaveGuard guard) { m_saveGuard = std::move(guard); }
    // The row's shown text, whole, on the clipboard.
    void copyRow(int row);
    // Opens the find bar; F3 searches on from the marked row.
    FindBar &findBar();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void rowsAppended();
    void updateScrollRanges();
    bool hasRow(int row) const;
    int rowAt(int y) const;

    OperatorPort &m_port;
    ReceivedDataModel *m_model = nullptr;
    FindBar *m_find = nullptr;
    QHeaderView *m_header;
    QTimer m_rowsArrived;  // runs while appended rows wait to reach the scroll bar
    int m_current = -1;
    ArrivalViewer::SaveGuard m_saveGuard;
};
