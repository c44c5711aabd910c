#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace testsupport {

// Lets events run until `condition` holds; false once `timeoutMs` has passed without it.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

// Waits (bounded) for a modal window to appear, hands it to `inspect`, then, unless
// `inspect` closed it, closes it. Returns false if no modal window showed up in time.
// Must be called before the code that opens the modal window.
inline void whenModal(std::function<void(QWidget*)> inspect, bool* seen, int timeoutMs = 5000) {
    *seen = false;
    auto* poll = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            *seen = true;
            poll->stop();
            inspect(modal);
            if (modal->isVisible()) modal->close();
        } else if (clock->elapsed() > timeoutMs) {
            poll->stop();
        }
        if (!poll->isActive()) {
            poll->deleteLater();
            delete clock;
        }
    });
    poll->start();
}

}  // namespace testsupport
