#include "forms/frm_setup.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms/program_files.h"
#include "formats/basic_numbers.h"
#include "widgets/disabled_look.h"
#include "widgets/setting_controls.h"
#include "widgets/typing_limit.h"

namespace {

constexpr int kInterfaceNameLimit = 18;
constexpr int kFrameCodeLimit = 2;

template <typename T>
T *named(T *widget, const QString &name, const QString &toolTip = {})
{
    widget->setObjectName(name);
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
    return widget;
}

QLineEdit *field(const QString &name, const QString &toolTip)
{
    auto *box = named(new QLineEdit, name, toolTip);
    keepTextsWhole(box);
    box->setEnabled(false);
    return box;
}

// A row of five small code boxes, left to right, named like a control array.
QHBoxLayout *codeRow(std::array<QLineEdit *, ProgramInformation::kFrameCodes> &boxes, const QString &name,
                     const QString &toolTip)
{
    auto *row = new QHBoxLayout;
    for (int i = 0; i < ProgramInformation::kFrameCodes; ++i) {
        boxes[i] = field(QStringLiteral("%1(%2)").arg(name).arg(i), toolTip);
        boxes[i]->setFixedWidth(36);
        limitTyping(boxes[i], kFrameCodeLimit);
        row->addWidget(boxes[i]);
    }
    row->addStretch();
    return row;
}

}  // namespace

frmSetup::frmSetup(ProgramInformation &settings, OperatorPort &port, QWidget *parent)
    : QWidget(parent, Qt::Window), m_settings(settings), m_port(port)
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup"));
    setMinimumWidth(380);
    buildLayout();
    keepDisabledReadable(this);  // the settings are read here long before Edit
    txtLogfileLocation->installEventFilter(this);
    connect(cmdEdit, &QPushButton::clicked, this, &frmSetup::cmdEdit_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmSetup::cmdSave_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmSetup::cmdExit_Click);
    LoadTextBoxes();
}

QList<QWidget *> frmSetup::textFields() const
{
    return {txtInterfaceName, chkShowCount, txtLogfileLocation, txtAckBeforeDate, txtAckAfterDate, txtMSASegment,
            chkAnswerEachMessage};
}

void frmSetup::setCodeFieldsEnabled(bool enabled)
{
    for (int i = 0; i < ProgramInformation::kFrameCodes; ++i) {
        txtSTF[i]->setEnabled(enabled);
        txtETF[i]->setEnabled(enabled);
    }
}

void frmSetup::cmdEdit_Click()
{
    cmdEdit->setEnabled(false);
    for (QWidget *field : textFields())
        field->setEnabled(true);
    setCodeFieldsEnabled(true);
    txtInterfaceName->setFocus();
    cmdSave->setEnabled(true);
}

namespace {

// A code box whose leading number is below 1 (letters and the empty text
// count as 0) becomes "0", no character; anything else stays as typed.
void normaliseFrameCode(QLineEdit *code)
{
    double value = 0;
    try {
        value = leadingNumber(code->text());
    } catch (const Failure &) {
        return;  // too large to hold: certainly not below 1
    }
    if (value < 1)
        code->setText(QStringLiteral("0"));
}

}  // namespace

// The file gets the fields exactly as they stand; only then are the frame
// codes tidied and the fields taken into the settings. A data file that is
// one of the program's own files, or fields too long for the settings file,
// are refused, and nothing is saved.
void frmSetup::cmdSave_Click()
{
    if (refusedDataFile(txtLogfileLocation->text()))
        return;
    cmdSave->setEnabled(false);
    bool saved = false;
    emit SaveFileRequested(&saved);
    if (!saved) {  // the operator was told why; the fields stay as they are
        cmdSave->setEnabled(true);
        return;
    }
    for (QWidget *field : textFields())
        field->setEnabled(false);
    for (int i = 0; i < ProgramInformation::kFrameCodes; ++i) {
        normaliseFrameCode(txtSTF[i]);
        normaliseFrameCode(txtETF[i]);
    }
    setCodeFieldsEnabled(false);
    cmdEdit->setEnabled(false);
    LoadInfoFromTextBoxes();
    emit AddTransactionCountRequested();
}

