#include "ReturnKey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace ui {

bool ReturnPressesFocusedButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (key->modifiers() & ~Qt::KeypadModifier) return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !button->hasFocus() || button->autoDefault() || button->isDefault()) {
        return false;
    }
    // Held down, the key presses once, as Space does.
    if (!key->isAutoRepeat() && button->isEnabled()) button->click();
    return true;
}

}  // namespace ui
