#include "LlsGrid.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "LlsMonitor.h"

namespace ui {

std::optional<QColor> LlsCellDelegate::blockColour(const QString& text) {
    const std::optional<dut::Rgb> rgb = dut::llsCellColour(text.toStdString());
    if (!rgb) return std::nullopt;
    return QColor(rgb->red, rgb->green, rgb->blue);
}

void LlsCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    // Over the text, so a marked cell reads as a plain coloured block.
    if (const std::optional<QColor> colour = blockColour(index.data(Qt::DisplayRole).toString())) {
        painter->fillRect(option.rect, *colour);
    }
}

// A painting of the heading column or the address row at its unscrolled place. It has no
// cells of its own and takes no input: clicks and assistive tools reach the table beneath.
class FrozenHeadingStrip : public QWidget {
  public:
    enum Kind { Column, Row };

    FrozenHeadingStrip(Kind kind, LlsGrid* grid) : QWidget(grid), kind_(kind), grid_(grid) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAutoFillBackground(false);
        hide();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QAbstractItemModel* model = grid_->model();
        if (!model) return;
        QPainter painter(this);
        const bool column = kind_ == Column;
        const int count = column ? model->rowCount() : model->columnCount();
        for (int i = 0; i < count; ++i) {
            // The corner cell stays put in both strips.
            const int along = i == 0   ? 0
                              : column ? grid_->rowViewportPosition(i)
                                       : grid_->columnViewportPosition(i);
            const int length = column ? grid_->rowHeight(i) : grid_->columnWidth(i);
            const int across = column ? grid_->columnWidth(0) : grid_->rowHeight(0);
            const QRect cell =
                column ? QRect(0, along, across, length) : QRect(along, 0, length, across);
            if (i != 0) {
                painter.save();
                // The corner is painted last, over the scrolled cells that pass beneath it.
                painter.setClipRect(column ? QRect(0, grid_->rowHeight(0), width(), height())
                                           : QRect(grid_->columnWidth(0), 0, width(), height()));
                grid_->paintCell(painter, column ? model->index(i, 0) : model->index(0, i), cell);
                painter.restore();
            }
        }
        grid_->paintCell(painter, model->index(0, 0),
                         QRect(0, 0, grid_->columnWidth(0), grid_->rowHeight(0)));
    }

  private:
    const Kind kind_;
    LlsGrid* const grid_;
};

LlsGrid::LlsGrid(QWidget* parent) : QTableView(parent) {
    column_ = new FrozenHeadingStrip(FrozenHeadingStrip::Column, this);
    row_ = new FrozenHeadingStrip(FrozenHeadingStrip::Row, this);
}

int LlsGrid::rowCount() const {
    return model() ? model()->rowCount() : 0;
}

int LlsGrid::columnCount() const {
    return model() ? model()->columnCount() : 0;
}

QWidget* LlsGrid::frozenColumn() const {
    return column_;
}

QWidget* LlsGrid::frozenRow() const {
    return row_;
}

void LlsGrid::paintCell(QPainter& painter, const QModelIndex& index, const QRect& rect) const {
    if (!index.isValid()) return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = rect;
    option.index = index;
    painter.fillRect(rect, palette().brush(QPalette::Base));
    itemDelegateForIndex(index)->paint(&painter, option, index);
    if (showGrid()) {
        // The grid's own lines, right and bottom, as the table draws them.
        const QColor line(
            static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
        painter.setPen(line);
        painter.drawLine(rect.topRight(), rect.bottomRight());
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
}

void LlsGrid::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                          const QList<int>& roles) {
    QTableView::dataChanged(topLeft, bottomRight, roles);
    column_->update();
    row_->update();
}

void LlsGrid::updateGeometries() {
    QTableView::updateGeometries();
    placeStrips();
}

void LlsGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    placeStrips();
}

void LlsGrid::placeStrips() {
    const QRect area = viewport()->geometry();
    const bool across = horizontalScrollBar()->value() > 0 && columnCount() > 1;
    const bool down = verticalScrollBar()->value() > 0 && rowCount() > 1;
    column_->setGeometry(area.x(), area.y(), std::min(columnWidth(0), area.width()), area.height());
    row_->setGeometry(area.x(), area.y(), area.width(), std::min(rowHeight(0), area.height()));
    column_->setVisible(across);
    row_->setVisible(down);
    column_->raise();
    row_->raise();
    column_->update();
    row_->update();
}

}  // namespace ui
