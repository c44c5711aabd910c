#include "LevelOrder.h"

#include "TextInput.h"
#include "Translatable.h"

namespace dut::config {

namespace {

const char* const kFullLevel = DUT_TR_NOOP("LevelOrder", "ВНИМАНИЕ!\rПолный уровень ");
const char* const kNotAboveEmpty = DUT_TR_NOOP("LevelOrder", " не выше пустого уровня ");
const char* const kNoOutput = DUT_TR_NOOP(
    "LevelOrder", ".\rС такими уровнями у датчика не будет рабочего выхода.\rЗаписать ?");

}  // namespace

const std::vector<const char*>& levelOrderTexts() {
    static const std::vector<const char*> texts{kFullLevel, kNotAboveEmpty, kNoOutput};
    return texts;
}

std::optional<std::int32_t> levelNumber(const std::string& text) {
    try {
        return toInt(text);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

bool levelsInverted(std::int32_t full, const std::optional<std::int32_t>& empty) {
    return empty && full <= *empty;
}

bool levelsInverted(const std::optional<std::int32_t>& full, std::int32_t empty) {
    return full && *full <= empty;
}

std::string levelOrderQuestion(std::int32_t full, std::int32_t empty) {
    return kFullLevel + intToText(full) + kNotAboveEmpty + intToText(empty) + kNoOutput;
}

}  // namespace dut::config
