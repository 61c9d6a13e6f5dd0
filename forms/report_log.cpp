#include "forms/frm_interface.h"

#include <QLabel>

#include "forms/program_files.h"
#include "formats/report_lines.h"
#include "formats/stamp.h"

void frmInterface::BuildDateTime()
{
    strDateTime = stampOf(m_port.Now());
}

// A handler that failed between an open and its close may have left the
// report file open; it is then closed and opened again, so no line is lost.
// Any other failure to open it ends the program: it cannot report anything.
void frmInterface::OpenMessageFile()
{
    try {
        m_messageFile.openAppend(strMessagesFileName);
    } catch (const Failure &failure) {
        if (failure.number != err::FileAlreadyOpen) {
            m_port.MsgBox(QStringLiteral("Error number %1").arg(failure.number), applicationTitle());
            m_port.EndNow();
        }
        m_messageFile.close();
        m_messageFile.openAppend(strMessagesFileName);  // a second failure goes to the caller
    }
    lblErrorFile->setText(QStringLiteral("open"));
}

void frmInterface::CloseMessageFile()
{
    m_messageFile.close();
    lblErrorFile->setText(QStringLiteral("closed"));
}

void frmInterface::reportEvent(const char *text)
{
    BuildDateTime();
    OpenMessageFile();
    m_messageFile.writeLine(stampedLine(strDateTime, text));
    CloseMessageFile();
}

void frmInterface::writeErrorRecord(qint16 number)
{
    const QString errorFileName = programFile(kErrorFileName);
    BuildDateTime();
    m_errorFile.openAppend(errorFileName);
    for (const QByteArray &line : errorRecordLines(number, strDateTime))
        m_errorFile.writeLine(line);
    m_errorFile.close();
}

// Running out of memory is reported with as little as possible: the stamp of
// the last report, the procedure, and a box. The report file stays open; the
// next report reopens it.
void frmInterface::reportOutOfMemory(const char *procedure)
{
    OpenMessageFile();
    m_messageFile.writeLine(strDateTime.toLatin1());
    m_messageFile.writeLine(QByteArray(procedure) + "Case 7");
    m_port.MsgBox(QStringLiteral("Out of memory. Please report."), applicationTitle());
}
