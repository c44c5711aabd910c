// The monitor's table as the grid reads it, the headings that stay in view while the grid
// scrolls, and the port the monitor opens for itself when it finds the line closed.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "AppContext.h"
#include "LlsLineReader.h"
#include "LlsMonitor.h"
#include "LlsTableModel.h"
#include "PortOpenAdvice.h"
#include "PtyLlsBus.h"
#include "TForm1.h"
#include "TForm4.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::lls::makeAnswer;
using sim::lls::makeRequest;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ModelCase {
    const char* name;
    std::vector<Bytes> chunks;
    int columns;
    std::map<std::pair<int, int>, QString> cells;  // (column, row) -> text
    bool headingColumnFixed;
};

TEST(LlsTableModel, ChunksInCellsAndFixedCellsOut) {
    const QColor face(200, 201, 202);
    const std::vector<ModelCase> cases = {
        {"nothing heard", {}, 1, {{{0, 0}, "Адрес LLS"}, {{0, 4}, "Уровень стабилен"}}, false},
        {"a request and its answer",
         {makeRequest(5), makeAnswer(5, 1234)},
         2,
         {{{1, 0}, "5"}, {{1, 1}, "ok"}, {{1, 2}, "1234"}, {{1, 3}, ""}},
         false},
        {"a bad request, then a second address",
         {makeRequest(5, false), makeRequest(7)},
         3,
         {{{1, 0}, "5"}, {{1, 1}, ""}, {{1, 2}, "x"}, {{2, 0}, "7"}, {{2, 1}, "ok"}},
         false},
        {"noise beside an address column fixes the heading column",
         {makeRequest(9), Bytes{1, 2, 3}},
         2,
         {{{0, 1}, "Запрос уровня топлива"}, {{1, 1}, "ok"}},
         true},
        {"the same level twice counts a repeat",
         {makeAnswer(3, 77), makeAnswer(3, 77) + Bytes{}},
         2,
         {{{1, 2}, "77"}, {{1, 3}, "1"}},
         false},
        {"a cell outside the table reads empty", {makeRequest(4)}, 2, {{{5, 0}, ""}}, false},
    };
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.name);
        dut::LlsMonitor monitor;
        ui::LlsTableModel model(monitor, QBrush(face));
        QSignalSpy inserted(&model, &QAbstractItemModel::columnsInserted);
        for (const Bytes& chunk : c.chunks) {
            monitor.finishTick(chunk.data(), chunk.size());
            model.refresh();
        }
        ASSERT_EQ(model.columnCount(), c.columns);
        EXPECT_EQ(model.rowCount(), 5);
        EXPECT_EQ(inserted.count(), c.columns - 1) << "one insertion per new address";
        for (const auto& [place, text] : c.cells) {
            EXPECT_EQ(model.index(place.second, place.first).data().toString(), text)
                << place.first << "," << place.second;
        }
        for (int column = 0; column < model.columnCount(); ++column) {
            for (int row = 0; row < model.rowCount(); ++row) {
                const QModelIndex index = model.index(row, column);
                const bool fixed = row == 0 || (column == 0 && c.headingColumnFixed);
                EXPECT_EQ(index.data(ui::LlsTableModel::kFixedRole).toBool(), fixed)
                    << column << "," << row;
                const QVariant background = index.data(Qt::BackgroundRole);
                EXPECT_EQ(background.isValid() && background.value<QBrush>().color() == face, fixed)
                    << column << "," << row;
                EXPECT_FALSE(index.flags() & (Qt::ItemIsSelectable | Qt::ItemIsEditable));
            }
        }

        // Clearing takes the address columns away again.
        QSignalSpy removed(&model, &QAbstractItemModel::columnsRemoved);
        monitor.clear();
        model.refresh();
        EXPECT_EQ(model.columnCount(), 1);
        EXPECT_EQ(removed.count(), c.columns > 1 ? 1 : 0);
        EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("Адрес LLS"));
    }
}

class MonitorGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::PtyLlsBusOptions options;
        options.paced = false;
        options.polling = false;
        bus = std::make_unique<sim::PtyLlsBus>(options);
        ASSERT_TRUE(bus->start());
        form4 = main.form4();
    }

    void TearDown() override {
        form4->hide();
        context.port.close();
        bus->stop();
    }

    void feed(const Bytes& chunk) {
        const std::int64_t before = form4->monitor().total();
        ASSERT_TRUE(bus->play({chunk}, 40));
        ASSERT_TRUE(QTest::qWaitFor([&] { return form4->monitor().total() > before; }, 5000));
    }

    // What the grid shows in a rectangle of its viewport, strips drawn over it included.
    QImage shown(const QRect& area) const {
        ui::LlsGrid* grid = form4->StringGrid1;
        QApplication::processEvents();
        return grid->grab(area.translated(grid->viewport()->pos())).toImage();
    }

    std::unique_ptr<sim::PtyLlsBus> bus;
    ui::AppContext context;
    TForm1 main{context};
    TForm4* form4 = nullptr;
};

TEST_F(MonitorGridTest, TheHeadingRowAndColumnStayInViewWhileTheAddressesScroll) {
    ASSERT_TRUE(context.port.open(bus->devicePath()));
    form4->show();
    ui::LlsGrid* grid = form4->StringGrid1;
    for (std::uint8_t address = 1; address <= 20; ++address) feed(makeRequest(address));
    ASSERT_EQ(grid->columnCount(), 21);
    QScrollBar* across = grid->horizontalScrollBar();
    QScrollBar* down = grid->verticalScrollBar();
    ASSERT_GT(across->maximum(), 0) << "twenty addresses do not fit";
    EXPECT_FALSE(grid->frozenColumn()->isVisible()) << "nothing to hold before scrolling";

    const QRect headingColumn(0, 0, grid->columnWidth(0) - 1, grid->viewport()->height());
    const QImage columnBefore = shown(headingColumn);
    across->setValue(across->maximum());
    EXPECT_LT(grid->visualRect(grid->model()->index(1, 0)).right(), 0)
        << "the heading cells themselves scrolled away";
    EXPECT_TRUE(grid->frozenColumn()->isVisible());
    const QImage columnAfter = shown(headingColumn);
    EXPECT_EQ(columnAfter, columnBefore) << "the heading column still shows";
    across->setValue(0);

    // The address row's own scroll: the horizontal bar takes the height the fifth row needed.
    ASSERT_GT(down->maximum(), 0);
    {
        const QRect addressRow(0, 0, grid->viewport()->width(), grid->rowHeight(0) - 1);
        const QImage rowBefore = shown(addressRow);
        down->setValue(down->maximum());
        EXPECT_LT(grid->visualRect(grid->model()->index(0, 1)).top(), 0);
        EXPECT_TRUE(grid->frozenRow()->isVisible());
        EXPECT_EQ(shown(addressRow), rowBefore) << "the address row still shows";
    }
    // The cells are still the table's, for assistive tools and the test helpers alike.
    EXPECT_EQ(grid->model()->index(0, 20).data().toString(), QStringLiteral("20"));
    EXPECT_TRUE(grid->frozenColumn()->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(MonitorGridTest, WithNoPortOpenTheMonitorOpensThePortBoxsPortAndGivesItBack) {
    ASSERT_FALSE(context.port.isOpen());
    context.lineUser.setPortBoxName(QString::fromStdString(bus->devicePath()));
    form4->show();
    EXPECT_TRUE(context.port.isOpen());
    EXPECT_FALSE(form4->PortProblem->isVisible());
    feed(makeRequest(21));
    EXPECT_EQ(form4->model()->index(0, 1).data().toString(), QStringLiteral("21"));
    form4->hide();
    EXPECT_FALSE(context.port.isOpen()) << "the monitor gives back what it opened";

    // A port the main window opened stays open behind the monitor.
    ASSERT_TRUE(context.port.open(bus->devicePath()));
    form4->show();
    form4->hide();
    EXPECT_TRUE(context.port.isOpen());
}

TEST_F(MonitorGridTest, AHotKeysExchangeHasTheLineToItselfAndTheMonitorListensAgainAfter) {
    ASSERT_TRUE(context.port.open(bus->devicePath()));
    form4->show();
    const auto* reader = form4->findChild<ui::LlsLineReader*>();
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(reader->listening());
    bool listeningDuring = true;
    // Connected after the monitor's own handler, so it sees what the monitor made of it.
    QObject::connect(&context.lineWait, &ui::ResponsiveLineWait::exchangeStarted, form4,
                     [&] { listeningDuring = reader->listening(); });
    context.lineWait.run([] { QThread::msleep(50); });
    EXPECT_FALSE(listeningDuring);
    EXPECT_TRUE(reader->listening());
    feed(makeRequest(44));
    EXPECT_EQ(form4->model()->index(0, 1).data().toString(), QStringLiteral("44"));
}

TEST_F(MonitorGridTest, APortThatWillNotOpenIsNamedWithItsReasonInOneLine) {
    const std::string missing = "/dev/ttyNoSuchDutAdapter";
    context.lineUser.setPortBoxName(QString::fromStdString(missing));
    form4->show();
    EXPECT_FALSE(context.port.isOpen());
    ASSERT_TRUE(form4->PortProblem->isVisible());
    const QString line = form4->PortProblem->text();
    EXPECT_EQ(line.toStdString(),
              dut::config::portOpenReason(missing, context.portControl.lastOpenError()));
    EXPECT_TRUE(line.contains(QString::fromStdString(missing)));
    EXPECT_FALSE(line.contains('\n'));
    EXPECT_EQ(form4->Label1->text(), QStringLiteral("0")) << "the counters still show";
    form4->hide();
    EXPECT_FALSE(form4->PortProblem->isVisible());
}

// The adapter pulled while the monitor is shown and plugged back under the same name (a link
// re-pointed, as the system's stable names are), whoever had opened the port.
TEST_F(MonitorGridTest, AnAdapterPulledWhileShownIsNamedAndHeardAgainOnceBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("adapter"));
    const auto pointLink = [&] {
        QFile::remove(link);
        return QFile::link(QString::fromStdString(bus->devicePath()), link);
    };
    ASSERT_TRUE(pointLink());
    context.lineUser.setPortBoxName(link);
    const auto* reader = form4->findChild<ui::LlsLineReader*>();
    ASSERT_NE(reader, nullptr);
    const auto cell = [&](int row) { return form4->model()->index(row, 1).data().toString(); };

    for (const bool mainWindowOpened : {false, true}) {
        SCOPED_TRACE(mainWindowOpened ? "opened by the main window" : "opened by the monitor");
        if (mainWindowOpened) {
            ASSERT_TRUE(context.port.open(link.toStdString()));
        }
        form4->show();
        ASSERT_TRUE(reader->listening());
        for (int i = 0; i <= dut::LlsMonitor::kStableRepeats; ++i) feed(makeAnswer(2, 1700));
        ASSERT_EQ(cell(dut::LlsMonitor::StableRow), QStringLiteral("ok"));

        // The device's name goes with the adapter; a stale link could meet another
        // pseudo-terminal under the old number.
        bus->unplug();
        QFile::remove(link);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form4->PortProblem->isVisible(); }, 5000));
        EXPECT_TRUE(form4->PortProblem->text().contains(link))
            << form4->PortProblem->text().toStdString();
        EXPECT_FALSE(form4->PortProblem->text().contains('\n'));
        EXPECT_EQ(cell(dut::LlsMonitor::StableRow), QString::fromLatin1(dut::LlsMonitor::kUnheard))
            << "a settled mark nothing confirms any more";
        EXPECT_EQ(cell(dut::LlsMonitor::AnswerRow), QStringLiteral("1700"));
        // Tries at a port that is not there change nothing of what is said.
        const QString said = form4->PortProblem->text();
        QTest::qWait(3 * TForm4::kReopenMs);
        EXPECT_EQ(form4->PortProblem->text(), said);
        EXPECT_FALSE(reader->listening());

        ASSERT_TRUE(bus->replug());
        ASSERT_TRUE(pointLink());
        QElapsedTimer back;
        back.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader->listening(); }, 6000))
            << "still deaf after the adapter came back";
        std::printf("listening again %lld ms after the adapter came back\n",
                    static_cast<long long>(back.elapsed()));
        EXPECT_FALSE(form4->PortProblem->isVisible());
        feed(makeAnswer(2, 1700));
        EXPECT_EQ(cell(dut::LlsMonitor::StableRow), QStringLiteral("ok"));

        // The port opened again is the monitor's, and it gives it back.
        form4->hide();
        EXPECT_FALSE(context.port.isOpen());
    }
}

}  // namespace
