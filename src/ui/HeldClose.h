#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QObject>
#include <QTimer>

class QWidget;

namespace ui {

class ResponsiveLineWait;

// Keeps a close request of the main window until no handler is running. A request that comes
// during an exchange, or while a box or a modal window is up, is held: the box answers its
// keys as usual, and once it is answered and its handler has returned, the window is closed
// again from the top of the event loop, which ends the program. One request is always
// enough; none is dropped.
class HeldClose : public QObject, public QAbstractNativeEventFilter {
  public:
    HeldClose(QWidget& window, ResponsiveLineWait& lineWait);
    ~HeldClose() override;

    // True when a handler is running: the request is then kept and the caller must not
    // close now. False: nothing runs, the caller closes at once.
    bool holdIfBusy();
    // A close is waiting: nothing new (polls, hot keys) may start before it.
    bool pending() const { return pending_; }

    // The window system does not deliver a close request to a window a modal one blocks;
    // it is taken here instead, so it is held rather than lost.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    bool handlerRunning() const;
    void hold();
    void retry();
    bool blockedByModal() const;

    QWidget& window_;
    ResponsiveLineWait& lineWait_;
    QTimer retry_;
    bool pending_ = false;
};

}  // namespace ui
