#pragma once

// The product's side of a pseudo-terminal, opened with nothing but termios and poll so
// that the simulator is checked independently of the product's own serial code.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

using Clock = std::chrono::steady_clock;

inline long msSince(Clock::time_point t) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

struct Received {
    std::vector<std::uint8_t> bytes;
    Clock::time_point first{};
    Clock::time_point last{};
    bool hangUp = false;
};

class TestPort {
  public:
    TestPort() = default;
    explicit TestPort(const std::string& path) { open(path); }
    ~TestPort() { close(); }
    TestPort(const TestPort&) = delete;
    TestPort& operator=(const TestPort&) = delete;

    bool open(const std::string& path) {
        close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return false;
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::tcsetattr(fd_, TCSANOW, &tio);
        ::tcflush(fd_, TCIOFLUSH);
        return true;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd() const { return fd_; }

    bool write(const std::vector<std::uint8_t>& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    template <std::size_t N>
    bool write(const std::array<std::uint8_t, N>& bytes) {
        return write(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }

    // One read as a serial driver with an inter-byte time-out does it: returns when `max`
    // bytes arrived, after `silenceMs` of quiet that follows the first byte, or after
    // `totalMs` in all.
    Received read(std::size_t max, int silenceMs, int totalMs) {
        Received r;
        const auto start = Clock::now();
        while (r.bytes.size() < max) {
            int wait = totalMs - static_cast<int>(msSince(start));
            if (!r.bytes.empty()) {
                wait = std::min(wait, silenceMs - static_cast<int>(msSince(r.last)));
            }
            if (wait <= 0) break;
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, wait) <= 0) continue;
            if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
                r.hangUp = true;
                break;
            }
            std::uint8_t buffer[256];
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, max - r.bytes.size()));
            if (n <= 0) {
                r.hangUp = n == 0;
                break;
            }
            if (r.bytes.empty()) r.first = Clock::now();
            r.last = Clock::now();
            r.bytes.insert(r.bytes.end(), buffer, buffer + n);
        }
        return r;
    }

  private:
    int fd_ = -1;
};

// A scratch folder for symlinks, removed with its content at the end of a test.
class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/dut-sim-test-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path_ = made ? made : "/tmp";
    }
    ~TempDir() {
        for (const auto& name : created_) ::unlink(name.c_str());
        ::rmdir(path_.c_str());
    }
    std::string file(const std::string& name) {
        created_.push_back(path_ + "/" + name);
        return created_.back();
    }

  private:
    std::string path_;
    std::vector<std::string> created_;
};

}  // namespace simtest
