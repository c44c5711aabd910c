#pragma once

namespace ui {

// SIGTERM (a desktop session that ends, a service manager), SIGINT and SIGHUP end the
// program through the event loop, as closing the main window does: the windows are
// destroyed in order, so the port is closed and the desktop portal's session with it.
// Call once, after the application object exists. Does nothing on Windows.
void quitOnTerminationSignals();

}  // namespace ui
