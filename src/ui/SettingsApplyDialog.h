#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <vector>

#include "SettingsTransfer.h"

class QLabel;
class QTableWidget;
class QPushButton;

namespace ui {

// "Применить настройки": the file's values beside the connected sensor's, one tick box per
// value that may be written. Read-only values stand in the table without a box. A pair of levels
// in the file with full <= empty is marked, and its boxes start cleared.
class SettingsApplyDialog : public QDialog {
    Q_OBJECT
  public:
    SettingsApplyDialog(const QString& fileName, const dut::settings::SettingsDocument& document,
                        const dut::settings::SensorReading& reading, QWidget* parent);

    // The parameters whose boxes are ticked, in the table's order.
    std::vector<std::uint8_t> ticked() const;

    // What "Записать отмеченное" does before the dialog closes: the dialog stays up, its
    // buttons off, and its status line says what the line is waited on for. Without a writer
    // the dialog only closes. The writer must not throw: the dialog's event loop is between.
    void setWriter(std::function<void(const std::vector<std::uint8_t>&)> writer);

    // Runs the writer once, then closes.
    void accept() override;

  private:
    QLabel* Status = nullptr;
    QWidget* Buttons = nullptr;
    std::function<void(const std::vector<std::uint8_t>&)> writer_;
    bool written_ = false;
    QTableWidget* Table = nullptr;
    QPushButton* WriteButton = nullptr;
    std::vector<dut::settings::CompareRow> rows_;
};

}  // namespace ui
