// POSIX backend of SerialPort: termios for the line settings, poll() for the read
// time-outs, flock() plus TIOCEXCL for exclusive access.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <vector>

#include "SerialPort.h"

namespace dut {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Writes of a few bytes finish at once; the bound only guards against a stuck line.
constexpr int kWriteTimeoutMs = 1000;

int msUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    // Round up so that poll never spins with a zero wait before the deadline.
    const auto ms = std::chrono::ceil<milliseconds>(left).count();
    return static_cast<int>(ms);
}

bool applyLineSettings(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    // Reads are timed by poll(); the driver only hands over what it has.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B19200) != 0 || ::cfsetospeed(&tio, B19200) != 0) return false;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return false;

    // tcsetattr succeeds when any one change was taken; check that all of them were.
    termios now{};
    if (::tcgetattr(fd, &now) != 0) return false;
    return (now.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS)) == CS8 &&
           (now.c_iflag & (IXON | IXOFF | IXANY)) == 0 && ::cfgetispeed(&now) == B19200 &&
           ::cfgetospeed(&now) == B19200;
}

// The total bound of a read of count bytes: 10 ms a byte and 10 ms more.
long totalBoundMs(std::size_t count) {
    return SerialPort::kTotalPerByteMs * static_cast<long>(count) + SerialPort::kTotalConstantMs;
}

// Bounded read: the count, silence for more than 30 ms after the first byte, or the
// total bound, whichever comes first. -1 when the device failed or hung up, with errno
// saying why (EIO when the device is simply gone).
// A read that goes on with the run of the one before (lastByte set) has no first byte to
// wait for: the silence rule counts from that read's last byte.
long boundedRead(int fd, std::uint8_t* buffer, std::size_t count, long totalMs, bool& cutOff,
                 Clock::time_point& lastByte, bool goOn) {
    cutOff = false;
    if (count == 0) return 0;
    const auto totalDeadline = Clock::now() + milliseconds(totalMs);
    if (!goOn) lastByte = Clock::time_point{};
    std::size_t got = 0;
    while (got < count) {
        auto deadline = totalDeadline;
        if (got > 0 || goOn) {
            const auto silence = lastByte + milliseconds(SerialPort::kInterByteTimeoutMs);
            if (silence < deadline) deadline = silence;
        }
        const int waitMs = msUntil(deadline);
        if (waitMs <= 0) {
            // Stopped by the total bound rather than by silence: inside a frame, if any.
            cutOff = got > 0 && deadline == totalDeadline;
            break;
        }

        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (ready == 0) continue;  // the deadlines are checked at the top
        if (pfd.revents & POLLIN) {
            const ssize_t n = ::read(fd, buffer + got, count - got);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                lastByte = Clock::now();
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
            if (n == 0) errno = EIO;
            return -1;  // end of file or EIO: the device is gone
        }
        // A hung-up device reports POLLHUP on every poll; waiting on would only spin.
        if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            errno = EIO;
            return -1;
        }
    }
    return static_cast<long>(got);
}

// False, with errno set, when neither way of dropping the input worked.
bool discardInput(int fd) {
    if (::tcflush(fd, TCIFLUSH) == 0) return true;
    // Not a terminal after all: drop what the driver says is waiting.
    int pending = 0;
    if (::ioctl(fd, FIONREAD, &pending) != 0) return false;
    if (pending <= 0) return true;
    std::vector<std::uint8_t> junk(static_cast<std::size_t>(pending));
    while (::read(fd, junk.data(), junk.size()) < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return true;  // gone already
        if (errno != EINTR) return false;
    }
    return true;
}

// False, with errno set, when the device failed or did not take the bytes in time.
bool writeAll(int fd, const std::uint8_t* data, std::size_t count) {
    const auto deadline = Clock::now() + milliseconds(kWriteTimeoutMs);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        const int waitMs = msUntil(deadline);
        if (waitMs <= 0) {
            errno = ETIMEDOUT;
            return false;
        }
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, waitMs);
        if (ready < 0 && errno != EINTR) return false;
        if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            errno = EIO;
            return false;
        }
    }
    return true;
}

bool hasDevice(const std::string& sysEntry) {
    struct stat st {};
    return ::stat((sysEntry + "/device").c_str(), &st) == 0;
}

// The 8250 driver registers every legacy slot whether or not a UART answers there; such
// slots report the port type 0 (PORT_UNKNOWN) and cannot carry a line.
bool isEmptyUartSlot(const std::string& sysEntry) {
    std::ifstream typeFile(sysEntry + "/type");
    long type = -1;
    if (!(typeFile >> type)) return false;
    return type == 0;
}

}  // namespace

struct SerialPort::Backend {
    int fd = -1;
    bool exclusive = false;
    Clock::time_point lastByte{};  // of the last read, for one that goes on with its run
};

