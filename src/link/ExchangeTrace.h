#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "ConfigLink.h"
#include "ExchangeLog.h"

namespace dut {

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

    // Every line from now on goes to path ("-": standard output), flushed at once so that a
    // crash loses nothing. False, with the system's reason in `error`, when it cannot be
    // opened; the log then goes on without a file.
    bool openFile(const std::string& path, std::string& error);

    // A log window that shows lines asks for them while it is open, and takes them in batches.
    static constexpr std::size_t kMaxPending = 2000;
    void setListening(bool listening);
    std::vector<std::string> takePending();

  private:
    void onFrame(const FrameTrace& trace);
    void updateHook();

    ConfigLink& link_;
    std::mutex mutex_;  // everything below
    ExchangeLog log_{std::chrono::steady_clock::now()};
    std::FILE* file_ = nullptr;
    std::string path_;
    bool ownsFile_ = false;
    bool fileFailed_ = false;
    bool listening_ = false;
    std::vector<std::string> pending_;
    bool hooked_ = false;
};

}  // namespace dut
