#pragma once

#include <QStyledItemDelegate>
#include <QTableView>
#include <optional>

namespace ui {

class FrozenHeadingStrip;

// Draws the monitor's cells: a cell holding exactly "ok" or "x" as a solid light green or
// light red block over its text.
class LlsCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The block painted over a cell with this text, if any.
    static std::optional<QColor> blockColour(const QString& text);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The monitor's grid. Once it scrolls, the address row and the heading column are drawn again
// at their places over the scrolled cells, so they stay in view; the cells themselves stay in
// the table, where assistive tools read them.
class LlsGrid : public QTableView {
    Q_OBJECT
  public:
    explicit LlsGrid(QWidget* parent = nullptr);

    int rowCount() const;
    int columnCount() const;
    // The strips that keep the headings in view: the heading column, the address row.
    QWidget* frozenColumn() const;
    QWidget* frozenRow() const;

    // Paints one cell of the model as the grid does, into rect.
    void paintCell(QPainter& painter, const QModelIndex& index, const QRect& rect) const;

  protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void placeStrips();

    FrozenHeadingStrip* column_ = nullptr;
    FrozenHeadingStrip* row_ = nullptr;
};

}  // namespace ui
