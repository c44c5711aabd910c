#pragma once

#include <QRect>

class QWidget;

namespace ui {

// Where a window of the given outer rectangle (frame included) goes on a screen whose
// available area is `available`: where it is if it fits, moved inside where it runs past an
// edge, and smaller only where the area itself is smaller than the window.
QRect fitOuterRect(const QRect& outer, const QRect& available);

// Sets the size a window has with its frame at every opening. The frame is only known once a
// window manager has mapped the window, so before that the frame of another window already
// on the screen (the same window manager draws them all) stands in for it, and the client
// size is corrected again once the window's own frame is known. A window with a parent is
// kept transient for the parent's window, so the pair shares one taskbar entry and a modal
// one cannot fall behind.
void setOuterSize(QWidget* window, int w, int h);

// As setOuterSize, and the window opens at its designed place (x, y of the frame's top left
// corner) fitted into the available area of the screen, as fitOuterRect does.
void setOuterPlace(QWidget* window, int x, int y, int w, int h);

}  // namespace ui
