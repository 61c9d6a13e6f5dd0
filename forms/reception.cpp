#include "forms/frm_interface.h"

#include <QLabel>
#include <QLineEdit>

#include "forms/program_files.h"
#include "formats/basic_numbers.h"
#include "formats/hl7_position.h"
#include "formats/report_lines.h"
#include "widgets/paced_texts.h"
#include "forms/frm_setup.h"
#include "feed/received_data_model.h"

// In arrival mode everything waiting on the socket is one transaction: one
// row, one line of the data file, one count and one acknowledgement. In
// message mode the bytes are cut into messages first, and each is such a
// transaction, answered with its own control id. Either way the line reaches
// the operating system before the acknowledgement leaves, so nothing that
// was acknowledged can be lost.
void frmInterface::Winsock_DataArrival(qint16 Index, qint32)
{
    if (settings.answersEachMessage() && receiveMessages(Index))
        return;
    Arrival arrival;
    receive(Index, arrival);
}

// False when the frame codes cannot be read: the bytes then go the arrival
// way, where they are stored and the answer fails as any unusable code does.
bool frmInterface::receiveMessages(qint16 Index)
{
    QByteArray start, end;
    try {
        const AckParts &parts = answerParts();
        start = parts.startCharacters;
        end = parts.endCharacters;
    } catch (const Failure &) {
        return false;
    }
    QList<FramedUnit> units;
    try {
        outOfMemoryAsFailure([&] { units = m_framer.take(Winsock.GetData(Index), start, end); });
    } catch (const Failure &failure) {
        arrivalFailedOtherwise(failure);
        return true;
    }
    // The answers of one read go out together, each after its message is
    // stored; a read of one message answers at once.
    QByteArray answers;
    for (const FramedUnit &unit : units) {
        Arrival arrival{unit.bytes, true, false, {}, units.size() > 1 ? &answers : nullptr};
        if (unit.kind == FramedUnit::Kind::Message) {
            // An acknowledgement is never answered: two receivers would answer each other forever.
            arrival.answered = !mshField(arrival.bytes, 9).startsWith("ACK");
            arrival.controlId = mshField(arrival.bytes, 10);
        }
        receive(Index, arrival);
        // A failure that dropped the connection drops what it sent after.
        if (!Winsock.connected(Index)) {
            m_framer = {};
            return true;
        }
    }
    try {
        sendHeldAnswers(Index, answers);
    } catch (const Failure &failure) {
        arrivalFailedOtherwise(failure);
    }
    return true;
}

void frmInterface::sendHeldAnswers(qint16 index, QByteArray &answers)
{
    if (!answers.isEmpty())
        Winsock.SendData(index, std::exchange(answers, {}));
}

// The rest of a message whose connection ended before its end characters
// came is stored, unanswered, as an arrival of its own. False when storing
// it failed and the failure handling has started the listener anew.
bool frmInterface::storeCutShort(qint16 index)
{
    std::optional<FramedUnit> rest = m_framer.rest();
    if (!rest)
        return true;
    Arrival arrival{std::move(rest->bytes), true, false, {}};
    receive(index, arrival);
    return Winsock.connected(index);
}

void frmInterface::receive(qint16 Index, Arrival &arrival)
{
    qint16 intFileCheckCounter = 0;
    int row = -1;
    // A data-file failure is mended once, by reopening the file and storing
    // again; a failure after that mending ends the arrival without an answer.
    bool recovered = false;
    for (;;) {
        try {
            outOfMemoryAsFailure([&] {
                if (row < 0)
                    row = takeArrival(Index, arrival);
                storeAndAcknowledge(Index, arrival, row);
            });
            return;
        } catch (const Failure &failure) {
            // The messages stored before this one are answered before its failure is handled.
            if (arrival.heldAnswers) {
                try {
                    sendHeldAnswers(Index, *arrival.heldAnswers);
                } catch (const Failure &) {
                    // the socket reports its own failure as an event of its own
                }
            }
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

int frmInterface::takeArrival(qint16 index, Arrival &arrival)
{
    startFlash();
    const int row = receivedData->appendEmptyRow(m_port.Now());
    if (!std::exchange(arrival.taken, true))
        arrival.bytes = Winsock.GetData(index);
    lngItemCount = checkedAdd<qint32>(lngItemCount, 1);
    m_pacedTexts->show(txtItemCount, QString::number(lngItemCount));
    if (settings.intShowCount == 1)
        AddTransactionCount();
    return row;
}

void frmInterface::storeAndAcknowledge(qint16 index, const Arrival &arrival, int row)
{
    if (intFileCounter == 0)
        OpenFile();
    const qint64 offset = m_dataFile.writeLine(arrival.bytes);
    receivedData->setRowArrival(row, lngItemCount, arrival.bytes, m_dataFile, offset);
    lngTempCounter = checkedAdd<qint32>(lngTempCounter, 1);
    if (arrival.answered) {
        PrepareAck(arrival.controlId);
        m_pacedTexts->showVisible(txtSendData, strSend2);
        if (arrival.heldAnswers)
            *arrival.heldAnswers += strSend2;
        else
            Winsock.SendData(index, strSend2);
    }
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
    m_pacedTexts->show(this, settings.strInterfaceName + u' ' + m_pacedTexts->text(txtItemCount));
}
