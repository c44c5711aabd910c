#pragma once

#include <QString>

class QWidget;

namespace dut {
class ConfigLink;
}
namespace dut::config {
class MainValues;
class MainView;
}  // namespace dut::config

namespace ui {

// "Сохранить настройки…" and "Применить настройки…" of the main window's settings menu: a
// sensor's address, levels and output settings kept in a JSON file and given to a sensor.
// Every exchange goes through the shared link, so it waits on the line as the commands do.
class SettingsFileActions {
  public:
    SettingsFileActions(dut::ConfigLink& link, dut::config::MainValues& values,
                        dut::config::MainView& view, QWidget* parent);

    void save();
    void apply();

    // Where the file goes or comes from: the file dialog, or the file that the environment
    // variable DUT_SETTINGS_FILE names (set by the tests, which cannot reach a file dialog
    // reliably on every desktop).
    static QString pickFile(QWidget* parent, bool forSaving, const QString& suggested);

  private:
    // The box and a copy on standard error, where a log of the session keeps it.
    void tell(const QString& text);

    dut::ConfigLink& link_;
    dut::config::MainValues& values_;
    dut::config::MainView& view_;
    QWidget* parent_;
};

}  // namespace ui
