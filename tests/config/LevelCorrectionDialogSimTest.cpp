// The manual level correction dialog against the simulated sensor.

#include <gtest/gtest.h>

#include "LevelCorrectionDialog.h"
#include "SimLine.h"
#include "TextInput.h"

namespace cfgtest {
namespace {

using dut::config::LevelCorrectionDialog;

const std::string kFullOk = "Максимальный уровень установлен!";
const std::string kFullFailed = "Сбой устаноки максимального уровня Попробуй еще раз.";
const std::string kEmptyOk = "Минимальный уровень установлен!";
const std::string kEmptyFailed = "Сбой устаноки минимального уровня! Попробуй еще раз.";
const std::string kWidenOk = "Расширенные границы уровней установлены!";
const std::string kWidenFailed = "Сбой установок. Попробуйте еще раз!";

std::string question(const std::string& max, const std::string& min) {
    return "ВНИМАНИЕ!\rГраница верхнего уровня будет изменена на " + max +
           " единиц.\rГраница нижнего уровня будет изменена на " + min + " единиц.\rПродолжаем ?";
}

class LevelDialogSimTest : public SimLineTest {
  protected:
    void SetUp() override {
        SimLineTest::SetUp();
        openConnectedLine();
        sensor.setParam(4, 3000);
        sensor.setParam(5, 200);
        mainValues.setLevelMax("3000");
        mainValues.setLevelMin("200");
    }

    void openWith(const std::string& max, const std::string& min) {
        dialog.open();
        dialogView.levelMax = max;
        dialogView.levelMin = min;
    }

    RecordingLevelView dialogView;
    dut::config::MainValues mainValues{view};
    LevelCorrectionDialog dialog{link, dialogView, mainValues, notifier};
};

TEST_F(LevelDialogSimTest, OpenCopiesTheMainWindowLevels) {
    mainValues.setLevelMax("$BB8");
    mainValues.setLevelMin("");
    dialog.open();
    EXPECT_EQ(dialogView.levelMax, "$BB8");
    EXPECT_EQ(dialogView.levelMin, "");
    EXPECT_TRUE(requests().empty());
}

TEST_F(LevelDialogSimTest, SetFullCopiesTheTextExactlyAsTypedOnSuccess) {
    openWith("$5DC", "200");
    dialog.Button2Click();
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 4, 1500}, {kRead, 4, 0}}));
    EXPECT_EQ(sensor.param(4), 1500);
    EXPECT_EQ(view.levelMax, "$5DC");
    EXPECT_EQ(view.levelMin, "200");
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kFullOk});
}

TEST_F(LevelDialogSimTest, SetEmptyWritesParameter5) {
    openWith("3000", "  150");
    dialog.Button3Click();
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 5, 150}, {kRead, 5, 0}}));
    EXPECT_EQ(view.levelMin, "  150");
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kEmptyOk});
}

TEST_F(LevelDialogSimTest, FailedSetLeavesTheMainWindowAlone) {
    openWith("1500", "100");
    port.drop(kWrite, 4);
    port.drop(kRead, 4);
    port.drop(kWrite, 5);
    port.drop(kRead, 5);
    dialog.Button2Click();
    dialog.Button3Click();
    EXPECT_EQ(view.levelMax, "3000");
    EXPECT_EQ(view.levelMin, "200");
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{kFullFailed, kEmptyFailed}));
    EXPECT_EQ(sensor.param(4), 3000);
}

TEST_F(LevelDialogSimTest, SetSucceedsWhenOnlyTheReadBackIsLost) {
    openWith("1500", "100");
    port.drop(kRead, 4);
    dialog.Button2Click();
    EXPECT_EQ(view.levelMax, "1500");
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kFullOk});
}

TEST_F(LevelDialogSimTest, TextThatIsNotANumberIsRefusedAndNothingWritten) {
    openWith("abc", "");
    EXPECT_THROW(dialog.Button2Click(), dut::ConversionError);
    EXPECT_THROW(dialog.Button3Click(), dut::ConversionError);
    EXPECT_THROW(dialog.Button1Click(), dut::ConversionError);
    dialogView.levelMax = "100";
    try {
        dialog.Button1Click();
        ADD_FAILURE() << "no conversion error";
    } catch (const dut::ConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "'' is not a valid integer value");
    }
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(notifier.questions.empty());
    EXPECT_EQ(view.levelMax, "3000");
    EXPECT_EQ(sensor.param(4), 3000);
}

TEST_F(LevelDialogSimTest, WideningAsksThenWritesBothLevelsInOrder) {
    openWith("100", "10");
    notifier.answers = {true};
    dialog.Button1Click();
    EXPECT_EQ(notifier.questions, std::vector<std::string>{question("104", "6")});
    const std::vector<Request> expected = {
        {kWrite, 4, 104}, {kRead, 4, 0}, {kWrite, 5, 6}, {kRead, 5, 0}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(dialogView.levelMax, "104");
    EXPECT_EQ(dialogView.levelMin, "6");
    EXPECT_EQ(view.levelMax, "104");
    EXPECT_EQ(view.levelMin, "6");
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kWidenOk});
}

