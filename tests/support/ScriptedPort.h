#pragma once

// A line without a device that plays back what a test scripted: one reply per read, each
// either the bytes that arrive (none: silence) or the system error the read fails with. A
// responder, when set, scripts the reply to each request as it is written. Free of Qt: the
// pure tests, built for Windows too, use it.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "PortIo.h"

namespace testsupport {

class ScriptedPort : public dut::PortIo {
  public:
    using Bytes = std::vector<std::uint8_t>;
    struct Reply {
        Bytes bytes;
        int error = 0;  // not 0: the read fails with this system error and gets nothing
    };
    // Called with every frame written; what it returns is the only reply left for the next
    // read, nothing: no reply at all.
    using Responder = std::function<std::optional<Bytes>(const Bytes& request)>;

    bool open = true;
    int writeError = 0;         // not 0: every write fails with this system error
    std::deque<Reply> replies;  // one per read; none left: nothing arrives
    std::vector<Bytes> sent;    // frames as written, CRC-8 filled in
    int receives = 0;           // reads made, bounded or not
    Responder responder;

    void reply(Bytes bytes) { replies.push_back(Reply{std::move(bytes), 0}); }
    void failRead(int error) { replies.push_back(Reply{{}, error}); }

    bool isOpen() const override { return open; }
    bool flushInput() override {
        lastError_ = 0;
        return open;
    }
    bool write(const std::uint8_t* data, std::size_t count) override {
        lastError_ = 0;
        if (!open) return false;
        if (writeError != 0) {
            lastError_ = writeError;
            return false;
        }
        sent.emplace_back(data, data + count);
        if (responder) {
            replies.clear();
            if (auto answer = responder(sent.back())) reply(std::move(*answer));
        }
        return true;
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count) override {
        lastError_ = 0;
        if (!open) return 0;
        ++receives;
        if (replies.empty()) return 0;
        const Reply next = replies.front();
        replies.pop_front();
        lastError_ = next.error;
        const std::size_t got = std::min(next.bytes.size(), count);
        std::copy_n(next.bytes.begin(), got, buffer);
        return got;
    }
    int callError() const override { return lastError_; }

  private:
    int lastError_ = 0;
};

}  // namespace testsupport
