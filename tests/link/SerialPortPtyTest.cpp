// SerialPort against a real pseudo-terminal: the test holds the master side and plays the
// line, the port under test opens the slave device exactly as it would open an adapter.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ConfigLink.h"
#include "Crc8.h"
#include "SerialPort.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long msSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<milliseconds>(Clock::now() - start).count());
}

class Pty {
  public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        const char* name = ::ptsname(master_);
        if (name != nullptr) path_ = name;
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && !path_.empty(); }
    const std::string& path() const { return path_; }
    int master() const { return master_; }

    void write(const Bytes& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }
    // Collects what the port wrote, up to count bytes or until timeoutMs passed.
    Bytes readUpTo(std::size_t count, int timeoutMs) const {
        Bytes got;
        const auto deadline = Clock::now() + milliseconds(timeoutMs);
        while (got.size() < count && Clock::now() < deadline) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 10) <= 0 || !(pfd.revents & POLLIN)) continue;
            std::uint8_t buf[256];
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - got.size()));
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    std::string path_;
};

Bytes goodFrame(std::uint8_t seed) {
    Bytes f(15);
    for (std::size_t i = 0; i < 14; ++i) f[i] = static_cast<std::uint8_t>(seed + i * 7);
    f[14] = dut::crc8(f.data(), 14);
    return f;
}

int openDescriptorCount() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr) ++count;
        ::closedir(dir);
    }
    return count;
}

class SerialPortPty : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok()) << "no pseudo-terminal available";
        ASSERT_TRUE(port.open(pty.path()));
    }
    Pty pty;
    dut::SerialPort port;
};

TEST_F(SerialPortPty, OpenAppliesRawLineSettingsAndCloseReopenWork) {
    termios tio{};
    // On a pseudo-terminal the master reports the slave's settings.
    ASSERT_EQ(::tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));

    EXPECT_TRUE(port.isOpen());
    port.close();
    EXPECT_FALSE(port.isOpen());
    port.close();
    ASSERT_TRUE(port.open(pty.path()));
    // Opening again while open replaces the device instead of leaking it.
    const int before = openDescriptorCount();
    ASSERT_TRUE(port.open(pty.path()));
    EXPECT_EQ(openDescriptorCount(), before);
}

TEST_F(SerialPortPty, SecondOpenInThisProcessFailsUntilTheFirstCloses) {
    dut::SerialPort other;
    EXPECT_FALSE(other.open(pty.path()));
    EXPECT_FALSE(other.isOpen());
    port.close();
    EXPECT_TRUE(other.open(pty.path()));
    EXPECT_FALSE(port.open(pty.path()));
}

// Runs `body` in a child that reports one byte through a pipe and then waits for the
// parent's word to exit. Returns the byte, or -1 if the child said nothing in time.
struct Child {
    pid_t pid = -1;
    int toParent[2] = {-1, -1};
    int toChild[2] = {-1, -1};

    template <class Body>
    int start(Body body) {
        if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) return -1;
        pid = ::fork();
        if (pid == 0) {
            const char result = body() ? '1' : '0';
            (void)!::write(toParent[1], &result, 1);
            char go;
            pollfd pfd{toChild[0], POLLIN, 0};
            ::poll(&pfd, 1, 10000);  // never outlives a stuck parent for long
            (void)!::read(toChild[0], &go, 1);
            ::_exit(0);
        }
        pollfd pfd{toParent[0], POLLIN, 0};
        if (::poll(&pfd, 1, 5000) != 1) return -1;
        char result = 0;
        if (::read(toParent[0], &result, 1) != 1) return -1;
        return result;
    }
    void finish() {
        if (pid <= 0) return;
        (void)!::write(toChild[1], "x", 1);
        int status = 0;
        ::waitpid(pid, &status, 0);
        for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
        pid = -1;
    }
    ~Child() { finish(); }
};

TEST_F(SerialPortPty, AnotherProcessCannotOpenAHeldPortNorWeOneItHolds) {
    {
        Child child;
        const std::string path = pty.path();
        EXPECT_EQ(child.start([&path] {
            dut::SerialPort theirs;
            return theirs.open(path);
        }),
                  '0');
        child.finish();
    }
    port.close();
    {
        Child child;
        const std::string path = pty.path();
        // The child keeps its port open until finish().
        dut::SerialPort* held = nullptr;
        EXPECT_EQ(child.start([&path, &held] {
            held = new dut::SerialPort;
            return held->open(path);
        }),
                  '1');
        EXPECT_FALSE(port.open(path));
        EXPECT_FALSE(port.isOpen());
        child.finish();
        EXPECT_TRUE(port.open(path));
    }
}

