#pragma once

#include <QRect>
#include <vector>

namespace ui {

// Where each control of the main window stands, in the client area or, for the controls of
// a step's heading panel, inside that panel. The window is drawn from this table alone.
struct ControlPlace {
    const char* name;
    QRect geometry;
};

// Every placed control of the main window, in the order it is drawn.
const std::vector<ControlPlace>& mainWindowPlaces();

// The place of the named control; a name the table lacks is a fault of the program.
QRect mainWindowPlace(const char* name);

}  // namespace ui
