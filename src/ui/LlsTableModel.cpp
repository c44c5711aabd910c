#include "LlsTableModel.h"

#include <QCoreApplication>
#include <utility>

#include "LlsMonitor.h"

namespace ui {

LlsTableModel::LlsTableModel(const dut::LlsMonitor& monitor, QBrush fixedFace, QObject* parent)
    : QAbstractTableModel(parent),
      monitor_(monitor),
      fixedFace_(std::move(fixedFace)),
      shownColumns_(monitor.columnCount()) {}

int LlsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : monitor_.rowCount();
}

int LlsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownColumns_;
}

bool LlsTableModel::isFixed(int column, int row) const {
    return row == dut::LlsMonitor::AddressRow || (column == 0 && monitor_.isColumn0Fixed());
}

QVariant LlsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            // Column 0 holds the row headings, in the current language; the rest are numbers
            // and marks.
            if (index.column() == 0) {
                return QCoreApplication::translate(
                    "LlsMonitor", monitor_.cell(index.column(), index.row()).c_str());
            }
            return QString::fromStdString(monitor_.cell(index.column(), index.row()));
        case Qt::BackgroundRole:
            if (isFixed(index.column(), index.row())) return fixedFace_;
            return {};
        case kFixedRole:
            return isFixed(index.column(), index.row());
        default:
            return {};
    }
}

Qt::ItemFlags LlsTableModel::flags(const QModelIndex& index) const {
    // Shown only: no cell can be selected or edited.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void LlsTableModel::refresh() {
    const int columns = monitor_.columnCount();
    if (columns > shownColumns_) {
        beginInsertColumns(QModelIndex(), shownColumns_, columns - 1);
        shownColumns_ = columns;
        endInsertColumns();
    } else if (columns < shownColumns_) {
        beginRemoveColumns(QModelIndex(), columns, shownColumns_ - 1);
        shownColumns_ = columns;
        endRemoveColumns();
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, shownColumns_ - 1));
}

}  // namespace ui
