// The tank calibration window on its own, fed as the main window's poll and the LLS monitor
// feed it: what it refuses, what it records, and that the session file follows every change.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QSysInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "BoxHook.h"
#include "LinkState.h"
#include "LlsTestPackets.h"
#include "TableSession.h"
#include "TankCalibrationWindow.h"
#include "TankSessionFile.h"

namespace {

class TankWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The remembered portion goes to a settings file of this run's own.
        home_ = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", home_->filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", home_->filePath(QStringLiteral("data")).toUtf8());
    }
    static void TearDownTestSuite() { delete home_; }

    void SetUp() override {
        state.sensorNumber = 4321;
        window = std::make_unique<TankCalibrationWindow>(state, nullptr, sessionPath(),
                                                         [this] { return now; });
        window->open();
    }

    QString sessionPath() const { return dir.filePath(QStringLiteral("session")); }
    dut::tank::TableState saved() const {
        QFile file(sessionPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto read = dut::tank::readSession(std::string_view(bytes.constData(), bytes.size()));
        EXPECT_TRUE(read.ok()) << read.error;
        return read.table;
    }
    template <typename T>
    T* control(const char* name) {
        return window->findChild<T*>(QLatin1String(name));
    }
    void poll(int level, int times) {
        for (int i = 0; i < times; ++i) {
            window->rawValuePolled(level * 2);
            window->outputLevelPolled(level);
        }
    }

    static QTemporaryDir* home_;
    QTemporaryDir dir;
    dut::LinkState state;
    qint64 now = 1'000'000;  // the window's clock, in ms; it moves only when a test moves it
    std::unique_ptr<TankCalibrationWindow> window;
};

QTemporaryDir* TankWindow::home_ = nullptr;

}  // namespace

TEST_F(TankWindow, RecordingIsRefusedUntilFiveIdenticalReadingsAndEveryPointIsSaved) {
    window->recordPoint();
    EXPECT_TRUE(window->statusText().contains(QStringLiteral("нет показаний")))
        << window->statusText().toStdString();
    poll(700, 4);
    window->recordPoint();
    EXPECT_TRUE(window->table().empty());
    EXPECT_TRUE(window->statusText().contains(QStringLiteral("4 из 5")))
        << window->statusText().toStdString();
    EXPECT_FALSE(QFile::exists(sessionPath())) << "nothing changed, nothing written";

    poll(700, 1);
    window->recordPoint();
    poll(900, 5);
    control<QLineEdit>("Portion")->setText(QStringLiteral("12,5"));
    window->recordPoint();
    const auto table = saved();
    ASSERT_EQ(table.points.size(), 2u);
    EXPECT_EQ(table.points[0].litres, 0);
    EXPECT_EQ(table.points[1].litres, 12.5);
    EXPECT_EQ(table.points[1].level, 900);
    EXPECT_EQ(table.points[1].raw, 1800);
    EXPECT_EQ(table.details.sensorNumber, 4321) << "the sensor number comes from the connection";

    window->undo();
    EXPECT_EQ(saved().points.size(), 1u) << "undo is saved too";
}

TEST_F(TankWindow, DrainingStartsFromTheTypedFullVolume) {
    control<QLineEdit>("Portion")->setText(QStringLiteral("10"));
    poll(3000, 5);
    auto* way = control<QComboBox>("Way");
    way->setCurrentIndex(1);
    auto* tank = control<QLineEdit>("TankName");
    tank->setText(QStringLiteral("задний"));
    emit tank->editingFinished();
    EXPECT_EQ(way->currentIndex(), 1) << "a saved change keeps the chosen way of an empty table";
    window->recordPoint();
    EXPECT_TRUE(window->table().empty()) << "no full volume typed";
    control<QLineEdit>("FullVolume")->setText(QStringLiteral("120"));
    window->recordPoint();
    poll(2500, 5);
    window->recordPoint();
    ASSERT_EQ(window->table().points().size(), 2u);
    EXPECT_EQ(window->table().points()[0].litres, 120);
    EXPECT_EQ(window->table().points()[1].litres, 110);
}

