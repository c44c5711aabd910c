// Ending the program: runs the application's event loop to its end, so it has a process
// of its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "MainControls.h"
#include "Windows.h"

namespace {

TEST(Startup, ClosingTheMainWindowEndsTheLoopWithCodeZero) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    w.form1->show();
    bool closedWithHelpOpen = false;
    QTimer::singleShot(0, [&] {
        testsupport::MainControls(*w.form1).Button8->click();  // the hot-key help stays open ...
        closedWithHelpOpen = w.form5->isVisible();
        w.form1->close();  // ... and does not keep the program alive
    });
    // Bounded: should the close not end the loop, this ends it with another code.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    guard.start(30000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    guard.stop();
    EXPECT_TRUE(closedWithHelpOpen);
}

}  // namespace
