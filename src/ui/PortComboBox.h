#pragma once

#include <QComboBox>

class QKeyEvent;
class QWheelEvent;

namespace ui {

// The port list: an editable drop-down whose items are refilled each time the list is about
// to open, and which tells a choice of an item apart from typing.
//
// QComboBox's own activated also fires when the typed text matches an item and the line edit
// finishes editing (Return, the focus leaving, even the list opening, which takes the focus
// from the line edit). A typed name must wait for the automatic reconnect, and opening the
// list must only refresh it, so only these count as a pick: a click or Return on an item of the
// open list, and stepping to an item with the arrow keys or the wheel on the closed box.
class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit PortComboBox(QWidget* parent = nullptr);

    void showPopup() override;
    void hidePopup() override;

  signals:
    // Before the open list shows its items.
    void dropDown();
    // An item was chosen (see above).
    void picked();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    bool choosing_ = false;
};

}  // namespace ui