TEST_F(TankWindow, AutomaticModeRecordsEachNewSettledLevelOnce) {
    control<QCheckBox>("AutoRecord")->setChecked(true);
    poll(100, 9);
    poll(150, 4);  // not yet settled
    EXPECT_EQ(window->table().points().size(), 1u);
    poll(150, 1);
    poll(150, 5);
    ASSERT_EQ(window->table().points().size(), 2u);
    EXPECT_EQ(window->table().points()[1].level, 150);
}

TEST_F(TankWindow, LlsAnswersOfTheChosenAddressAreTheLevel) {
    auto* source = control<QComboBox>("LevelSource");
    source->setCurrentIndex(1);
    emit source->activated(1);
    control<QSpinBox>("LlsAddress")->setValue(5);
    poll(999, 5);  // the poll is not the source now
    EXPECT_FALSE(window->stability().level());
    const auto feed = [&](const dut::test::Bytes& bytes) {
        window->llsChunkRead(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                        static_cast<int>(bytes.size())));
    };
    for (int i = 0; i < 4; ++i) {
        feed(dut::test::llsRequest(5));
        feed(dut::test::llsAnswer(5, 1234));
        feed(dut::test::llsAnswer(7, 50));           // another sensor
        feed(dut::test::llsAnswer(5, 4000, false));  // a spoiled answer
    }
    EXPECT_EQ(window->stability().level(), 1234);
    EXPECT_EQ(window->stability().count(), 4);
    // A request and its answer merged into one read count as well.
    feed(dut::test::concat({dut::test::llsRequest(5), dut::test::llsAnswer(5, 1234)}));
    EXPECT_TRUE(window->stability().stable());
    window->recordPoint();
    ASSERT_EQ(window->table().points().size(), 1u);
    EXPECT_EQ(window->table().points()[0].raw, std::nullopt) << "the bus carries no raw value";
}

TEST_F(TankWindow, ABadCsvFileIsRefusedWithItsLineAndTheTableStays) {
    poll(10, 5);
    window->recordPoint();
    const auto before = window->table().state();
    const QString path = dir.filePath(QStringLiteral("bad.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Уровень;Литры\n10;0\n20;abc\n");
    file.close();
    std::vector<QString> texts;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        texts.push_back(box.text());
        return int(QMessageBox::Ok);
    });
    window->importFile(path);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("строка 3: литры не число")))
        << texts[0].toStdString();
    EXPECT_EQ(window->table().state(), before);
    EXPECT_EQ(saved(), before);
}

namespace {

// A box answered as the real one answers a key or the close box: shown, then sent it.
int answerBy(QMessageBox& box, const std::function<void(QMessageBox&)>& act) {
    box.show();
    act(box);
    QAbstractButton* clicked = box.clickedButton();
    box.hide();
    return clicked ? int(box.standardButton(clicked)) : int(QMessageBox::NoButton);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST_F(TankWindow, AnOfferClosedUnansweredKeepsTheTableInItsFileAndComesBack) {
    poll(10, 5);
    window->recordPoint();
    control<QLineEdit>("Portion")->setText(QStringLiteral("5"));
    poll(20, 5);
    window->recordPoint();
    window.reset();
    const QByteArray before = fileBytes(sessionPath());
    ASSERT_FALSE(before.isEmpty());

    const std::vector<std::pair<const char*, std::function<int(QMessageBox&)>>> ways = {
        {"Escape",
         [](QMessageBox& box) {
             return answerBy(box, [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); });
         }},
        {"the close box",
         [](QMessageBox& box) { return answerBy(box, [](QMessageBox& b) { b.close(); }); }},
        {"a signal ending the loop", [](QMessageBox&) { return int(QMessageBox::NoButton); }},
    };
    for (const auto& [way, answer] : ways) {
        SCOPED_TRACE(way);
        window = std::make_unique<TankCalibrationWindow>(state, nullptr, sessionPath());
        int offers = 0;
        {
            testsupport::BoxHook hook([&, &answer = answer](QMessageBox& box) {
                ++offers;
                return answer(box);
            });
            window->open();
            EXPECT_EQ(offers, 1);
            EXPECT_FALSE(window->isVisible()) << "an unanswered offer opens nothing";
            poll(30, 5);
            window->recordPoint();
        }
        EXPECT_TRUE(window->table().empty());
        EXPECT_EQ(fileBytes(sessionPath()), before) << "the table stays in its file";
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("session.*")}, QDir::Files),
                  QStringList())
            << "nothing was set aside";
        // Offered again at the next opening.
        testsupport::BoxHook yes([&](QMessageBox&) {
            ++offers;
            return int(QMessageBox::Yes);
        });
        window->open();
        EXPECT_EQ(offers, 2);
        EXPECT_EQ(window->table().points().size(), 2u);
        window.reset();
    }
}

