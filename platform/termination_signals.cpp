#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int s_pair[2] = {-1, -1};  // [0] read by the event loop, [1] written by the handler

constexpr int kEnding[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(s_pair[1], &number, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, s_pair) != 0)
        qFatal("cannot create the socket pair for signals");
    m_notifier = new QSocketNotifier(s_pair[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kEnding) {
        if (::sigaction(signalNumber, &action, nullptr) != 0)
            qFatal("cannot take signal %d", signalNumber);
    }
    if (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR)  // an oversized write becomes failure 61 instead
        qFatal("cannot ignore SIGXFSZ");
}

TerminationSignals::~TerminationSignals()
{
    for (const int signalNumber : kEnding)
        std::signal(signalNumber, SIG_DFL);
    ::close(s_pair[0]);
    ::close(s_pair[1]);
    s_pair[0] = s_pair[1] = -1;
}

void TerminationSignals::readPending()
{
    unsigned char number = 0;
    while (::read(s_pair[0], &number, 1) == 1)
        emit received(number);
}
