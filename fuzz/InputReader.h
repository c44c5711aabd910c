#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Takes the fuzzer's input front to back; past its end every read yields zeros, so a short
// input is still a whole (if dull) scenario.
class InputReader {
  public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::size_t remaining() const { return empty() ? 0 : size_ - pos_; }

    std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }

    std::uint32_t le32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return value;
    }

    // Up to count bytes as they stand in the input; how many is returned, the rest is not
    // touched.
    std::size_t take(std::uint8_t* out, std::size_t count) {
        std::size_t got = 0;
        while (got < count && !empty()) out[got++] = data_[pos_++];
        return got;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace fuzz
