#include "OutputSettingsDialog.h"

#include <optional>

#include "SensorParams.h"

namespace dut::config {

namespace {

constexpr int kItem12Bit = 0;
constexpr int kItem10Bit = 1;

}  // namespace

OutputSettingsDialog::OutputSettingsDialog(ConfigLink& link, OutputSettingsView& view)
    : link_(link), view_(view) {}

void OutputSettingsDialog::FormShow() {
    // A failed read counts as 0, so it cannot pass off an older value as this setting.
    // Only a resolution the dialog can name may be changed; anything else stays untouched.
    const std::int32_t resolution = link_.read(param::kOutputResolution).value_or(0);
    view_.setResolutionEnabled(resolution == param::kResolution12Bit ||
                               resolution == param::kResolution10Bit);
    if (resolution == param::kResolution12Bit) view_.setResolutionIndex(kItem12Bit);
    if (resolution == param::kResolution10Bit) view_.setResolutionIndex(kItem10Bit);

    const ExchangeResult interval = link_.read(param::kOutputInterval);
    view_.setIntervalEnabled(interval.has_value());
    const std::optional<std::size_t> choice = param::intervalChoiceForSeconds(interval.value_or(0));
    if (choice) view_.setIntervalIndex(static_cast<int>(*choice));
}

void OutputSettingsDialog::ComboBox1Change(int index) {
    if (index == kItem12Bit) link_.write(param::kOutputResolution, param::kResolution12Bit);
    if (index == kItem10Bit) link_.write(param::kOutputResolution, param::kResolution10Bit);
    view_.raise();
}

void OutputSettingsDialog::ComboBox2Change(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < param::kIntervalChoices.size()) {
        link_.write(param::kOutputInterval, param::kIntervalChoices[index].written);
    }
    view_.raise();
}

}  // namespace dut::config
