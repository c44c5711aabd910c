#include <gtest/gtest.h>

#include "GlobalHotKeys.h"

namespace {

QString s(const char* text) {
    return QString::fromLatin1(text);
}

// The portal is asked wherever X11 grabs would miss keys that go to native Wayland windows.
TEST(HotKeyBackendChoice, ANativeWaylandClientUsesThePortalWhateverTheSessionSays) {
    EXPECT_TRUE(GlobalHotKeys::runsOnWayland(s("wayland"), s("wayland")));
    EXPECT_TRUE(GlobalHotKeys::runsOnWayland(s("wayland"), QString()));
    EXPECT_TRUE(GlobalHotKeys::runsOnWayland(s("wayland-egl"), s("x11")));
}

TEST(HotKeyBackendChoice, AnX11ClientUsesThePortalOnlyInAWaylandSession) {
    EXPECT_TRUE(GlobalHotKeys::runsOnWayland(s("xcb"), s("wayland")));
    EXPECT_FALSE(GlobalHotKeys::runsOnWayland(s("xcb"), s("x11")));
    EXPECT_FALSE(GlobalHotKeys::runsOnWayland(s("xcb"), QString()));
    EXPECT_FALSE(GlobalHotKeys::runsOnWayland(s("xcb"), s("tty")));
}

TEST(HotKeyBackendChoice, PlatformsWithoutADesktopNeverAskThePortal) {
    EXPECT_FALSE(GlobalHotKeys::runsOnWayland(s("offscreen"), s("wayland")));
    EXPECT_FALSE(GlobalHotKeys::runsOnWayland(s("minimal"), s("wayland")));
    EXPECT_FALSE(GlobalHotKeys::runsOnWayland(s("waylandish"), s("x11")));
}

}  // namespace
