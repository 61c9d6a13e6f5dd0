#include "forms/frm_interface.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionGroupBox>

#include "forms/program_files.h"
#include "widgets/icon_pictures.h"
#include "widgets/disabled_look.h"
#include "feed/received_data_model.h"
#include "widgets/received_data_view.h"
#include "widgets/twips.h"
#include "widgets/typing_limit.h"

namespace {

// Designed client area of the window, in twips.
constexpr int kClientWidth = 9420;
constexpr int kClientHeight = 7605;

// Group boxes draw their caption on the border line, so that controls placed near
// a group box's top edge sit inside it; text is in the small 8-point face the
// window was laid out for, a larger one would not fit its boxes.
QString designedLook()
{
    return QStringLiteral(
        "* { font-size: 8pt; }"
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 2px; }");
}

struct Twips {
    int left, top, width, height;
};

template <typename T>
T *placed(T *widget, QWidget *container, const char *name, Twips at)
{
    widget->setParent(container);
    widget->setObjectName(QString::fromLatin1(name));
    placeTwips(widget, at.left, at.top, at.width, at.height);
    return widget;
}

// Where a group box draws its caption, in the box's coordinates.
QRect captionOf(QGroupBox *frame)
{
    frame->ensurePolished();
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
}

// Captions start at the top of their box, so labels of different designed
// heights in one row line up. A caption wider than its designed box (the
// platform's font is wider than the one the window was designed with) widens
// the label rather than being cut, moving left where it would run out of its
// frame. For the same reason a frame's own caption can reach a label near
// the frame's top: the label then starts after it.
QLabel *label(QWidget *container, const char *name, Twips at, const QString &caption)
{
    QLabel *text = placed(new QLabel(caption), container, name, at);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (text->sizeHint().width() > text->width())
        text->resize(text->sizeHint().width(), text->height());
    if (auto *frame = qobject_cast<QGroupBox *>(container)) {
        const QRect title = captionOf(frame);
        if (title.intersects(text->geometry()))
            text->move(title.right() + 1 + title.left(), text->y());
    }
    const int room = container->width() - container->contentsMargins().right() - 2;
    if (text->geometry().right() > room)
        text->move(qMax(0, room - text->width()), text->y());
    return text;
}

// A box given a text longer than itself shows the text's start, as the
// operator reads it, not its end where the cursor of a typed text would be.
void showsStart(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textChanged, box, [box] {
        if (!box->hasFocus())
            box->setCursorPosition(0);
    });
}

QGroupBox *frame(QWidget *container, const char *name, Twips at, const QString &caption)
{
    return placed(new QGroupBox(caption), container, name, at);
}

// Status boxes show what the interface does; the operator reads and copies
// them but has nothing to type there. Their designed widths cut the longer
// texts, so the tooltip carries the whole text under the box's name.
QLineEdit *statusBox(QWidget *container, const char *name, Twips at, const QString &toolTip)
{
    auto *box = placed(new QLineEdit, container, name, at);
    keepTextsWhole(box);
    box->setToolTip(toolTip);
    QObject::connect(box, &QLineEdit::textChanged, box, [box, toolTip](const QString &text) {
        box->setToolTip(text.isEmpty() ? toolTip : toolTip + u'\n' + text);
    });
    box->setReadOnly(true);
    showsStart(box);
    return box;
}

QLineEdit *settingBox(QWidget *container, const char *name, Twips at, const QString &text, const QString &toolTip)
{
    auto *box = placed(new QLineEdit(text), container, name, at);
    keepTextsWhole(box);
    box->setToolTip(toolTip);
    box->setEnabled(false);
    showsStart(box);
    return box;
}

QPushButton *button(QWidget *container, const char *name, Twips at, const QString &caption, const QString &toolTip,
                    bool enabled)
{
    auto *push = placed(new QPushButton(caption), container, name, at);
    push->setToolTip(toolTip);
    push->setEnabled(enabled);
    push->setAutoDefault(false);
    return push;
}

