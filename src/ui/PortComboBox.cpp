#include "PortComboBox.h"

#include <QKeyEvent>
#include <QTimer>
#include <QWheelEvent>

namespace ui {

namespace {

bool stepsThroughItems(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

}  // namespace

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, qOverload<int>(&QComboBox::activated), this, [this] {
        if (choosing_) emit picked();
    });
}

void PortComboBox::showPopup() {
    // The line edit gives up the focus to the list here; that is not a choice.
    choosing_ = false;
    emit dropDown();
    QComboBox::showPopup();
}

void PortComboBox::hidePopup() {
    // The open list hides itself first and then reports the item clicked or entered, within
    // the same event; Escape or a click elsewhere reports none. The window closes with the
    // event, so nothing typed later can slip in.
    choosing_ = true;
    QComboBox::hidePopup();
    QTimer::singleShot(0, this, [this] { choosing_ = false; });
}

void PortComboBox::keyPressEvent(QKeyEvent* event) {
    // Alt with an arrow opens the list instead.
    if (!stepsThroughItems(event->key()) || (event->modifiers() & Qt::AltModifier)) {
        QComboBox::keyPressEvent(event);
        return;
    }
    choosing_ = true;
    QComboBox::keyPressEvent(event);
    choosing_ = false;
}

void PortComboBox::wheelEvent(QWheelEvent* event) {
    choosing_ = true;
    QComboBox::wheelEvent(event);
    choosing_ = false;
}

}  // namespace ui