TEST_F(TankWindow, ASecondWindowOnTheSessionRecordsNothingUntilTheFirstLetsGo) {
    poll(10, 5);
    window->recordPoint();
    auto second = std::make_unique<TankCalibrationWindow>(state, nullptr, sessionPath());
    int offers = 0;
    testsupport::BoxHook hook([&](QMessageBox&) {
        ++offers;
        return int(QMessageBox::Yes);
    });
    second->open();
    EXPECT_EQ(offers, 0) << "nothing is offered while the table is held";
    EXPECT_TRUE(second->statusText().contains(
        QStringLiteral("процесс %1").arg(QCoreApplication::applicationPid())))
        << second->statusText().toStdString();
    for (int i = 0; i < 5; ++i) second->outputLevelPolled(40);
    second->recordPoint();
    second->importFile(dir.filePath(QStringLiteral("none.csv")));
    second->newTable();
    EXPECT_TRUE(second->table().empty());
    ASSERT_EQ(saved().points.size(), 1u) << "the holder's table is untouched";

    control<QLineEdit>("Portion")->setText(QStringLiteral("7"));
    poll(20, 5);
    window->recordPoint();
    EXPECT_EQ(saved().points.size(), 2u) << "the holder goes on recording";
    window->close();
    EXPECT_FALSE(QFile::exists(sessionPath() + QStringLiteral(".lock")));

    // Let go: the next act takes the table up first, then records into it.
    second->recordPoint();
    EXPECT_EQ(offers, 1);
    ASSERT_EQ(second->table().points().size(), 2u);
    second->recordPoint();
    ASSERT_EQ(saved().points.size(), 3u);
    EXPECT_EQ(saved().points[2].level, 40);
    window->open();
    EXPECT_EQ(window->table().points().size(), 2u) << "the first window keeps what it had";
    window->recordPoint();
    EXPECT_EQ(saved().points.size(), 3u) << "and writes nothing while the second holds it";
    second.reset();
    window->recordPoint();
    EXPECT_EQ(window->table().points().size(), 3u) << "the file is the table once taken again";
}

TEST_F(TankWindow, ImportsPastTheBoundsAreRefusedAndTheLargestIsTaken) {
    const auto write = [&](const QString& name, const std::string& text) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), qint64(text.size()));
        return path;
    };
    std::string rows = "Уровень;Литры\n";
    for (std::size_t i = 0; i < dut::tank::kMaxPoints; ++i) {
        rows += std::to_string(i) + ";" + std::to_string(i * 500) + "\n";
    }
    std::vector<QString> texts;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        texts.push_back(box.text());
        return int(QMessageBox::Ok);
    });
    window->importFile(write(QStringLiteral("over.csv"), rows + "1;2\n"));
    window->importFile(write(QStringLiteral("litres.csv"), "1;10000000000000\n"));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("(предел %1)").arg(dut::tank::kMaxPoints)))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[1].contains(QStringLiteral("литры больше предела в 1000000")))
        << texts[1].toStdString();
    EXPECT_TRUE(window->table().empty());
    EXPECT_FALSE(QFile::exists(sessionPath()));

    window->importFile(write(QStringLiteral("largest.csv"), rows));
    EXPECT_EQ(texts.size(), 2u) << window->statusText().toStdString();
    EXPECT_EQ(saved().points.size(), dut::tank::kMaxPoints);
    EXPECT_EQ(saved().points.back().litres, 999'500.0);
}

