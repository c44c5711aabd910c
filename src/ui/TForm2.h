#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "FormDialog.h"
#include "UiStyle.h"

// The manual level correction dialog: both tank levels typed by hand, or widened by 5 %.
class TForm2 : public ui::FormDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);

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
    void resizeEvent(QResizeEvent* event) override;
};
