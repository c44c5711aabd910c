#include "DeviceNames.h"

#include <algorithm>

#include "SerialPort.h"

namespace dut::devnames {

std::string withDeviceNamespace(const std::string& name) {
    if (name.find(kDeviceNamespace) != std::string::npos) return name;
    return kDeviceNamespace + name;
}

std::vector<std::string> splitAndFilter(const char* buffer, std::size_t length,
                                        const std::string& prefix) {
    std::vector<std::string> names;
    std::size_t pos = 0;
    while (pos < length && buffer[pos] != '\0') {
        const char* start = buffer + pos;
        const char* end = std::find(start, buffer + length, '\0');
        const std::string name(start, end);
        if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
        pos = static_cast<std::size_t>(end - buffer) + 1;
    }
    return names;
}

std::string queryAll(const Query& query, const ErrorText& errorText) {
    std::uint32_t size = kInitialSize;
    for (;;) {
        std::string buffer(size, '\0');
        const QueryResult result = query(buffer.data(), size);
        if (result.lastError == kErrorInsufficientBuffer) {
            // A reported length is the size the table needs now; without one, grow in steps.
            const std::uint64_t next = result.length != 0 ? std::uint64_t{result.length} + kGrowth
                                                          : std::uint64_t{size} + kGrowth;
            if (next > kMaxSize) throw PortListError(errorText(result.lastError));
            size = static_cast<std::uint32_t>(next);
            continue;
        }
        if (result.lastError != 0) throw PortListError(errorText(result.lastError));
        // A call that fails without saying why yields nothing rather than a retry forever.
        buffer.resize(std::min<std::uint32_t>(result.length, size));
        return buffer;
    }
}

}  // namespace dut::devnames