TEST_F(TankWindow, LitresPastAMillionAreNeitherRecordedNorTyped) {
    poll(10, 5);
    window->recordPoint();
    auto* portion = control<QLineEdit>("Portion");
    portion->setText(QStringLiteral("10000000000000"));
    poll(20, 5);
    window->recordPoint();
    EXPECT_TRUE(window->statusText().contains(QStringLiteral("Порция больше предела")))
        << window->statusText().toStdString();
    auto* points = control<QTableWidget>("Points");
    points->item(0, 1)->setText(QStringLiteral("10000000000000"));
    EXPECT_TRUE(window->statusText().contains(QStringLiteral("число от 0 до 1000000")))
        << window->statusText().toStdString();
    ASSERT_EQ(saved().points.size(), 1u);
    EXPECT_EQ(saved().points[0].litres, 0.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(points->item(0, 1)->text(), QStringLiteral("0")) << "the cell shows what is kept";
}

TEST_F(TankWindow, NoPointIsTakenFromAReadingOlderThanTheFreshLimit) {
    constexpr qint64 limit = TankCalibrationWindow::kFreshReadingMs;
    auto* stable = control<QLabel>("StableText");
    auto* level = control<QLabel>("LevelText");
    control<QLineEdit>("Portion")->setText(QStringLiteral("10"));
    // The age of the settled reading when Enter is pressed; whether the window's own watch
    // has looked at it since (it shows an old reading as such, and past 2.5 s starts the
    // count again); and what the refusal says, empty for a point taken.
    const struct {
        qint64 age;
        bool watched;
        const char* refusal;
    } cases[] = {
        {0, false, ""},
        {limit, false, ""},
        {limit + 1, false, "получено 1,6 с назад"},
        {2600, false, "получено 2,6 с назад"},  // still "stable": the fault this guards
        {limit + 1, true, "получено 1,6 с назад"},
        {60'000, true, "получено 60,0 с назад"},
    };
    std::size_t taken = 0;
    int reading = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.age);
        reading += 10;
        poll(reading, 5);
        ASSERT_TRUE(window->stability().stable());
        now += c.age;
        if (c.watched) {
            QTest::qWait(700);  // the watch ticks every 500 ms
            EXPECT_EQ(stable->text(), QStringLiteral("Ждём новое показание уровня…"));
            EXPECT_TRUE(level->styleSheet().contains(QStringLiteral("gray")));
        }
        window->recordPoint();
        if (*c.refusal == 0) ++taken;
        ASSERT_EQ(window->table().points().size(), taken);
        if (*c.refusal != 0) {
            EXPECT_TRUE(window->statusText().contains(QString::fromUtf8(c.refusal)) &&
                        window->statusText().contains(QStringLiteral("не старше 1,5 с")))
                << window->statusText().toStdString();
        }
    }
    // The next good reading is live again, and counts from one.
    poll(reading, 1);
    EXPECT_TRUE(level->styleSheet().isEmpty());
    EXPECT_TRUE(stable->text().contains(QStringLiteral("1 из 5"))) << stable->text().toStdString();
    EXPECT_EQ(saved().points.size(), 2u) << "nothing refused reached the session file";
}

