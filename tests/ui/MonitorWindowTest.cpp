// The LLS monitor window (TForm4) listening through the application's serial port to a
// simulated terminal and its sensors on a pseudo-terminal.
//
// Each test puts one chunk onto the line at a time and waits until the monitor has heard it.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "AppContext.h"
#include "LlsLineReader.h"
#include "LlsTableModel.h"
#include "MainControls.h"
#include "PtyLlsBus.h"
#include "TForm1.h"
#include "TForm4.h"
#include "TestSupport.h"
#include "Windows.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::lls::makeAnswer;
using sim::lls::makeRequest;

const QColor kGreen(157, 255, 157);
const QColor kRed(255, 98, 98);

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Waits until the monitor has taken one more chunk from the line.
bool heardOneMore(const TForm4* monitor, std::int64_t before) {
    return QTest::qWaitFor([&] { return monitor->monitor().total() > before; }, 5000);
}

class MonitorWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::PtyLlsBusOptions options;
        options.paced = false;
        options.polling = false;
        bus = std::make_unique<sim::PtyLlsBus>(options);
        ASSERT_TRUE(bus->start());
        ASSERT_TRUE(context.port.open(bus->devicePath()));

        // No polling of the main window's own on the watched line unless a test starts it.
        pollingTimer()->stop();
        form4 = main.form4();
    }

    void TearDown() override {
        form4->hide();
        context.port.close();
        bus->stop();
    }

    // One packet (or merged chunk) on the line, then the wait until the monitor has taken it.
    // The pause before it keeps it apart from the previous chunk.
    void feed(const Bytes& chunk) {
        const std::int64_t before = form4->monitor().total();
        ASSERT_TRUE(bus->play({chunk}, 40));
        ASSERT_TRUE(heardOneMore(form4, before));
    }

    QString cell(int column, int row) const {
        return form4->model()->index(row, column).data().toString();
    }

    // The colour on screen in the middle of a cell.
    QColor shownColour(int column, int row) const {
        ui::LlsGrid* grid = form4->StringGrid1;
        const QModelIndex index = form4->model()->index(row, column);
        if (!index.isValid()) return QColor();
        const QImage image = grid->viewport()->grab().toImage();
        const QPoint centre = grid->visualRect(index).center();
        return image.pixelColor(centre.x() * image.width() / grid->viewport()->width(),
                                centre.y() * image.height() / grid->viewport()->height());
    }

    bool fixedLook(int column, int row) const {
        const QModelIndex index = form4->model()->index(row, column);
        return index.data(ui::LlsTableModel::kFixedRole).toBool() &&
               index.data(Qt::BackgroundRole).value<QBrush>().color() ==
                   form4->palette().color(QPalette::Button);
    }

    QStringList counters() const {
        return {form4->Label1->text(), form4->Label2->text(), form4->Label3->text(),
                form4->Label4->text()};
    }

    QTimer* pollingTimer() const { return testsupport::MainControls(main).Timer2; }

    std::unique_ptr<sim::PtyLlsBus> bus;
    ui::AppContext context;
    TForm1 main{context};
    TForm4* form4 = nullptr;
};

TEST_F(MonitorWindowTest, TheHeadingsStandFromTheWindowsCreationAndNothingElse) {
    // Not shown, never ticked: the window as the program creates it.
    ui::LlsGrid* grid = form4->StringGrid1;
    ASSERT_EQ(grid->columnCount(), 1);
    const QStringList headings{"Адрес LLS", "Запрос уровня топлива", "Ответ на запрос",
                               "Число одинаковых подряд ответов", "Уровень стабилен"};
    for (int row = 0; row < 5; ++row) EXPECT_EQ(cell(0, row), headings[row]) << row;
    EXPECT_TRUE(fixedLook(0, 0));
    EXPECT_FALSE(fixedLook(0, 1)) << "column 0 is not fixed on a clean bus";
    EXPECT_EQ(counters(), (QStringList{"Label1", "Label2", "Label3", "Label4"}));
}

