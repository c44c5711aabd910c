#pragma once

namespace dut::config {

// The two choice lists of the output settings dialog (TForm6).
//
// Contract: selections made through setResolutionIndex and setIntervalIndex must NOT be
// reported back as user changes. Only a change made by the user (mouse or keyboard) may call
// OutputSettingsDialog::ComboBox1Change / ComboBox2Change; otherwise refreshing the dialog
// from the sensor would write the values it has just read.
class OutputSettingsView {
  public:
    virtual ~OutputSettingsView() = default;

    // ComboBox1: 0 = "12 Бит (0..4095)", 1 = "10 Бит (0..1023)".
    virtual void setResolutionEnabled(bool enabled) = 0;
    virtual void setResolutionIndex(int index) = 0;

    // ComboBox2: the items of dut::param::kIntervalChoices in that order.
    virtual void setIntervalEnabled(bool enabled) = 0;
    virtual void setIntervalIndex(int index) = 0;

    // Brings the dialog to the front.
    virtual void raise() = 0;
};

}  // namespace dut::config
