// The manual level correction window (TForm2) driven through its buttons, writing to the
// simulated sensor through the application's own serial port.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <string>
#include <vector>

#include "AppContext.h"
#include "Application.h"
#include "BoxHook.h"
#include "FastSensor.h"
#include "MainControls.h"
#include "PtySensor.h"
#include "SensorRequests.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestSupport.h"
#include "UiStyle.h"
#include "Windows.h"

namespace {

const QString kFullOk = QStringLiteral("Максимальный уровень установлен!");
const QString kFullFailed = QStringLiteral("Сбой устаноки максимального уровня Попробуй еще раз.");
const QString kEmptyOk = QStringLiteral("Минимальный уровень установлен!");
const QString kWidenOk = QStringLiteral("Расширенные границы уровней установлены!");
const QString kWidenFailed = QStringLiteral("Сбой установок. Попробуйте еще раз!");

QString widenQuestion(const QString& max, const QString& min) {
    return QStringLiteral("ВНИМАНИЕ!\rГраница верхнего уровня будет изменена на ") + max +
           QStringLiteral(" единиц.\rГраница нижнего уровня будет изменена на ") + min +
           QStringLiteral(" единиц.\rПродолжаем ?");
}

using testsupport::kRead;
using testsupport::kWrite;
using testsupport::Request;

class LevelCorrectionWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sensor = std::make_unique<sim::PtySensor>(testsupport::fastSensorOptions());
        ASSERT_TRUE(sensor->start());
        sensor->freezeRaw(true);
        sensor->setParam(4, 3000);
        sensor->setParam(5, 200);
        // The tests drive the dialog alone: no polling in between.
        testsupport::MainControls(main).Timer2->stop();
        // The main window's levels come from the sensor, as in the program: connected.
        main.choosePort(QString::fromStdString(sensor->devicePath()));
        ASSERT_EQ(levelMaxShown(), "3000");
        ASSERT_EQ(levelMinShown(), "200");
        sensor->clearRequests();
        form2 = main.form2();
    }

    std::string levelMaxShown() const {
        return testsupport::MainControls(main).LEVELMAX->text().toStdString();
    }
    std::string levelMinShown() const {
        return testsupport::MainControls(main).LEVELMIN->text().toStdString();
    }

    void TearDown() override {
        form2->hide();
        context.port.close();
        sensor->stop();
    }

    // Shows the dialog without a modal loop, with the given texts typed into its boxes.
    void showWith(const QString& max, const QString& min) {
        form2->show();
        form2->LEVELMAX->setText(max);
        form2->LEVELMIN->setText(min);
    }

    // Presses a button as the user does, so an error escaping the handler takes the same
    // road through the application object as in the running program.
    void press(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Every box answers with `answer` when it offers it, else with its only button.
    testsupport::BoxHook recordBoxes(QMessageBox::StandardButton answer = QMessageBox::Ok) {
        return testsupport::BoxHook(testsupport::recordInto(boxes, answer));
    }

    std::vector<Request> requests() const { return testsupport::requestsSeenBy(*sensor); }

    std::unique_ptr<sim::PtySensor> sensor;
    ui::AppContext context;
    TForm1 main{context};
    TForm2* form2 = nullptr;
    std::vector<testsupport::RecordedBox> boxes;
};

TEST_F(LevelCorrectionWindowTest, Button6OpensTheDialogModallyWithTheMainWindowsLevels) {
    form2->LEVELMAX->setText(QStringLiteral("stale"));
    bool seen = false;
    QString max, min;
    bool modal = false;
    testsupport::whenModal(
        [&](QWidget* window) {
            modal = window == form2;
            max = form2->LEVELMAX->text();
            min = form2->LEVELMIN->text();
        },
        &seen);
    testsupport::MainControls(main).Button6->click();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(modal);
    EXPECT_EQ(max, QStringLiteral("3000"));
    EXPECT_EQ(min, QStringLiteral("200"));
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(sensor->requests().empty()) << "opening the dialog talks to nobody";
}

