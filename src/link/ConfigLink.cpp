#include "ConfigLink.h"

#include <chrono>

namespace dut {

namespace {

void putLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int32_t getLe32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
    return static_cast<std::int32_t>(value);
}

}  // namespace

ConfigLink::Frame ConfigLink::buildRequest(std::uint32_t leading, std::uint32_t access,
                                           std::uint8_t operation, std::uint8_t parameter,
                                           std::int32_t value) {
    Frame frame{};
    putLe32(&frame[0], leading);
    putLe32(&frame[4], access);
    frame[8] = operation;
    frame[9] = parameter;
    putLe32(&frame[10], static_cast<std::uint32_t>(value));
    return frame;
}

std::optional<std::int32_t> ConfigLink::transact(std::uint32_t leading, std::uint32_t access,
                                                 std::uint8_t operation, std::uint8_t parameter,
                                                 std::int32_t value) {
    using Clock = std::chrono::steady_clock;
    const Frame request = buildRequest(leading, access, operation, parameter, value);
    Frame sent = request;  // as it goes on the wire, to know its echo
    FrameLine::seal(sent.data(), sent.size());
    state_.linkFlag = false;
    if (port_.bytes().session() != echoSession_) {
        echoSession_ = port_.bytes().session();
        adapterEcho_ = AdapterEcho::Unknown;
        loneCopyRead_.reset();
    }

    const bool dropStrays = echoes_;
    AdapterEcho echo = adapterEcho_;
    std::optional<std::int32_t> answered;
    std::optional<std::int32_t> lastStray;
    bool echoed = false;
    bool answeredByLoneCopy = false;
    int attemptsWithOnlyStrays = 0;
    wait_.run([&] {
        for (int attempt = 0; attempt < kMaxAttempts && !answered; ++attempt) {
            // A failed write needs no handling of its own: the read that follows fails too.
            port_.send(request.data(), request.size());
            const auto readFrom = Clock::now();
            const auto left = [&] {
                const auto spent =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - readFrom);
                return kAttemptReadMs - static_cast<int>(spent.count());
            };
            Frame answer{};
            bool good = port_.receive(answer.data(), answer.size());
            bool loneCopy = false;
            // Once the adapter is known not to echo, a copy is simply the answer.
            if (good && answer == sent && echo != AdapterEcho::Quiet) {
                if (echo == AdapterEcho::Echoes) {
                    good = port_.receiveWithin(answer.data(), answer.size(), left());
                } else if (Frame next{}; port_.receiveWithin(next.data(), next.size(), left())) {
                    answer = next;
                    echo = AdapterEcho::Echoes;
                } else {
                    loneCopy = true;
                }
            }
            if (good && loneCopy && operation == kOpRead && echo == AdapterEcho::Unknown &&
                loneCopyRead_ && *loneCopyRead_ != parameter) {
                good = false;
                echo = AdapterEcho::Echoes;
            }
            bool strayMet = false;
            // Beyond the CRC-8, only the echoed parameter number is compared, and only with a
            // sensor known to echo it.
            while (good && dropStrays && answer[9] != parameter) {
                strayMet = true;
                lastStray = getLe32(&answer[10]);
                good = port_.receiveWithin(answer.data(), answer.size(), left());
            }
            if (good) {
                answered = getLe32(&answer[10]);
                echoed = answer[9] == parameter;
                answeredByLoneCopy = loneCopy;
            } else if (strayMet) {
                ++attemptsWithOnlyStrays;
            }
        }
    });

    if (answered && !answeredByLoneCopy && echo == AdapterEcho::Unknown) {
        echo = AdapterEcho::Quiet;  // an answer with no copy of the request in front of it
    }
    if (answeredByLoneCopy && operation == kOpRead && echo == AdapterEcho::Unknown) {
        loneCopyRead_ = parameter;
    }
    adapterEcho_ = echo;
    if (!answered && attemptsWithOnlyStrays == kMaxAttempts) {
        // Every attempt was answered, never with the number asked for: no longer a sensor
        // that echoes.
        echoes_ = false;
        firstEchoed_ = 0;
        answered = lastStray;
    }
    if (!answered) return std::nullopt;
    state_.linkFlag = true;
    if (echoed && parameter != 0 && !echoes_) {
        if (firstEchoed_ != 0 && firstEchoed_ != parameter) echoes_ = true;
        if (firstEchoed_ == 0) firstEchoed_ = parameter;
    }
    return *answered < 0 ? 0 : *answered;
}

}  // namespace dut
