// The main window as laid out, and how its received-data area follows the
// window's size.
#include <QtTest>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "widgets/receive_area.h"
#include "widgets/received_data_view.h"
#include "widgets/twips.h"
#include "window_fixture.h"

class MainWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void asLaidOut()
    {
        WindowFixture f;
        frmInterface &w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Interface Test"));
        const auto twips = [&](int l, int t, int width, int h) {
            const double dpi = w.logicalDpiX();
            return QRect(twipsToPixels(l, dpi), twipsToPixels(t, dpi), twipsToPixels(width, dpi), twipsToPixels(h, dpi));
        };
        QCOMPARE(control<QPushButton>(w, "cmdSave")->geometry(), twips(7560, 2040, 1455, 495));
        QCOMPARE(control<QLineEdit>(w, "txtLocalPort")->geometry(), twips(3960, 360, 1935, 375));  // within its frame
        QCOMPARE(control<ReceivedDataView>(w, "lvwReceiveData")->geometry(), twips(120, 240, 8415, 2775));
        QCOMPARE(control<QLineEdit>(w, "txtItemCount")->toolTip(), QStringLiteral("Interface Transaction Counter"));
        for (QWidget *disabled : {static_cast<QWidget *>(control<QPushButton>(w, "cmdStop")), static_cast<QWidget *>(control<QPushButton>(w, "cmdSave")),
                                  static_cast<QWidget *>(control<QLineEdit>(w, "txtRemotePort")), static_cast<QWidget *>(control<QLineEdit>(w, "txtLocalPort"))})
            QVERIFY2(!disabled->isEnabled(), qPrintable(disabled->objectName()));
        for (QWidget *hidden : {static_cast<QWidget *>(control<QLabel>(w, "lblFileCounter")), static_cast<QWidget *>(control<QLabel>(w, "lblDataFile")),
                                static_cast<QWidget *>(control<QLabel>(w, "lblErrorFile")), static_cast<QWidget *>(control<QLineEdit>(w, "txtRemoteIPAddress"))})
            QVERIFY2(!hidden->isVisibleTo(&w), qPrintable(hidden->objectName()));
        QCOMPARE(control<QLabel>(w, "lblFileCounter")->text(), QStringLiteral("Label1"));
        QCOMPARE(control<QLineEdit>(w, "txtRemoteIPAddress")->text(), QStringLiteral("IP Address"));  // stored as the remote IP
        w.show();
        QCOMPARE(w.centralWidget()->size(), twips(0, 0, 9420, 7605).size());
    }

    void menuTree()
    {
        WindowFixture f;
        QStringList tree;
        for (QAction *menu : f.window->menuBar()->actions()) {
            tree << menu->text();
            for (QAction *item : menu->menu()->actions()) {
                QVERIFY(item->isEnabled() && !item->isChecked());
                tree << QStringLiteral("  %1=%2%3").arg(item->objectName(), item->text(),
                                                       item->isCheckable() ? QStringLiteral(" [check]") : QString());
            }
        }
        QCOMPARE(tree, QStringList({"&File", "  mnuFileStartInterface=Start Interface",
                                    "  mnuFileStopInterface=Stop Interface", "  mnuFileExit=E&xit", "&Options",
                                    "  mnuOptionsAutomaticStart=Automatic Start [check]",
                                    "  mnuOptionsEditShowWarningBox=Show Warning Box Before Exit [check]",
                                    "  mnuOptionsEditRemoteSettings=Edit Remote Settings",
                                    "  mnuOptionsSaveRemoteSettings=Save Remote Settings", "  mnuOptionsSetup=Setup",
                                    "&Help", "  mnuHelpAbout=&About"}));
    }

    void receiveAreaRule_data()
    {
        QTest::addColumn<QSize>("outer");      // twips
        QTest::addColumn<QList<int>>("area");  // frame width and height, list width and height; empty: unchanged
        QTest::newRow("designed outer size") << QSize(9540, 8730) << QList<int>{8655, 3615, 8415, 3255};
        QTest::newRow("1000 wide is too small") << QSize(1000, 8730) << QList<int>{};
        QTest::newRow("1001 wide follows, list at 0") << QSize(1001, 8730) << QList<int>{116, 3615, 0, 3255};
        QTest::newRow("5200 high is too small") << QSize(9540, 5200) << QList<int>{};
        QTest::newRow("5201 high follows, list at 0") << QSize(9540, 5201) << QList<int>{8655, 86, 8415, 0};
    }
    void receiveAreaRule()
    {
        QFETCH(QSize, outer);
        QFETCH(QList<int>, area);
        const std::optional<ReceiveArea> got = receiveAreaFor(outer.width(), outer.height());
        QCOMPARE(got ? QList<int>({got->frameWidth, got->frameHeight, got->listWidth, got->listHeight}) : QList<int>(),
                 area);
    }

    void receiveAreaFollowsTheWindow()
    {
        WindowFixture f;
        frmInterface &w = *f.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const double dpi = w.logicalDpiX();
        const auto expectFollowing = [&] {
            const QSize outer = w.frameGeometry().size();
            const auto area = receiveAreaFor(pixelsToTwips(outer.width(), dpi), pixelsToTwips(outer.height(), dpi));
            QCOMPARE(control<QGroupBox>(w, "fraReceive")->width(), twipsToPixels(area->frameWidth, dpi));
            QCOMPARE(control<ReceivedDataView>(w, "lvwReceiveData")->height(), twipsToPixels(area->listHeight, dpi));
            QCOMPARE(control<QGroupBox>(w, "fraReceive")->pos(), QPoint(twipsToPixels(360, dpi), twipsToPixels(3600, dpi)));
        };
        w.resize(900, 700);
        QTRY_COMPARE(w.width(), 900);
        expectFollowing();
        const QSize before = control<QGroupBox>(w, "fraReceive")->size();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        QCOMPARE(control<QGroupBox>(w, "fraReceive")->size(), before);
        w.showMaximized();
        QTRY_VERIFY(control<QGroupBox>(w, "fraReceive")->width() != before.width());
        expectFollowing();
    }
};

QTEST_MAIN(MainWindowLayout)
#include "tst_main_window_layout.moc"
