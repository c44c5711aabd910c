#include "TerminationSignals.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <initializer_list>

namespace {

int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t throughEventLoop = 0;

// Only async-signal-safe calls. The write end does not block: a pipe that is full already
// holds a request, and one is as good as many.
void onSignal(int signalNumber) {
    if (!throughEventLoop) ::_exit(128 + signalNumber);
    const char byte = static_cast<char>(signalNumber);
    const ssize_t written = ::write(signalPipe[1], &byte, 1);
    (void)written;
}

}  // namespace

namespace ui {

void installTerminationSignals() {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);

    if (signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) {
        signalPipe[0] = signalPipe[1] = -1;  // throughEventLoop stays 0: signals end at once
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signalNumber, &action, nullptr);
}

void endThroughEventLoop(std::function<void()> end) {
    if (signalPipe[0] < 0 || throughEventLoop) return;
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    // Stays enabled: a close that is held (an exchange running, a box up) must not make the
    // next signal go unheard.
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [end] {
        char bytes[64];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        end();
    });
    throughEventLoop = 1;
}

}  // namespace ui

#else

namespace ui {

void installTerminationSignals() {}
void endThroughEventLoop(std::function<void()>) {}

}  // namespace ui

#endif
