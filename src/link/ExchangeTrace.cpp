#include "ExchangeTrace.h"

#include <cerrno>
#include <cstring>

namespace dut {

ExchangeTrace::ExchangeTrace(ConfigLink& link) : link_(link) {}

ExchangeTrace::~ExchangeTrace() {
    link_.setTraceHook({});
    if (ownsFile_ && file_ != nullptr) std::fclose(file_);
}

bool ExchangeTrace::openFile(const std::string& path, std::string& error) {
    std::FILE* file = path == "-" ? stdout : std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ownsFile_ && file_ != nullptr) std::fclose(file_);
        file_ = file;
        path_ = path;
        ownsFile_ = file != stdout;
        fileFailed_ = false;
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
    std::lock_guard<std::mutex> lock(mutex_);
    const bool toFile = file_ != nullptr && !fileFailed_;
    if (!toFile && !listening_) return;
    std::string line = log_.line(trace);
    if (toFile && (std::fprintf(file_, "%s\n", line.c_str()) < 0 || std::fflush(file_) != 0)) {
        // A full disk ends the file, never the exchange: said once, and the program goes on.
        fileFailed_ = true;
        std::fprintf(stderr,
                     "brindolex-dut-configurator: the exchange log %s can no longer be "
                     "written: %s\n",
                     path_.c_str(), std::strerror(errno));
    }
    if (listening_) {
        // A window that stopped taking lines keeps only the newest, as it shows no more.
        if (pending_.size() >= kMaxPending) pending_.erase(pending_.begin());
        pending_.push_back(std::move(line));
    }
}

void ExchangeTrace::updateHook() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (hooked_ || (file_ == nullptr && !listening_)) return;
        hooked_ = true;
    }
    // Set once and kept: a window may close while an exchange runs on the worker, and the
    // hook must not change under it then. Without a file or a window it only returns.
    link_.setTraceHook([this](const FrameTrace& trace) { onFrame(trace); });
}

}  // namespace dut
