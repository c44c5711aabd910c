#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ConfigLink.h"
#include "ExchangeLog.h"

namespace dut {

#ifndef _WIN32
// The exchange log on a descriptor whose reader may be slow, stopped or gone: a pipe, a FIFO,
// a terminal, a socket. A thread of its own writes the lines; the line's thread only queues
// them and never waits. While the queue is full new lines are dropped and counted, and once
// the reader takes lines again the log says how many are missing. A reader that closes its
// end ends the log with one line on standard error. A FIFO that nobody has opened yet is
// opened again every few hundred milliseconds until somebody does; lines until then are
// dropped and counted the same way.
class TraceOutput {
  public:
    using Say = std::function<void(const std::string&)>;
    static constexpr std::size_t kMaxQueued = 1000;
    static constexpr int kReopenMs = 200;

    // Writes to fd (owned when ownsFd, closed at the end). `say` takes the lines meant for
    // standard error.
    TraceOutput(std::string path, int fd, bool ownsFd, Say say);
    // A FIFO with no reader yet: opened by the writer once one appears.
    TraceOutput(std::string fifoPath, Say say);
    ~TraceOutput();
    TraceOutput(const TraceOutput&) = delete;
    TraceOutput& operator=(const TraceOutput&) = delete;

    // Never blocks beyond a short lock.
    void push(std::string line);
    // The reader has gone: nothing more is written.
    bool ended() const;
    std::size_t dropped() const;

    // The line that stands in the log for lines that could not be written in time.
    static std::string droppedLine(std::size_t count);

  private:
    void run();
    // Writes one line whole, waiting for room only while not asked to stop. False when the
    // reader has gone or the writer is to stop before the line is out.
    bool writeLine(const std::string& line);
    bool openFifo();
    void end(const std::string& why);

    const std::string path_;
    int fd_ = -1;
    bool ownsFd_ = true;
    Say say_;
    mutable std::mutex mutex_;  // the members below
    std::condition_variable wake_;
    std::deque<std::string> queue_;
    std::size_t droppedSinceSaid_ = 0;
    std::size_t droppedTotal_ = 0;
    bool stopping_ = false;
    bool ended_ = false;
    std::thread writer_;
};
#endif

// Where the exchange log goes: a file named on the command line, and the lines a log window
// has not shown yet. The link is traced only while one of them wants the lines, so with
// neither the exchanges cost what they cost without a log. The hook runs on the thread that
// does the exchanges; everything here is safe to call from any thread.
class ExchangeTrace {
  public:
    explicit ExchangeTrace(ConfigLink& link);
    ~ExchangeTrace();
    ExchangeTrace(const ExchangeTrace&) = delete;
    ExchangeTrace& operator=(const ExchangeTrace&) = delete;

    // Every line from now on goes to path ("-": standard output). A regular file is flushed
    // at every line, so that a crash loses nothing; a pipe, a FIFO or a terminal is written
    // by a thread of its own, so that its reader never holds up the line (see TraceOutput).
    // False, with the system's reason in `error`, when it cannot be opened; the log then goes
    // on without a file. A FIFO that nobody reads yet is not an error: it is said on standard
    // error, and the log starts once a reader opens it.
    bool openFile(const std::string& path, std::string& error);

    // A log window that shows lines asks for them while it is open, and takes them in batches.
    static constexpr std::size_t kMaxPending = 2000;
    void setListening(bool listening);
    std::vector<std::string> takePending();

    // A line of its own for an event of the port (opened, closed, lost), as the user reads it.
    void note(const std::string& text);

  private:
    void onFrame(const FrameTrace& trace);
    // Takes the lock, and composes the line only when someone reads it.
    void emitWith(const std::function<std::string()>& makeLine);
    // With mutex_ held: the line to every consumer.
    void emitLine(std::string line, bool toFile, bool toOutput);
    void updateHook();

    ConfigLink& link_;
    std::mutex mutex_;  // everything below
    ExchangeLog log_{std::chrono::steady_clock::now()};
    std::FILE* file_ = nullptr;
    std::string path_;
    bool ownsFile_ = false;
    bool fileFailed_ = false;
#ifndef _WIN32
    std::unique_ptr<TraceOutput> output_;
#endif
    bool listening_ = false;
    std::vector<std::string> pending_;
    bool hooked_ = false;
};

}  // namespace dut