TEST_F(LevelCorrectionWindowTest, SetFullWritesVerifiesAndCopiesTheTextAsTyped) {
    const auto hook = recordBoxes();
    showWith(QStringLiteral("$5DC"), QStringLiteral("200"));
    press(form2->Button2);

    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 4, 1500}, {kRead, 4, 0}}));
    EXPECT_EQ(sensor->param(4), 1500);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(kFullOk));
    EXPECT_EQ(boxes[0].title, ui::applicationTitle());
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes[0].buttons, std::vector<QMessageBox::StandardButton>{QMessageBox::Ok});
    EXPECT_EQ(levelMaxShown(), "$5DC");
    EXPECT_EQ(levelMinShown(), "200");
    EXPECT_EQ(form2->LEVELMAX->text(), QStringLiteral("$5DC"));
}

TEST_F(LevelCorrectionWindowTest, SetEmptyWritesParameter5) {
    const auto hook = recordBoxes();
    showWith(QStringLiteral("3000"), QStringLiteral("  150"));
    press(form2->Button3);

    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 5, 150}, {kRead, 5, 0}}));
    EXPECT_EQ(sensor->param(5), 150);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(kEmptyOk));
    EXPECT_EQ(levelMinShown(), "  150");
    EXPECT_EQ(levelMaxShown(), "3000");
}

TEST_F(LevelCorrectionWindowTest, SetFullWithoutALineFailsAndLeavesTheMainWindowAlone) {
    context.port.close();
    const auto hook = recordBoxes();
    showWith(QStringLiteral("1500"), QStringLiteral("100"));
    press(form2->Button2);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(kFullFailed));
    EXPECT_EQ(levelMaxShown(), "3000");
    EXPECT_EQ(form2->LEVELMAX->text(), QStringLiteral("1500"));
    EXPECT_EQ(sensor->param(4), 3000);
}

TEST_F(LevelCorrectionWindowTest, WidenAsksFirstThenWritesBothRoundedLevels) {
    const auto hook = recordBoxes(QMessageBox::Ok);
    showWith(QStringLiteral("100"), QStringLiteral("10"));
    press(form2->Button1);

    // 100 + 4.5 and 10 - 4.5: both halves go to the even neighbour.
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Warning"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes[0].text,
              ui::displayText(widenQuestion(QStringLiteral("104"), QStringLiteral("6"))));
    EXPECT_EQ(boxes[0].buttons,
              (std::vector<QMessageBox::StandardButton>{QMessageBox::Ok, QMessageBox::Cancel}));
    EXPECT_EQ(boxes[0].defaultButton, QMessageBox::Ok);
    EXPECT_EQ(boxes[0].escapeButton, QMessageBox::Cancel);
    EXPECT_EQ(boxes[1].text, ui::displayText(kWidenOk));
    EXPECT_EQ(boxes[1].title, ui::applicationTitle());

    EXPECT_EQ(requests(), (std::vector<Request>{
                              {kWrite, 4, 104}, {kRead, 4, 0}, {kWrite, 5, 6}, {kRead, 5, 0}}));
    EXPECT_EQ(sensor->param(4), 104);
    EXPECT_EQ(sensor->param(5), 6);
    EXPECT_EQ(form2->LEVELMAX->text(), QStringLiteral("104"));
    EXPECT_EQ(form2->LEVELMIN->text(), QStringLiteral("6"));
    EXPECT_EQ(levelMaxShown(), "104");
    EXPECT_EQ(levelMinShown(), "6");
}

TEST_F(LevelCorrectionWindowTest, WidenCancelledWritesNothingAndChangesNoText) {
    const auto hook = recordBoxes(QMessageBox::Cancel);
    showWith(QStringLiteral("3000"), QStringLiteral("200"));
    press(form2->Button1);

    ASSERT_EQ(boxes.size(), 1u) << "no outcome box after Cancel";
    EXPECT_EQ(boxes[0].text,
              ui::displayText(widenQuestion(QStringLiteral("3140"), QStringLiteral("60"))));
    EXPECT_TRUE(sensor->requests().empty());
    EXPECT_EQ(form2->LEVELMAX->text(), QStringLiteral("3000"));
    EXPECT_EQ(form2->LEVELMIN->text(), QStringLiteral("200"));
    EXPECT_EQ(levelMaxShown(), "3000");
    EXPECT_EQ(levelMinShown(), "200");
}

