#include "forms/frm_interface.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "formats/port_text.h"
#include "formats/report_lines.h"
#include "widgets/paced_texts.h"

// The start operation has no failure handling of its own: a failure leaves
// the remaining steps undone and goes back to whoever started it.
void frmInterface::cmdStart_Click()
{
    m_pacedTexts->showNow(txtSendData, QString());
    m_pacedTexts->showNow(txtItemCount, QStringLiteral("0"));
    m_pacedTexts->showNow(txtDateTime, QString());
    txtInterfaceStatus->setText(QStringLiteral("Start Requested"));
    showPicture(Picture::Start);
    try {
        answerParts();  // the list knows the framing from the first arrival on
    } catch (const Failure &) {
        // a code that is no character fails the first answer, where it is reported
    }
    OpenFile();
    reportEvent("Start requested.");
    arrange(Arrangement::Started);
    configureAndListen();
}

void frmInterface::configureAndListen()
{
    Winsock.setRemotePort(0, portNumberOf(txtRemotePort->text()));
    Winsock.setProtocol(0, 0);
    Winsock.setLocalPort(0, portNumberOf(txtLocalPort->text()));
    Winsock.Listen(0);
    // Port 0 lets the system pick one; the box shows which, so that a sender
    // can be pointed at it, and the restarts of this run keep it.
    if (portNumberOf(txtLocalPort->text()) == 0)
        txtLocalPort->setText(QString::number(Winsock.LocalPort(0)));
}

void frmInterface::startReportingFailure()
{
    try {
        cmdStart_Click();
        return;
    } catch (const Failure &failure) {
        if (failure.number == err::SocketAddressInUse)
            m_port.MsgBox(QStringLiteral("The port is already in use.  Select another port number."), interfaceNameTitle());
        else
            m_port.MsgBox(QStringLiteral("Error in cmdStart.\r\nError number %1\r\n%2")
                              .arg(failure.number)
                              .arg(failure.description),
                          interfaceNameTitle());
    }
    cmdStop_Click();
}

void frmInterface::cmdStop_Click()
{
    const auto failed = [this](const Failure &failure) {
        if (failure.number == err::OutOfMemory) {
            reportOutOfMemory("cmdStop_Click");
            return;
        }
        OpenMessageFile();
        m_port.MsgBox(QStringLiteral("Error in cmdStop.") + failure.description, interfaceNameTitle());
        CloseMessageFile();
    };
    try {
        outOfMemoryAsFailure([this] {
            reportEvent("Stop requested.");
            txtInterfaceStatus->setText(QStringLiteral("Stop Requested"));
            showPicture(Picture::Stop);
            arrange(Arrangement::Stopped);
            m_framer = {};  // never answered: its sender sends it again
            CloseFile();
            closeEverySocket();
            txtInterfaceStatus->setText(QStringLiteral("Connection Stopped"));
            reportEvent("Connection was stopped.");
        });
    } catch (const Failure &failure) {
        failed(failure);
    }
}

void frmInterface::closeEverySocket()
{
    for (qint16 intSocketIndex = 0; intSocketIndex < Winsock.count(); ++intSocketIndex)
        Winsock.Close(intSocketIndex);
}

// A newer sender replaces the older one: its element is destroyed, dropping
// the connection without a close event, and made again for the new request.
void frmInterface::Winsock_ConnectionRequest(qint16 Index, qint32 requestID)
{
    const qint16 connection = Index + 1;
    storeCutShort(connection);
    try {
        outOfMemoryAsFailure([&] {
            try {
                Winsock.Load(connection);
            } catch (const Failure &failure) {
                if (failure.number != err::ElementLoaded)
                    throw;
                Winsock.Unload(connection);
                Winsock.Load(connection);
            }
            Winsock.Accept(connection, requestID);
            txtInterfaceStatus->setText(QStringLiteral("Connection Established"));
            showPicture(Picture::Connect);
            BuildDateTime();
            txtStartDateAndTime->setText(strDateTime);
            OpenMessageFile();
            m_messageFile.writeLine(stampedLine(strDateTime, "Connection established."));
            CloseMessageFile();
        });
    } catch (const Failure &) {
        // A request that cannot be taken in full is dropped: an accepted
        // connection is closed here (the socket set closes an unaccepted
        // one), the report file does not stay open, and socket 0 goes on
        // listening.
        if (Winsock.exists(connection))
            Winsock.Close(connection);
        CloseMessageFile();
    }
}

// The sender closed its connection: everything is closed and socket 0
// listens again. The step numbers are the ones a failure report names.
void frmInterface::Winsock_Close(qint16 Index)
{
    if (!storeCutShort(Index))
        return;
    int step = 0;
    try {
        outOfMemoryAsFailure([&] {
            BuildDateTime();
            OpenMessageFile();
            step = 3;
            m_messageFile.writeLine(stampedLine(strDateTime, "Connection closed. Reconnect will be attempted."));
            step = 4;
            CloseMessageFile();
            step = 5;
            showPicture(Picture::NoConnect);
            step = 6;
            closeEverySocket();
            step = 7;
            txtInterfaceStatus->setText(QStringLiteral("Connection closed.Waiting for reconnect."));
            step = 8;
            Winsock.setRemotePort(0, portNumberOf(txtRemotePort->text()));
            step = 10;
            Winsock.setProtocol(0, 0);
            step = 11;
            Winsock.setLocalPort(0, portNumberOf(txtLocalPort->text()));
            step = 12;
            Winsock.Listen(0);
            step = 13;
            BuildDateTime();
            step = 14;
            OpenMessageFile();
            step = 15;
            m_messageFile.writeLine(stampedLine(strDateTime, "Listening for connection."));
            step = 16;
            CloseMessageFile();
        });
    } catch (const Failure &failure) {
        if (failure.number != err::NoNumber) {
            OpenMessageFile();  // it may have been closed before the failing step
            m_messageFile.writeLine(stampedLine(strDateTime, "Error in Winsock_close."));
            m_messageFile.writeLine(stampedLine(strDateTime, "Error number ") + QByteArray::number(failure.number));
            m_messageFile.writeLine(stampedLine(strDateTime, "Error occurred on line number ") + ' '
                                    + QByteArray::number(step));
            CloseMessageFile();
            m_port.MsgBox(QStringLiteral("Error in Winsock_close.\r\nError number %1\r\n%2\r\nError occurred on line number  %3")
                              .arg(failure.number)
                              .arg(failure.source)
                              .arg(step),
                          interfaceNameTitle());
        } else if (step == 12) {
            cmdStop_Click();
            startReportingFailure();
        } else {
            m_port.MsgBox(QStringLiteral("Error 0 in Winsock_close.\r\nLine number  %1").arg(step), applicationTitle());
        }
    }
}

// Every socket error stops and restarts the listener, dropping the
// connection; errors with a number are recorded in the error file first.
void frmInterface::Winsock_Error(qint16 Index, qint16 Number, const QString &, qint32, const QString &,
                                 const QString &, qint32, bool *)
{
    storeCutShort(Index);
    try {
        outOfMemoryAsFailure([&] {
            if (Number != 0)
                writeErrorRecord(Number);
            cmdStop_Click();
            cmdStart_Click();
        });
    } catch (const Failure &failure) {
        if (failure.number == err::FileAlreadyOpen && m_errorFile.isOpen()) {
            m_errorFile.close();
            Winsock_Error(0, Number, {}, 0, {}, {}, 0, nullptr);
            return;
        }
        m_port.MsgBox(QStringLiteral("The error file could not be opened."), interfaceNameTitle());
        m_port.EndNow();
    }
}
