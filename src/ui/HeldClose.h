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
// enough; none is dropped. A modal window that holds no command of its own (the LLS monitor,
// a passive view; see holdsNoCommand) is closed by a held close instead of keeping it.
class HeldClose : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    HeldClose(QWidget& window, ResponsiveLineWait& lineWait);
    ~HeldClose() override;

    // A modal window that only shows: a close request of the main window while it is up
    // closes it, then the program, rather than waiting for the user to close it first.
    static void holdsNoCommand(QWidget& window);

    // A termination signal: the program ends as after a close request, and as nobody may be
    // there to answer, a box or a modal window up is answered as Escape answers it (never a
    // command's "OK, go on": Escape is Cancel wherever there is a choice). A running exchange
    // is still waited for.
    void endProgram();

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
    // Closes what keeps a held close waiting and may be closed; true when it closed one.
    bool closeWhatHolds();

    QWidget& window_;
    ResponsiveLineWait& lineWait_;
    QTimer retry_;
    bool pending_ = false;
    bool answerBoxes_ = false;  // the close came from a signal
};

}  // namespace ui
