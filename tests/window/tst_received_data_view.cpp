// The received-data list: rows hold the bytes exactly, and the view follows
// new rows only while the operator has not scrolled up.
#include <QtTest>

#include <QHeaderView>
#include <QScrollBar>

#include "ui/received_data_model.h"
#include "ui/received_data_view.h"

class ReceivedDataViewTest : public QObject {
    Q_OBJECT
private slots:
    void rowsKeepTheBytesAndShowControlCharacters()
    {
        ReceivedDataModel model;
        const int row = model.appendEmptyRow();
        QCOMPARE(model.data(model.index(row, 0), Qt::DisplayRole).toString(), QString());
        model.setRowBytes(row, QByteArray("\x0bMSH|\xe9\0\x1c\r", 9));
        QCOMPARE(model.rowBytes(row), QByteArray("\x0bMSH|\xe9\0\x1c\r", 9));
        QCOMPARE(model.data(model.index(row, 0), Qt::DisplayRole).toString(),
                 QStringLiteral("<VT>MSH|\u00e9<NUL><FS><CR>"));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Data In"));
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void followsNewRowsOnlyFromTheBottom()
    {
        ReceivedDataModel model;
        ReceivedDataView view;
        view.setModel(&model);
        view.resize(400, 200);
        view.show();
        const auto append = [&](int count) {
            for (int i = 0; i < count; ++i)
                model.setRowBytes(model.appendEmptyRow(), QByteArray::number(model.rowCount()));
        };
        const auto lastRowInSight = [&] { return view.firstVisibleRow() + view.visibleRowCount() >= model.rowCount(); };
        append(3);
        QCOMPARE(view.firstVisibleRow(), 0);  // everything fits: nothing to scroll
        append(200);
        QTRY_VERIFY(lastRowInSight());
        QVERIFY(view.isScrolledToBottom());

        view.verticalScrollBar()->setValue(view.rowHeight() * 10);  // the operator looks at older rows
        append(50);
        QTRY_COMPARE(view.verticalScrollBar()->maximum(), model.rowCount() * view.rowHeight() - view.viewport()->height());
        QCOMPARE(view.firstVisibleRow(), 10);

        view.scrollToBottom();  // back at the bottom, it follows again
        append(5);
        QTRY_VERIFY(lastRowInSight());

        model.clear();
        QCOMPARE(view.verticalScrollBar()->maximum(), 0);
    }

    void columnSpansTheWidthItIsGiven()
    {
        ReceivedDataModel model;
        ReceivedDataView view;
        view.setModel(&model);
        view.setColumnWidth(0, 321);
        QCOMPARE(view.columnWidth(0), 321);
        QCOMPARE(view.header()->count(), 1);
    }
};

QTEST_MAIN(ReceivedDataViewTest)
#include "tst_received_data_view.moc"
