#pragma once

#include <QComboBox>
#include <QLabel>

#include "FormDialog.h"

// The output settings dialog. Unlike the other windows it was drawn at 96 pixels per inch
// and follows the screen's density.
class TForm6 : public ui::FormDialog {
    Q_OBJECT
  public:
    explicit TForm6(QWidget* parent = nullptr);

    // Screen density over the designed 96 pixels per inch.
    double scale() const { return scale_; }

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox2 = nullptr;

  public slots:
    void FormShow();
    void ComboBox1Change();
    void ComboBox2Change();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    int px(int designed) const;
    double scale_ = 1.0;
};
