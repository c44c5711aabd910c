#pragma once

#include <QObject>

namespace ui {

// Who uses the one line: the main window's polling, or the bus monitor's listening while it
// is shown. The windows say what they need and follow what is decided here; none starts or
// stops another's timer.
class LineUser : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    bool monitorListening() const { return monitorListening_; }
    // The monitor is shown (true) or hidden (false). Polling pauses while it listens.
    void setMonitorListening(bool listening) {
        if (listening == monitorListening_) return;
        monitorListening_ = listening;
        emit pollingAllowedChanged(!listening);
    }

  signals:
    void pollingAllowedChanged(bool allowed);

  private:
    bool monitorListening_ = false;
};

}  // namespace ui
