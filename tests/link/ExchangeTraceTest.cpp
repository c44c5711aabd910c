// The exchange log on a descriptor whose reader does not keep up: a pipe nobody reads, a
// reader that closes its end, a FIFO nobody has opened yet. The exchanges never wait for the
// log; what the reader missed is counted and said.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <future>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "ConfigLink.h"
#include "ExchangeTrace.h"
#include "FrameLine.h"
#include "LinkState.h"
#include "ScriptedPort.h"
#include "SensorParams.h"

namespace {

using dut::TraceOutput;
using std::chrono::seconds;

// What would go to standard error.
class Said {
  public:
    TraceOutput::Say sink() {
        return [this](const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(line);
        };
    }
    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Reads what has arrived on fd until `enough` says so or 10 s have passed; never blocks longer.
std::string readUntil(int fd, const std::function<bool(const std::string&)>& enough) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + seconds(10);
    while (!enough(text) && std::chrono::steady_clock::now() < deadline) {
        pollfd in{fd, POLLIN, 0};
        if (::poll(&in, 1, 100) <= 0) continue;
        char buffer[65536];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

bool waitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

class TraceOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // As the program does at its start: a gone reader is an EPIPE, not the end.
        std::signal(SIGPIPE, SIG_IGN);
        ASSERT_EQ(::pipe(ends_), 0);
        ::fcntl(ends_[0], F_SETFL, O_NONBLOCK);
    }
    void TearDown() override {
        if (ends_[0] >= 0) ::close(ends_[0]);
    }
    int ends_[2] = {-1, -1};
    Said said;
};

// Line i of the test: its number, padded to 100 characters.
std::string numbered(std::size_t i) {
    std::string line = "line " + std::to_string(i);
    line.resize(100, '.');
    return line;
}

// What the reader got: the numbers of the lines, with every gap's count where it stands.
struct Received {
    std::vector<std::size_t> numbers;
    std::size_t gaps = 0;
    std::size_t droppedSaid = 0;
    bool gapsInPlace = true;  // each count says exactly how many numbers are missing there
    bool after = false;       // the last line is the one pushed after the reader came back
};

Received parse(const std::string& text) {
    static const std::regex gap("-- ([0-9]+) lines dropped: the reader did not keep up");
    Received got;
    std::size_t owed = 0;
    bool gapOpen = false;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        const std::string line = text.substr(from, end - from);
        std::smatch found;
        got.after = line == "after";
        if (std::regex_match(line, found, gap)) {
            owed = std::stoul(found[1].str());
            got.droppedSaid += owed;
            ++got.gaps;
            gapOpen = true;
        } else if (line.rfind("line ", 0) == 0) {
            const std::size_t number = std::stoul(line.substr(5));
            const std::size_t expected =
                (got.numbers.empty() ? 0 : got.numbers.back() + 1) + (gapOpen ? owed : 0);
            got.gapsInPlace = got.gapsInPlace && number == expected;
            got.numbers.push_back(number);
            gapOpen = false;
        }
    }
    return got;
}

TEST_F(TraceOutputTest, APipeNobodyReadsNeverHoldsUpTheLinesAndTheGapsAreCounted) {
    auto output = std::make_unique<TraceOutput>("pipe", ends_[1], true, said.sink());
    const std::size_t pushed = TraceOutput::kMaxQueued + 3000;
    // Some 400 kB into a pipe that holds 64 kB: a line that waited for room would never
    // come back.
    auto pushing = std::async(std::launch::async, [&] {
        for (std::size_t i = 0; i < pushed; ++i) output->push(numbered(i));
    });
    ASSERT_EQ(pushing.wait_for(seconds(10)), std::future_status::ready) << "a line waited";
    const std::size_t dropped = output->dropped();
    // The pipe and the queue hold what they can; at least the rest is dropped.
    EXPECT_GE(dropped, pushed - TraceOutput::kMaxQueued - 65536 / 101 - 2);

    // The reader takes lines again: everything kept, and where lines are missing, how many.
    std::string text = readUntil(ends_[0], [&](const std::string& t) {
        const Received got = parse(t);
        return got.numbers.size() + got.droppedSaid == pushed;
    });
    Received got = parse(text);
    EXPECT_EQ(got.numbers.size() + got.droppedSaid, pushed);
    EXPECT_EQ(got.droppedSaid, dropped);
    EXPECT_GE(got.gaps, 1u);
    EXPECT_TRUE(got.gapsInPlace) << text.substr(0, 2000);
    EXPECT_TRUE(said.lines().empty());

    // A line after the reader came back goes out as it is.
    output->push("after");
    text += readUntil(ends_[0], [](const std::string& t) { return t.find("after\n") != t.npos; });
    EXPECT_TRUE(parse(text).after);

    // The end tells the total on standard error.
    output.reset();
    EXPECT_EQ(said.lines(),
              std::vector<std::string>{"the exchange log pipe lost " + std::to_string(dropped) +
                                       " lines: its reader did not keep up"});
}

