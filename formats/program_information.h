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
};

namespace defaults {
inline const QString RemoteIP = QStringLiteral("0.0.0.0");
inline const QString Port = QStringLiteral("65535");
inline const QString AutoStart = QStringLiteral("Off");
inline const QString ExitWarning = QStringLiteral("True");
inline const QString AckBeforeDate = QStringLiteral("|||||");
inline const QString AckAfterDate = QStringLiteral("||ACK|||||||||");
inline const QString MSASegment = QStringLiteral("|AA||||||");
inline const QString InterfaceName = QStringLiteral("Interface");
inline const QString LogfileLocation = QStringLiteral("logfile.txt");
inline const QString FirstStartCode = QStringLiteral("11");
inline const QString FirstEndCode = QStringLiteral("28");
inline const QString SecondEndCode = QStringLiteral("13");
inline const QString NoCharacter = QStringLiteral("0");
}  // namespace defaults
