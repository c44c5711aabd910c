// The output settings window (TForm6): what each showing reads and selects, and what the
// user's choices write, against the simulated sensor through the application's serial port.

#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "AppContext.h"
#include "FastSensor.h"
#include "MainControls.h"
#include "PtySensor.h"
#include "SensorRequests.h"
#include "TForm1.h"
#include "TForm6.h"
#include "TestSupport.h"
#include "Windows.h"

namespace {

using testsupport::kRead;
using testsupport::kWrite;
using testsupport::Request;

// What every showing asks: resolution, then interval, each with value field 1.
const std::vector<Request> kShowReads{{kRead, 8, 1}, {kRead, 9, 1}};

class OutputSettingsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sensor = std::make_unique<sim::PtySensor>(testsupport::fastSensorOptions());
        ASSERT_TRUE(sensor->start());
        sensor->freezeRaw(true);
        sensor->setParam(8, 100);
        sensor->setParam(9, 0);
        ASSERT_TRUE(context.port.open(sensor->devicePath()));
        testsupport::MainControls(main).Timer2->stop();
        form6 = main.form6();
    }

    void TearDown() override {
        form6->hide();
        context.port.close();
        sensor->stop();
    }

    // One showing of the dialog, from hidden to visible and back.
    void showOnce() {
        form6->show();
        form6->hide();
    }

    std::vector<Request> requests() const { return testsupport::requestsSeenBy(*sensor); }

    std::unique_ptr<sim::PtySensor> sensor;
    ui::AppContext context;
    TForm1 main{context};
    TForm6* form6 = nullptr;
};

TEST_F(OutputSettingsWindowTest, EveryShowingReadsBothSettingsAndWritesNothing) {
    sensor->setParam(8, 200);
    sensor->setParam(9, 120);
    showOnce();
    EXPECT_EQ(requests(), kShowReads);
    EXPECT_TRUE(form6->ComboBox1->isEnabled());
    EXPECT_EQ(form6->ComboBox1->currentText(), QStringLiteral("10 Бит (0..1023)"));
    EXPECT_TRUE(form6->ComboBox2->isEnabled());
    EXPECT_EQ(form6->ComboBox2->currentText(), QStringLiteral("2 мин"));

    // The selections just made from the sensor are not taken for the user's.
    sensor->clearRequests();
    sensor->setParam(8, 100);
    sensor->setParam(9, 10);
    showOnce();
    EXPECT_EQ(requests(), kShowReads);
    EXPECT_EQ(form6->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form6->ComboBox2->currentText(), QStringLiteral("10 сек"));
    EXPECT_EQ(sensor->param(8), 100);
    EXPECT_EQ(sensor->param(9), 10);
}

TEST_F(OutputSettingsWindowTest, UnknownResolution150DisablesTheResolutionList) {
    sensor->setParam(8, 150);
    showOnce();
    EXPECT_FALSE(form6->ComboBox1->isEnabled());
    EXPECT_EQ(form6->ComboBox1->currentIndex(), 0) << "the selection stays as it was";
    EXPECT_TRUE(form6->ComboBox2->isEnabled());
    EXPECT_EQ(requests(), kShowReads);

    sensor->setParam(8, 200);
    showOnce();
    EXPECT_TRUE(form6->ComboBox1->isEnabled()) << "a recognised resolution enables it again";
    EXPECT_EQ(form6->ComboBox1->currentIndex(), 1);
}

TEST_F(OutputSettingsWindowTest, PeriodCode2KeepsThePreviousIntervalSelection) {
    sensor->setParam(9, 30);
    showOnce();
    ASSERT_EQ(form6->ComboBox2->currentText(), QStringLiteral("30 сек"));

    // 2 is what "10 сек" writes, but a read is only understood in seconds.
    sensor->setParam(9, 2);
    showOnce();
    EXPECT_TRUE(form6->ComboBox2->isEnabled());
    EXPECT_EQ(form6->ComboBox2->currentText(), QStringLiteral("30 сек"));

    sensor->setParam(9, 0);
    showOnce();
    EXPECT_EQ(form6->ComboBox2->currentText(), QStringLiteral("30 сек")) << "0 is not recognised";

    sensor->setParam(9, 300);
    showOnce();
    EXPECT_EQ(form6->ComboBox2->currentText(), QStringLiteral("5 мин"));
}