QAction *menuItem(QMenu *menu, const char *name, const QString &caption, bool checkable = false)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(checkable);
    return item;
}

}  // namespace

void frmInterface::buildLayout()
{
    setWindowTitle(QStringLiteral("Interface Test"));
    setWindowIcon(pictureOf(Picture::Program));
    auto *client = new QWidget;
    client->setObjectName(QStringLiteral("client"));
    client->setStyleSheet(designedLook());
    keepDisabledReadable(client);
    setCentralWidget(client);

    lblAutomaticStart = label(client, "lblAutomaticStart", {1680, 0, 3255, 255}, {});

    fraStatus = frame(client, "fraStatus", {360, 360, 8655, 855}, {});
    lblInterfaceStatus = label(fraStatus, "lblInterfaceStatus", {1200, 120, 1125, 195}, QStringLiteral("Interface Status"));
    txtInterfaceStatus = statusBox(fraStatus, "txtInterfaceStatus", {120, 360, 3135, 375}, QStringLiteral("Interface Status"));
    lblStartDateAndTime = label(fraStatus, "lblStartDateAndTime", {3480, 120, 1815, 255}, QStringLiteral("Start Date and Time"));
    txtStartDateAndTime = statusBox(fraStatus, "txtStartDateAndTime", {3360, 360, 1935, 375},
                                    QStringLiteral("Interface Start Date and Time"));
    lblItemCount = label(fraStatus, "lblItemCount", {5520, 120, 735, 255}, QStringLiteral("Counter"));
    txtItemCount = statusBox(fraStatus, "txtItemCount", {5400, 360, 855, 375}, QStringLiteral("Interface Transaction Counter"));
    lblDateTime = label(fraStatus, "lblDateTime", {6480, 120, 2055, 255}, QStringLiteral("Date and Time of Last ACK"));
    txtDateTime = statusBox(fraStatus, "txtDateTime", {6360, 360, 2175, 375}, QStringLiteral("Date and Time of Last ACK"));

    fraSend = frame(client, "fraSend", {360, 1200, 8655, 735}, QStringLiteral("ACK String Sent"));
    txtSendData = statusBox(fraSend, "txtSendData", {120, 240, 8415, 375}, QStringLiteral("ACK String Sent"));

    cmdStart = button(client, "cmdStart", {360, 2040, 1455, 495}, QStringLiteral("Start Interface"),
                      QStringLiteral("Start Interface"), true);
    cmdStop = button(client, "cmdStop", {2160, 2040, 1455, 495}, QStringLiteral("Stop Interface"),
                     QStringLiteral("Stop Interface"), false);
    cmdExit = button(client, "cmdExit", {3960, 2040, 1455, 495}, QStringLiteral("Exit"), QStringLiteral("Exit Program"), true);
    cmdEdit = button(client, "cmdEdit", {5760, 2040, 1455, 495}, QStringLiteral("Edit"),
                     QStringLiteral("Edit Remote Information"), true);
    cmdSave = button(client, "cmdSave", {7560, 2040, 1455, 495}, QStringLiteral("Save"),
                     QStringLiteral("Save Remote Information"), false);

    fraRemote = frame(client, "fraRemote", {360, 2640, 1935, 855}, QStringLiteral("Remote"));
    lblRemotePort = label(fraRemote, "lblRemotePort", {720, 120, 975, 255}, QStringLiteral("Port"));
    txtRemotePort = settingBox(fraRemote, "txtRemotePort", {120, 360, 1695, 375}, QStringLiteral("Port"),
                               QStringLiteral("Remote Port Number"));
    lblRemoteIPAddress = label(fraRemote, "lblRemoteIPAddress", {6600, 120, 2295, 255}, QStringLiteral("IP Address"));
    lblRemoteIPAddress->hide();
    txtRemoteIPAddress = settingBox(fraRemote, "txtRemoteIPAddress", {5640, 360, 3495, 375}, QStringLiteral("IP Address"),
                                    QStringLiteral("Remote IP Address"));
    txtRemoteIPAddress->hide();

    fraLocal = frame(client, "fraLocal", {2880, 2640, 6135, 855}, QStringLiteral("Local"));
    lblLocalIpAddress = label(fraLocal, "lblLocalIpAddress", {1080, 120, 2295, 255}, QStringLiteral("IP Address"));
    txtLocalIPAddress = settingBox(fraLocal, "txtLocalIPAddress", {240, 360, 3495, 375}, QStringLiteral("Local IP Address"),
                                   QStringLiteral("Local IP Address"));
    lblLocalPort = label(fraLocal, "lblLocalPort", {4200, 120, 1575, 255}, QStringLiteral("Port"));
    txtLocalPort = settingBox(fraLocal, "txtLocalPort", {3960, 360, 1935, 375}, QStringLiteral("Local Port"),
                              QStringLiteral("Local Port Number"));

    fraReceive = frame(client, "fraReceive", {360, 3600, 8655, 3615}, QStringLiteral("Receive"));
    receivedData = new ReceivedDataModel(this);
    lvwReceiveData = placed(new ReceivedDataView(m_port), fraReceive, "lvwReceiveData", {120, 240, 8415, 2775});
    lvwReceiveData->setModel(receivedData);
    // Save As may not overwrite what the program keeps itself: acknowledged
    // arrivals, the settings, the logs.
    lvwReceiveData->setSaveGuard([this](const QString &path) {
        const bool own = isProgramFile(path, strAppPath) || sameFile(path, settings.strLogfileLocation)
                         || (m_dataFile.isOpen() && sameFile(path, m_dataFile.path()));
        return own ? QStringLiteral("it is one of Corvane's own files (the settings, a log or the data file)") : QString();
    });

    lblFileCounter = label(client, "lblFileCounter", {4920, 0, 1335, 375}, QStringLiteral("Label1"));
    lblDataFile = label(client, "lblDataFile", {6360, 0, 1335, 255}, QStringLiteral("closed"));
    lblErrorFile = label(client, "lblErrorFile", {8040, 0, 1095, 255}, QStringLiteral("closed"));
    for (QLabel *hidden : {lblFileCounter, lblDataFile, lblErrorFile})
        hidden->hide();

    const QList<QWidget *> focusOrder = {cmdStart, cmdStop, cmdExit, cmdEdit, cmdSave, txtSendData, txtRemotePort,
                                         txtLocalIPAddress, txtLocalPort, txtInterfaceStatus, txtItemCount,
                                         txtDateTime, txtStartDateAndTime};
    for (qsizetype i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
}

void frmInterface::buildMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileStartInterface = menuItem(mnuFile, "mnuFileStartInterface", QStringLiteral("Start Interface"));
    mnuFileStopInterface = menuItem(mnuFile, "mnuFileStopInterface", QStringLiteral("Stop Interface"));
    mnuFileExit = menuItem(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));

    mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuOptionsAutomaticStart = menuItem(mnuOptions, "mnuOptionsAutomaticStart", QStringLiteral("Automatic Start"), true);
    mnuOptionsEditShowWarningBox = menuItem(mnuOptions, "mnuOptionsEditShowWarningBox",
                                            QStringLiteral("Show Warning Box Before Exit"), true);
    mnuOptionsEditRemoteSettings = menuItem(mnuOptions, "mnuOptionsEditRemoteSettings", QStringLiteral("Edit Remote Settings"));
    mnuOptionsSaveRemoteSettings = menuItem(mnuOptions, "mnuOptionsSaveRemoteSettings", QStringLiteral("Save Remote Settings"));
    mnuOptionsSetup = menuItem(mnuOptions, "mnuOptionsSetup", QStringLiteral("Setup"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout = menuItem(mnuHelp, "mnuHelpAbout", QStringLiteral("&About"));

    // The designed size is the client area; the menu bar comes on top of it.
    const double dpi = logicalDpiY();
    resize(twipsToPixels(kClientWidth, logicalDpiX()),
           twipsToPixels(kClientHeight, dpi) + menuBar()->sizeHint().height());
}