TEST_F(TankWindow, ATableTakesPointsOnlyFromTheSensorItBelongsTo) {
    auto* heading = control<QLabel>("SensorNumber");
    auto* note = control<QLabel>("OtherSensor");
    control<QLineEdit>("Portion")->setText(QStringLiteral("10"));
    EXPECT_EQ(window->tableSensorNumber(), 0) << "an empty table is nobody's yet";
    EXPECT_EQ(heading->text(), QStringLiteral("ДУТ № 4321")) << "it names the connected sensor";
    poll(100, 5);
    window->recordPoint();
    poll(200, 5);
    window->recordPoint();
    ASSERT_EQ(window->tableSensorNumber(), 4321);

    // Another sensor answers now: neither Enter nor the automatic mode takes its levels.
    state.sensorNumber = 5678;
    control<QCheckBox>("AutoRecord")->setChecked(true);
    poll(300, 6);
    window->recordPoint();
    EXPECT_EQ(window->table().points().size(), 2u);
    EXPECT_EQ(saved().points.size(), 2u);
    EXPECT_EQ(saved().details.sensorNumber, 4321);
    EXPECT_EQ(window->tableSensorNumber(), 4321);
    EXPECT_EQ(heading->text(), QStringLiteral("ДУТ № 4321"));
    EXPECT_TRUE(note->isVisible() && note->text().contains(QStringLiteral("ДУТ № 5678")))
        << note->text().toStdString();
    EXPECT_TRUE(window->statusText().contains(
        QStringLiteral("таблица принадлежит ДУТ № 4321, а на связи ДУТ № 5678")))
        << window->statusText().toStdString();

    // "Новая таблица" starts the connected sensor's table and keeps the old one aside.
    window->newTable();
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("session.previous-*")}).size(), 1);
    EXPECT_EQ(heading->text(), QStringLiteral("ДУТ № 5678"));
    EXPECT_FALSE(note->isVisible());
    poll(300, 1);  // settled: the automatic mode takes it
    ASSERT_EQ(window->table().points().size(), 1u);
    EXPECT_EQ(saved().details.sensorNumber, 5678);
    EXPECT_EQ(window->tableSensorNumber(), 5678);

    // Ctrl+Z: the point, then the new table; the old table is back with its own sensor.
    window->undo();
    window->undo();
    ASSERT_EQ(window->table().points().size(), 2u);
    EXPECT_EQ(window->tableSensorNumber(), 4321);
    EXPECT_EQ(heading->text(), QStringLiteral("ДУТ № 4321"));
    EXPECT_TRUE(note->isVisible());
    // Its own sensor back on the line: the table goes on.
    state.sensorNumber = 4321;
    poll(400, 5);
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(window->table().points().size(), 3u);

    // The bus monitor's levels are an address's, not the connected sensor's: they go in.
    state.sensorNumber = 5678;
    auto* source = control<QComboBox>("LevelSource");
    source->setCurrentIndex(1);
    emit source->activated(1);
    EXPECT_FALSE(note->isVisible());
    for (int i = 0; i < 5; ++i) {
        const auto answer = dut::test::llsAnswer(1, 500);
        window->llsChunkRead(QByteArray(reinterpret_cast<const char*>(answer.data()),
                                        static_cast<int>(answer.size())));
    }
    EXPECT_EQ(window->table().points().size(), 4u);
    EXPECT_EQ(window->tableSensorNumber(), 4321);
}

namespace {

// The colour the table paints in a row beside its number (which stands at the left of its
// cell), selection cleared.
QColor rowColour(QTableWidget* table, int row) {
    table->clearSelection();
    const QImage shot = table->viewport()->grab().toImage();
    const QRect cell = table->visualItemRect(table->item(row, 0));
    return shot.pixelColor(cell.right() - 4, cell.center().y());
}

}  // namespace

