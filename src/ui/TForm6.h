#pragma once

#include <QComboBox>
#include <QLabel>
#include <memory>

#include "FormDialog.h"

namespace dut {
class ConfigLink;
}
namespace dut::config {
class OutputSettingsDialog;
}

// The output settings dialog. Unlike the other windows it was drawn at 96 pixels per inch
// and follows the screen's density.
class TForm6 : public ui::FormDialog {
    Q_OBJECT
  public:
    // The link the dialog reads and writes through.
    TForm6(dut::ConfigLink& link, QWidget* parent);
    ~TForm6() override;

    // Screen density over the designed 96 pixels per inch.
    double scale() const { return scale_; }

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox2 = nullptr;

  public slots:
    void FormShow();
    // The user chose the item at index (mouse, keyboard or wheel); never called for a
    // selection made in code.
    void ComboBox1Change(int index);
    void ComboBox2Change(int index);

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Every text of the window in the current language.
    void retranslateUi();
    class ListsView;

    int px(int designed) const;
    double scale_ = 1.0;
    std::unique_ptr<ListsView> listsView_;
    std::unique_ptr<dut::config::OutputSettingsDialog> logic_;
};
