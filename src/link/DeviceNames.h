#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dut::devnames {

// Pieces of the port listing that do not touch the system, so that the Windows
// device-name walk can be exercised on any platform.

// The Windows device-namespace prefix: backslash, backslash, point, backslash.
constexpr const char* kDeviceNamespace = "\\\\.\\";

// name with kDeviceNamespace in front unless it already contains it somewhere.
std::string withDeviceNamespace(const std::string& name);

// Splits a list of zero-terminated names (ended by an empty name, or by the end of the
// buffer) and keeps those that begin with prefix, compared case-sensitively, in order.
std::vector<std::string> splitAndFilter(const char* buffer, std::size_t length,
                                        const std::string& prefix);

// One call of the system's device-name query into buffer/size: the length it returned
// (0 on failure) and the thread's last error afterwards (cleared before the call).
struct QueryResult {
    std::uint32_t length;
    std::uint32_t lastError;
};
using Query = std::function<QueryResult(char* buffer, std::uint32_t size)>;
using ErrorText = std::function<std::string(std::uint32_t code)>;

constexpr std::uint32_t kErrorInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
constexpr std::uint32_t kInitialSize = 5120;
constexpr std::uint32_t kGrowth = 1024;
// The table never comes near this; past it the system is taken to be misbehaving.
constexpr std::uint32_t kMaxSize = 1024u * 1024u;

// Asks query with a growing buffer until it succeeds and returns the buffer cut to the
// length returned. Throws PortListError with errorText(code) for any error other than a
// too-small buffer, and also when the buffer would exceed kMaxSize.
std::string queryAll(const Query& query, const ErrorText& errorText);

}  // namespace dut::devnames
