#pragma once

// The message boxes a test meets: a hook in place of their modal loop, and what a test keeps
// of each box it saw.

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <vector>

#include "MessageBox.h"

namespace testsupport {

// Replaces the modal loop of every message box for the life of the object.
class BoxHook {
  public:
    explicit BoxHook(ui::MessageBoxHook hook) { ui::setMessageBoxHook(std::move(hook)); }
    ~BoxHook() { ui::setMessageBoxHook({}); }
    BoxHook(const BoxHook&) = delete;
    BoxHook& operator=(const BoxHook&) = delete;
};

// The text a message box shows, every line break a "\n": compare it with ui::displayText of
// the text the program passed. Empty for a window that is no message box.
inline QString boxText(const QWidget* window) {
    const auto* box = qobject_cast<const QMessageBox*>(window);
    return box ? box->text() : QString();
}

// One box as the user saw it.
struct RecordedBox {
    QString title;
    QString text;  // as shown, see boxText
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;

    static RecordedBox of(const QMessageBox& box) {
        RecordedBox seen{box.windowTitle(), boxText(&box), box.icon(), {}, {}, {}};
        for (QAbstractButton* b : box.buttons()) seen.buttons.push_back(box.standardButton(b));
        if (box.defaultButton()) seen.defaultButton = box.standardButton(box.defaultButton());
        if (box.escapeButton()) seen.escapeButton = box.standardButton(box.escapeButton());
        return seen;
    }
};

// A hook that records every box into `boxes` and answers with `answer` where the box offers
// it, else with its first button.
inline ui::MessageBoxHook recordInto(std::vector<RecordedBox>& boxes,
                                     QMessageBox::StandardButton answer = QMessageBox::Ok) {
    return [&boxes, answer](QMessageBox& box) {
        boxes.push_back(RecordedBox::of(box));
        if (box.button(answer)) return int(answer);
        const auto& buttons = boxes.back().buttons;
        return int(buttons.empty() ? QMessageBox::NoButton : buttons.front());
    };
}

}  // namespace testsupport
