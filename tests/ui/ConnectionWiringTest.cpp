// The main window driven by the real connection controller and commands against the simulated
// sensor on a pseudo-terminal: what the user sees after choosing or typing a port, on the
// polling ticks, on the command buttons and on the hot keys.

#include <cerrno>
#include <cstring>
#include <sstream>

#include "HotKeys.h"
#include "WiringFixture.h"

namespace {

using namespace wiring;

const QString kConnectedText =
    QStringLiteral("Подключение\r\nустановлено\r\nДУТ № 4321\r\nВесия:13");

TEST_F(ConnectionWiring, ChoosingThePortConnectsAndFillsTheSteps) {
    EXPECT_EQ(c().ConnectStatusText->text(), QStringLiteral("Нет соединения с датчиком"));
    EXPECT_EQ(textColour(c().ConnectStatusText), kRed);

    choosePort();

    EXPECT_EQ(c().ConnectStatusText->text(), ui::displayText(kConnectedText));
    // Shown with plain line breaks.
    EXPECT_EQ(c().ConnectStatusText->text(),
              QStringLiteral("Подключение\nустановлено\nДУТ № 4321\nВесия:13"));
    EXPECT_EQ(textColour(c().ConnectStatusText), kGreen);
    EXPECT_EQ(c().LLS_ADRESS->text(), QStringLiteral("17"));
    EXPECT_EQ(c().LEVELMAX->text(), QStringLiteral("3210"));
    EXPECT_EQ(c().LEVELMIN->text(), QStringLiteral("150"));
    EXPECT_TRUE(program->context().state.linkFlag);
    EXPECT_EQ(program->context().state.sensorNumber, 4321);

    // The five reads of the connect sequence, in order.
    const auto seen = requests();
    ASSERT_EQ(seen.size(), 5u);
    const std::uint8_t order[5] = {3, 4, 5, 7, 10};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(seen[i].operation, kRead);
        EXPECT_EQ(seen[i].parameter, order[i]);
    }
}

TEST_F(ConnectionWiring, ATypedNameWaitsForTheAutomaticReconnect) {
    c().COMSelect->setFocus();
    QTest::keyClicks(c().COMSelect->lineEdit(), QString::fromStdString(sensor->devicePath()));
    QTest::keyClick(c().COMSelect->lineEdit(), Qt::Key_Return);
    // Typing, even with Enter, neither connects nor adds the name to the list.
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(c().COMSelect->count(), 0);

    tick(10);
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(textColour(c().ConnectStatusText), kRed);
    tick();
    EXPECT_EQ(c().ConnectStatusText->text(), ui::displayText(kConnectedText));
    EXPECT_EQ(textColour(c().ConnectStatusText), kGreen);
}

TEST_F(ConnectionWiring, OpeningTheListKeepsTheTypedName) {
    const QString typed = QStringLiteral("/dev/no-such-adapter");
    c().COMSelect->setEditText(typed);
    c().COMSelect->showPopup();
    c().COMSelect->hidePopup();
    EXPECT_EQ(c().COMSelect->currentText(), typed);
    // The refill put this machine's ports in; the pseudo-terminal is never among them.
    for (int i = 0; i < c().COMSelect->count(); ++i) {
        EXPECT_NE(c().COMSelect->itemText(i).toStdString(), sensor->devicePath());
    }
}

TEST_F(ConnectionWiring, AnUnopenablePortShowsTheRedPortText) {
    c().COMSelect->addItem(QStringLiteral("/dev/dut-no-such-port"));
    c().COMSelect->setCurrentIndex(-1);
    c().COMSelect->setFocus();
    QTest::keyClick(c().COMSelect, Qt::Key_Down);
    EXPECT_EQ(c().ConnectStatusText->text(),
              ui::displayText(QStringLiteral(
                  "Не удается\r\nоткрыть порт!\r\nПереподключите переходник USB-RS485")));
    EXPECT_EQ(textColour(c().ConnectStatusText), kRed);
}

// The lines the program wrote on standard error under its own name.
std::vector<std::string> programLines(const std::string& captured) {
    std::vector<std::string> lines;
    std::istringstream in(captured);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("brindolex-dut-configurator: ", 0) == 0) lines.push_back(line);
    }
    return lines;
}

