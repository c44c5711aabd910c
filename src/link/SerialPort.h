#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PortIo.h"

namespace dut {

// Raised only by listPorts, when the system's device list cannot be read.
class PortListError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The one serial line to the sensor: 19200 8N1, no flow control, exclusive. It only moves
// bytes; the protocol's frames are FrameLine's.
// A read returns when the requested count has arrived, after 30 ms of silence that
// follows the first byte, or after 10 ms per requested byte plus 10 ms in all.
//
// Failures come back as the result of each call (false, or 0 bytes); the system's own error
// of the last call that failed stays readable through lastErrorCode and lastErrorMessage.
class SerialPort : public PortIo {
  public:
    static constexpr int kBaudRate = 19200;
    static constexpr int kInterByteTimeoutMs = 30;
    static constexpr int kTotalPerByteMs = 10;
    static constexpr int kTotalConstantMs = 10;

    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the named device with the line settings above; false (and no handle) on failure.
    bool open(const std::string& name);
    // Closes the device if one is open; harmless otherwise.
    void close();

    // Why the last open() failed, as the system put it: its error code (errno, or
    // GetLastError on Windows) and that code's text. 0 and "" after an open that succeeded.
    // A port held by another opener reports EBUSY on POSIX, whichever lock refused it.
    // A flushInput, write or read that fails on the system's word keeps its error here too
    // (EIO for a device that hung up on POSIX, ETIMEDOUT for a write the line never took);
    // a read that merely ran out of time is no failure and changes nothing.
    int lastErrorCode() const { return lastErrorCode_; }
    std::string lastErrorMessage() const;

    bool isOpen() const override;
    std::uint64_t session() const override { return sessions_; }
    // The system's own handle of the open device (a HANDLE on Windows, a descriptor
    // elsewhere), or -1 when none is open: what waits on the line's input watch, and what
    // tests ask the system about the settings applied.
    std::intptr_t nativeHandle() const;

    // Drops the input the driver holds: a late answer to an earlier request must not pass
    // for the answer to the next one. False when no device is open or the system refused.
    bool flushInput() override;
    // Writes all count bytes; false when no device is open, the system failed the write or
    // (POSIX) the line did not take the bytes within a second.
    bool write(const std::uint8_t* data, std::size_t count) override;
    // One bounded read of up to count bytes, with the bounds above; the number of bytes that
    // arrived. 0 when none came, no device is open or the device failed.
    std::size_t read(std::uint8_t* buffer, std::size_t count) override;
    // The same with a total bound of totalMs instead of 10 ms a byte plus 10 ms; the silence
    // rule still applies. Nothing is read when totalMs is 0 or less.
    std::size_t read(std::uint8_t* buffer, std::size_t count, int totalMs) override;
    // Bounded by kMaxQuietWaitReads reads of quietMs each, so a line that never falls
    // silent costs a short wait, not a hang.
    void dropUntilQuiet(int quietMs) override;
    static constexpr int kMaxQuietWaitReads = 8;
    // Nothing waiting and no read stopped inside a frame: nothing to drop, and no system
    // flush either, which could take the first bytes of an answer that begins meanwhile.
    // Otherwise the line is read until it falls quiet.
    bool dropStale() override;
    bool lastReadCutOff() const override { return cutOff_; }
    std::size_t readOn(std::uint8_t* buffer, std::size_t count) override;
    // The bytes the driver holds that no read has taken yet, without waiting: 0 when none
    // have arrived or no device is open. Lets a caller wait for input without blocking.
    std::size_t bytesWaiting() const;
    int callError() const override { return callError_; }

    // The serial devices that exist, in the system's own order, filtered by prefix where
    // the system names them COMn (on Linux: the full device paths of real serial devices).
    // Throws PortListError when the list cannot be read; an empty list is no error.
    //
    // Windows: every DOS device name that begins with prefix (case-sensitive), e.g. "COM".
    // Linux: the entries of /sys/class/tty backed by a real device (8250 slots without a
    // UART left out) as "/dev/<name>", in the kernel's directory order. Serial devices are
    // not called COMn there, so the prefix "COM" stands for serial devices in general and
    // returns all of them; any other prefix must begin the full path or the bare name.
    static std::vector<std::string> listPorts(const std::string& prefix);

    // The path open() hands to the system: on Windows the device-namespace prefix "\\.\"
    // goes in front unless the name already contains it anywhere, so COM10 and later
    // work; elsewhere the name is opened unchanged.
    static std::string devicePath(const std::string& name);

  private:
    // A flushInput, write or read that failed on the system's word.
    void failed(int code) {
        lastErrorCode_ = code;
        callError_ = code;
    }

    struct Backend;
    std::unique_ptr<Backend> backend_;
    // Written by the thread that does the exchanges, read by the one that shows the error.
    std::atomic<int> lastErrorCode_{0};
    std::atomic<std::uint64_t> sessions_{0};  // successful opens
    int callError_ = 0;                       // only the thread that made the call reads it
    bool cutOff_ = false;                     // likewise
};

}  // namespace dut