TEST_F(SerialPortPty, SendFillsTheCrcOnACopyAndDropsStaleInput) {
    pty.write({0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x01, 0x02});
    std::this_thread::sleep_for(milliseconds(30));

    Bytes frame = goodFrame(3);
    frame[14] = 0;
    const Bytes original = frame;
    ASSERT_TRUE(port.send(frame.data(), frame.size()));
    EXPECT_EQ(frame, original);  // the caller's frame is left alone
    const Bytes wire = pty.readUpTo(15, 1000);
    ASSERT_EQ(wire.size(), 15u);
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 14), Bytes(frame.begin(), frame.begin() + 14));
    EXPECT_EQ(wire[14], dut::crc8(frame.data(), 14));

    const Bytes answer = goodFrame(40);
    pty.write(answer);
    Bytes got(15);
    EXPECT_TRUE(port.receive(got.data(), got.size()));
    EXPECT_EQ(got, answer);  // not the stale bytes
}

TEST_F(SerialPortPty, ReceiveWantsExactlyTheCountWithAGoodCrc) {
    Bytes got(15);
    Bytes bad = goodFrame(9);
    bad[14] ^= 1;
    pty.write(bad);
    EXPECT_FALSE(port.receive(got.data(), got.size()));

    Bytes shortOne = goodFrame(9);
    shortOne.pop_back();
    pty.write(shortOne);
    EXPECT_FALSE(port.receive(got.data(), got.size()));

    pty.write(goodFrame(9));
    EXPECT_TRUE(port.receive(got.data(), got.size()));
}

TEST_F(SerialPortPty, SilenceAfterTheFirstByteEndsARead) {
    pty.write({1, 2, 3, 4, 5});
    Bytes buf(100);  // total bound 1010 ms: only the silence rule can end this early
    auto start = Clock::now();
    EXPECT_EQ(port.read(buf.data(), buf.size()), 5u);
    long took = msSince(start);
    EXPECT_GE(took, 25);
    EXPECT_LT(took, 600);

    // The silence timer waits for the first byte: bytes 100 ms late are still taken.
    std::thread late([this] {
        std::this_thread::sleep_for(milliseconds(100));
        pty.write({9, 8, 7});
    });
    start = Clock::now();
    const std::size_t n = port.read(buf.data(), buf.size());
    took = msSince(start);
    late.join();
    EXPECT_EQ(n, 3u);
    EXPECT_GE(took, 90);
    EXPECT_LT(took, 900);
}

TEST_F(SerialPortPty, TotalBoundEndsReadsWithSilenceOrATrickle) {
    Bytes buf(15);
    auto start = Clock::now();
    EXPECT_FALSE(port.receive(buf.data(), buf.size()));
    long took = msSince(start);
    EXPECT_GE(took, 140);  // 15 x 10 ms + 10 ms
    EXPECT_LT(took, 1000);

    // One byte every 15 ms never leaves 30 ms of silence; only the total bound ends it.
    std::thread trickle([this] {
        for (int i = 0; i < 30; ++i) {
            pty.write({static_cast<std::uint8_t>(i)});
            std::this_thread::sleep_for(milliseconds(15));
        }
    });
    start = Clock::now();
    const std::size_t n = port.read(buf.data(), buf.size());
    took = msSince(start);
    trickle.join();
    EXPECT_GE(n, 1u);
    EXPECT_LT(n, 15u);
    EXPECT_GE(took, 140);
    EXPECT_LT(took, 400);
}

TEST_F(SerialPortPty, HangUpMidReadFailsPromptlyAndThePortRecovers) {
    std::thread unplug([this] {
        std::this_thread::sleep_for(milliseconds(50));
        pty.closeMaster();
    });
    Bytes buf(100);
    auto start = Clock::now();
    EXPECT_EQ(port.read(buf.data(), buf.size()), 0u);
    EXPECT_LT(msSince(start), 800);  // well inside the 1010 ms bound
    unplug.join();

    // Every further attempt fails at once instead of waiting out or spinning on POLLHUP.
    dut::LinkState state;
    dut::ConfigLink link(port, state);
    start = Clock::now();
    EXPECT_FALSE(link.read(0));
    EXPECT_LT(msSince(start), 1500);  // a silent line would take 16 x 160 ms

    port.close();
    EXPECT_FALSE(port.isOpen());
    Pty replacement;
    ASSERT_TRUE(replacement.ok());
    ASSERT_TRUE(port.open(replacement.path()));
    replacement.write(goodFrame(1));
    Bytes got(15);
    EXPECT_TRUE(port.receive(got.data(), got.size()));
}

TEST_F(SerialPortPty, RandomGarbageNeverCrashesOrPassesABadFrame) {
    std::mt19937 rng(12345);
    Bytes buf(300);
    for (int round = 0; round < 40; ++round) {
        Bytes junk(rng() % 120);
        for (auto& b : junk) b = static_cast<std::uint8_t>(rng());
        pty.write(junk);
        if (round % 2 == 0) {
            if (port.receive(buf.data(), 15)) {
                EXPECT_EQ(buf[14], dut::crc8(buf.data(), 14));
            }
        } else {
            const std::size_t want = rng() % buf.size();
            EXPECT_LE(port.read(buf.data(), want), want);
        }
        Bytes frame(1 + rng() % 20);
        EXPECT_TRUE(port.send(frame.data(), frame.size()));
        EXPECT_EQ(pty.readUpTo(frame.size(), 1000).size(), frame.size());
    }
    EXPECT_EQ(port.read(buf.data(), 0), 0u);
    EXPECT_FALSE(port.receive(buf.data(), 0));
}

