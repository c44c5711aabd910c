#include <cstdint>

#include "SerialPort.h"

namespace dut {

// Built on the bounded read, so one version serves every system.
void SerialPort::dropUntilQuiet(int quietMs) {
    std::uint8_t sink[64];
    for (int i = 0; i < kMaxQuietWaitReads; ++i) {
        if (read(sink, sizeof sink, quietMs) == 0) return;
    }
    cutOff_ = true;  // still inside a run: where the next frame begins is unknown
}

bool SerialPort::dropStale() {
    callError_ = 0;
    if (!isOpen()) return false;
    if (bytesWaiting() == 0 && !cutOff_) return true;
    dropUntilQuiet(kInterByteTimeoutMs);  // leaves cutOff_ set if the line never fell quiet
    return true;
}

}  // namespace dut
