#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <vector>

class QSocketNotifier;

namespace dut {
class SerialPort;
}

namespace ui {

// Listens on the open port without blocking the window and cuts what it hears into chunks the
// way the line's silence rule does: a chunk ends after more than 30 ms without a byte, or at
// the monitor's buffer size. On POSIX the port's descriptor is watched by a notifier; on
// Windows, where a COM handle has no such notification in Qt, the driver's input count is
// looked at every few milliseconds. Only bytes already in the driver are read, so no read
// ever waits.
class LlsLineReader : public QObject {
    Q_OBJECT
  public:
    static constexpr int kInputCountPollMs = 5;

    LlsLineReader(std::size_t chunkLimit, QObject* parent = nullptr);
    ~LlsLineReader() override;

    // Starts listening on the open port; a listening already running stops first.
    void start(dut::SerialPort& port);
    // Stops listening; a chunk still being gathered is dropped with nothing said.
    void stop();
    bool listening() const { return port_ != nullptr; }

  signals:
    void chunkRead(const std::vector<std::uint8_t>& bytes);
    // The line gave nothing though it said it had input (a device gone away): listening ended.
    void lineLost();

  private:
    void inputReady();
    void endChunk();
    void stopWatching();

    const std::size_t chunkLimit_;
    dut::SerialPort* port_ = nullptr;
    std::vector<std::uint8_t> chunk_;
    QElapsedTimer sinceLastByte_;
    QTimer silence_;
    QTimer inputCountPoll_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace ui
