#include "QtNotifier.h"

#include <QString>

#include "MessageBox.h"

namespace ui {

void QtNotifier::showMessage(const std::string& text) {
    ui::showMessage(parent_, QString::fromStdString(text));
}

bool QtNotifier::confirm(const std::string& text) {
    return ui::confirmWarning(parent_, QString::fromStdString(text));
}

}  // namespace ui
