#include "PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

namespace sim {

namespace {

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void makeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | CS8;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    ::tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace

PtyLine::PtyLine(std::string linkPath) : linkPath_(std::move(linkPath)) {}

PtyLine::~PtyLine() {
    unplug();
}

namespace {

// A new master and the name of its slave, or -1.
int openMaster(char (&name)[PATH_MAX]) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) return -1;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return -1;
    }
    return master;
}

}  // namespace

bool PtyLine::plug() {
    const std::string previous = slavePath_;
    unplug();
    char name[PATH_MAX] = {};
    int master = openMaster(name);
    // The kernel hands out the lowest free number, which is usually the one just freed;
    // holding on to that one makes the next open take another.
    std::vector<int> held;
    while (master >= 0 && newNameOnPlug_ && previous == name && held.size() < 4) {
        held.push_back(master);
        master = openMaster(name);
    }
    for (const int fd : held) ::close(fd);
    if (master < 0) return false;
    // Keeping a slave descriptor of our own means the master never reports a hang-up
    // merely because the product closed the port between two connections.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        return false;
    }
    makeRaw(slave);
    master_ = master;
    slave_ = slave;
    slavePath_ = name;
    if (!pointLinks()) {
        closeFd(master_);
        closeFd(slave_);
        return false;
    }
    ++generation_;
    return true;
}

void PtyLine::unplug() {
    if (master_ < 0) return;
    removeLinks();
    closeFd(slave_);
    closeFd(master_);
}

namespace {

bool pointLink(const std::string& link, const std::string& target) {
    if (link.empty()) return true;
    struct stat st {};
    // Never clobber a real file or folder that happens to sit at the requested name.
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) return false;
    const std::string temp = link + ".tmp" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0) return false;
    // rename() swaps the link in one step, so a reader never finds the name missing.
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void removeLink(const std::string& link, const std::string& target) {
    if (link.empty()) return;
    char current[PATH_MAX] = {};
    const ssize_t n = ::readlink(link.c_str(), current, sizeof current - 1);
    // Leave the name alone when someone else has pointed it elsewhere meanwhile.
    if (n > 0 && target == std::string(current, static_cast<std::size_t>(n))) {
        ::unlink(link.c_str());
    }
}

}  // namespace

bool PtyLine::pointLinks() {
    return pointLink(linkPath_, slavePath_) && pointLink(stableLinkPath_, slavePath_);
}

void PtyLine::removeLinks() {
    removeLink(linkPath_, slavePath_);
    removeLink(stableLinkPath_, slavePath_);
}

bool PtyLine::writeAll(const std::uint8_t* data, std::size_t size,
                       std::chrono::steady_clock::time_point deadline) {
    std::size_t done = 0;
    while (done < size) {
        if (master_ < 0) return false;
        const ssize_t n = ::write(master_, data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        pollfd pfd{master_, POLLOUT, 0};
        ::poll(&pfd, 1, 2);
    }
    return true;
}

long PtyLine::readSome(std::uint8_t* buffer, std::size_t size) {
    if (master_ < 0) return -1;
    const ssize_t n = ::read(master_, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    return -1;
}

int PtyLine::pendingForReader() const {
    if (slave_ < 0) return 0;
    int pending = 0;
    if (::ioctl(slave_, FIONREAD, &pending) != 0) return 0;
    return pending;
}

void PtyLine::dropUnread() {
    if (slave_ >= 0) ::tcflush(slave_, TCIFLUSH);
}

bool sleepUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>& stop) {
    using namespace std::chrono;
    for (;;) {
        if (stop.load()) return false;
        const auto now = steady_clock::now();
        if (now >= deadline) return true;
        std::this_thread::sleep_until(std::min(deadline, now + milliseconds(5)));
    }
}

bool writePaced(PtyLine& line, const std::uint8_t* data, std::size_t size, bool paced) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const auto deadline = start + milliseconds(200) + kByteTime * size;
    if (!paced) return line.writeAll(data, size, deadline);
    for (std::size_t i = 0; i < size; ++i) {
        std::this_thread::sleep_until(start + kByteTime * (i + 1));
        if (!line.writeAll(data + i, 1, deadline)) return false;
    }
    return true;
}

}  // namespace sim
