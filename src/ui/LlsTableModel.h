#pragma once

#include <QAbstractTableModel>
#include <QBrush>

namespace dut {
class LlsMonitor;
}

namespace ui {

// The monitor's table as the grid shows it: one column per address beside the heading column,
// the monitor's texts as they stand, and the fixed cells (the address row, and the heading
// column once it is fixed) in the button face colour. Nothing can be selected or edited.
class LlsTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // True on a fixed cell.
    static constexpr int kFixedRole = Qt::UserRole + 1;

    LlsTableModel(const dut::LlsMonitor& monitor, QBrush fixedFace, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool isFixed(int column, int row) const;

    // The monitor has changed: columns come or go, and every cell is read again.
    void refresh();

  private:
    const dut::LlsMonitor& monitor_;
    const QBrush fixedFace_;
    int shownColumns_;
};

}  // namespace ui
