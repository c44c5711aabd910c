#pragma once

#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <deque>
#include <functional>

#include "LineWait.h"

namespace ui {

// The program's one way of waiting on the line. The blocking sends and reads of an exchange
// run on a worker thread while the user-interface thread waits in a local event loop that
// paints, answers the window manager and the accessibility bus, and runs timers, but holds
// user input until the exchange has ended, as a window blocked on the line would. It is also
// the guard for everything that must not start while an exchange runs: ticks check busy() and
// do nothing, hot keys are held with holdWhileBusy().
class ResponsiveLineWait : public QObject, public dut::LineWait {
    Q_OBJECT
  public:
    // An exchange that lasts longer than this shows the wait cursor.
    static constexpr int kWaitCursorAfterMs = 300;

    explicit ResponsiveLineWait(QObject* parent = nullptr);
    ~ResponsiveLineWait() override;

    // Runs the work to its end; off the calling thread when called on this object's thread
    // with no exchange running, inline otherwise. Rethrows what the work threw.
    void run(const std::function<void()>& work) override;

    bool busy() const { return busy_; }

    // Idle: returns false and leaves the action to the caller. Busy: keeps the action, posts
    // it to the event queue once the exchange has ended, and returns true. The action runs
    // at the first event loop after the exchange; if that is another exchange's wait, it is
    // held again there, so held actions never run between two exchanges of one handler.
    bool holdWhileBusy(std::function<void()> action);

  signals:
    void exchangeStarted();
    void exchangeFinished();

  private:
    void wakeLoop();
    void releaseHeld();

    QThread worker_;
    QObject* workerContext_ = nullptr;  // lives on worker_; the work is posted to it
    QEventLoop* loop_ = nullptr;        // the wait in progress, if any
    bool busy_ = false;
    std::deque<std::function<void()>> held_;
};

}  // namespace ui
