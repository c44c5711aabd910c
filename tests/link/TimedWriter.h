#pragma once

// Plays the far end of a line from a thread of its own: one byte at a time, with a pause
// between the bytes, until stopped. A sleep is never precise on a loaded machine, so it
// records when every write really happened, and tests judge the port against those times
// rather than against the schedule they asked for.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class TimedWriter {
  public:
    using Clock = std::chrono::steady_clock;

    // Writes the bytes 0, 1, 2, ... to fd, one every periodMs, at most maxBytes of them.
    TimedWriter(int fd, int periodMs, int maxBytes)
        : thread_([this, fd, periodMs, maxBytes] { run(fd, periodMs, maxBytes); }) {}
    ~TimedWriter() { stop(); }
    TimedWriter(const TimedWriter&) = delete;
    TimedWriter& operator=(const TimedWriter&) = delete;

    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // How many bytes were written before `end` (call after stop()).
    std::size_t writtenBefore(Clock::time_point end) const {
        std::size_t n = 0;
        for (const Write& w : writes_) n += w.before < end ? 1 : 0;
        return n;
    }

    // The longest silence the line may have had between the first write and `end`: from
    // just before one write to just after the next (or to `end`). Call after stop().
    long longestSilenceMs(Clock::time_point end) const {
        Clock::duration longest{};
        for (std::size_t i = 0; i < writes_.size() && writes_[i].before < end; ++i) {
            const Clock::time_point next =
                i + 1 < writes_.size() ? std::min(writes_[i + 1].after, end) : end;
            longest = std::max(longest, next - writes_[i].before);
        }
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(longest).count());
    }

  private:
    struct Write {
        Clock::time_point before;  // just before the write was issued
        Clock::time_point after;   // just after it returned
    };

    void run(int fd, int periodMs, int maxBytes) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (int i = 0; i < maxBytes && !stopping_; ++i) {
            const auto byte = static_cast<std::uint8_t>(i);
            Write w;
            w.before = Clock::now();
            if (::write(fd, &byte, 1) != 1) return;
            w.after = Clock::now();
            writes_.push_back(w);
            wake_.wait_for(lock, std::chrono::milliseconds(periodMs), [this] { return stopping_; });
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::vector<Write> writes_;
    std::thread thread_;  // last: starts once the members above exist
};
