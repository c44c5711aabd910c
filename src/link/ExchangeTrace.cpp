#include "ExchangeTrace.h"

#include <functional>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dut {

namespace {

void sayOnStderr(const std::string& line) {
    std::fprintf(stderr, "brindolex-dut-configurator: %s\n", line.c_str());
}

}  // namespace

#ifndef _WIN32

namespace {

// A wait for room in the reader's buffer looks this often whether the program is ending.
constexpr int kRoomPollMs = 100;

}  // namespace

TraceOutput::TraceOutput(std::string path, int fd, bool ownsFd, Say say)
    : path_(std::move(path)), fd_(fd), ownsFd_(ownsFd), say_(std::move(say)) {
    writer_ = std::thread([this] { run(); });
}

TraceOutput::TraceOutput(std::string fifoPath, Say say)
    : path_(std::move(fifoPath)), say_(std::move(say)) {
    writer_ = std::thread([this] { run(); });
}

TraceOutput::~TraceOutput() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    writer_.join();
    if (ownsFd_ && fd_ >= 0) ::close(fd_);
    if (droppedTotal_ > 0) {
        say_("the exchange log " + path_ + " lost " + std::to_string(droppedTotal_) +
             " lines: its reader did not keep up");
    }
}

std::string TraceOutput::droppedLine(std::size_t count) {
    return "-- " + std::to_string(count) + " lines dropped: the reader did not keep up";
}

void TraceOutput::push(std::string line) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ended_ || stopping_) return;
        if (queue_.size() >= kMaxQueued) {
            ++droppedSinceSaid_;
            ++droppedTotal_;
            return;
        }
        // Where the lines are missing, the log says so.
        if (droppedSinceSaid_ > 0) {
            queue_.push_back(droppedLine(droppedSinceSaid_));
            droppedSinceSaid_ = 0;
        }
        queue_.push_back(std::move(line));
    }
    wake_.notify_one();
}

bool TraceOutput::ended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_;
}

std::size_t TraceOutput::dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return droppedTotal_;
}

bool TraceOutput::openFifo() {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_APPEND | O_CLOEXEC);
    if (fd_ >= 0) return true;
    if (errno == ENXIO) return false;  // still nobody reading
    end(std::strerror(errno));
    return false;
}

void TraceOutput::end(const std::string& why) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
        queue_.clear();
        droppedSinceSaid_ = 0;
    }
    say_("the exchange log " + path_ + " ended: " + why);
}

void TraceOutput::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (fd_ < 0 && !stopping_ && !ended_) {
        lock.unlock();
        const bool opened = openFifo();
        lock.lock();
        if (!opened) wake_.wait_for(lock, std::chrono::milliseconds(kReopenMs));
    }
    while (fd_ >= 0 && !ended_) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty() || droppedSinceSaid_ > 0; });
        std::string line;
        if (!queue_.empty()) {
            line = std::move(queue_.front());
            queue_.pop_front();
        } else if (droppedSinceSaid_ > 0) {
            line = droppedLine(droppedSinceSaid_);
            droppedSinceSaid_ = 0;
        } else {
            break;  // stopping, and everything is out
        }
        lock.unlock();
        const bool written = writeLine(line);
        lock.lock();
        if (!written) break;
    }
    // What a slow reader has not taken by the end is lost; the destructor says how much.
    if (!ended_) {
        droppedTotal_ += queue_.size();
        queue_.clear();
    }
}

bool TraceOutput::writeLine(const std::string& line) {
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        bool stopping;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping = stopping_;
        }
        // Room first: a blocking descriptor (standard output is shared with others, and must
        // not be made non-blocking) then takes up to PIPE_BUF bytes without waiting. At the
        // end only what fits at once still goes.
        pollfd room{fd_, POLLOUT, 0};
        const int ready = ::poll(&room, 1, stopping ? 0 : kRoomPollMs);
        if (ready == 0) {
            if (stopping) return false;
            continue;
        }
        if (ready < 0) {
            if (errno == EINTR) continue;
            end(std::strerror(errno));
            return false;
        }
        const std::size_t chunk = std::min<std::size_t>(text.size() - done, PIPE_BUF);
        const ssize_t wrote = ::write(fd_, text.data() + done, chunk);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
            continue;
        }
        if (wrote < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        end(errno == EPIPE ? std::string("its reader has gone (") + std::strerror(errno) + ")"
                           : std::string(std::strerror(errno)));
        return false;
    }
    return true;
}

