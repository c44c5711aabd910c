#pragma once

#include <QLabel>

#include "FormDialog.h"

// The about window.
class TForm3 : public ui::FormDialog {
    Q_OBJECT
  public:
    explicit TForm3(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // Every text of the window in the current language.
    void retranslateUi();
};