TEST_F(ConnectionWiring, AnUnopenablePortSaysWhyBesideTheStatusAndOnStandardError) {
    const QString notThere =
        QStringLiteral(". The adapter is not plugged in, or the name is wrong.");
    const QString noSuchFile = QString::fromStdString(std::strerror(ENOENT));
    const QString first =
        QStringLiteral("Cannot open /dev/dut-no-such-port: ") + noSuchFile + notThere;
    const QString second =
        QStringLiteral("Cannot open /dev/dut-other-port: ") + noSuchFile + notThere;

    ::testing::internal::CaptureStderr();
    program->choosePort("/dev/dut-no-such-port");
    EXPECT_EQ(c().ConnectStatusText->text(),
              ui::displayText(QStringLiteral(
                  "Не удается\r\nоткрыть порт!\r\nПереподключите переходник USB-RS485")));
    EXPECT_EQ(textColour(c().ConnectStatusText), kRed);
    EXPECT_EQ(c().ConnectStatusText->toolTip(), first);
    EXPECT_EQ(c().ConnectStatusText->accessibleDescription(), first);

    tick(11);  // the reconnect fails the same way: said once
    c().COMSelect->setEditText(QStringLiteral("/dev/dut-other-port"));
    tick(11);  // a new name fails anew: said again
    EXPECT_EQ(c().ConnectStatusText->toolTip(), second);
    const std::vector<std::string> said = programLines(::testing::internal::GetCapturedStderr());
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0], "brindolex-dut-configurator: " + first.toStdString());
    EXPECT_EQ(said[1], "brindolex-dut-configurator: " + second.toStdString());

    // The program goes on, and a port that opens takes the reason away.
    QTest::qWait(20);
    EXPECT_TRUE(f().isVisible());
    ::testing::internal::CaptureStderr();
    choosePort();
    EXPECT_EQ(textColour(c().ConnectStatusText), kGreen);
    EXPECT_EQ(c().ConnectStatusText->toolTip(), QString());
    EXPECT_EQ(c().ConnectStatusText->accessibleDescription(), QString());
    EXPECT_TRUE(programLines(::testing::internal::GetCapturedStderr()).empty());
}

TEST_F(ConnectionWiring, APortFromTheCommandLineFillsTheBoxAndConnectsAtOnce) {
    program->choosePort(link);
    EXPECT_EQ(c().COMSelect->currentText(), QString::fromStdString(link));
    EXPECT_EQ(c().ConnectStatusText->text(), ui::displayText(kConnectedText));
    EXPECT_EQ(textColour(c().ConnectStatusText), kGreen);
    EXPECT_EQ(c().LEVELMAX->text(), QStringLiteral("3210"));
    EXPECT_EQ(requests().size(), 5u);  // the whole connect sequence, no tick needed
    // The name stays in the box for the automatic reconnect.
    sensor->unplug();
    tick(2);
    ASSERT_TRUE(sensor->replug());
    for (int i = 0; i < 11 && textColour(c().ConnectStatusText) != kGreen; ++i) tick();
    EXPECT_EQ(c().ConnectStatusText->text(), ui::displayText(kConnectedText));
}

TEST_F(ConnectionWiring, TicksFeedTheCurrentValueChartAndBar) {
    choosePort();
    sensor->clearRequests();
    const std::int32_t level = sensor->param(6);

    tick();  // phase 1: the raw value
    EXPECT_EQ(c().Edit1->text(), QStringLiteral("1000"));
    ASSERT_EQ(c().Series1->count(), 1);
    EXPECT_EQ(c().Series1->at(0).y(), 25.0);
    EXPECT_EQ(c().LeftAxis->min(), -75.0);
    EXPECT_EQ(c().LeftAxis->max(), 125.0);

    tick();  // phase 2: the output level
    EXPECT_EQ(c().ProgressBar1->value(), level);
    EXPECT_EQ(c().Label11->text(), QString::number(level));

    tick();  // phase 3: idle
    const auto seen = requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].parameter, 0);
    EXPECT_EQ(seen[1].parameter, 6);

    // A jump down moves the whole window with the newest point.
    sensor->setParam(0, 39);
    tick();
    ASSERT_EQ(c().Series1->count(), 2);
    EXPECT_EQ(c().Series1->at(1).y(), 0.0);
    EXPECT_EQ(c().LeftAxis->min(), -100.0);
    EXPECT_EQ(c().LeftAxis->max(), 100.0);
}