TEST_F(LevelDialogSimTest, WideningSwappedLevelsMovesThemTogether) {
    openWith("10", "100");
    notifier.answers = {true};
    dialog.Button1Click();
    EXPECT_EQ(notifier.questions, std::vector<std::string>{question("6", "104")});
    EXPECT_EQ(sensor.param(4), 6);
    EXPECT_EQ(sensor.param(5), 104);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kWidenOk});
}

TEST_F(LevelDialogSimTest, WideningEqualLevelsWritesThemAgain) {
    openWith("50", "$32");
    notifier.answers = {true};
    dialog.Button1Click();
    EXPECT_EQ(notifier.questions, std::vector<std::string>{question("50", "50")});
    const std::vector<Request> expected = {
        {kWrite, 4, 50}, {kRead, 4, 0}, {kWrite, 5, 50}, {kRead, 5, 0}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(dialogView.levelMin, "50");
    EXPECT_EQ(view.levelMin, "50");
    // Its own question is the only one.
    EXPECT_TRUE(notifier.asked.empty());
}

// "Установить" of either level compares what is typed with the other level as the sensor
// holds it (the main window's, not the other box of the dialog).
TEST_F(LevelDialogSimTest, SettingFullNotAboveEmptyAsksFirst) {
    const std::string question =
        "ВНИМАНИЕ!\rПолный уровень 100 не выше пустого уровня 200.\rС такими уровнями у "
        "датчика не будет рабочего выхода.\rЗаписать ?";
    openWith("100", "50");
    dialog.Button2Click();
    EXPECT_EQ(notifier.asked, std::vector<std::string>{question});
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(view.levelMax, "3000");

    notifier.askAnswers = {true};
    dialog.Button2Click();
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 4, 100}, {kRead, 4, 0}}));
    EXPECT_EQ(view.levelMax, "100");

    // Empty set to the full level itself: asked as well; an ordinary empty level is not.
    sensor.clearRequests();
    notifier.asked.clear();
    openWith("100", "100");
    dialog.Button3Click();
    EXPECT_EQ(notifier.asked.size(), 1u);
    EXPECT_TRUE(requests().empty());
    openWith("100", "99");
    dialog.Button3Click();
    EXPECT_EQ(notifier.asked.size(), 1u);
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 5, 99}, {kRead, 5, 0}}));
}

TEST_F(LevelDialogSimTest, CancelledWideningChangesNothing) {
    openWith("100", "10");
    notifier.answers = {false};
    dialog.Button1Click();
    EXPECT_EQ(notifier.questions.size(), 1u);
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(dialogView.levelMax, "100");
    EXPECT_EQ(view.levelMax, "3000");
}

TEST_F(LevelDialogSimTest, WideningWithALostFullLevelUpdatesOnlyTheEmptyLevel) {
    openWith("100", "10");
    notifier.answers = {true};
    port.drop(kWrite, 4);
    port.drop(kRead, 4);
    dialog.Button1Click();
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 5, 6}, {kRead, 5, 0}}));
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kWidenFailed});
    EXPECT_EQ(dialogView.levelMax, "100");
    EXPECT_EQ(view.levelMax, "3000");
    EXPECT_EQ(dialogView.levelMin, "6");
    EXPECT_EQ(view.levelMin, "6");
}

TEST_F(LevelDialogSimTest, WideningWithARefusedEmptyLevelUpdatesOnlyTheFullLevel) {
    openWith("100", "10");
    notifier.answers = {true};
    port.alterAnswer(kRead, 5, 10);  // the sensor kept its old empty level
    dialog.Button1Click();
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kWidenFailed});
    EXPECT_EQ(dialogView.levelMax, "104");
    EXPECT_EQ(view.levelMax, "104");
    EXPECT_EQ(dialogView.levelMin, "10");
    EXPECT_EQ(view.levelMin, "200");
}

TEST_F(LevelDialogSimTest, WideningOutsideThe32BitRangeIsRefusedBeforeAnything) {
    openWith("2147483647", "0");
    notifier.answers = {true};
    dialog.Button1Click();
    EXPECT_TRUE(notifier.questions.empty());
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kWidenFailed});
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(dialogView.levelMax, "2147483647");
    EXPECT_EQ(view.levelMax, "3000");
}

TEST_F(LevelDialogSimTest, WideningALargeDistanceDoesNotWrap) {
    openWith("1500000000", "-1500000000");
    notifier.answers = {false};
    dialog.Button1Click();
    EXPECT_EQ(notifier.questions, std::vector<std::string>{question("1650000000", "-1650000000")});
}

}  // namespace
}  // namespace cfgtest
