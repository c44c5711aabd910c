#include <cstdint>

#include "SerialPort.h"

namespace dut {

// Built on the bounded read, so one version serves every system.
void SerialPort::dropUntilQuiet(int quietMs) {
    std::uint8_t sink[64];
    for (int i = 0; i < kMaxQuietWaitReads; ++i) {
        if (read(sink, sizeof sink, quietMs) == 0) return;
    }
}

bool SerialPort::dropStale() {
    callError_ = 0;
    if (!isOpen()) return false;
    if (bytesWaiting() == 0 && !cutOff_) return true;
    dropUntilQuiet(kInterByteTimeoutMs);
    cutOff_ = false;
    return true;
}

}  // namespace dut
