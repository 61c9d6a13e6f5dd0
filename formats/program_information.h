#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// The settings record. Every text starts empty; a setting left empty after a
// read gets its default (fillBlankSettings). The same shape also carries the
// values that the settings writer collects from the window's boxes and fields.
struct ProgramInformation {
    static constexpr int kFrameCodes = 5;

    QString strRemoteIP;
    QString strPort;
    QString strAutoStart;    // "On" or "Off"
    QString strExitWarning;  // "True" or "False"
    QString strAckBeforeDate;
    QString strAckAfterDate;
    QString strMSASegment;
    QString strInterfaceName;
    qint16 intShowCount = 0;  // 1 shows the transaction count in the caption
    QString strLogfileLocation;
    std::array<QString, kFrameCodes> strSTF;  // start-of-frame character codes
    std::array<QString, kFrameCodes> strETF;  // end-of-frame character codes
    // "On" answers each framed HL7 message with its own control id; anything
    // else answers each arrival as it comes.
    QString strAnswerEachMessage;

    bool answersEachMessage() const { return strAnswerEachMessage == QLatin1String("On"); }
};