TEST_F(ConnectionWiring, TheChartKeepsItsLast201Points) {
    choosePort();
    // 202 samples take 606 ticks; the line is fast, so this stays well under a second.
    for (int i = 0; i < 202 * 3; ++i) tick();
    ASSERT_EQ(c().Series1->count(), 201);
    EXPECT_EQ(c().Series1->at(0).x(), 1.0);
    EXPECT_EQ(c().Series1->at(200).x(), 201.0);
}

TEST_F(ConnectionWiring, TheRunningTimerPollsWithoutHelp) {
    choosePort();
    c().Timer2->start();
    EXPECT_EQ(c().Timer2->interval(), 200);
    QElapsedTimer clock;
    clock.start();
    while (c().Series1->count() < 2 && clock.elapsed() < 20000) QTest::qWait(50);
    EXPECT_GE(c().Series1->count(), 2);
    EXPECT_EQ(c().Edit1->text(), QStringLiteral("1000"));
}

TEST_F(ConnectionWiring, CommandButtonsFollowTheSensorNumber) {
    QPushButton* buttons[] = {c().Button2, c().Button3, c().Button5, c().Button6};
    for (QPushButton* b : buttons) EXPECT_TRUE(b->isEnabled());  // until the first tick
    tick();
    for (QPushButton* b : buttons) EXPECT_FALSE(b->isEnabled());
    choosePort();
    tick();
    for (QPushButton* b : buttons) EXPECT_TRUE(b->isEnabled());
}

TEST_F(ConnectionWiring, AnUnnumberedSensorTurnsRedAndKeepsTheButtonsOff) {
    sim::SensorFaults faults;
    faults.sensorNumberZero = true;
    sensor->setFaults(faults);
    choosePort();
    EXPECT_EQ(
        c().ConnectStatusText->text(),
        ui::displayText(QStringLiteral("ДУТ не имеет\r\nномера. Свяжитесь с\r\nпроизводителем")));
    EXPECT_EQ(textColour(c().ConnectStatusText), kGreen);
    tick();
    EXPECT_EQ(textColour(c().ConnectStatusText), kRed);
    EXPECT_FALSE(c().Button2->isEnabled());
    EXPECT_FALSE(c().Button5->isEnabled());
}

TEST_F(ConnectionWiring, FullTankButtonWritesParameter4AndTellsTheOutcome) {
    choosePort();
    tick();  // Edit1 gets 1000
    sensor->clearRequests();
    auto hook = recordBoxes();
    QTest::mouseClick(c().Button2, Qt::LeftButton);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(QStringLiteral("Максимальный уровень установлен!")));
    EXPECT_EQ(boxes[0].title, ui::applicationTitle());
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(c().LEVELMAX->text(), QStringLiteral("1000"));
    EXPECT_EQ(sensor->param(4), 1000);
    const auto seen = requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].operation, kWrite);
    EXPECT_EQ(seen[0].parameter, 4);
    EXPECT_EQ(seen[0].value, 1000);
    EXPECT_EQ(seen[1].operation, kRead);
    EXPECT_EQ(seen[1].parameter, 4);
    EXPECT_EQ(seen[1].value, 0);
}

TEST_F(ConnectionWiring, EmptyTankAndAddressButtons) {
    choosePort();
    tick();
    auto hook = recordBoxes();
    QTest::mouseClick(c().Button3, Qt::LeftButton);
    EXPECT_EQ(sensor->param(5), 1000);
    EXPECT_EQ(c().LEVELMIN->text(), QStringLiteral("1000"));

    c().LLS_ADRESS->setText(QStringLiteral("$10"));
    QTest::mouseClick(c().Button5, Qt::LeftButton);
    EXPECT_EQ(sensor->param(3), 16);

    c().LLS_ADRESS->setText(QStringLiteral("256"));
    QTest::mouseClick(c().Button5, Qt::LeftButton);
    EXPECT_EQ(sensor->param(3), 16);
    EXPECT_EQ(c().LLS_ADRESS->palette().color(QPalette::Base), kRed);

    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, ui::displayText(QStringLiteral("Минимальный уровень установлен!")));
    EXPECT_EQ(boxes[1].text, ui::displayText(QStringLiteral("Сетевой адрес установлен!")));
    EXPECT_EQ(boxes[2].text, ui::displayText(QStringLiteral("Не верный сетевой адрес!")));
}

