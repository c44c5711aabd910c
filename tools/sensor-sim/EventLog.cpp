#include "EventLog.h"

#include <chrono>
#include <cstdio>

namespace sim {

bool EventLog::open(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    out_.open(path, std::ios::out | std::ios::trunc);
    return out_.is_open();
}

bool EventLog::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return out_.is_open();
}

void EventLog::write(const std::string& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!out_.is_open()) return;
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%lld.%03lld ", ms / 1000, ms % 1000);
    out_ << stamp << event << std::endl;
}

}  // namespace sim
