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

// Only async-signal-safe calls: one byte into the pipe, read by the event loop.
void onSignal(int) {
    const char byte = 1;
    const ssize_t written = ::write(signalPipe[1], &byte, 1);
    (void)written;
}

}  // namespace

namespace ui {

void quitOnTerminationSignals() {
    if (signalPipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        char byte;
        const ssize_t got = ::read(signalPipe[0], &byte, 1);
        (void)got;
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace ui

#else

namespace ui {

void quitOnTerminationSignals() {}

}  // namespace ui

#endif
