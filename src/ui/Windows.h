#pragma once

#include <memory>
#include <string>

#include "AppContext.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm5.h"
#include "TForm6.h"

namespace ui {

// The six windows of the application. The main window owns the others, so they have no
// taskbar entries of their own and go when it goes.
struct Windows {
    std::unique_ptr<TForm1> form1;
    TForm2* form2 = nullptr;
    TForm3* form3 = nullptr;
    TForm4* form4 = nullptr;
    TForm5* form5 = nullptr;
    TForm6* form6 = nullptr;
};

// Creates all six, hidden, in their fixed order TForm1 .. TForm6 (the main window makes the
// others), over the given link. The context must outlive the windows.
Windows createWindows(AppContext& context);

}  // namespace ui

namespace ui {

// What main builds once the application object exists: the process-wide link and the six
// windows over it. The end-to-end test builds the program through the same object.
class Startup {
  public:
    Startup();
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    // Shows the main window (the others stay hidden until opened from it).
    void show();

    // Puts the name into the main window's port box and connects as picking it there does;
    // the port given on the command line.
    void choosePort(const std::string& name);

    AppContext& context() { return context_; }
    Windows& windows() { return windows_; }
    TForm1& mainWindow() { return *windows_.form1; }

  private:
    AppContext context_;  // declared first: outlives the windows that refer to it
    Windows windows_;
};

}  // namespace ui