TEST_F(LevelCorrectionWindowTest, WidenWithoutALineReportsFailureAndShowsNoNewLevel) {
    context.port.close();
    const auto hook = recordBoxes(QMessageBox::Ok);
    showWith(QStringLiteral("100"), QStringLiteral("10"));
    press(form2->Button1);

    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, ui::displayText(kWidenFailed));
    EXPECT_EQ(form2->LEVELMAX->text(), QStringLiteral("100"));
    EXPECT_EQ(form2->LEVELMIN->text(), QStringLiteral("10"));
    EXPECT_EQ(levelMaxShown(), "3000");
    EXPECT_EQ(levelMinShown(), "200");
}

TEST_F(LevelCorrectionWindowTest, TextThatIsNotANumberShowsTheConversionErrorAndWritesNothing) {
    const auto hook = recordBoxes();
    showWith(QStringLiteral("12a"), QStringLiteral("200"));
    press(form2->Button2);
    showWith(QStringLiteral("3000"), QString());
    press(form2->Button3);
    showWith(QStringLiteral("3000"), QStringLiteral("0x"));
    press(form2->Button1);  // refused before the confirmation box

    ASSERT_EQ(boxes.size(), 3u);
    const QString expected[] = {QStringLiteral("'12a' is not a valid integer value."),
                                QStringLiteral("'' is not a valid integer value."),
                                QStringLiteral("'0x' is not a valid integer value.")};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text, ui::displayText(expected[i]));
        EXPECT_EQ(boxes[i].icon, QMessageBox::Critical);
        EXPECT_EQ(boxes[i].title, ui::applicationTitle());
    }
    EXPECT_TRUE(sensor->requests().empty());
    EXPECT_EQ(sensor->param(4), 3000);
    EXPECT_EQ(sensor->param(5), 200);
    EXPECT_EQ(levelMaxShown(), "3000");
    EXPECT_EQ(levelMinShown(), "200");
}

TEST_F(LevelCorrectionWindowTest, AButtonThatRaisedTheConversionErrorWorksAgain) {
    const auto hook = recordBoxes();
    showWith(QStringLiteral("1x"), QStringLiteral("200"));
    press(form2->Button2);
    form2->LEVELMAX->setText(QStringLiteral("2500"));
    press(form2->Button2);

    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[1].text, ui::displayText(kFullOk));
    EXPECT_EQ(sensor->param(4), 2500);
    EXPECT_EQ(levelMaxShown(), "2500");
}

// The program's own windows: Button6 of the main window opens a dialog that writes through the
// process-wide link and updates the main window.
TEST_F(LevelCorrectionWindowTest, TheProgramsDialogWritesThroughTheSharedLink) {
    context.port.close();
    ui::Startup program;
    TForm1& window = program.mainWindow();
    const testsupport::MainControls c(window);
    c.Timer2->stop();
    sensor->setParam(4, 100);
    sensor->setParam(5, 10);
    window.choosePort(QString::fromStdString(sensor->devicePath()));
    ASSERT_EQ(c.LEVELMAX->text(), QStringLiteral("100"));
    const auto hook = recordBoxes(QMessageBox::Ok);
    bool seen = false;
    testsupport::whenModal(
        [&](QWidget* dialog) {
            auto* form = qobject_cast<TForm2*>(dialog);
            if (form) QTest::mouseClick(form->Button1, Qt::LeftButton);
        },
        &seen);
    window.Button6Click();
    ASSERT_TRUE(seen);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, ui::displayText(kWidenOk));
    EXPECT_EQ(sensor->param(4), 104);
    EXPECT_EQ(sensor->param(5), 6);
    EXPECT_EQ(c.LEVELMAX->text(), QStringLiteral("104"));
    EXPECT_EQ(c.LEVELMIN->text(), QStringLiteral("6"));
}

}  // namespace
