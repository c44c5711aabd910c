#include "LevelCorrectionDialog.h"

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "LevelOrder.h"
#include "SensorParams.h"
#include "TextInput.h"
#include "Translatable.h"
#include "WriteConfirm.h"

namespace dut::config {

namespace {

const char* const kFullOk =
    DUT_TR_NOOP("LevelCorrectionDialog", "Максимальный уровень установлен!");
const char* const kFullFailed =
    DUT_TR_NOOP("LevelCorrectionDialog", "Сбой устаноки максимального уровня Попробуй еще раз.");
const char* const kEmptyOk =
    DUT_TR_NOOP("LevelCorrectionDialog", "Минимальный уровень установлен!");
const char* const kEmptyFailed =
    DUT_TR_NOOP("LevelCorrectionDialog", "Сбой устаноки минимального уровня! Попробуй еще раз.");
const char* const kWidenOk =
    DUT_TR_NOOP("LevelCorrectionDialog", "Расширенные границы уровней установлены!");
const char* const kWidenFailed =
    DUT_TR_NOOP("LevelCorrectionDialog", "Сбой установок. Попробуйте еще раз!");
const char* const kWidenTop =
    DUT_TR_NOOP("LevelCorrectionDialog", "ВНИМАНИЕ!\rГраница верхнего уровня будет изменена на ");
const char* const kWidenBottom =
    DUT_TR_NOOP("LevelCorrectionDialog", "Граница нижнего уровня будет изменена на ");
const char* const kUnits = DUT_TR_NOOP("LevelCorrectionDialog", " единиц.");
const char* const kGoOn = DUT_TR_NOOP("LevelCorrectionDialog", "Продолжаем ?");

constexpr long double kWidenShare = 0.05L;

// The arithmetic and the final rounding (halves to the even neighbour) both assume
// round-to-nearest; make sure it is in force rather than trusting whoever ran before.
class RoundToNearest {
  public:
    RoundToNearest() : previous_(std::fegetround()) { std::fesetround(FE_TONEAREST); }
    ~RoundToNearest() { std::fesetround(previous_); }
    RoundToNearest(const RoundToNearest&) = delete;
    RoundToNearest& operator=(const RoundToNearest&) = delete;

  private:
    int previous_;
};

std::optional<std::int32_t> roundToInt32(long double value) {
    const long double rounded = std::nearbyint(value);
    if (rounded < static_cast<long double>(std::numeric_limits<std::int32_t>::min()) ||
        rounded > static_cast<long double>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::string widenQuestion(const WidenedLevels& levels) {
    return kWidenTop + intToText(levels.max) + kUnits + "\r" + kWidenBottom +
           intToText(levels.min) + kUnits + "\r" + kGoOn;
}

}  // namespace

const std::vector<const char*>& LevelCorrectionDialog::messageTexts() {
    static const std::vector<const char*> texts{kFullOk,  kFullFailed,  kEmptyOk,  kEmptyFailed,
                                                kWidenOk, kWidenFailed, kWidenTop, kWidenBottom,
                                                kUnits,   kGoOn};
    return texts;
}

std::optional<WidenedLevels> widenLevels(std::int32_t max, std::int32_t min) {
    // The distance of two 32-bit levels needs 33 bits; a 32-bit difference would wrap and
    // move the levels the wrong way.
    const RoundToNearest mode;
    const std::int64_t distance = static_cast<std::int64_t>(max) - min;
    const long double share = static_cast<long double>(distance) * kWidenShare;
    const std::optional<std::int32_t> newMax = roundToInt32(max + share);
    const std::optional<std::int32_t> newMin = roundToInt32(min - share);
    if (!newMax || !newMin) return std::nullopt;
    return WidenedLevels{*newMax, *newMin};
}

LevelCorrectionDialog::LevelCorrectionDialog(ConfigLink& link, LevelCorrectionView& view,
                                             MainValues& mainValues, Notifier& notifier)
    : link_(link), view_(view), mainValues_(mainValues), notifier_(notifier) {}

void LevelCorrectionDialog::open() {
    view_.setLevelMaxText(mainValues_.levelMax());
    view_.setLevelMinText(mainValues_.levelMin());
}

void LevelCorrectionDialog::Button2Click() {
    // A mistyped level must not silently become a calibration point of 1.
    const std::string text = view_.levelMaxText();
    const std::int32_t value = toInt(text);
    const std::optional<std::int32_t> empty = levelNumber(mainValues_.levelMin());
    if (levelsInverted(value, empty) && !notifier_.ask(levelOrderQuestion(value, *empty))) return;
    if (writeVerified(link_, param::kFullLevel, value)) {
        mainValues_.setLevelMax(text);
        notifier_.showMessage(kFullOk);
    } else {
        notifier_.showMessage(kFullFailed);
    }
}

void LevelCorrectionDialog::Button3Click() {
    const std::string text = view_.levelMinText();
    const std::int32_t value = toInt(text);
    const std::optional<std::int32_t> full = levelNumber(mainValues_.levelMax());
    if (levelsInverted(full, value) && !notifier_.ask(levelOrderQuestion(*full, value))) return;
    if (writeVerified(link_, param::kEmptyLevel, value)) {
        mainValues_.setLevelMin(text);
        notifier_.showMessage(kEmptyOk);
    } else {
        notifier_.showMessage(kEmptyFailed);
    }
}

void LevelCorrectionDialog::Button1Click() {
    const std::int32_t max = toInt(view_.levelMaxText());
    const std::int32_t min = toInt(view_.levelMinText());

    const std::optional<WidenedLevels> levels = widenLevels(max, min);
    if (!levels) {
        notifier_.showMessage(kWidenFailed);
        return;
    }
    if (!notifier_.confirm(widenQuestion(*levels))) return;

    const bool maxOk = writeVerified(link_, param::kFullLevel, levels->max);
    const bool minOk = writeVerified(link_, param::kEmptyLevel, levels->min);

    // Only a level the sensor confirmed is shown, so no window claims a level it lacks.
    if (maxOk) {
        view_.setLevelMaxText(intToText(levels->max));
        mainValues_.setLevelMax(intToText(levels->max));
    }
    if (minOk) {
        view_.setLevelMinText(intToText(levels->min));
        mainValues_.setLevelMin(intToText(levels->min));
    }
    notifier_.showMessage(maxOk && minOk ? kWidenOk : kWidenFailed);
}

}  // namespace dut::config
