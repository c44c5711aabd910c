#pragma once

#include <QComboBox>

namespace ui {

// The port list is refilled each time it is about to open; QComboBox has no signal for
// that moment, so this one announces it before the popup shows the items.
class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override {
        emit dropDown();
        QComboBox::showPopup();
    }

  signals:
    void dropDown();
};

}  // namespace ui