TEST_F(SerialPortPty, BytesWaitingCountsArrivedInputWithoutTakingIt) {
    EXPECT_EQ(port.bytesWaiting(), 0u);
    pty.write(goodFrame(5));
    const auto deadline = Clock::now() + milliseconds(1000);
    while (port.bytesWaiting() < 15 && Clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(2));
    }
    ASSERT_EQ(port.bytesWaiting(), 15u);
    Bytes got(15);
    EXPECT_TRUE(port.receive(got.data(), got.size()));
    EXPECT_EQ(got, goodFrame(5));
    EXPECT_EQ(port.bytesWaiting(), 0u);
    port.close();
    EXPECT_EQ(port.bytesWaiting(), 0u);
}

TEST(SerialPortOpen, FailedOpensLeakNoDescriptors) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    dut::SerialPort holder;
    ASSERT_TRUE(holder.open(pty.path()));
    char temp[] = "/tmp/link-not-a-tty-XXXXXX";
    const int tempFd = ::mkstemp(temp);
    ASSERT_GE(tempFd, 0);

    const int before = openDescriptorCount();
    dut::SerialPort port;
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(port.open(pty.path()));      // held: the lock is refused
        EXPECT_FALSE(port.open("/dev/null"));     // not a terminal
        EXPECT_FALSE(port.open(temp));            // a plain file
        EXPECT_FALSE(port.open("/nonexistent"));  // not there at all
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_EQ(openDescriptorCount(), before);
    ::close(tempFd);
    ::unlink(temp);
}

// The reason reaches the user, so each kind of failure must keep its own code.
TEST(SerialPortOpen, AFailedOpenKeepsTheSystemsReasonUntilTheNextOpen) {
    dut::SerialPort port;
    EXPECT_EQ(port.lastErrorCode(), 0);
    EXPECT_EQ(port.lastErrorMessage(), "");

    EXPECT_FALSE(port.open("/nonexistent/dut-adapter"));
    EXPECT_EQ(port.lastErrorCode(), ENOENT);
    EXPECT_EQ(port.lastErrorMessage(), std::strerror(ENOENT));
    port.close();  // closing keeps it: the user may ask after the line was tidied up
    EXPECT_EQ(port.lastErrorCode(), ENOENT);

    EXPECT_FALSE(port.open("/dev/null"));  // opens, but takes no line settings
    EXPECT_EQ(port.lastErrorCode(), ENOTTY);

    Pty pty;
    ASSERT_TRUE(pty.ok());
    dut::SerialPort holder;
    ASSERT_TRUE(holder.open(pty.path()));
    EXPECT_FALSE(port.open(pty.path()));
    EXPECT_EQ(port.lastErrorCode(), EBUSY);
    EXPECT_EQ(port.lastErrorMessage(), std::strerror(EBUSY));

    holder.close();
    ASSERT_TRUE(port.open(pty.path()));
    EXPECT_EQ(port.lastErrorCode(), 0);
    EXPECT_EQ(port.lastErrorMessage(), "");
}

TEST(SerialPortOpen, APortHeldByAnotherProcessReportsBusy) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const std::string path = pty.path();
    Child child;
    ASSERT_EQ(child.start([&path] {
        auto* held = new dut::SerialPort;  // kept open until the child exits
        return held->open(path);
    }),
              '1');
    dut::SerialPort port;
    EXPECT_FALSE(port.open(path));
    // Refused by TIOCEXCL for an ordinary user, by the lock for root: the same code either way.
    EXPECT_EQ(port.lastErrorCode(), EBUSY);
    child.finish();
    EXPECT_TRUE(port.open(path));
}

TEST(SerialPortList, AbsolutePathsAndCommonPrefixMeansAllSerialDevices) {
    std::vector<std::string> all;
    ASSERT_NO_THROW(all = dut::SerialPort::listPorts("COM"));
    for (const std::string& path : all) {
        EXPECT_EQ(path.rfind("/dev/", 0), 0u) << path;
        EXPECT_EQ(path.find('/', 5), std::string::npos) << path;
    }
    EXPECT_EQ(dut::SerialPort::listPorts("/dev/"), all);
    EXPECT_EQ(dut::SerialPort::listPorts(""), all);
    EXPECT_TRUE(dut::SerialPort::listPorts("no-such-device-prefix").empty());
    EXPECT_TRUE(dut::SerialPort::listPorts("com").empty());  // only "COM" is special
}

}  // namespace
