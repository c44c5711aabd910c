// The window stays alive while an exchange waits on a slow or silent line: timers keep firing,
// while ticks, hot keys and user input wait for the exchange to end, so what reaches the
// sensor and the order of the boxes are those of a window blocked on the line.

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "HotKeys.h"
#include "StallProbe.h"
#include "WiringFixture.h"

namespace {

using namespace wiring;
using Clock = std::chrono::steady_clock;

using Probe = testsupport::StallProbe;

class Responsiveness : public ConnectionWiring {
  protected:
    ui::ResponsiveLineWait& lineWait() { return program->context().lineWait; }

    // Connected, with the current value filled by a poll, and the polling timer running.
    void connectAndPoll() {
        choosePort();
        tick();
        ASSERT_EQ(c().Edit1->text(), QStringLiteral("1000"));
        c().Timer2->start();
    }

    void silence(bool silent) {
        sim::SensorFaults faults;
        faults.silent = silent;
        sensor->setFaults(faults);
    }
};

TEST_F(Responsiveness, F4OnASilentSensorKeepsTheLoopRunningAndTheOrderOfTheBlockedWindow) {
    connectAndPoll();
    sensor->clearRequests();
    silence(true);

    std::size_t requestsWhenBoxShown = 0;
    auto hook = std::make_unique<testsupport::BoxHook>([&](QMessageBox& box) {
        requestsWhenBoxShown = sensor->requests().size();
        boxes.push_back(testsupport::RecordedBox::of(box));
        return int(QMessageBox::Ok);
    });
    Probe probe;
    emit c().hotKeys()->activated(dut::config::kHotKeyFull);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 20000));

    // A window blocked for the two failing exchanges would have stood still for 5.1 s.
    EXPECT_LT(probe.longestGapMs(), 1000);
    EXPECT_GT(probe.ticks(), 50);

    // The sixteen attempts of the write, then the sixteen of the read-back, with no polling
    // request between them although the polling timer kept running.
    const auto seen = requests();
    ASSERT_EQ(requestsWhenBoxShown, 32u);
    ASSERT_GE(seen.size(), 32u);
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(seen[i], (testsupport::Request{kWrite, 4, 1000})) << "attempt " << i;
        EXPECT_EQ(seen[16 + i], (testsupport::Request{kRead, 4, 0})) << "attempt " << i;
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              ui::displayText(QStringLiteral("Сбой установки Полного бака. Попробуйте еще раз.")));
    c().Timer2->stop();
}

TEST_F(Responsiveness, AHotKeyDuringAnExchangeRunsOnceTheExchangeHasEnded) {
    connectAndPoll();
    auto hook = recordBoxes();
    silence(true);
    sensor->clearRequests();

    // F9 arrives while a poll waits on the silent sensor; the sensor then recovers, so the
    // poll ends with a good answer after a few attempts.
    bool pressed = false;
    std::size_t requestsAtPress = 0;
    Probe probe;
    probe.onTick = [&] {
        if (pressed || !lineWait().busy()) return;
        pressed = true;
        emit c().hotKeys()->activated(dut::config::kHotKeyAddress1);
        QTimer::singleShot(400, [&] {
            requestsAtPress = sensor->requests().size();
            silence(false);
        });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 10000));
    c().Timer2->stop();

    ASSERT_TRUE(pressed);
    const auto seen = requests();
    // Every request up to the recovery belongs to the poll: the address was not written
    // in the middle of it.
    ASSERT_GE(requestsAtPress, 1u);
    for (std::size_t i = 0; i < requestsAtPress; ++i) EXPECT_EQ(seen[i].operation, kRead);
    const auto write = std::find(seen.begin(), seen.end(), testsupport::Request{kWrite, 3, 1});
    ASSERT_NE(write, seen.end());
    EXPECT_GE(static_cast<std::size_t>(write - seen.begin()), requestsAtPress);
    ASSERT_NE(write + 1, seen.end());
    EXPECT_EQ(*(write + 1), (testsupport::Request{kRead, 3, 0}));
    EXPECT_EQ(boxes[0].text, ui::displayText(QStringLiteral("Сетевой адрес установлен!")));
    EXPECT_EQ(sensor->param(3), 1);
}

TEST_F(Responsiveness, ALongExchangeShowsTheWaitCursorAndTakesItAway) {
    connectAndPoll();
    c().Timer2->stop();
    silence(true);

    Clock::time_point started{};
    Clock::time_point cursorSeen{};
    QObject::connect(&lineWait(), &ui::ResponsiveLineWait::exchangeStarted,
                     [&] { started = Clock::now(); });
    Probe probe;
    probe.onTick = [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        if (cursorSeen == Clock::time_point{} && cursor && cursor->shape() == Qt::WaitCursor) {
            cursorSeen = Clock::now();
        }
    };
    tick();  // a poll that fails after sixteen attempts

    ASSERT_NE(cursorSeen, Clock::time_point{}) << "no wait cursor during a 2.5 s exchange";
    // The cursor's timer never fires early; a late probe only makes the figure larger.
    EXPECT_GE(cursorSeen - started,
              std::chrono::milliseconds(ui::ResponsiveLineWait::kWaitCursorAfterMs));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(lineWait().busy());
}

TEST_F(Responsiveness, AShortExchangeShowsNoWaitCursor) {
    connectAndPoll();
    c().Timer2->stop();
    bool cursorSeen = false;
    Probe probe;
    probe.onTick = [&] { cursorSeen = cursorSeen || QGuiApplication::overrideCursor() != nullptr; };
    QElapsedTimer clock;
    clock.start();
    tick();
    tick();
    // Judged only when the exchanges really were short on this machine.
    if (clock.elapsed() >= ui::ResponsiveLineWait::kWaitCursorAfterMs) GTEST_SKIP() << "slow run";
    EXPECT_FALSE(cursorSeen);
}

}  // namespace