void frmSetup::cmdExit_Click()
{
    close();
}

void frmSetup::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit Exited();
    deleteLater();
}

void frmSetup::buildLayout()
{
    auto *page = new QVBoxLayout(this);

    fraInterfaceNameInfo = named(new QGroupBox(QStringLiteral("Interface Name")), QStringLiteral("fraInterfaceNameInfo"));
    auto *nameBox = new QVBoxLayout(fraInterfaceNameInfo);
    lblInterfaceName = named(new QLabel(QStringLiteral("InterfaceName")), QStringLiteral("lblInterfaceName"));
    txtInterfaceName = field(QStringLiteral("txtInterfaceName"), QStringLiteral("Interface Name"));
    limitTyping(txtInterfaceName, kInterfaceNameLimit);
    chkShowCount = named(new QCheckBox(QStringLiteral("Show Transaction Count")), QStringLiteral("chkShowCount"));
    chkShowCount->setEnabled(false);
    nameBox->addWidget(lblInterfaceName);
    nameBox->addWidget(txtInterfaceName);
    nameBox->addWidget(chkShowCount);
    page->addWidget(fraInterfaceNameInfo);

    fraLogfileInformation = named(new QGroupBox(QStringLiteral("Logfile Information")), QStringLiteral("fraLogfileInformation"));
    auto *logfileBox = new QVBoxLayout(fraLogfileInformation);
    lblLogfileInfo = named(new QLabel(QStringLiteral("Logfile Location")), QStringLiteral("lblLogfileInfo"));
    txtLogfileLocation = field(QStringLiteral("txtLogfileLocation"), QStringLiteral("Logfile Location"));
    logfileBox->addWidget(lblLogfileInfo);
    logfileBox->addWidget(txtLogfileLocation);
    page->addWidget(fraLogfileInformation);

    lblAckowledgement = named(new QLabel(QStringLiteral("Acknowledgement Setup")), QStringLiteral("lblAckowledgement"));
    QFont heading = lblAckowledgement->font();
    heading.setBold(true);
    lblAckowledgement->setFont(heading);
    page->addWidget(lblAckowledgement);
    chkAnswerEachMessage = named(new QCheckBox(QStringLiteral("Answer each HL7 message")), QStringLiteral("chkAnswerEachMessage"),
                                 QStringLiteral("Answer each framed message with its own control id in MSA-2"));
    chkAnswerEachMessage->setEnabled(false);
    page->addWidget(chkAnswerEachMessage);

    fraAckInformation = named(new QGroupBox(QStringLiteral("MSH Segment Definition")), QStringLiteral("fraAckInformation"));
    auto *mshBox = new QVBoxLayout(fraAckInformation);
    lblSTF = named(new QLabel(QStringLiteral("Start Of Transaction Frame")), QStringLiteral("lblSTF"));
    mshBox->addWidget(lblSTF);
    mshBox->addLayout(codeRow(txtSTF, QStringLiteral("txtSTF"), QStringLiteral("MSH ACK Information Before Date")));
    lblAckBeforeDate = named(new QLabel(QStringLiteral("ACK Information Before Date")), QStringLiteral("lblAckBeforeDate"));
    txtAckBeforeDate = field(QStringLiteral("txtAckBeforeDate"), QStringLiteral("MSH ACK Information Before Date"));
    lblAckAfterDate = named(new QLabel(QStringLiteral("ACK Information After Date")), QStringLiteral("lblAckAfterDate"));
    txtAckAfterDate = field(QStringLiteral("txtAckAfterDate"), QStringLiteral("MSH ACK Information After Date"));
    mshBox->addWidget(lblAckBeforeDate);
    mshBox->addWidget(txtAckBeforeDate);
    mshBox->addWidget(lblAckAfterDate);
    mshBox->addWidget(txtAckAfterDate);
    page->addWidget(fraAckInformation);

    fraMSAACK = named(new QGroupBox(QStringLiteral("MSA  Segment Definition")), QStringLiteral("fraMSAACK"));
    auto *msaBox = new QVBoxLayout(fraMSAACK);
    txtMSASegment = field(QStringLiteral("txtMSASegment"), QStringLiteral("MSA ACK Information After Date"));
    lblETF = named(new QLabel(QStringLiteral("End Of Transaction Frame")), QStringLiteral("lblETF"));
    msaBox->addWidget(txtMSASegment);
    msaBox->addWidget(lblETF);
    msaBox->addLayout(codeRow(txtETF, QStringLiteral("txtETF"), QStringLiteral("MSA ACK Information After Date")));
    page->addWidget(fraMSAACK);

    auto *buttons = new QHBoxLayout;
    cmdEdit = named(new QPushButton(QStringLiteral("Edit")), QStringLiteral("cmdEdit"), QStringLiteral("Edit Fields"));
    cmdSave = named(new QPushButton(QStringLiteral("Save")), QStringLiteral("cmdSave"), QStringLiteral("Save"));
    cmdSave->setEnabled(false);
    cmdExit = named(new QPushButton(QStringLiteral("Exit")), QStringLiteral("cmdExit"), QStringLiteral("Exit Setup"));
    buttons->addWidget(cmdEdit);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdExit);
    page->addLayout(buttons);

    QList<QWidget *> focusOrder = {cmdEdit, cmdSave, cmdExit, txtInterfaceName, chkShowCount, txtLogfileLocation};
    focusOrder += {txtSTF.begin(), txtSTF.end()};
    focusOrder += {txtAckBeforeDate, txtAckAfterDate, txtMSASegment};
    focusOrder += {txtETF.begin(), txtETF.end()};
    focusOrder += chkAnswerEachMessage;
    for (qsizetype i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
}