TEST_F(TankWindow, KeysActOnTheTableWhereverTheFocusIsAndTheWindowKeepsItsPlace) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* portion = control<QLineEdit>("Portion");
    auto* points = control<QTableWidget>("Points");
    portion->setText(QStringLiteral("10"));
    // The second point's level is below the first: it is marked.
    for (const int level : {100, 50, 300}) {
        poll(level, 5);
        window->recordPoint();
    }
    ASSERT_EQ(window->table().points().size(), 3u);
    const QColor base = points->palette().color(QPalette::Base);
    EXPECT_EQ(rowColour(points, 0), base);
    EXPECT_EQ(rowColour(points, 1), QColor(255, 200, 200));
    EXPECT_EQ(rowColour(points, 2), base);
    const QRect place = window->geometry();

    // In the portion box, Delete edits the text and Ctrl+Z takes back the table's last change.
    portion->setFocus();
    portion->setText(QStringLiteral("15"));
    portion->setCursorPosition(0);
    QTest::keyClick(portion, Qt::Key_Delete);
    EXPECT_EQ(portion->text(), QStringLiteral("5"));
    EXPECT_EQ(window->table().points().size(), 3u);
    QTest::keyClick(portion, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->table().points().size(), 2u);
    EXPECT_EQ(portion->text(), QStringLiteral("5")) << "the box's own typing stays";

    // In the table, Delete removes the chosen row; the marked row that moves up is marked no
    // more, and is painted as any other. Ctrl+Z brings the row back.
    poll(300, 5);
    window->recordPoint();
    points->setFocus();
    points->setCurrentCell(0, 0);
    QTest::keyClick(points, Qt::Key_Delete);
    ASSERT_EQ(window->table().points().size(), 2u);
    EXPECT_EQ(window->table().points()[0].level, 50);
    EXPECT_EQ(rowColour(points, 1), base);
    QTest::keyClick(points, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(window->table().points().size(), 3u);
    EXPECT_EQ(window->table().points()[0].level, 100);

    // Long texts, an old reading and another sensor's note leave the window as it was.
    std::vector<QString> boxes;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        boxes.push_back(box.text());
        return int(QMessageBox::Ok);
    });
    window->importFile(dir.filePath(QStringLiteral("a-folder-with-a-long-name/").repeated(12) +
                                    QStringLiteral("table.csv")));
    EXPECT_EQ(boxes.size(), 1u);
    state.sensorNumber = 2147483647;
    poll(300, 2);
    now += 2000;
    QTest::qWait(700);
    window->recordPoint();
    EXPECT_TRUE(control<QLabel>("OtherSensor")->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(window->geometry(), place);
}

TEST(TankSessionLock, AHolderMarksItsLockAndOneTakenOverWritesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session"));
    const QString lockPath = path + QStringLiteral(".lock");
    ui::TankSessionFile holder(path);
    ASSERT_TRUE(holder.takeLock());
    ASSERT_TRUE(holder.save({}));
    // However old its file, the lock of a living holder is not taken over; the holder marks it
    // anew all the same, for file systems where only its age tells.
    QFile lockFile(lockPath);
    ASSERT_TRUE(lockFile.open(QIODevice::ReadOnly));
    const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-10 * 60);
    ASSERT_TRUE(lockFile.setFileTime(old, QFileDevice::FileModificationTime));
    ui::TankSessionFile other(path);
    EXPECT_FALSE(other.takeLock());
    EXPECT_EQ(other.holderPid(), QCoreApplication::applicationPid());
    EXPECT_TRUE(holder.refreshLock());
    EXPECT_GT(QFileInfo(lockPath).lastModified().toUTC(), old.addSecs(60));

    // A lock removed from under the holder and made anew by another program (here by hand,
    // as QLockFile writes it, for process 1): the holder lets go without removing the new
    // lock, and writes nothing more.
    lockFile.close();
    ASSERT_TRUE(QFile::remove(lockPath));
    QFile foreign(lockPath);
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray("1\n") + QCoreApplication::applicationName().toUtf8() + "\n" +
                  QSysInfo::machineHostName().toUtf8() + "\n");
    foreign.close();
    EXPECT_FALSE(holder.refreshLock());
    EXPECT_FALSE(holder.holdsLock());
    EXPECT_TRUE(QFile::exists(lockPath));
    QString why;
    EXPECT_FALSE(holder.save({}, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("другая программа"))) << why.toStdString();
}
