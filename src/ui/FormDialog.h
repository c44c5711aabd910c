#pragma once

#include <QDialog>
#include <QKeyEvent>

namespace ui {

// A secondary window that behaves like an ordinary form: Escape does not close it and
// Enter presses no default button. Closing it only hides it, so it is reused. A dialog to the
// window system (with the frame of an ordinary window), so that it stays transient for the
// main window: one taskbar entry, and a modal one cannot fall behind.
class FormDialog : public QDialog {
  public:
    explicit FormDialog(QWidget* parent) : QDialog(parent) {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
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
