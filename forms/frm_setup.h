#pragma once

#include <QWidget>

#include <array>

#include "platform/operator_port.h"
#include "formats/program_information.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The setup dialog. Besides being the operator's editor, its fields are where
// the acknowledgement texts, frame codes, interface name, show-count flag and
// data file path are kept between saves; the window creates it hidden the
// first time any of them is needed. Member names are the system's own.
class frmSetup final : public QWidget {
    Q_OBJECT
public:
    frmSetup(ProgramInformation &settings, OperatorPort &port, QWidget *parent = nullptr);

    // The one mapping between the fields and the settings they hold: the
    // window's settings into the fields; the fields into a record (the check
    // box as the file stores it, 0 clear, 1 ticked); the fields into the
    // window's settings.
    void LoadTextBoxes();
    void copyFieldsInto(ProgramInformation &record) const;
    void LoadInfoFromTextBoxes();

    // The dialog's buttons. After Save only Exit is active; Exit (or the
    // window's close box) discards the dialog, and unsaved edits with it.
    void cmdEdit_Click();
    void cmdSave_Click();
    void cmdExit_Click();

    // Shown when the data file cannot be opened: only the data file field
    // and Save are enabled, and the file chooser is offered at once.
    void showForRecovery();
    // Offers the file chooser whenever the data file field gets the focus.
    void txtLogfileLocation_GotFocus();

    // What other windows read of the fields between saves: the interface
    // name (window and box titles) and the frame codes as they stand, edits
    // not yet saved included (the answer's framing).
    QString interfaceName() const;
    std::array<QString, ProgramInformation::kFrameCodes> startCodes() const;
    std::array<QString, ProgramInformation::kFrameCodes> endCodes() const;

signals:
    // The main window's procedures the dialog runs, in the order it needs
    // them. The file is not saved when the settings would not fit in it.
    void SaveFileRequested(bool *saved);
    void AddTransactionCountRequested();
    // The dialog is closing: the main window takes input again and forgets it.
    void Exited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    // The fields other than the frame codes, top to bottom.
    QList<QWidget *> textFields() const;
    void setCodeFieldsEnabled(bool enabled);
    // Tells the operator when a path for the data file is one of the program's own files.
    bool refusedDataFile(const QString &path);

    ProgramInformation &m_settings;
    OperatorPort &m_port;
    QString m_chosenFile;  // the file last chosen while this dialog exists

    // Controls, named as the system names them; tests find them by those names.
    QGroupBox *fraInterfaceNameInfo;
    QLabel *lblInterfaceName;
    QLineEdit *txtInterfaceName;
    QCheckBox *chkShowCount;
    QGroupBox *fraLogfileInformation;
    QLabel *lblLogfileInfo;
    QLineEdit *txtLogfileLocation;
    QLabel *lblAckowledgement;
    QCheckBox *chkAnswerEachMessage;
    QGroupBox *fraAckInformation;
    QLabel *lblSTF;
    std::array<QLineEdit *, ProgramInformation::kFrameCodes> txtSTF;
    QLabel *lblAckBeforeDate;
    QLineEdit *txtAckBeforeDate;
    QLabel *lblAckAfterDate;
    QLineEdit *txtAckAfterDate;
    QGroupBox *fraMSAACK;
    QLineEdit *txtMSASegment;
    QLabel *lblETF;
    std::array<QLineEdit *, ProgramInformation::kFrameCodes> txtETF;
    QPushButton *cmdEdit;
    QPushButton *cmdSave;
    QPushButton *cmdExit;
};
