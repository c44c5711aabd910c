#include "QtNotifier.h"

#include <QString>

#include "MessageBox.h"
#include "Translated.h"

namespace ui {

void QtNotifier::showMessage(const std::string& text) {
    ui::showMessage(parent_, translatedCore(text));
}

bool QtNotifier::confirm(const std::string& text) {
    return ui::confirmWarning(parent_, translatedCore(text));
}

bool QtNotifier::ask(const std::string& text) {
    return ui::askYesNo(parent_, translatedCore(text));
}

}  // namespace ui
