#pragma once

#include <QWidget>

#include <array>

#include "settings/program_information.h"

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
    explicit frmSetup(ProgramInformation &settings, QWidget *parent = nullptr);

    // Settings into the fields, and back.
    void LoadTextBoxes();
    void LoadInfoFromTextBoxes();

    // The check box as the settings file stores it: 0 clear, 1 ticked.
    qint16 showCountValue() const;

    QGroupBox *fraInterfaceNameInfo;
    QLabel *lblInterfaceName;
    QLineEdit *txtInterfaceName;
    QCheckBox *chkShowCount;
    QGroupBox *fraLogfileInformation;
    QLabel *lblLogfileInfo;
    QLineEdit *txtLogfileLocation;
    QLabel *lblAckowledgement;
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

private:
    void buildLayout();

    ProgramInformation &m_settings;
};
