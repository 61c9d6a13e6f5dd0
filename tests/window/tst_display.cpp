// What the operator sees of arrivals: rows that keep the bytes, a list that
// follows new rows only from the bottom, and texts shown once a frame.
#include <QtTest>

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>

#include "platform/qt_operator_port.h"
#include "widgets/frame_texts.h"
#include "widgets/received_data_model.h"
#include "widgets/received_data_view.h"

class ArrivalDisplay : public QObject {
    Q_OBJECT
private slots:
    void rowsKeepTheBytesAndShowControlCharacters()
    {
        ReceivedDataModel model;
        const int row = model.appendEmptyRow();
        model.setRowBytes(row, QByteArray("\x0bMSH|\xe9\0\x1c\r", 9));
        QCOMPARE(model.rowBytes(row), QByteArray("\x0bMSH|\xe9\0\x1c\r", 9));
        QCOMPARE(model.data(model.index(row, 0), Qt::DisplayRole).toString(),
                 QStringLiteral("<VT>MSH|\u00e9<NUL><FS><CR>"));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Data In"));
    }

    void listFollowsNewRowsOnlyFromTheBottom()
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
        append(200);
        QTRY_VERIFY(lastRowInSight());
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

    void textsReachTheScreenOnceAFrameLatestFirst()
    {
        QWidget window;
        QLineEdit box(&window);
        FrameTexts texts(10, nullptr);
        texts.show(&box, QStringLiteral("1"));
        texts.show(&box, QStringLiteral("2"));
        texts.show(&window, QStringLiteral("Lab 2"));
        QCOMPARE(box.text(), QString());
        QCOMPARE(texts.text(&box), QStringLiteral("2"));
        QTRY_COMPARE(box.text(), QStringLiteral("2"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Lab 2"));

        texts.show(&box, QStringLiteral("12"));
        texts.showNow(&box, QStringLiteral("0"));
        texts.flush();  // the frame comes: nothing older may still be waiting
        QCOMPARE(box.text(), QStringLiteral("0"));
    }

    // "[*]", Qt's modified marker, shows as it is in a caption and a box's title.
    void titlesShowNamesLiterally()
    {
        QWidget window;
        window.winId();
        FrameTexts texts(10, nullptr);
        texts.showNow(&window, QStringLiteral("Lab [*] 2"));
        QCOMPARE(window.windowHandle()->title(), QStringLiteral("Lab [*] 2"));
        QString boxTitle;
        QTimer::singleShot(0, [&] {
            boxTitle = QApplication::activeModalWidget()->windowHandle()->title();
            QApplication::activeModalWidget()->close();
        });
        QtOperatorPort real;
        static_cast<OperatorPort &>(real).MsgBox(QStringLiteral("Error"), QStringLiteral("Lab [*]"));
        QCOMPARE(boxTitle, QStringLiteral("Lab [*]"));
    }
};

QTEST_MAIN(ArrivalDisplay)
#include "tst_display.moc"