void frmSetup::LoadTextBoxes()
{
    loadSettingControls(*this, m_settings);
}

void frmSetup::copyFieldsInto(ProgramInformation &record) const
{
    copySettingControls(*this, record);
}

void frmSetup::LoadInfoFromTextBoxes()
{
    copyFieldsInto(m_settings);
}

QString frmSetup::interfaceName() const
{
    return txtInterfaceName->text();
}

namespace {

std::array<QString, ProgramInformation::kFrameCodes> textsOf(const std::array<QLineEdit *, ProgramInformation::kFrameCodes> &boxes)
{
    std::array<QString, ProgramInformation::kFrameCodes> texts;
    for (size_t i = 0; i < boxes.size(); ++i)
        texts[i] = boxes[i]->text();
    return texts;
}

}  // namespace

std::array<QString, ProgramInformation::kFrameCodes> frmSetup::startCodes() const
{
    return textsOf(txtSTF);
}

std::array<QString, ProgramInformation::kFrameCodes> frmSetup::endCodes() const
{
    return textsOf(txtETF);
}

void frmSetup::showForRecovery()
{
    txtLogfileLocation->setEnabled(true);
    cmdSave->setEnabled(true);
    show();
    txtLogfileLocation_GotFocus();
}

bool frmSetup::refusedDataFile(const QString &path)
{
    if (!isProgramFile(path, m_port.ProgramDirectory()))
        return false;
    m_port.MsgBox(kDataFileNotOpened, txtInterfaceName->text());
    return true;
}

void frmSetup::txtLogfileLocation_GotFocus()
{
    const QString chosen = m_port.ChooseFile();
    if (!chosen.isEmpty() && !refusedDataFile(chosen))
        m_chosenFile = chosen;
    if (!m_chosenFile.isEmpty())
        txtLogfileLocation->setText(m_chosenFile);
}

// The operator moving into the field, by mouse, Tab or program, opens the
// chooser; the focus coming back when a window is reactivated (as when the
// chooser itself closes) does not.
bool frmSetup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtLogfileLocation && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            txtLogfileLocation_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}
