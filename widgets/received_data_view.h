#pragma once

#include <QAbstractScrollArea>
#include <QTimer>

class QHeaderView;
class ReceivedDataModel;

// The received-data list in report view: a "Data In" header over one row
// per arrival. Qt's item views re-lay out every row when rows are appended
// one at a time, which grows with the list; this view keeps nothing per row,
// so an arrival costs the same with ten rows as with a million, and only the
// rows in sight are painted.
//
// The newest row comes into sight by itself while the view is scrolled to
// the bottom; scrolled up, the view keeps its place. New rows reach the
// scroll bar a frame later, all at once: changing its range lays out the
// whole scroll area, too much to do for every arrival.
class ReceivedDataView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReceivedDataView(QWidget *parent = nullptr);

    void setModel(ReceivedDataModel *model);
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const;
    int rowHeight() const;
    // The first row in sight and how many rows fit.
    int firstVisibleRow() const;
    int visibleRowCount() const;
    bool isScrolledToBottom() const;
    void scrollToBottom();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;

private:
    void rowsAppended();
    void updateScrollRanges();

    ReceivedDataModel *m_model = nullptr;
    QHeaderView *m_header;
    QTimer m_rowsArrived;  // runs while appended rows wait to reach the scroll bar
};
