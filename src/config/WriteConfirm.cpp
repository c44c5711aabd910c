#include "WriteConfirm.h"

namespace dut::config {

std::optional<std::int32_t> writeConfirmed(ConfigLink& link, std::uint8_t parameter,
                                           std::int32_t value) {
    const ExchangeResult written = link.write(parameter, value);
    // A sensor whose write answer already carries the value is believed even when the
    // read-back is lost; but a read-back that did arrive has the last word, and a copy of the
    // request, which may be the adapter's and not the sensor's, carries no word at all.
    const ExchangeResult readBack = link.read(parameter, ConfigLink::kReadBackValue);
    if (readBack) return readBack.asOptional();
    if (written.byOwnCopy()) return std::nullopt;
    return written.asOptional();
}

bool writeVerified(ConfigLink& link, std::uint8_t parameter, std::int32_t value) {
    const std::optional<std::int32_t> confirmed = writeConfirmed(link, parameter, value);
    return confirmed.has_value() && *confirmed == value;
}

}  // namespace dut::config
