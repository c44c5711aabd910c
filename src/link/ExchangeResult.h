#pragma once

#include <cstdint>
#include <optional>

namespace dut {

// Why an exchange ended without a value, as the attempts found the line.
enum class ExchangeFailure {
    None,          // answered
    NoAnswer,      // nothing came back to any attempt
    BadCrcOnly,    // whole answers came, none with a good CRC-8
    OnlyStrays,    // good answers came, all for other requests
    ShortAnswers,  // some attempt got less than a whole frame
    PortError,     // the line itself failed: the system's error code comes with it
};

// What one exchange with its retries came to: the value, or the reason it failed, and how
// many attempts it took either way.
class ExchangeResult {
  public:
    static ExchangeResult answered(std::int32_t value, int attempts) {
        return ExchangeResult(value, ExchangeFailure::None, attempts, 0);
    }
    // A write answered by nothing but a copy of its own request, on a line not yet known to
    // echo or not: the sensor may have answered with the bytes it was sent, or the adapter
    // heard itself. It ends the write's attempts; it never confirms the value.
    static ExchangeResult answeredByOwnCopy(std::int32_t value, int attempts) {
        ExchangeResult result(value, ExchangeFailure::None, attempts, 0);
        result.byOwnCopy_ = true;
        return result;
    }
    // systemError is only kept with ExchangeFailure::PortError; 0 there means the line was
    // not open at all.
    static ExchangeResult failed(ExchangeFailure why, int attempts, int systemError = 0) {
        return ExchangeResult(std::nullopt, why, attempts,
                              why == ExchangeFailure::PortError ? systemError : 0);
    }

    bool has_value() const { return value_.has_value(); }
    explicit operator bool() const { return has_value(); }
    // Only for an answered exchange.
    std::int32_t operator*() const { return *value_; }
    std::int32_t value_or(std::int32_t otherwise) const { return value_.value_or(otherwise); }
    const std::optional<std::int32_t>& asOptional() const { return value_; }
    // Where only the value matters.
    operator std::optional<std::int32_t>() const {
        return value_;
    }  // NOLINT(google-explicit-constructor)

    ExchangeFailure failure() const { return failure_; }
    bool byOwnCopy() const { return byOwnCopy_; }
    int systemError() const { return systemError_; }
    int attempts() const { return attempts_; }

    friend bool operator==(const ExchangeResult& r, std::nullopt_t) { return !r.has_value(); }
    // Without these, a comparison with an optional would go through the conversion above and
    // std::optional's comparison with a value, which calls any result unequal to nullopt.
    friend bool operator==(const ExchangeResult& r, const std::optional<std::int32_t>& v) {
        return r.value_ == v;
    }
    friend bool operator==(const std::optional<std::int32_t>& v, const ExchangeResult& r) {
        return r.value_ == v;
    }
    friend bool operator==(const ExchangeResult& r, std::int32_t v) { return r.value_ == v; }
    friend bool operator!=(const ExchangeResult& r, std::int32_t v) { return !(r == v); }

  private:
    ExchangeResult(std::optional<std::int32_t> value, ExchangeFailure failure, int attempts,
                   int systemError)
        : value_(value), failure_(failure), systemError_(systemError), attempts_(attempts) {}

    std::optional<std::int32_t> value_;
    ExchangeFailure failure_;
    int systemError_;
    int attempts_;
    bool byOwnCopy_ = false;
};

}  // namespace dut