TEST_F(MonitorWindowTest, RequestsFor5And7And5GiveTwoColumnsAndOneMark) {
    form4->show();
    feed(makeRequest(5));
    feed(makeRequest(7));
    feed(makeRequest(5));

    ui::LlsGrid* grid = form4->StringGrid1;
    ASSERT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->rowCount(), 5);
    EXPECT_EQ(cell(1, 0), QStringLiteral("5"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("7"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("ok"));
    EXPECT_EQ(cell(2, 1), QString()) << "only the address polled last is marked";
    EXPECT_EQ(cell(1, 2), QStringLiteral("x")) << "waiting for its answer";
    EXPECT_EQ(cell(2, 2), QStringLiteral("x"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("Адрес LLS")) << "headings on a clean bus";
    EXPECT_EQ(cell(0, 4), QStringLiteral("Уровень стабилен"));
    EXPECT_EQ(grid->columnWidth(0), 306);
    EXPECT_EQ(grid->columnWidth(1), 50);
    EXPECT_EQ(grid->columnWidth(2), 50);

    // The first row is fixed, column 0 is not (yet).
    EXPECT_TRUE(fixedLook(1, 0));
    EXPECT_TRUE(fixedLook(0, 0));
    EXPECT_FALSE(fixedLook(1, 1));
    EXPECT_FALSE(fixedLook(0, 1));

    // The labels show the counts as they stood before the last read.
    EXPECT_EQ(counters(), (QStringList{"2", "0", "0", "2"}));
    EXPECT_EQ(form4->monitor().requests(), 3);
}

TEST_F(MonitorWindowTest, AnswersShowTheirLevelAndABadCrcShowsARedBlock) {
    form4->show();
    feed(makeRequest(5));
    feed(makeAnswer(5, 1234));
    EXPECT_EQ(cell(1, 2), QStringLiteral("1234"));
    const QColor plain = shownColour(1, 2);
    EXPECT_NE(plain, kRed);
    EXPECT_NE(plain, kGreen);
    EXPECT_EQ(shownColour(1, 1), kGreen) << "the good request's mark";

    feed(makeRequest(5));
    feed(makeAnswer(5, 1250, /*goodCrc=*/false));
    EXPECT_EQ(cell(1, 2), QStringLiteral("x"));
    EXPECT_EQ(shownColour(1, 2), kRed);
    // The level of the bad answer still becomes the one the next answer is compared with.
    feed(makeAnswer(5, 1250));
    EXPECT_EQ(cell(1, 2), QStringLiteral("1250"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("1"));

    feed(makeRequest(6, /*goodCrc=*/false));
    EXPECT_EQ(cell(2, 1), QStringLiteral("x"));
    EXPECT_EQ(shownColour(2, 1), kRed);
    EXPECT_EQ(cell(1, 1), QString());
    EXPECT_NE(shownColour(1, 1), kGreen) << "the old mark is gone from the screen too";
}

TEST_F(MonitorWindowTest, TheDelegateColoursOnlyExactMarks) {
    using ui::LlsCellDelegate;
    EXPECT_EQ(LlsCellDelegate::blockColour(QStringLiteral("ok")), kGreen);
    EXPECT_EQ(LlsCellDelegate::blockColour(QStringLiteral("x")), kRed);
    for (const QString& text : {QString(), QStringLiteral("OK"), QStringLiteral("ok "),
                                QStringLiteral("X"), QStringLiteral("xx"), QStringLiteral("0")}) {
        EXPECT_FALSE(LlsCellDelegate::blockColour(text).has_value()) << text.toStdString();
    }
}

TEST_F(MonitorWindowTest, ARequestAndItsAnswerInOneChunkAreBothCounted) {
    form4->show();
    feed(makeRequest(9) + makeAnswer(9, 777));
    EXPECT_EQ(form4->monitor().requests(), 1);
    EXPECT_EQ(form4->monitor().answers(), 1);
    EXPECT_EQ(form4->monitor().unrecognised(), 0);
    ASSERT_EQ(form4->StringGrid1->columnCount(), 2);
    EXPECT_EQ(cell(1, 0), QStringLiteral("9"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("ok"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("777"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("Адрес LLS"));

    feed(makeRequest(9));
    EXPECT_EQ(counters(), (QStringList{"1", "1", "0", "2"}));
}

TEST_F(MonitorWindowTest, AThirteenByteChunkThatDoesNotSplitIsOneUnrecognisedChunk) {
    form4->show();
    feed(makeRequest(5));
    // The request's CRC-8 is wrong, so the 4 + 9 split is not believed.
    feed(makeRequest(9, /*goodCrc=*/false) + makeAnswer(9, 777));
    EXPECT_EQ(form4->monitor().requests(), 1);
    EXPECT_EQ(form4->monitor().answers(), 0);
    EXPECT_EQ(form4->monitor().unrecognised(), 1);

    ui::LlsGrid* grid = form4->StringGrid1;
    ASSERT_EQ(grid->columnCount(), 2) << "no column for address 9";
    EXPECT_EQ(cell(0, 0), QStringLiteral("Адрес LLS"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("Запрос уровня топлива"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("Ответ на запрос"));
    EXPECT_EQ(cell(0, 3), QStringLiteral("Число одинаковых подряд ответов"));
    EXPECT_EQ(cell(0, 4), QStringLiteral("Уровень стабилен"));
    // With an address column beside it, the heading column becomes fixed.
    EXPECT_TRUE(form4->monitor().isColumn0Fixed());
    for (int row = 0; row < 5; ++row) EXPECT_TRUE(fixedLook(0, row)) << row;
    EXPECT_FALSE(fixedLook(1, 2));
}

TEST_F(MonitorWindowTest, ClearEmptiesTheTableKeepsTheHeadingsAndTheLastLevels) {
    form4->show();
    feed(makeRequest(5));
    feed(makeAnswer(5, 300));
    feed(makeRequest(7));
    feed(Bytes{1, 2, 3});
    ASSERT_EQ(form4->StringGrid1->columnCount(), 3);
    ASSERT_TRUE(fixedLook(0, 2));

    QTest::mouseClick(form4->Button1, Qt::LeftButton);
    EXPECT_EQ(form4->StringGrid1->columnCount(), 1);
    EXPECT_EQ(cell(0, 0), QStringLiteral("Адрес LLS"));
    EXPECT_EQ(cell(0, 4), QStringLiteral("Уровень стабилен"));
    EXPECT_FALSE(fixedLook(0, 2)) << "a single column cannot stay fixed";
    EXPECT_TRUE(fixedLook(0, 0)) << "the first row is still fixed";
    EXPECT_EQ(form4->monitor().requests(), 0);
    EXPECT_EQ(form4->monitor().answers(), 0);
    EXPECT_EQ(form4->monitor().unrecognised(), 0);

    // Address 7 was second before; now it comes first.
    feed(makeRequest(7));
    ASSERT_EQ(form4->StringGrid1->columnCount(), 2);
    EXPECT_EQ(cell(1, 0), QStringLiteral("7"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("ok"));
    EXPECT_EQ(cell(1, 3), QString()) << "the new column starts empty";
    EXPECT_EQ(counters(), (QStringList{"0", "0", "0", "0"}));

    // The level of 5 survived: the same level again is a repeat at once.
    feed(makeAnswer(5, 300));
    ASSERT_EQ(form4->StringGrid1->columnCount(), 3);
    EXPECT_EQ(cell(2, 0), QStringLiteral("5"));
    EXPECT_EQ(cell(2, 3), QStringLiteral("1"));
}

TEST_F(MonitorWindowTest, FiveIdenticalAnswersInARowTurnTheStableRowGreen) {
    form4->show();
    feed(makeAnswer(3, 0));
    EXPECT_EQ(cell(1, 3), QString()) << "a first answer of level 0 is no repeat";
    for (int repeat = 1; repeat <= 5; ++repeat) feed(makeAnswer(3, 0));
    EXPECT_EQ(cell(1, 3), QStringLiteral("5"));
    EXPECT_EQ(cell(1, 4), QStringLiteral("ok"));
    EXPECT_EQ(shownColour(1, 4), kGreen);

    feed(makeAnswer(3, 9));
    EXPECT_EQ(cell(1, 3), QString());
    EXPECT_EQ(cell(1, 4), QString());
    EXPECT_NE(shownColour(1, 4), kGreen);
}

TEST_F(MonitorWindowTest, AHiddenWindowDoesNotListen) {
    ASSERT_FALSE(form4->isVisible());
    ASSERT_TRUE(bus->play({makeRequest(5)}, 40));
    QTest::qWait(200);
    EXPECT_EQ(form4->monitor().requests(), 0);
    EXPECT_EQ(form4->StringGrid1->columnCount(), 1);
    EXPECT_EQ(counters(), (QStringList{"Label1", "Label2", "Label3", "Label4"}));
}

TEST_F(MonitorWindowTest, Button4ShowsTheMonitorModallyAndPollingPausesBehindIt) {
    pollingTimer()->start();
    bool seen = false;
    bool modal = false;
    bool pollingWhileShown = true;
    testsupport::whenModal(
        [&](QWidget* window) {
            modal = window == form4;
            pollingWhileShown = pollingTimer()->isActive();
            // The monitor listens while it is up.
            if (bus->play({makeRequest(12)}, 40)) heardOneMore(form4, 0);
        },
        &seen);
    main.Button4Click();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(modal);
    EXPECT_FALSE(pollingWhileShown);
    EXPECT_TRUE(pollingTimer()->isActive()) << "polling resumes when the monitor hides";
    EXPECT_EQ(form4->monitor().requests(), 1);

    // Table and counters survive hiding.
    form4->show();
    EXPECT_FALSE(pollingTimer()->isActive());
    EXPECT_EQ(cell(1, 0), QStringLiteral("12"));
    form4->hide();
    EXPECT_TRUE(pollingTimer()->isActive());
}

TEST_F(MonitorWindowTest, TheReaderFollowsAPollingTerminal) {
    // The terminal's own schedule, with pauses well above the 30 ms silence rule.
    bus->setPolling(true);
    form4->show();
    const bool heard = QTest::qWaitFor(
        [&] { return form4->monitor().requests() >= 2 && form4->monitor().answers() >= 2; }, 10000);
    form4->hide();
    bus->setPolling(false);
    ASSERT_TRUE(heard);
    EXPECT_EQ(form4->monitor().unrecognised(), 0);
    EXPECT_EQ(form4->StringGrid1->columnCount(), 2);
    EXPECT_EQ(cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(form4->Label1->text().toInt() + form4->Label2->text().toInt() +
                  form4->Label3->text().toInt(),
              form4->Label4->text().toInt());
}

TEST_F(MonitorWindowTest, ClearOnAQuietBusTakesEffectWhileTheMonitorListens) {
    form4->show();
    feed(makeRequest(5));
    ASSERT_EQ(form4->monitor().requests(), 1);
    const auto* watch = form4->findChild<ui::LlsLineReader*>();
    ASSERT_NE(watch, nullptr);
    ASSERT_TRUE(watch->listening());

    QElapsedTimer clock;
    qint64 clearedAfterMs = -1;
    bool readStillWaiting = false;
    QObject::connect(form4->Button1, &QPushButton::clicked, [&] {
        clearedAfterMs = clock.elapsed();
        readStillWaiting = watch->listening();
    });
    // Through the event queue, as a real click comes, while the read waits for a byte.
    const QPointF centre = QRectF(form4->Button1->rect()).center();
    clock.start();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            form4->Button1,
            new QMouseEvent(type, centre, form4->Button1->mapToGlobal(centre), Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return clearedAfterMs >= 0; }, 3000));
    form4->hide();

    // A read blocking the window would have held the click for up to a second.
    EXPECT_TRUE(readStillWaiting);
    EXPECT_LT(clearedAfterMs, 100);
    EXPECT_EQ(form4->monitor().requests(), 0);
    EXPECT_EQ(form4->StringGrid1->columnCount(), 1);
}

TEST_F(MonitorWindowTest, TheProgramsMonitorListensOnTheSharedPortAndHoldsItsPolling) {
    context.port.close();
    ui::Startup program;
    ASSERT_TRUE(program.context().port.open(bus->devicePath()));
    const testsupport::MainControls window(program.mainWindow());
    TForm4* monitor = program.windows().form4;
    ASSERT_TRUE(window.Timer2->isActive());

    monitor->show();
    EXPECT_FALSE(window.Timer2->isActive());
    // Not one polling tick while the monitor is up, however long it stays.
    QSignalSpy polls(window.Timer2, &QTimer::timeout);
    QTest::qWait(1000);
    EXPECT_EQ(polls.count(), 0);
    ASSERT_TRUE(bus->play({makeRequest(33)}, 40));
    ASSERT_TRUE(heardOneMore(monitor, 0));
    monitor->hide();
    program.context().port.close();
    EXPECT_TRUE(window.Timer2->isActive());
    EXPECT_EQ(monitor->monitor().requests(), 1);
    ASSERT_EQ(monitor->StringGrid1->columnCount(), 2);
    EXPECT_EQ(monitor->model()->index(0, 1).data().toString(), QStringLiteral("33"));
}

}  // namespace
