#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

// One pseudo-terminal standing in for a USB serial adapter: the master side is the
// simulated line, the slave side is what the product opens. Not thread-safe; owners lock.
class PtyLine {
  public:
    explicit PtyLine(std::string linkPath);
    // A second symlink that, like a udev by-id name, always points at the current device
    // and goes away while the adapter is out.
    void setStableLink(std::string path) { stableLinkPath_ = std::move(path); }
    // Each plug() then comes back under a device name other than the last one, as a
    // kernel that hands out the next ttyUSB number while the old one is still held.
    void setNewNameOnPlug(bool on) { newNameOnPlug_ = on; }
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Opens a fresh pseudo-terminal (raw, 19200 8N1) and points the link at it.
    bool plug();
    // Closes both sides, so that whoever holds the device sees a hang-up, and removes the
    // link if it still points at this line.
    void unplug();

    bool plugged() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    // Changes every time plug() succeeds, so that an answer prepared for the old device
    // is never written onto a new one.
    std::uint64_t generation() const { return generation_; }
    const std::string& slavePath() const { return slavePath_; }
    std::string devicePath() const { return linkPath_.empty() ? slavePath_ : linkPath_; }

    // Writes all bytes or gives up at the deadline; false when the line is gone.
    bool writeAll(const std::uint8_t* data, std::size_t size,
                  std::chrono::steady_clock::time_point deadline);
    // Non-blocking read; -1 on hang-up or error, 0 when nothing is waiting.
    long readSome(std::uint8_t* buffer, std::size_t size);

    // Bytes the sim wrote that nobody on the slave side has taken yet.
    int pendingForReader() const;
    // Drops them: a real line does not keep bytes for a listener that is not there.
    void dropUnread();

  private:
    std::string linkPath_;
    std::string stableLinkPath_;
    bool newNameOnPlug_ = false;
    std::string slavePath_;
    int master_ = -1;
    int slave_ = -1;
    std::uint64_t generation_ = 0;

    bool pointLinks();
    void removeLinks();
};

// Sleeps until the deadline in short steps; false when `stop` turned true first.
bool sleepUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>& stop);

// Time on the wire for one byte: 10 bit times at 19200 baud.
constexpr std::chrono::microseconds kByteTime{521};

// Writes bytes one by one, each when a real UART would have finished sending it, so that
// the whole packet takes as long as on the line. Gives up when the line goes away.
bool writePaced(PtyLine& line, const std::uint8_t* data, std::size_t size, bool paced);

}  // namespace sim
