#include "CalibrationCommands.h"

#include <string>
#include <utility>
#include <vector>

#include "LevelOrder.h"
#include "SensorParams.h"
#include "TextInput.h"
#include "Translatable.h"
#include "WriteConfirm.h"

namespace dut::config {

namespace {

const char* const kFullOk = DUT_TR_NOOP("CalibrationCommands", "Максимальный уровень установлен!");
const char* const kFullFailed =
    DUT_TR_NOOP("CalibrationCommands", "Сбой установки Полного бака. Попробуйте еще раз.");
const char* const kEmptyOk = DUT_TR_NOOP("CalibrationCommands", "Минимальный уровень установлен!");
const char* const kEmptyFailed =
    DUT_TR_NOOP("CalibrationCommands", "Сбой установки Пустого бака! Попробуйте еще раз.");
const char* const kAddressOk = DUT_TR_NOOP("CalibrationCommands", "Сетевой адрес установлен!");
const char* const kAddressFailed =
    DUT_TR_NOOP("CalibrationCommands", "Сбой установки сетевого адреса. Попробуйте еще раз.");
const char* const kAddressRefused = DUT_TR_NOOP("CalibrationCommands", "Не верный сетевой адрес!");

// Any text that is not a number falls above the upper bound and is refused.
constexpr std::int32_t kAddressNotANumber = 1000;
constexpr std::int32_t kAddressMax = 255;

}  // namespace

const std::vector<const char*>& CalibrationCommands::messageTexts() {
    static const std::vector<const char*> texts{
        kFullOk, kFullFailed, kEmptyOk, kEmptyFailed, kAddressOk, kAddressFailed, kAddressRefused};
    return texts;
}

std::int32_t CalibrationCommands::currentValue() const {
    // Before the first poll Edit1 is empty, and an empty text is no number.
    if (!values_.currentValue()) throw ConversionError("");
    return *values_.currentValue();
}

CalibrationCommands::CalibrationCommands(ConfigLink& link, MainValues& values, MainView& view,
                                         Notifier& notifier, std::function<void()> raiseApplication)
    : link_(link),
      values_(values),
      view_(view),
      notifier_(notifier),
      raiseApplication_(std::move(raiseApplication)) {}

void CalibrationCommands::Button2Click() {
    const std::int32_t value = currentValue();
    if (levelsInverted(value, levelNumber(values_.levelMin())) &&
        !notifier_.ask(levelOrderQuestion(value, *levelNumber(values_.levelMin())))) {
        return;
    }
    writeLevel(param::kFullLevel, value, &MainValues::levelMax, &MainValues::setLevelMax, kFullOk,
               kFullFailed);
}

void CalibrationCommands::Button3Click() {
    const std::int32_t value = currentValue();
    if (levelsInverted(levelNumber(values_.levelMax()), value) &&
        !notifier_.ask(levelOrderQuestion(*levelNumber(values_.levelMax()), value))) {
        return;
    }
    writeLevel(param::kEmptyLevel, value, &MainValues::levelMin, &MainValues::setLevelMin, kEmptyOk,
               kEmptyFailed);
}

void CalibrationCommands::writeLevel(std::uint8_t parameter, std::int32_t value,
                                     const std::string& (MainValues::*shown)() const,
                                     void (MainValues::*show)(const std::string&), const char* ok,
                                     const char* failed) {
    const std::string before = (values_.*shown)();
    // The level box shows the new value while it is written, even if the sensor then refuses
    // it; a refusal puts back what the sensor is known to hold, so the window never claims a
    // level the sensor lacks.
    (values_.*show)(intToText(value));
    const std::optional<std::int32_t> held = writeConfirmed(link_, parameter, value);
    if (held == value) {
        notifier_.showMessage(ok);
        return;
    }
    (values_.*show)(held ? intToText(*held) : before);
    notifier_.showMessage(failed);
}

void CalibrationCommands::Button5Click() {
    writeAddress(toIntDef(view_.addressText(), kAddressNotANumber));
}

void CalibrationCommands::writeAddress(std::int32_t address) {
    // A negative address would be sent to the sensor although it can never be confirmed (the
    // link reports no negative values), so it is refused like one above the range.
    if (address > kAddressMax || address < 0) {
        notifier_.showMessage(kAddressRefused);
        view_.focusAddress();
        view_.setAddressAlert(true);
        return;
    }
    view_.setAddressAlert(false);
    const bool ok = writeVerified(link_, param::kNetworkAddress, address);
    notifier_.showMessage(ok ? kAddressOk : kAddressFailed);
}

bool CalibrationCommands::hotKey(int id) {
    if (link_.state().sensorNumber == 0) return false;

    // The address keys put their address in the box first, so the box shows what was sent.
    const auto writeAddressKey = [this](std::int32_t address) {
        view_.setAddressText(intToText(address));
        writeAddress(address);
    };
    switch (id) {
        case kHotKeyEmpty:
            if (raiseApplication_) raiseApplication_();
            Button3Click();
            return true;
        case kHotKeyFull:
            Button2Click();
            return true;
        case kHotKeyAddress1:
            writeAddressKey(1);
            return true;
        case kHotKeyAddress2:
            writeAddressKey(2);
            return true;
        default:
            return false;
    }
}

}  // namespace dut::config
