#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dut::config {

// A sensor whose full level is at or below its empty level has no usable output; the most
// common way to get one is pressing "full" with the tank still empty. Every command that
// writes a single level asks first when the pair it would leave is in that order.

// The pieces of the question, for the window that translates them (context "LevelOrder").
const std::vector<const char*>& levelOrderTexts();

// A level text as the windows hold it, as a number; nothing for a text that is no number
// (a level not read yet), which leaves nothing to compare against.
std::optional<std::int32_t> levelNumber(const std::string& text);

// Whether writing would leave full <= empty, for the level about to be written and the
// other level as the sensor is known to hold it (unknown: no).
bool levelsInverted(std::int32_t full, const std::optional<std::int32_t>& empty);
bool levelsInverted(const std::optional<std::int32_t>& full, std::int32_t empty);

// The question, naming both values.
std::string levelOrderQuestion(std::int32_t full, std::int32_t empty);

}  // namespace dut::config
