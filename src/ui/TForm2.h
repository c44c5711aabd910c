#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "FormDialog.h"
#include "UiStyle.h"

namespace dut {
class ConfigLink;
}
namespace dut::config {
class LevelCorrectionDialog;
class MainValues;
class Notifier;
}  // namespace dut::config

// The manual level correction dialog: both tank levels typed by hand, or widened by 5 %.
class TForm2 : public ui::FormDialog {
    Q_OBJECT
  public:
    // The link the buttons write through and the main window's levels, which the dialog
    // copies and updates. Outcome boxes go to the application's message boxes.
    TForm2(dut::ConfigLink& link, dut::config::MainValues& mainValues, QWidget* parent);
    ~TForm2() override;

    // Before the dialog is shown: takes over the main window's LEVELMAX and LEVELMIN texts.
    void copyLevelsFromMain();

    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    ui::FlatLineEdit* LEVELMAX = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Label2 = nullptr;
    ui::FlatLineEdit* LEVELMIN = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button1 = nullptr;

  public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Every text of the window in the current language.
    void retranslateUi();
    class EditsView;
    std::unique_ptr<EditsView> editsView_;
    std::unique_ptr<dut::config::Notifier> notifier_;
    std::unique_ptr<dut::config::LevelCorrectionDialog> logic_;
};
