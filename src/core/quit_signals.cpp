#include "quit_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int writeEnd = -1;

void onSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(QList<int> signalNumbers, std::function<void()> onSignalCallback, QObject *parent)
    : QObject(parent), m_signals(std::move(signalNumbers))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    writeEnd = m_fds[0];
    m_notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this, callback = std::move(onSignalCallback)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(m_fds[1], &byte, 1);
        if (callback)
            callback();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : std::as_const(m_signals))
        sigaction(number, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    for (const int number : std::as_const(m_signals))
        std::signal(number, SIG_DFL);
    writeEnd = -1;
    for (int fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
    }
}
