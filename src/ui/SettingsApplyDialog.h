#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "SettingsTransfer.h"

class QTableWidget;
class QPushButton;

namespace ui {

// "Применить настройки": the file's values beside the connected sensor's, one tick box per
// value that may be written. Read-only values stand in the table without a box.
class SettingsApplyDialog : public QDialog {
    Q_OBJECT
  public:
    SettingsApplyDialog(const QString& fileName, const dut::settings::SettingsDocument& document,
                        const dut::settings::SensorReading& reading, QWidget* parent);

    // The parameters whose boxes are ticked, in the table's order.
    std::vector<std::uint8_t> ticked() const;

  private:
    QTableWidget* Table = nullptr;
    QPushButton* WriteButton = nullptr;
    std::vector<dut::settings::CompareRow> rows_;
};

}  // namespace ui