TEST_F(ConnectionWiring, AnEmptyCurrentValueEndsInTheErrorBox) {
    choosePort();  // no tick yet: Edit1 is still empty and the buttons still enabled
    ASSERT_TRUE(c().Edit1->text().isEmpty());
    sensor->clearRequests();
    auto hook = recordBoxes();
    QTest::mouseClick(c().Button2, Qt::LeftButton);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(QStringLiteral("'' is not a valid integer value.")));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].title, ui::applicationTitle());
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(c().LEVELMAX->text() == QStringLiteral("3210"));
}

// The hot keys arrive from the window system outside any event handler; the window queues
// them so that they run, and fail, like a click.
TEST_F(ConnectionWiring, HotKeysRunTheCommandsThroughTheEventLoop) {
    choosePort();
    tick();
    auto hook = recordBoxes();
    GlobalHotKeys* keys = c().hotKeys();
    ASSERT_NE(keys, nullptr);
    EXPECT_NE(keys->mode(), GlobalHotKeys::Mode::None);

    emit keys->activated(dut::config::kHotKeyFull);
    EXPECT_TRUE(boxes.empty());  // not run inside the window system's callback
    QElapsedTimer clock;
    clock.start();
    while (boxes.empty() && clock.elapsed() < 10000) QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(QStringLiteral("Максимальный уровень установлен!")));
    EXPECT_EQ(sensor->param(4), 1000);

    emit keys->activated(dut::config::kHotKeyAddress2);
    clock.restart();
    while (boxes.size() < 2 && clock.elapsed() < 10000) QCoreApplication::processEvents();
    EXPECT_EQ(sensor->param(3), 2);
    EXPECT_EQ(c().LLS_ADRESS->text(), QStringLiteral("2"));

    // An identifier that names no hot key does nothing.
    emit keys->activated(5);
    QCoreApplication::processEvents();
    EXPECT_EQ(sensor->param(3), 2);
}

TEST_F(ConnectionWiring, AHotKeyConversionErrorReachesTheErrorBox) {
    choosePort();  // Edit1 still empty
    auto hook = recordBoxes();
    emit c().hotKeys()->activated(dut::config::kHotKeyFull);
    QElapsedTimer clock;
    clock.start();
    while (boxes.empty() && clock.elapsed() < 10000) QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(QStringLiteral("'' is not a valid integer value.")));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
}

TEST_F(ConnectionWiring, HotKeysDoNothingWithoutASensorNumber) {
    auto hook = recordBoxes();
    for (const int id : dut::config::kHotKeyIds) emit c().hotKeys()->activated(id);
    QTest::qWait(50);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(requests().empty());
}

TEST_F(ConnectionWiring, F1RestoresAMinimisedWindowBeforeTheEmptyTankCommand) {
    choosePort();
    tick();
    auto hook = recordBoxes();
    f().showMinimized();
    QTest::qWait(20);
    ASSERT_TRUE(f().isMinimized());
    emit c().hotKeys()->activated(dut::config::kHotKeyEmpty);
    QElapsedTimer clock;
    clock.start();
    while (boxes.empty() && clock.elapsed() < 10000) QCoreApplication::processEvents();
    EXPECT_FALSE(f().isMinimized());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ui::displayText(QStringLiteral("Минимальный уровень установлен!")));
}

TEST_F(ConnectionWiring, PulledAdapterTurnsRedAndComesBackWithoutAClick) {
    choosePort();
    tick(3);
    sensor->unplug();
    tick();  // the read fails
    tick();  // and the link shows as lost
    EXPECT_EQ(c().ConnectStatusText->text(),
              ui::displayText(QStringLiteral("Нет\r\nсоединения!\r\nс датчиком")));
    EXPECT_EQ(textColour(c().ConnectStatusText), kRed);
    ASSERT_TRUE(sensor->replug());
    // At most eleven disconnected ticks until the reconnect.
    for (int i = 0; i < 11 && textColour(c().ConnectStatusText) != kGreen; ++i) tick();
    EXPECT_EQ(c().ConnectStatusText->text(), ui::displayText(kConnectedText));
    EXPECT_EQ(textColour(c().ConnectStatusText), kGreen);
}

}  // namespace