#endif

ExchangeTrace::ExchangeTrace(ConfigLink& link) : link_(link) {}

ExchangeTrace::~ExchangeTrace() {
    link_.setTraceHook({});
    if (ownsFile_ && file_ != nullptr) std::fclose(file_);
#ifndef _WIN32
    output_.reset();
#endif
}

bool ExchangeTrace::openFile(const std::string& path, std::string& error) {
    std::FILE* file = nullptr;
#ifndef _WIN32
    std::unique_ptr<TraceOutput> output;
    int fd = STDOUT_FILENO;
    if (path != "-") {
        // Never waits for a FIFO's reader: without one the open fails with ENXIO at once.
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0 && errno == ENXIO) {
            sayOnStderr("the exchange log " + path +
                        " has no reader yet; it is written once one opens it");
            output = std::make_unique<TraceOutput>(path, sayOnStderr);
        } else if (fd < 0) {
            error = std::strerror(errno);
            return false;
        }
    }
    struct stat status = {};
    if (!output && ::fstat(fd, &status) != 0) {
        error = std::strerror(errno);
        if (fd != STDOUT_FILENO) ::close(fd);
        return false;
    }
    if (output) {
        // opened later by its writer
    } else if (S_ISREG(status.st_mode)) {
        file = fd == STDOUT_FILENO ? stdout : ::fdopen(fd, "a");
        if (file == nullptr) {
            error = std::strerror(errno);
            ::close(fd);
            return false;
        }
    } else {
        output = std::make_unique<TraceOutput>(path, fd, fd != STDOUT_FILENO, sayOnStderr);
    }
#else
    file = path == "-" ? stdout : std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
#endif
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ownsFile_ && file_ != nullptr) std::fclose(file_);
        file_ = file;
        path_ = path;
        ownsFile_ = file != nullptr && file != stdout;
        fileFailed_ = false;
#ifndef _WIN32
        output_.swap(output);
#endif
    }
    updateHook();
    return true;
}

void ExchangeTrace::setListening(bool listening) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        listening_ = listening;
        if (!listening) pending_.clear();
    }
    updateHook();
}

std::vector<std::string> ExchangeTrace::takePending() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> lines;
    lines.swap(pending_);
    return lines;
}

void ExchangeTrace::onFrame(const FrameTrace& trace) {
    emitWith([&] { return log_.line(trace); });
}

void ExchangeTrace::note(const std::string& text) {
    emitWith([&] { return log_.eventLine(std::chrono::steady_clock::now(), text); });
}

void ExchangeTrace::emitWith(const std::function<std::string()>& makeLine) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool toFile = file_ != nullptr && !fileFailed_;
#ifndef _WIN32
    const bool toOutput = output_ && !output_->ended();
#else
    const bool toOutput = false;
#endif
    // No one reads the trace: the line is not even composed.
    if (!toFile && !toOutput && !listening_) return;
    emitLine(makeLine(), toFile, toOutput);
}

void ExchangeTrace::emitLine(std::string line, bool toFile, bool toOutput) {
    if (toFile && (std::fprintf(file_, "%s\n", line.c_str()) < 0 || std::fflush(file_) != 0)) {
        // A full disk ends the file, never the exchange: said once, and the program goes on.
        fileFailed_ = true;
        sayOnStderr("the exchange log " + path_ +
                    " can no longer be written: " + std::strerror(errno));
    }
#ifndef _WIN32
    if (toOutput && listening_) {
        output_->push(line);
    } else if (toOutput) {
        output_->push(std::move(line));
    }
#endif
    if (listening_) {
        // A window that stopped taking lines keeps only the newest, as it shows no more.
        if (pending_.size() >= kMaxPending) pending_.erase(pending_.begin());
        pending_.push_back(std::move(line));
    }
}

void ExchangeTrace::updateHook() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
#ifndef _WIN32
        const bool output = output_ != nullptr;
#else
        const bool output = false;
#endif
        if (hooked_ || (file_ == nullptr && !output && !listening_)) return;
        hooked_ = true;
    }
    // Set once and kept: a window may close while an exchange runs on the worker, and the
    // hook must not change under it then. Without a file or a window it only returns.
    link_.setTraceHook([this](const FrameTrace& trace) { onFrame(trace); });
}

}  // namespace dut