SerialPort::SerialPort() : backend_(std::make_unique<Backend>()) {}

SerialPort::~SerialPort() {
    close();
}

std::string SerialPort::devicePath(const std::string& name) {
    return name;
}

bool SerialPort::open(const std::string& name) {
    close();
    lastErrorCode_ = 0;
    const int fd = ::open(devicePath(name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastErrorCode_ = errno;
        return false;
    }

    auto fail = [this, fd]() {
        // Only flock refuses with EWOULDBLOCK: someone else holds the port, which a refused
        // open under TIOCEXCL reports as EBUSY. No errno: settings the driver did not take.
        lastErrorCode_ = errno == EWOULDBLOCK ? EBUSY : errno != 0 ? errno : EINVAL;
        ::close(fd);  // also drops the flock and, with the last descriptor, TIOCEXCL
        return false;
    };

    // flock() keeps out every other opener that asks, this process included; TIOCEXCL
    // keeps out unprivileged openers that do not ask.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail();
    bool exclusive = ::ioctl(fd, TIOCEXCL) == 0;
    if (!exclusive && errno != ENOTTY && errno != EINVAL) return fail();

    errno = 0;
    if (!applyLineSettings(fd)) return fail();

    // DTR and RTS stay low; a pseudo-terminal has no modem lines and refuses, which is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIC, &lines);

    backend_->fd = fd;
    backend_->exclusive = exclusive;
    ++sessions_;
    return true;
}

std::string SerialPort::lastErrorMessage() const {
    const int code = lastErrorCode_;
    return code == 0 ? std::string() : std::string(std::strerror(code));
}

void SerialPort::close() {
    if (backend_->fd < 0) return;
    if (backend_->exclusive) (void)::ioctl(backend_->fd, TIOCNXCL);
    (void)::flock(backend_->fd, LOCK_UN);
    ::close(backend_->fd);
    backend_->fd = -1;
    backend_->exclusive = false;
}

bool SerialPort::isOpen() const {
    return backend_->fd >= 0;
}

std::intptr_t SerialPort::nativeHandle() const {
    return backend_->fd;
}

bool SerialPort::flushInput() {
    callError_ = 0;
    if (!isOpen()) return false;
    if (discardInput(backend_->fd)) return true;
    failed(errno);
    return false;
}

bool SerialPort::write(const std::uint8_t* data, std::size_t count) {
    callError_ = 0;
    if (!isOpen() || data == nullptr) return false;
    if (writeAll(backend_->fd, data, count)) return true;
    failed(errno);
    return false;
}

std::size_t SerialPort::read(std::uint8_t* buffer, std::size_t count) {
    return read(buffer, count, static_cast<int>(totalBoundMs(count)));
}

std::size_t SerialPort::read(std::uint8_t* buffer, std::size_t count, int totalMs) {
    callError_ = 0;
    cutOff_ = false;
    if (!isOpen() || buffer == nullptr || totalMs <= 0) return 0;
    const long got =
        boundedRead(backend_->fd, buffer, count, totalMs, cutOff_, backend_->lastByte, false);
    if (got < 0) {
        failed(errno);
        return 0;
    }
    return static_cast<std::size_t>(got);
}

std::size_t SerialPort::readOn(std::uint8_t* buffer, std::size_t count) {
    callError_ = 0;
    cutOff_ = false;
    if (!isOpen() || buffer == nullptr) return 0;
    // Bounded only so that a line that never falls silent ends it; the silence rule does.
    const long bound = kInterByteTimeoutMs + totalBoundMs(count);
    const long got =
        boundedRead(backend_->fd, buffer, count, bound, cutOff_, backend_->lastByte, true);
    if (got < 0) {
        failed(errno);
        return 0;
    }
    return static_cast<std::size_t>(got);
}

std::size_t SerialPort::bytesWaiting() const {
    if (!isOpen()) return 0;
    int pending = 0;
    if (::ioctl(backend_->fd, FIONREAD, &pending) != 0 || pending <= 0) return 0;
    return static_cast<std::size_t>(pending);
}

std::vector<std::string> SerialPort::listPorts(const std::string& prefix) {
    static const std::string kSysTty = "/sys/class/tty";
    DIR* dir = ::opendir(kSysTty.c_str());
    if (dir == nullptr) throw PortListError(std::strerror(errno));

    std::vector<std::string> ports;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        const std::string sysEntry = kSysTty + "/" + name;
        if (!hasDevice(sysEntry) || isEmptyUartSlot(sysEntry)) continue;
        const std::string path = "/dev/" + name;
        const bool wanted = prefix == "COM" || path.compare(0, prefix.size(), prefix) == 0 ||
                            name.compare(0, prefix.size(), prefix) == 0;
        if (wanted) ports.push_back(path);
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0) throw PortListError(std::strerror(readError));
    return ports;
}

}  // namespace dut
