#include "ShutdownSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int wakeFds[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe; the event loop does the rest.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[0], &byte, 1);
}

} // namespace

void QuitOnShutdownSignals(std::function<void()> first) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, wakeFds) != 0) {
        return; // without the pipe the default handlers stay: the process still ends
    }
    auto *notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(),
                     [first = std::move(first), count = 0]() mutable {
                         char byte = 0;
                         [[maybe_unused]] const ssize_t read = ::read(wakeFds[1], &byte, 1);
                         if (++count == 1 && first) {
                             first();
                         } else {
                             QCoreApplication::quit();
                         }
                     });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
