#pragma once

#include <QImage>

namespace artwork {

// Each picture is drawn on a 100 x 100 canvas scaled to the requested size, on a
// transparent background.
QImage stepConnect(int size);  // step 1: USB to RS-485 adapter with its plug
QImage stepAddress(int size);  // step 2: address tag on a network line
QImage stepTank(int size);     // step 3: tank with full and empty marks
QImage stepGauge(int size);    // step 4: level gauge
QImage aboutProbe(int size);   // about window: the sensor probe
QImage hotKey(int size);       // hot-key help: a keyboard key
QImage busMonitor(int size);   // monitor: packets on a bus and a level trace
QImage appIcon(int size);      // the application: a probe standing in fuel

}  // namespace artwork
