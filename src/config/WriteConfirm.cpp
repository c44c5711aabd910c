#include "WriteConfirm.h"

namespace dut::config {

std::optional<std::int32_t> writeConfirmed(ConfigLink& link, std::uint8_t parameter,
                                           std::int32_t value) {
    std::optional<std::int32_t> confirmed;
    if (link.write(parameter, value)) confirmed = link.state().lastValue;
    // A sensor whose write answer already carries the value is believed even when the
    // read-back is lost; but a read-back that did arrive has the last word.
    if (link.read(parameter, ConfigLink::kReadBackValue)) confirmed = link.state().lastValue;
    return confirmed;
}

bool writeVerified(ConfigLink& link, std::uint8_t parameter, std::int32_t value) {
    const std::optional<std::int32_t> confirmed = writeConfirmed(link, parameter, value);
    return confirmed.has_value() && *confirmed == value;
}

}  // namespace dut::config
