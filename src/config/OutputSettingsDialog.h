#pragma once

#include "ConfigLink.h"
#include "OutputSettingsView.h"

namespace dut::config {

// The logic of the output settings dialog (TForm6): output resolution (parameter 8) and
// periodic output interval (parameter 9). Writes have no read-back and no message.
class OutputSettingsDialog {
  public:
    OutputSettingsDialog(ConfigLink& link, OutputSettingsView& view);

    // Every time the dialog is shown: refreshes both lists from the sensor, writing nothing.
    void FormShow();
    // The user chose another item.
    void ComboBox1Change(int index);
    void ComboBox2Change(int index);

  private:
    ConfigLink& link_;
    OutputSettingsView& view_;
};

}  // namespace dut::config
