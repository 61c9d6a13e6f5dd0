#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;

// The indexed set of TCP sockets the main window owns. Element 0 exists from
// the start and is the one that listens; an accepted connection lives on an
// element of its own. Everything happens on the thread of the event loop.
//
// One event at a time: while the handler of one socket event runs, including
// while a message box or file chooser it opened waits in a nested event
// loop, the set raises no other event. New connections wait in the listen
// backlog and received bytes in the kernel; they are raised, in order, once
// the handler has returned. Timers, painting and the operator's input go on.
//
// An answer goes only to the connection its arrival came from: SendData on
// the arrival's element, while that arrival is handled, sends nothing when
// the element has been closed or has taken another connection meanwhile.
//
// Back-pressure: while more than kMostUnsent bytes of answers wait for a peer
// that does not read them, nothing more is read from that peer, so TCP's own
// flow control slows the sender; reading resumes once the answers are gone.
//
// Built on non-blocking sockets watched by QSocketNotifier rather than on
// QTcpSocket, because QTcpSocket reports a reset by the peer as an ordinary
// close, and the program must tell the two apart (close event versus error
// 10054). Failures carry the socket's own numbers (100xx), 40006 or 40020 for
// an operation in the wrong state, 340/360 for a missing or existing element
// and 380 for a port out of range.
class SocketSet : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Listening, Connected };
    static constexpr qsizetype kMostUnsent = 1024 * 1024;

    explicit SocketSet(QObject *parent = nullptr);
    ~SocketSet() override;

    int count() const { return int(m_elements.size()); }
    bool exists(qint16 index) const { return m_elements.count(index) != 0; }
    bool connected(qint16 index) const { return exists(index) && state(index) == State::Connected; }
    // Creating an element that exists fails (360); destroying one drops its
    // connection without a close event.
    void Load(qint16 index);
    void Unload(qint16 index);

    // Accepted only while the element is closed (40020 otherwise).
    void setRemotePort(qint16 index, qint32 port);
    void setLocalPort(qint16 index, qint32 port);
    void setProtocol(qint16 index, qint32 protocol);
    qint32 LocalPort(qint16 index) const;
    // The host's first IPv4 address that is not loopback, else 127.0.0.1;
    // the one shown for every element, since the listener takes every address.
    QString LocalIP() const;
    State state(qint16 index) const;

    // Listens on LocalPort on every address of both IP families (IPv4 alone
    // where the machine has no IPv6); port 0 lets the system pick one, which
    // LocalPort then reports. A port in use fails with 10048.
    void Listen(qint16 index);
    // Takes over the connection of a request. A request that nobody accepts
    // while its event is being handled is closed.
    void Accept(qint16 index, qint32 requestId);
    // Closing a closed element is no failure. Closing a listening element and
    // listening again on the same port while one event is handled (a sender
    // closes, the listener starts over) keeps the port open throughout, so a
    // sender that reconnects at once is not refused; a listener not taken up
    // again closes once the event is done.
    void Close(qint16 index);
    // Every byte received on the element and not yet taken.
    QByteArray GetData(qint16 index);
    // Hands the bytes to the network at once; what the network cannot take
    // yet is sent, in order, as soon as it can (one send loop serves both).
    void SendData(qint16 index, QByteArrayView data);

signals:
    void ConnectionRequest(qint16 index, qint32 requestId);
    void DataArrival(qint16 index, qint32 bytesTotal);
    void CloseEvent(qint16 index);  // the peer closed its side in order
    void Error(qint16 index, qint16 number, const QString &description, qint32 scode, const QString &source,
               const QString &helpFile, qint32 helpContext, bool *cancelDisplay);

private:
    struct Element;
    class EventScope;
    struct Arrival {
        qint16 index = -1;
        quint64 connection = 0;
    };

    Element &element(qint16 index) const;
    Element &closedElement(qint16 index) const;
    Element *elementIn(qint16 index, State state) const;
    void closeElement(Element &e);
    void watch(qint16 index, Element &e);
    // Reading goes on unless held back for the running event or for unsent answers.
    void updateReading(Element &e);
    // True when a handler is running: the element's event waits until it is done.
    bool holdBack(Element &e);
    void eventDone();
    void onAcceptable(qint16 index);
    void onReadable(qint16 index);
    void onWritable(qint16 index);
    int sendWaiting(Element &e);
    void raiseError(qint16 index, qint32 number);
    void releaseParkedListener();

    std::map<qint16, std::unique_ptr<Element>> m_elements;
    quint64 m_lastConnection = 0;  // numbers what elements hold, never reused
    bool m_inEvent = false;
    bool m_heldBack = false;       // some element's event waits for the running one
    Arrival m_arrival;             // the arrival being handled, if any
    int m_pendingRequest = -1;     // the descriptor whose request event is being handled
    int m_parkedListener = -1;     // a listening socket closed during the current event
    qint32 m_parkedPort = 0;
};
