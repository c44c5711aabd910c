#pragma once

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>

namespace testsupport {

// A 10 ms timer on the calling thread that records the largest gap between its ticks: how
// long a user would have seen the window stand still.
class StallProbe {
  public:
    using Clock = std::chrono::steady_clock;

    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            longestGap_ = std::max(longestGap_, now - last_);
            last_ = now;
            ++ticks_;
            if (onTick) onTick();
        });
        last_ = Clock::now();
        timer_.start(10);
    }

    double longestGapMs() const {
        return std::chrono::duration<double, std::milli>(longestGap_).count();
    }
    long ticks() const { return ticks_; }

    // Runs on every tick, after the gap is recorded.
    std::function<void()> onTick;

  private:
    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longestGap_{};
    long ticks_ = 0;
};

}  // namespace testsupport
