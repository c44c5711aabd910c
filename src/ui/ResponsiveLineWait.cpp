#include "ResponsiveLineWait.h"

#include <QAbstractEventDispatcher>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <atomic>
#include <exception>

namespace ui {

ResponsiveLineWait::ResponsiveLineWait(QObject* parent) : QObject(parent) {
    worker_.setObjectName(QStringLiteral("line"));
    workerContext_ = new QObject;
    workerContext_->moveToThread(&worker_);
    connect(&worker_, &QThread::finished, workerContext_, &QObject::deleteLater);
    worker_.start();
}

ResponsiveLineWait::~ResponsiveLineWait() {
    // run() never returns before its work is done, so the worker is idle here.
    worker_.quit();
    worker_.wait();
}

void ResponsiveLineWait::run(const std::function<void()>& work) {
    if (busy_ || QThread::currentThread() != thread()) {
        work();
        return;
    }
    busy_ = true;
    emit exchangeStarted();

    QEventLoop loop;
    loop_ = &loop;
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    ResponsiveLineWait* const self = this;
    QMetaObject::invokeMethod(
        workerContext_,
        [self, &work, &done, &failure] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            // Once done is set the waiting frame may be gone: only self is used after it.
            done = true;
            QMetaObject::invokeMethod(
                self, [self] { self->wakeLoop(); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);

    bool waitCursor = false;
    QTimer cursorTimer;
    cursorTimer.setSingleShot(true);
    cursorTimer.setTimerType(Qt::PreciseTimer);
    connect(&cursorTimer, &QTimer::timeout, [&] {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        waitCursor = true;
    });
    cursorTimer.start(kWaitCursorAfterMs);

    // The loop may also be ended from outside (the application quitting): the work refers to
    // this frame, so the wait goes on until the worker is through with it.
    while (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);

    loop_ = nullptr;
    cursorTimer.stop();
    if (waitCursor) QGuiApplication::restoreOverrideCursor();
    busy_ = false;
    // Input held during the wait stays queued in the X11 plug-in, which looks at its queue
    // again only when the dispatcher is woken; otherwise a held click or close request could
    // wait for the next unrelated event.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
    emit exchangeFinished();
    releaseHeld();
    if (failure) std::rethrow_exception(failure);
}

void ResponsiveLineWait::wakeLoop() {
    // A wake-up that arrives late finds no loop, or a later exchange's loop, which then only
    // checks its own work and waits on.
    if (loop_) loop_->quit();
}

bool ResponsiveLineWait::holdWhileBusy(std::function<void()> action) {
    if (!busy_) return false;
    held_.push_back(std::move(action));
    return true;
}

void ResponsiveLineWait::releaseHeld() {
    while (!held_.empty()) {
        QMetaObject::invokeMethod(this, std::move(held_.front()), Qt::QueuedConnection);
        held_.pop_front();
    }
}

}  // namespace ui
