#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace dut {
class ExchangeTrace;
}

namespace ui {

// "Журнал обмена": the frames of the exchanges with the sensor as they happen, the newest
// 2000 lines, for support. Not modal; it takes lines only while it is shown.
class ExchangeLogWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMaxLines = 2000;

    ExchangeLogWindow(dut::ExchangeTrace& trace, QWidget* parent);

    QString text() const;
    // Writes what the window shows to path; the system's reason when it could not.
    bool saveTo(const QString& path, QString& error) const;

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void retranslateUi();
    void takeLines();
    void saveClicked();

    dut::ExchangeTrace& trace_;
    QPlainTextEdit* lines_ = nullptr;
    QPushButton* save_ = nullptr;
    QTimer* refresh_ = nullptr;
};

}  // namespace ui
