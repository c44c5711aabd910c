#pragma once

// The whole program as main() builds it, for fixtures that drive it through its main window.

#include <gtest/gtest.h>

#include <QTest>
#include <functional>
#include <memory>

#include "MainControls.h"
#include "Windows.h"

namespace testsupport {

class RunningProgram {
  protected:
    // Builds the program afresh and shows its main window; `beforeShow` runs in between.
    void startProgram(const std::function<void()>& beforeShow = {}) {
        program = std::make_unique<ui::Startup>();
        if (beforeShow) beforeShow();
        program->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f()));
    }

    TForm1& f() { return program->mainWindow(); }
    // Found afresh each time: a test may start the program again.
    MainControls c() { return MainControls(f()); }

    std::unique_ptr<ui::Startup> program;
};

}  // namespace testsupport