TEST_F(TraceOutputTest, AReaderThatClosesItsEndEndsTheLogWithOneLine) {
    TraceOutput output("-", ends_[1], true, said.sink());
    output.push("first");
    EXPECT_EQ(readUntil(ends_[0], [](const std::string& t) { return t == "first\n"; }), "first\n");
    ::close(ends_[0]);
    ends_[0] = -1;
    for (int i = 0; i < 3 && !output.ended(); ++i) {
        output.push("after the reader went");
        waitUntil([&] { return output.ended(); });
    }
    ASSERT_TRUE(output.ended());
    output.push("one more");
    const std::vector<std::string> lines = said.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("the exchange log - ended: its reader has gone", 0), 0u) << lines[0];
}

// The FIFO is made in a folder of its own and opened by the writer once a reader comes.
class FifoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/trace-fifo-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/log";
        ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    }
    void TearDown() override {
        ::unlink(path_.c_str());
        ::rmdir(dir_.c_str());
    }
    std::string dir_;
    std::string path_;
    Said said;
};

TEST_F(FifoTest, AFifoNobodyOpenedDoesNotHoldUpTheStartAndIsWrittenOnceOpened) {
    dut::LinkState state;
    testsupport::ScriptedPort port;
    // The sensor answers every request with its very bytes, as a write's answer may be.
    port.responder = [](const testsupport::ScriptedPort::Bytes& request) { return request; };
    dut::ConfigLink link(port, state);
    dut::ExchangeTrace trace(link);
    std::string error;
    auto opening = std::async(std::launch::async, [&] { return trace.openFile(path_, error); });
    ASSERT_EQ(opening.wait_for(seconds(10)), std::future_status::ready) << "the open waited";
    ASSERT_TRUE(opening.get()) << error;
    link.read(dut::param::kFullLevel);

    const int reader = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const std::string text = readUntil(reader, [](const std::string& t) {
        return t.find("  rx  ") != t.npos && t.back() == '\n';
    });
    ::close(reader);
    EXPECT_NE(text.find("  tx  00 00 00 00 BB CF 58 00 01 04"), std::string::npos) << text;
    EXPECT_NE(text.find("  rx  "), std::string::npos) << text;
}

// A port's events stand between the frames in the order they happened, on the frames' time
// scale; with nobody wanting lines they cost nothing and are not kept for later.
TEST(ExchangeTraceNotes, PortEventsStandBetweenTheFramesInOrder) {
    dut::LinkState state;
    testsupport::ScriptedPort port;
    port.responder = [](const testsupport::ScriptedPort::Bytes& request) { return request; };
    dut::ConfigLink link(port, state);
    dut::ExchangeTrace trace(link);
    trace.note("unheard");
    trace.setListening(true);
    trace.note("Порт открыт: /dev/ttyUSB0");
    link.read(dut::param::kFullLevel);
    trace.note("Порт закрыт: /dev/ttyUSB0");
    const std::vector<std::string> lines = trace.takePending();
    ASSERT_GE(lines.size(), 4u);
    const auto ends = [](const std::string& line, const std::string& tail) {
        return line.size() >= tail.size() &&
               line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    };
    EXPECT_TRUE(ends(lines.front(), "  --  Порт открыт: /dev/ttyUSB0")) << lines.front();
    EXPECT_TRUE(ends(lines.back(), "  --  Порт закрыт: /dev/ttyUSB0")) << lines.back();
    EXPECT_NE(lines[1].find("  tx  "), std::string::npos) << lines[1];
    for (const std::string& line : lines) EXPECT_EQ(line.find("unheard"), std::string::npos);
    // The time stamp is as wide as a frame's, so the columns stay aligned.
    EXPECT_EQ(lines.front().find("  --  "), lines[1].find("  tx  "));
}

}  // namespace
