// Run by run-xvfb-dpi-test.sh on an X server whose Xft.dpi is 144: the main window keeps
// its pixel sizes and font heights, and only the output settings dialog follows the density.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "MainControls.h"
#include "MainWindowLayout.h"
#include "Windows.h"

namespace {

TEST(HighDensity, ScreenReallyClaims144Dpi) {
    // Without this the other checks would prove nothing.
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    EXPECT_DOUBLE_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), 144.0);
    EXPECT_DOUBLE_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);
}

TEST(HighDensity, MainWindowKeepsItsPixelSizes) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm1& f = *w.form1;
    const testsupport::MainControls mc{f};
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_DOUBLE_EQ(f.devicePixelRatioF(), 1.0);
    EXPECT_EQ(f.grab().size(), f.size());  // one device pixel per layout pixel
    EXPECT_EQ(mc.Content->size(), QSize(761, 554));
    for (const ControlLayout& c : mainWindowLayout()) {
        EXPECT_EQ(c.get(f)->geometry(), c.geometry()) << c.name;
    }
    const struct {
        QWidget* w;
        int pixels;
    } fonts[] = {{mc.Label3, 11},  {mc.Button2, 11}, {mc.LLS_ADRESS, 11},       {mc.LEVELMIN, 11},
                 {mc.Label13, 13}, {mc.Label4, 13},  {mc.ConnectStatusText, 13}};
    for (const auto& c : fonts) {
        EXPECT_EQ(QFontInfo(c.w->font()).pixelSize(), c.pixels) << qPrintable(c.w->objectName());
        // A point-sized font would have grown by half at this density.
        EXPECT_LE(QFontMetrics(c.w->font()).height(), c.pixels + 6)
            << qPrintable(c.w->objectName());
    }
    EXPECT_EQ(w.form3->size(), QSize(511, 444));
    EXPECT_EQ(w.form5->size(), QSize(622, 247));
}

TEST(HighDensity, OutputSettingsDialogScalesByHalf) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    EXPECT_DOUBLE_EQ(w.form6->scale(), 1.5);
    EXPECT_EQ(w.form6->ComboBox1->pos(), QPoint(228, 18));
    EXPECT_EQ(w.form6->ComboBox1->width(), 218);            // 145 * 1.5, rounded
    EXPECT_EQ(QFontInfo(w.form6->font()).pixelSize(), 17);  // 11 * 1.5, rounded
    EXPECT_EQ(w.form6->size(), QSize(731, 525));
}

}  // namespace
