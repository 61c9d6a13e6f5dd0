#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a service manager stopping the program, Ctrl+C,
// a desktop session logging out) as a Qt signal that the event loop delivers
// like any other event. The signal handler itself only writes the signal's
// number into a socket pair; whatever the program does about it runs later,
// outside the handler, where any call is safe.
//
// SIGXFSZ is ignored: a file that reaches the process's file-size limit then
// fails its write (a full disk to the program) instead of killing it.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier;
};
