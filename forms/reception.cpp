#include "forms/frm_interface.h"

#include <QLabel>
#include <QLineEdit>

#include "forms/program_files.h"
#include "formats/basic_numbers.h"
#include "formats/report_lines.h"
#include "formats/visible_text.h"
#include "widgets/frame_texts.h"
#include "forms/frm_setup.h"
#include "widgets/received_data_model.h"

// Everything waiting on the socket is one transaction: one row, one line of
// the data file, one count and one acknowledgement. The line reaches the
// operating system before the acknowledgement leaves, so nothing that was
// acknowledged can be lost.
void frmInterface::Winsock_DataArrival(qint16 Index, qint32)
{
    qint16 intFileCheckCounter = 0;
    QByteArray received;
    int row = -1;
    // A data-file failure is mended once, by reopening the file and storing
    // again; a failure after that mending ends the arrival without an answer.
    bool recovered = false;
    for (;;) {
        try {
            outOfMemoryAsFailure([&] {
                if (row < 0)
                    row = takeArrival(Index, received);
                storeAndAcknowledge(Index, received, row);
            });
            return;
        } catch (const Failure &failure) {
            try {
                const auto course = outOfMemoryAsFailure(
                    [&] { return arrivalFailed(failure, Index, intFileCheckCounter, recovered); });
                if (course == ArrivalCourse::Ended)
                    return;
            } catch (const Failure &recoveryFailure) {
                arrivalFailedOtherwise(recoveryFailure);
                return;
            }
            recovered = true;
        }
    }
}

int frmInterface::takeArrival(qint16 index, QByteArray &received)
{
    startFlash();
    const int row = receivedData->appendEmptyRow();
    received = Winsock.GetData(index);
    lngItemCount = checkedAdd<qint32>(lngItemCount, 1);
    m_frameTexts->show(txtItemCount, QString::number(lngItemCount));
    if (settings.intShowCount == 1)
        AddTransactionCount();
    return row;
}

void frmInterface::storeAndAcknowledge(qint16 index, const QByteArray &received, int row)
{
    if (intFileCounter == 0)
        OpenFile();
    const qint64 offset = m_dataFile.writeLine(received);
    receivedData->setRowArrival(row, lngItemCount, received, m_dataFile.path(), offset);
    lngTempCounter = checkedAdd<qint32>(lngTempCounter, 1);
    PrepareAck();
    if (strSend2 != m_shownAck) {  // most answers repeat the one before
        m_shownAck = strSend2;
        m_frameTexts->show(txtSendData, visibleText(strSend2));
    }
    Winsock.SendData(index, strSend2);
    intFileCounter = checkedAdd<qint16>(intFileCounter, 1);
    lblFileCounter->setText(QString::number(intFileCounter));
    if (intFileCounter == 10) {
        CloseFile();
        intFileCounter = 0;
    }
}

frmInterface::ArrivalCourse frmInterface::arrivalFailed(const Failure &failure, qint16 index,
                                                        qint16 &intFileCheckCounter, bool recovered)
{
    OpenMessageFile();
    const bool mendable = failure.number == err::BadFileNumber || failure.number == err::PermissionDenied;
    if (mendable && recovered) {
        arrivalFailedOtherwise(failure);
        return ArrivalCourse::Ended;
    }
    switch (failure.number) {
    case err::NoNumber:
        m_messageFile.writeLine("Error in Winsock_DataArrival.");
        m_messageFile.writeLine(printForm(failure.number));
        m_messageFile.writeLine("RESEARCHING THIS ERROR");
        CloseMessageFile();
        cmdStop_Click();
        startReportingFailure();
        return ArrivalCourse::Ended;
    case err::Overflow:
        m_messageFile.writeLine(textAndNumber("Index is ", index));
        m_messageFile.writeLine(textAndNumber("intFileCheckCounter is ", intFileCheckCounter));
        m_messageFile.writeLine(textAndNumber("lngTempCounter is ", lngTempCounter));
        m_messageFile.writeLine(textAndNumber("lngItemCount is ", lngItemCount));
        m_port.MsgBox(QStringLiteral("An overflow error occurred.\r\nThe integers and longs were saved.\r\n"
                                     "The program will be restarted."),
                      applicationTitle());
        Form_Load();  // finds the report file open and reopens it
        return ArrivalCourse::Ended;
    case err::BadFileNumber:
        intFileCheckCounter = checkedAdd<qint16>(intFileCheckCounter, 1);
        openDataFile();
        return ArrivalCourse::ResumeStoring;
    case err::PermissionDenied:
        m_messageFile.writeLine(strDateTime.toLatin1());
        m_messageFile.writeLine("Error 70 in Winsock_DataArrival");
        m_messageFile.writeLine("Attempting to close and reopen file");
        CloseFile();
        OpenFile();
        return ArrivalCourse::ResumeStoring;
    default:
        arrivalFailedOtherwise(failure);
        return ArrivalCourse::Ended;
    }
}

void frmInterface::arrivalFailedOtherwise(const Failure &failure)
{
    OpenMessageFile();
    m_messageFile.writeLine("Error in Winsock_DataArrival.");
    m_messageFile.writeLine(printForm(failure.number));
    m_messageFile.writeLine(failure.description.toLatin1());
    CloseMessageFile();
    cmdStop_Click();
    startReportingFailure();
}

// The program's own files are refused as the data file like a path that
// cannot be opened.
void frmInterface::openDataFile()
{
    if (isProgramFile(settings.strLogfileLocation, strAppPath))
        throw failureOf(err::PathFileAccess);
    m_dataFile.openAppend(settings.strLogfileLocation);
}

void frmInterface::OpenFile()
{
    try {
        openDataFile();
    } catch (const Failure &failure) {
        if (failure.number == err::FileAlreadyOpen) {
            m_dataFile.close();
            OpenFile();
            return;
        }
        m_port.MsgBox(kDataFileNotOpened, interfaceNameTitle());
        setEnabled(false);
        Setup().showForRecovery();
        return;
    }
    lblDataFile->setText(QStringLiteral("open"));
}

void frmInterface::CloseFile()
{
    m_dataFile.close();
    lblDataFile->setText(QStringLiteral("closed"));
}

void frmInterface::AddTransactionCount()
{
    m_frameTexts->show(this, settings.strInterfaceName + u' ' + m_frameTexts->text(txtItemCount));
}
