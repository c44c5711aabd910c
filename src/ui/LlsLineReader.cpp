#include "LlsLineReader.h"

#include <algorithm>

#include <QSocketNotifier>

#include "SerialPort.h"

namespace ui {

LlsLineReader::LlsLineReader(std::size_t chunkLimit, QObject* parent)
    : QObject(parent), chunkLimit_(chunkLimit) {
    silence_.setSingleShot(true);
    silence_.setTimerType(Qt::PreciseTimer);
    connect(&silence_, &QTimer::timeout, this, &LlsLineReader::endChunk);
    inputCountPoll_.setInterval(kInputCountPollMs);
    connect(&inputCountPoll_, &QTimer::timeout, this, [this] {
        if (port_ && port_->bytesWaiting() > 0) inputReady();
    });
}

LlsLineReader::~LlsLineReader() {
    stopWatching();
}

void LlsLineReader::start(dut::SerialPort& port) {
    stop();
    port_ = &port;
    chunk_.clear();
#ifdef Q_OS_WIN
    inputCountPoll_.start();
#else
    notifier_ =
        new QSocketNotifier(static_cast<qintptr>(port.nativeHandle()), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &LlsLineReader::inputReady);
#endif
}

void LlsLineReader::stop() {
    stopWatching();
    chunk_.clear();
}

void LlsLineReader::inputReady() {
    if (!port_) return;
    // A late timer must not glue the next packet to the last one: the gap decides.
    if (!chunk_.empty() && sinceLastByte_.elapsed() > dut::SerialPort::kInterByteTimeoutMs) {
        endChunk();
    }
    const std::size_t waiting = port_->bytesWaiting();
    if (waiting == 0) {
        // Ready with nothing to read: the device has gone. What was heard still counts.
        endChunk();
        stopWatching();
        emit lineLost();
        return;
    }
    const std::size_t room = chunkLimit_ - chunk_.size();
    const std::size_t want = std::min(waiting, room);
    const std::size_t start = chunk_.size();
    chunk_.resize(start + want);
    // All of it is in the driver already, so this returns at once.
    const std::size_t got = port_->read(chunk_.data() + start, want);
    chunk_.resize(start + got);
    sinceLastByte_.start();
    if (chunk_.size() >= chunkLimit_) {
        endChunk();
    } else {
        silence_.start(dut::SerialPort::kInterByteTimeoutMs + 1);
    }
}

void LlsLineReader::endChunk() {
    silence_.stop();
    if (chunk_.empty()) return;
    std::vector<std::uint8_t> bytes;
    bytes.swap(chunk_);
    emit chunkRead(bytes);
}

void LlsLineReader::stopWatching() {
    silence_.stop();
    inputCountPoll_.stop();
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    port_ = nullptr;
}

}  // namespace ui