TEST_F(OutputSettingsWindowTest, WithoutALineBothListsAreDisabledAndNothingIsSent) {
    context.port.close();
    showOnce();
    EXPECT_FALSE(form6->ComboBox1->isEnabled());
    EXPECT_FALSE(form6->ComboBox2->isEnabled());
    EXPECT_TRUE(sensor->requests().empty());
}

TEST_F(OutputSettingsWindowTest, ChoosingTwoMinutesWritesCode24Once) {
    sensor->setParam(9, 60);
    form6->show();
    ASSERT_EQ(form6->ComboBox2->currentText(), QStringLiteral("1 мин"));
    sensor->clearRequests();

    // The next item by keyboard, as the user picks it.
    QTest::keyClick(form6->ComboBox2, Qt::Key_Down);
    ASSERT_EQ(form6->ComboBox2->currentText(), QStringLiteral("2 мин"));
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 9, 24}}));
    // The simulated sensor keeps the interval in seconds, as the showing reads it.
    EXPECT_EQ(sensor->param(9), 120);
    EXPECT_TRUE(form6->isVisible());
}

TEST_F(OutputSettingsWindowTest, EveryIntervalItemWritesItsCode) {
    form6->show();
    sensor->clearRequests();
    const std::int32_t codes[] = {0, 2, 4, 6, 8, 10, 12, 24, 36, 48, 60};
    ASSERT_EQ(form6->ComboBox2->count(), int(std::size(codes)));
    std::vector<Request> expected;
    // From the item after the one shown round to it: choosing the item shown writes nothing.
    const int count = form6->ComboBox2->count();
    const int shown = form6->ComboBox2->currentIndex();
    for (int step = 1; step <= count; ++step) {
        const int item = (shown + step) % count;
        // What a choice in the open list delivers.
        form6->ComboBox2->setCurrentIndex(item);
        emit form6->ComboBox2->activated(item);
        expected.push_back({kWrite, 9, codes[item]});
    }
    EXPECT_EQ(requests(), expected);
}

TEST_F(OutputSettingsWindowTest, ChoosingAResolutionWrites100Or200) {
    sensor->setParam(8, 100);
    form6->show();
    sensor->clearRequests();
    QTest::keyClick(form6->ComboBox1, Qt::Key_Down);
    EXPECT_EQ(form6->ComboBox1->currentIndex(), 1);
    QTest::keyClick(form6->ComboBox1, Qt::Key_Up);
    EXPECT_EQ(form6->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 8, 200}, {kWrite, 8, 100}}));
    EXPECT_EQ(sensor->param(8), 100);
}

TEST_F(OutputSettingsWindowTest, Button9OpensTheDialogModallyAfterReading) {
    sensor->setParam(8, 200);
    sensor->setParam(9, 40);
    bool seen = false;
    bool modal = false;
    QString interval;
    std::size_t requestsWhenShown = 0;
    testsupport::whenModal(
        [&](QWidget* window) {
            modal = window == form6;
            interval = form6->ComboBox2->currentText();
            requestsWhenShown = sensor->requests().size();
        },
        &seen);
    testsupport::MainControls(main).Button9->click();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(modal);
    EXPECT_EQ(interval, QStringLiteral("40 сек"));
    EXPECT_EQ(requestsWhenShown, kShowReads.size());
    EXPECT_EQ(requests(), kShowReads);
}

TEST_F(OutputSettingsWindowTest, TheProgramsDialogReadsThroughTheSharedLink) {
    context.port.close();
    ui::Startup program;
    ASSERT_TRUE(program.context().port.open(sensor->devicePath()));
    testsupport::MainControls(program.mainWindow()).Timer2->stop();
    sensor->setParam(8, 200);
    sensor->setParam(9, 180);
    TForm6* dialog = program.windows().form6;
    dialog->show();
    dialog->hide();
    program.context().port.close();
    EXPECT_EQ(requests(), kShowReads);
    EXPECT_EQ(dialog->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(dialog->ComboBox2->currentText(), QStringLiteral("3 мин"));
}

}  // namespace
