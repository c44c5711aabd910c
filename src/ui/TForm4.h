#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "FormDialog.h"

// The LLS monitor window: a passive view of the traffic between a terminal and its sensors.
class TForm4 : public ui::FormDialog {
    Q_OBJECT
  public:
    explicit TForm4(QWidget* parent = nullptr);

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

  public slots:
    void FormShow();
    void FormHide();
    void Timer1Timer();
    void Button1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};
