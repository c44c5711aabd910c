#include "LineReadyWatch.h"

#include <QSocketNotifier>

#include "SerialPort.h"

namespace ui {

LineReadyWatch::LineReadyWatch(QObject* parent) : QObject(parent) {
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, [this] { finish(false); });
    inputCountPoll_.setInterval(kInputCountPollMs);
    connect(&inputCountPoll_, &QTimer::timeout, this, [this] {
        if (port_ && port_->bytesWaiting() > 0) finish(true);
    });
}

LineReadyWatch::~LineReadyWatch() {
    stopWatching();
}

void LineReadyWatch::arm(const dut::SerialPort& port, int timeoutMs) {
    cancel();
    port_ = &port;
    armed_ = true;
#ifdef Q_OS_WIN
    inputCountPoll_.start();
#else
    notifier_ =
        new QSocketNotifier(static_cast<qintptr>(port.nativeHandle()), QSocketNotifier::Read, this);
    // A hung-up device reads as ready too; the read that follows reports it.
    connect(notifier_, &QSocketNotifier::activated, this, [this] { finish(true); });
#endif
    deadline_.start(timeoutMs);
}

void LineReadyWatch::cancel() {
    if (armed_) finish(false);
}

void LineReadyWatch::finish(bool inputWaiting) {
    if (!armed_) return;
    stopWatching();
    armed_ = false;
    emit ended(inputWaiting);
}

void LineReadyWatch::stopWatching() {
    deadline_.stop();
    inputCountPoll_.stop();
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    port_ = nullptr;
}

}  // namespace ui
