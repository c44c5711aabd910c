#pragma once

#include <QDialog>
#include <QKeyEvent>

namespace ui {

// A secondary window that behaves like an ordinary form: Escape does not close it and
// Enter presses no default button. Closing it only hides it, so it is reused.
class FormDialog : public QDialog {
  public:
    explicit FormDialog(QWidget* parent) : QDialog(parent) {
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
        setSizeGripEnabled(false);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        // QDialog would reject on Escape and accept on Enter.
        QWidget::keyPressEvent(event);
    }
};

}  // namespace ui
