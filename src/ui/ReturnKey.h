#pragma once

#include <QObject>

namespace ui {

// Return (and Enter) press the push button that has the focus, as Space does, in every
// window, as on the system the program comes from. Qt only lets Return press default and
// auto-default buttons (message boxes), which keep their own handling; where no button has
// the focus the key goes on as before, so windows where Enter does nothing keep that.
// Installed on the application object.
class ReturnPressesFocusedButton : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace ui
