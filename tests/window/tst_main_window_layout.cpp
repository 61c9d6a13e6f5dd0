// The main window as designed, before start-up touches it: every control by
// its name with its place, texts and state, and the menu tree.
#include <QtTest>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "ui/receive_area.h"
#include "ui/received_data_model.h"
#include "ui/received_data_view.h"
#include "ui/twips.h"
#include "window_fixture.h"

namespace {

QString textOf(QWidget *widget)
{
    if (auto *box = qobject_cast<QLineEdit *>(widget))
        return box->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QPushButton *>(widget))
        return button->text();
    if (auto *frame = qobject_cast<QGroupBox *>(widget))
        return frame->title();
    return {};
}

}  // namespace

class MainWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void controls_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");  // left, top, width, height
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("shown");
        const auto row = [](const char *name, const char *container, QRect at, const char *text, const char *tip,
                            bool enabled = true, bool shown = true) {
            QTest::newRow(name) << QString::fromLatin1(container) << at << QString::fromLatin1(text)
                                << QString::fromLatin1(tip) << enabled << shown;
        };
        row("lblAutomaticStart", "client", {1680, 0, 3255, 255}, "", "");
        row("fraStatus", "client", {360, 360, 8655, 855}, "", "");
        row("lblInterfaceStatus", "fraStatus", {1200, 120, 1125, 195}, "Interface Status", "");
        row("txtInterfaceStatus", "fraStatus", {120, 360, 3135, 375}, "", "Interface Status");
        row("lblStartDateAndTime", "fraStatus", {3480, 120, 1815, 255}, "Start Date and Time", "");
        row("txtStartDateAndTime", "fraStatus", {3360, 360, 1935, 375}, "", "Interface Start Date and Time");
        row("lblItemCount", "fraStatus", {5520, 120, 735, 255}, "Counter", "");
        row("txtItemCount", "fraStatus", {5400, 360, 855, 375}, "", "Interface Transaction Counter");
        row("lblDateTime", "fraStatus", {6480, 120, 2055, 255}, "Date and Time of Last ACK", "");
        row("txtDateTime", "fraStatus", {6360, 360, 2175, 375}, "", "Date and Time of Last ACK");
        row("fraSend", "client", {360, 1200, 8655, 735}, "ACK String Sent", "");
        row("txtSendData", "fraSend", {120, 240, 8415, 375}, "", "ACK String Sent");
        row("cmdStart", "client", {360, 2040, 1455, 495}, "Start Interface", "Start Interface");
        row("cmdStop", "client", {2160, 2040, 1455, 495}, "Stop Interface", "Stop Interface", false);
        row("cmdExit", "client", {3960, 2040, 1455, 495}, "Exit", "Exit Program");
        row("cmdEdit", "client", {5760, 2040, 1455, 495}, "Edit", "Edit Remote Information");
        row("cmdSave", "client", {7560, 2040, 1455, 495}, "Save", "Save Remote Information", false);
        row("fraRemote", "client", {360, 2640, 1935, 855}, "Remote", "");
        row("lblRemotePort", "fraRemote", {720, 120, 975, 255}, "Port", "");
        row("txtRemotePort", "fraRemote", {120, 360, 1695, 375}, "Port", "Remote Port Number", false);
        row("fraLocal", "client", {2880, 2640, 6135, 855}, "Local", "");
        row("lblLocalIpAddress", "fraLocal", {1080, 120, 2295, 255}, "IP Address", "");
        row("txtLocalIPAddress", "fraLocal", {240, 360, 3495, 375}, "Local IP Address", "Local IP Address", false);
        row("lblLocalPort", "fraLocal", {4200, 120, 1575, 255}, "Port", "");
        row("txtLocalPort", "fraLocal", {3960, 360, 1935, 375}, "Local Port", "Local Port Number", false);
        row("fraReceive", "client", {360, 3600, 8655, 3615}, "Receive", "");
        row("lvwReceiveData", "fraReceive", {120, 240, 8415, 2775}, "", "");
        row("lblFileCounter", "client", {4920, 0, 1335, 375}, "Label1", "", true, false);
        row("lblDataFile", "client", {6360, 0, 1335, 255}, "closed", "", true, false);
        row("lblErrorFile", "client", {8040, 0, 1095, 255}, "closed", "", true, false);
        row("lblRemoteIPAddress", "fraRemote", {6600, 120, 2295, 255}, "IP Address", "", true, false);
        row("txtRemoteIPAddress", "fraRemote", {5640, 360, 3495, 375}, "IP Address", "Remote IP Address", false, false);
    }
    void controls()
    {
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QFETCH(bool, enabled);
        QFETCH(bool, shown);
        WindowFixture f;  // not shown yet: the receive area has not followed any window size
        auto *widget = f.window->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), container);
        const double dpi = widget->logicalDpiX();
        const QRect designed(twipsToPixels(twips.left(), dpi), twipsToPixels(twips.top(), dpi),
                             twipsToPixels(twips.width(), dpi), twipsToPixels(twips.height(), dpi));
        if (qobject_cast<QLabel *>(widget)) {  // a caption may widen its label rather than be cut
            QCOMPARE(widget->geometry().adjusted(0, 0, designed.width() - widget->width(), 0), designed);
            QVERIFY(widget->width() >= designed.width());
            QVERIFY(widget->width() >= widget->sizeHint().width());
        } else {
            QCOMPARE(widget->geometry(), designed);
        }
        QCOMPARE(textOf(widget), text);
        QCOMPARE(widget->toolTip(), toolTip);
        QCOMPARE(widget->isEnabled(), enabled);
        QCOMPARE(widget->isVisibleTo(f.window.get()), shown);
    }

    void windowAsDesigned()
    {
        WindowFixture f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Interface Test"));
        QVERIFY(!f.window->windowIcon().isNull());
        f.window->show();
        const double dpi = f.window->logicalDpiX();
        QCOMPARE(f.window->centralWidget()->size(), QSize(twipsToPixels(9420, dpi), twipsToPixels(7605, dpi)));
        const QString header = f.window->lvwReceiveData->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(header, QStringLiteral("Data In"));
        QCOMPARE(f.window->lvwReceiveData->model()->columnCount(), 1);
    }

    void menuTree()
    {
        WindowFixture f;
        QStringList tree;
        for (QAction *menu : f.window->menuBar()->actions()) {
            tree << menu->menu()->objectName() + u'=' + menu->text();
            for (QAction *item : menu->menu()->actions()) {
                QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
                tree << QStringLiteral("  %1=%2%3").arg(item->objectName(), item->text(),
                                                       item->isCheckable() ? QStringLiteral(" [check]") : QString());
                QVERIFY(!item->isChecked());
            }
        }
        QCOMPARE(tree, QStringList({
                           "mnuFile=&File",
                           "  mnuFileStartInterface=Start Interface",
                           "  mnuFileStopInterface=Stop Interface",
                           "  mnuFileExit=E&xit",
                           "mnuOptions=&Options",
                           "  mnuOptionsAutomaticStart=Automatic Start [check]",
                           "  mnuOptionsEditShowWarningBox=Show Warning Box Before Exit [check]",
                           "  mnuOptionsEditRemoteSettings=Edit Remote Settings",
                           "  mnuOptionsSaveRemoteSettings=Save Remote Settings",
                           "  mnuOptionsSetup=Setup",
                           "mnuHelp=&Help",
                           "  mnuHelpAbout=&About",
                       }));
    }

    void receiveAreaRule_data()
    {
        QTest::addColumn<QSize>("outer");  // twips
        QTest::addColumn<QList<int>>("area");  // frame width, frame height, list width, list height; empty: unchanged
        QTest::newRow("designed outer size") << QSize(9540, 8730) << QList<int>{8655, 3615, 8415, 3255};
        QTest::newRow("1000 wide is too small") << QSize(1000, 8730) << QList<int>{};
        QTest::newRow("1001 wide follows, list at 0") << QSize(1001, 8730) << QList<int>{116, 3615, 0, 3255};
        QTest::newRow("5200 high is too small") << QSize(9540, 5200) << QList<int>{};
        QTest::newRow("5201 high follows, list at 0") << QSize(9540, 5201) << QList<int>{8655, 86, 8415, 0};
        QTest::newRow("large") << QSize(28800, 16200) << QList<int>{27915, 11085, 27675, 10725};
    }
    void receiveAreaRule()
    {
        QFETCH(QSize, outer);
        QFETCH(QList<int>, area);
        const std::optional<ReceiveArea> got = receiveAreaFor(outer.width(), outer.height());
        QCOMPARE(got.has_value(), !area.isEmpty());
        if (got)
            QCOMPARE(QList<int>({got->frameWidth, got->frameHeight, got->listWidth, got->listHeight}), area);
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
            QVERIFY(area);
            QCOMPARE(w.fraReceive->width(), twipsToPixels(area->frameWidth, dpi));
            QCOMPARE(w.lvwReceiveData->height(), twipsToPixels(area->listHeight, dpi));
            QCOMPARE(w.lvwReceiveData->columnWidth(0), w.lvwReceiveData->width());
            QCOMPARE(w.fraReceive->pos(), QPoint(twipsToPixels(360, dpi), twipsToPixels(3600, dpi)));
            QCOMPARE(w.cmdStart->geometry().topLeft(), QPoint(twipsToPixels(360, dpi), twipsToPixels(2040, dpi)));
        };
        expectFollowing();
        w.resize(900, 700);
        QTRY_COMPARE(w.width(), 900);
        expectFollowing();

        const QSize before = w.fraReceive->size();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        QCOMPARE(w.fraReceive->size(), before);
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        QTRY_VERIFY(w.fraReceive->width() != before.width());
        expectFollowing();
    }

    void focusOrderOfButtonsAndBoxes()
    {
        WindowFixture f;
        f.window->txtRemotePort->setEnabled(true);  // disabled controls are skipped; see them all
        f.window->txtLocalIPAddress->setEnabled(true);
        f.window->txtLocalPort->setEnabled(true);
        f.window->cmdStop->setEnabled(true);
        f.window->cmdSave->setEnabled(true);
        QStringList order;
        QWidget *w = f.window->cmdStart;
        for (int i = 0; i < 13; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order, QStringList({"cmdStart", "cmdStop", "cmdExit", "cmdEdit", "cmdSave", "txtSendData",
                                     "txtRemotePort", "txtLocalIPAddress", "txtLocalPort", "txtInterfaceStatus",
                                     "txtItemCount", "txtDateTime", "txtStartDateAndTime"}));
    }
};

QTEST_MAIN(MainWindowLayout)
#include "tst_main_window_layout.moc"
