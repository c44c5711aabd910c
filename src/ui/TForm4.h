#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <optional>

#include "FormDialog.h"
#include "LlsMonitor.h"

namespace ui {
struct AppContext;
class LineReadyWatch;

// Draws StringGrid1's cells: fixed cells in the button face colour, and a cell holding exactly
// "ok" or "x" as a solid light green or light red block over its text.
class LlsCellDelegate : public QStyledItemDelegate {
  public:
    // Set on an item whose cell is fixed (heading row, heading column once it is fixed).
    static constexpr int kFixedRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The block painted over a cell with this text, if any.
    static std::optional<QColor> blockColour(const QString& text);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace ui

// The LLS monitor window: a passive view of the traffic between a terminal and its sensors.
class TForm4 : public ui::FormDialog {
    Q_OBJECT
  public:
    // The port the monitor listens on, and the context's say over the line: while the monitor
    // is shown it listens and the main window's polling waits, since the configurator's
    // requests would put its own frames on the line being watched.
    TForm4(ui::AppContext& context, QWidget* parent);

    const dut::LlsMonitor& monitor() const { return monitor_; }

    QTableWidget* StringGrid1 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Image1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;

  signals:
    // The bytes of one read from the line, as the monitor processed them.
    void chunkRead(const QByteArray& bytes);

  public slots:
    void FormShow();
    void FormHide();
    void Timer1Timer();
    void Button1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // The first byte has arrived, or the read's time passed without one.
    void lineReady(bool inputWaiting);
    // Copies the counters and the table of monitor_ into the labels and StringGrid1.
    void showMonitor();

    dut::LlsMonitor monitor_;
    ui::AppContext& context_;
    ui::LineReadyWatch* readyWatch_ = nullptr;
    bool timerParked_ = false;  // Timer1 stopped itself while the window was hidden
    bool resumeTimer_ = false;  // Timer1 was running when the read in progress began
};
