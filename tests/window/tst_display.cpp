// What the operator sees of arrivals: rows that come back from the data
// file, the viewer, a list that follows new rows only from the bottom, and
// texts shown once a frame.
#include <QtTest>

#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>

#include "platform/file_channel.h"
#include "test_files.h"
#include "widgets/arrival_viewer.h"
#include "widgets/frame_texts.h"
#include "widgets/received_data_model.h"
#include "widgets/received_data_view.h"

class ArrivalDisplay : public QObject {
    Q_OBJECT
private slots:
    // Rows keep where their bytes went, not the bytes: what is shown and
    // opened comes back from the data file, or says plainly that it cannot.
    void rowsComeBackFromTheDataFileOrSaySo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.txt"));
        const QByteArray first = "\x0bMSH|^~\\&|A\x1c\r", second = QByteArray(3000, 'x');
        FileChannel data;
        data.openAppend(path);
        ReceivedDataModel model;
        const auto arrive = [&](const QByteArray &bytes, qint32 number) {
            const int row = model.appendEmptyRow();
            model.setRowArrival(row, number, bytes, data.path(), data.writeLine(bytes));
            return row;
        };
        arrive(first, 1);
        arrive(second, 2);
        const int unstored = model.appendEmptyRow();  // storing it failed
        QCOMPARE(model.displayText(0, 99), QStringLiteral("<VT>MSH|^~\\&|A<FS><CR>"));
        QCOMPARE(model.arrival(1).bytes, second);
        QVERIFY(model.displayText(1, 10).endsWith(u'\u2026'));
        QCOMPARE(model.displayText(unstored, 99), QString());
        QVERIFY(!model.arrival(unstored).problem.isEmpty());

        const QByteArray file = readBytes(path);
        const auto gone = [&] {
            return model.arrival(1).problem.contains(u"no longer") && model.displayText(1, 99).startsWith(u"(no longer");
        };
        for (const QByteArray &changed : {QByteArray(file).replace("xxx", "xyx"), file.left(30), QByteArray()}) {
            writeBytes(path, changed);  // rewritten, cut short, emptied
            QVERIFY(gone());
            writeBytes(path, file);
            QVERIFY(!gone());
        }
        QVERIFY(QFile::remove(path));
        QVERIFY(gone());

        FileChannel device;  // a data file that cannot give arrivals back
        device.openAppend(QStringLiteral("/dev/null"));
        const int kept = model.appendEmptyRow();
        model.setRowArrival(kept, 3, second, device.path(), device.writeLine(second));
        QCOMPARE(model.displayText(kept, 4), QStringLiteral("xxxx\u2026"));
        QVERIFY(model.arrival(kept).problem.contains(u"first 256 bytes"));
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    // The viewer: one segment a line, positions, and the exact bytes saved.
    void viewerShowsCopiesAndSavesTheArrival()
    {
        ArrivalRecord arrival;
        arrival.number = 7;
        arrival.length = 23;
        arrival.bytes = "\x0bMSH|^~\\&|\xe9\rPID|1\x1c\r";
        ArrivalViewer viewer(arrival);
        QCOMPARE(viewer.shownText(), QStringLiteral("<VT>MSH|^~\\&|\u00e9<CR>\nPID|1<FS><CR>"));
        QCOMPARE(viewer.positionAt(int(viewer.shownText().indexOf(u"1"))), QStringLiteral("PID-1.1"));
        viewer.copyShownText();
        QCOMPARE(QApplication::clipboard()->text(), viewer.shownText());
        QTemporaryDir dir;
        QVERIFY(viewer.saveTo(dir.filePath(QStringLiteral("saved.hl7"))));
        QCOMPARE(readBytes(dir.filePath(QStringLiteral("saved.hl7"))), arrival.bytes);
        QVERIFY(!viewer.saveTo(dir.filePath(QStringLiteral("no/such/dir/saved.hl7"))));
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
                model.setRowArrival(model.appendEmptyRow(), model.rowCount(), "row", {}, -1);
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
};

QTEST_MAIN(ArrivalDisplay)
#include "tst_display.moc"
