#pragma once

#include <fstream>
#include <mutex>
#include <string>

namespace sim {

// One line per event, "<seconds since the epoch, to the millisecond> <event>", flushed at
// once: a script outside the simulator reads it while it runs and times what happened on
// the line (a pulled adapter, the first answer after it came back). Thread-safe.
class EventLog {
  public:
    // Starts a new file at path; false when it cannot be written.
    bool open(const std::string& path);
    bool isOpen() const;
    // The time is taken under the lock, so the lines stand in the order of their times.
    void write(const std::string& event);

  private:
    mutable std::mutex mutex_;
    std::ofstream out_;
};

}  // namespace sim
