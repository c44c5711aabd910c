#include <gtest/gtest.h>

#include "Application.h"

int main(int argc, char** argv) {
    // Widget tests need no screen; the density test sets its own platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    ui::fixPixelScale();
    ui::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
