#pragma once

#include <functional>

namespace ui {

// SIGTERM (a desktop session that ends, a service manager), SIGINT and SIGHUP end the
// program at any moment. Installed as the very first thing main does: until the windows
// exist there is nothing to close or give back, and a signal ends the process at once with
// 128 + its number. Also ignores SIGPIPE, so that a reader of the exchange log that goes away
// ends the log and not the program. Does nothing on Windows.
void installTerminationSignals();

// Once the windows exist: from now on every such signal calls `end` from the event loop, the
// main loop or a nested one (an exchange, a box), as often as signals come. `end` asks the
// program to close as the main window's close box does, so the windows are destroyed in
// order, the port is closed and the desktop portal's session with it.
void endThroughEventLoop(std::function<void()> end);

}  // namespace ui
