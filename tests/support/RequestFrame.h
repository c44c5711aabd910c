#pragma once

// A configuration frame as the sensor reads it: operation at byte 8, parameter at byte 9 and
// the value, least significant byte first, in bytes 10 to 13. Decoded here, apart from the
// product's and the simulator's own code, so that a fault in either cannot hide itself.
// Free of Qt and of the simulator: the pure tests, built for Windows too, use it.

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace testsupport {

constexpr int kRead = 1;
constexpr int kWrite = 2;

// A request frame as it left the configurator.
struct Request {
    int operation;
    int parameter;
    std::int32_t value;
    bool operator==(const Request& other) const {
        return operation == other.operation && parameter == other.parameter && value == other.value;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Request& r) {
    return out << "{op " << r.operation << ", param " << r.parameter << ", value " << r.value
               << "}";
}

// The value field of a request or of an answer: both frames lay it out alike.
inline std::int32_t frameValue(const std::uint8_t* frame) {
    std::uint32_t v = 0;
    for (int i = 13; i >= 10; --i) v = (v << 8) | frame[i];
    return static_cast<std::int32_t>(v);
}

// The same of an answer as the simulator hands it over; a frame too short to hold the field
// fails the test that reads it.
inline std::int32_t frameValue(const std::vector<std::uint8_t>& frame) {
    if (frame.size() < 14) throw std::out_of_range("no value field in a frame this short");
    return frameValue(frame.data());
}

inline Request decodeRequest(const std::uint8_t* frame) {
    return Request{frame[8], frame[9], frameValue(frame)};
}

}  // namespace testsupport
