#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

namespace ui {

// The outcome box of every command: modal, centred on the screen, application title,
// no icon, word-wrapped text and one "OK" that Enter, Space and Escape all press.
void showMessage(QWidget* parent, const QString& text);

// The confirmation box: title "Warning", warning icon, "OK" (default) and "Cancel"
// (Escape), centred on the screen. True when the user chose OK.
bool confirmWarning(QWidget* parent, const QString& text);

// The question box: application title, warning icon, "Да" and "Нет"; "Нет" is the default and
// what Escape or closing the box answers. True only for "Да".
bool askYesNo(QWidget* parent, const QString& text);

// Runs a built box modally and returns the button pressed (QMessageBox::StandardButton).
// Every box of the application goes through here.
int execMessageBox(QMessageBox& box);

// Tests replace the modal loop with a function that inspects the box and answers with a
// QMessageBox::StandardButton; an empty function restores the real loop. The hook sees the
// text as the box shows it, with "\n" line breaks.
using MessageBoxHook = std::function<int(QMessageBox& box)>;
void setMessageBoxHook(MessageBoxHook hook);

}  // namespace ui
