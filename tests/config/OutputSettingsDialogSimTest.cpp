// The output settings dialog against the simulated sensor.

#include <gtest/gtest.h>

#include "OutputSettingsDialog.h"
#include "SimLine.h"

namespace cfgtest {
namespace {

using dut::config::OutputSettingsDialog;

class OutputDialogSimTest : public SimLineTest {
  protected:
    void SetUp() override {
        SimLineTest::SetUp();
        openConnectedLine();
        sensor.setParam(8, 100);
        sensor.setParam(9, 0);
    }

    RecordingOutputView dialogView;
    OutputSettingsDialog dialog{link, dialogView};
};

TEST_F(OutputDialogSimTest, ShowReadsBothSettingsAndWritesNothing) {
    sensor.setParam(8, 200);
    sensor.setParam(9, 120);
    dialog.FormShow();
    EXPECT_EQ(requests(), (std::vector<Request>{{kRead, 8, 1}, {kRead, 9, 1}}));
    EXPECT_EQ(dialogView.resolutionEnabled, std::optional<bool>(true));
    EXPECT_EQ(dialogView.resolutionIndex, 1);
    EXPECT_EQ(dialogView.intervalEnabled, std::optional<bool>(true));
    EXPECT_EQ(dialogView.intervalIndex, 7);  // "2 мин"
    EXPECT_EQ(dialogView.raises, 0);
}

TEST_F(OutputDialogSimTest, ResolutionIsEnabledOnlyFor100Or200) {
    const std::vector<std::pair<std::int32_t, bool>> cases = {
        {100, true}, {200, true}, {150, false}, {0, false}, {101, false}, {199, false}};
    for (const auto& [value, enabled] : cases) {
        SCOPED_TRACE(value);
        sensor.setParam(8, value);
        dialogView.resolutionIndex = 1;
        dialogView.resolutionSelections = 0;
        dialog.FormShow();
        EXPECT_EQ(dialogView.resolutionEnabled, std::optional<bool>(enabled));
        EXPECT_EQ(dialogView.resolutionSelections, enabled ? 1 : 0);
        EXPECT_EQ(dialogView.resolutionIndex, value == 100 ? 0 : 1);
    }
}

TEST_F(OutputDialogSimTest, OnlyIntervalsInSecondsAreRecognised) {
    const std::vector<std::pair<std::int32_t, int>> recognised = {
        {10, 1}, {20, 2},  {30, 3},  {40, 4},  {50, 5},
        {60, 6}, {120, 7}, {180, 8}, {240, 9}, {300, 10}};
    for (const auto& [seconds, index] : recognised) {
        sensor.setParam(9, seconds);
        dialogView.intervalIndex = 0;
        dialog.FormShow();
        EXPECT_EQ(dialogView.intervalIndex, index) << seconds;
    }
    // The written code of "10 сек", zero and strays keep the previous choice.
    for (const std::int32_t value : {2, 0, 24, 15, 301}) {
        sensor.setParam(9, value);
        dialogView.intervalIndex = 4;
        dialogView.intervalSelections = 0;
        dialog.FormShow();
        EXPECT_EQ(dialogView.intervalIndex, 4) << value;
        EXPECT_EQ(dialogView.intervalSelections, 0) << value;
        EXPECT_EQ(dialogView.intervalEnabled, std::optional<bool>(true)) << value;
    }
    for (const auto& request : requests()) EXPECT_EQ(request.operation, kRead);
}

TEST_F(OutputDialogSimTest, WithoutALinkBothListsAreDisabled) {
    serial.close();
    dialog.FormShow();
    EXPECT_EQ(dialogView.resolutionEnabled, std::optional<bool>(false));
    EXPECT_EQ(dialogView.intervalEnabled, std::optional<bool>(false));
    EXPECT_EQ(dialogView.resolutionSelections, 0);
    EXPECT_EQ(dialogView.intervalSelections, 0);
}

TEST_F(OutputDialogSimTest, ResolutionChoiceWrites100Or200AndRaises) {
    dialog.ComboBox1Change(1);
    EXPECT_EQ(sensor.param(8), 200);
    dialog.ComboBox1Change(0);
    EXPECT_EQ(sensor.param(8), 100);
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 8, 200}, {kWrite, 8, 100}}));
    EXPECT_EQ(dialogView.raises, 2);
}

TEST_F(OutputDialogSimTest, IntervalChoiceWritesItsCodeWithoutReadBack) {
    dialog.ComboBox2Change(7);  // "2 мин"
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 9, 24}}));
    EXPECT_EQ(dialogView.raises, 1);

    const std::vector<std::int32_t> codes = {0, 2, 4, 6, 8, 10, 12, 24, 36, 48, 60};
    for (int index = 0; index < static_cast<int>(codes.size()); ++index) {
        dialog.ComboBox2Change(index);
        const auto sent = requests();
        ASSERT_FALSE(sent.empty());
        // What the wire carries; the sensor itself reports the interval in seconds.
        EXPECT_EQ(sent.back(), (Request{kWrite, 9, codes[static_cast<std::size_t>(index)]}))
            << index;
    }
    EXPECT_EQ(requests().size(), 1u + codes.size());
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(OutputDialogSimTest, IndexOutsideTheListsWritesNothing) {
    dialog.ComboBox1Change(-1);
    dialog.ComboBox1Change(2);
    dialog.ComboBox2Change(-1);
    dialog.ComboBox2Change(11);
    EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace cfgtest
