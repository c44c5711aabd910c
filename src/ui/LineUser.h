#pragma once

#include <QObject>
#include <QString>

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

    // The port named in the main window's port box: the one the monitor opens for itself when
    // it finds no port open.
    const QString& portBoxName() const { return portBoxName_; }
    void setPortBoxName(const QString& name) { portBoxName_ = name; }

  signals:
    void pollingAllowedChanged(bool allowed);

  private:
    bool monitorListening_ = false;
    QString portBoxName_;
};

}  // namespace ui
