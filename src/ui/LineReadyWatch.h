#pragma once

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace dut {
class SerialPort;
}

namespace ui {

// Waits for the first byte on the line without blocking the event loop, up to a time-out.
// On POSIX the port's descriptor is watched by a notifier; on Windows, where a COM handle has
// no such notification in Qt, the driver's input count is looked at every few milliseconds.
class LineReadyWatch : public QObject {
    Q_OBJECT
  public:
    static constexpr int kInputCountPollMs = 5;

    explicit LineReadyWatch(QObject* parent = nullptr);
    ~LineReadyWatch() override;

    // Starts a wait on the open port; ends with ended(true) once input is waiting, or
    // ended(false) after timeoutMs. A wait already running is cancelled first.
    void arm(const dut::SerialPort& port, int timeoutMs);
    // Ends a running wait at once with ended(false); harmless when none runs.
    void cancel();
    bool armed() const { return armed_; }

  signals:
    void ended(bool inputWaiting);

  private:
    void finish(bool inputWaiting);
    void stopWatching();

    const dut::SerialPort* port_ = nullptr;
    bool armed_ = false;
    QTimer deadline_;
    QTimer inputCountPoll_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace ui
