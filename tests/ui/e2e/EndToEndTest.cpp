// The whole program on a real X server (run by run-e2e.sh under Xvfb) against the simulated
// sensor: typed port name, hot keys pressed while another client has the focus, NumLock on,
// a key held by another client, and an adapter pulled and put back.

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "Application.h"
#include "BoxHook.h"
#include "FastSensor.h"
#include "GlobalHotKeys.h"
#include "MainControls.h"
#include "MainWindowGeometry.h"
#include "PtySensor.h"
#include "RunningProgram.h"
#include "SensorRequests.h"
#include "SerialPort.h"
#include "TestSupport.h"
#include "UiStyle.h"
#include "Windows.h"

namespace {

const QColor kGreen{0, 128, 0};
const QColor kRed{255, 0, 0};
const QString kConnected = QStringLiteral("Подключение\r\nустановлено\r\nДУТ № 1234\r\nВесия:7");

// Runs a helper program to its end, bounded; returns its standard output.
QString run(const QString& program, const QStringList& arguments, int timeoutMs = 30000) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return {};
    }
    EXPECT_EQ(process.exitCode(), 0)
        << program.toStdString() << " " << arguments.join(' ').toStdString();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

using testsupport::waitFor;

// Counts the ticks of the program's polling timer from here on. "Within so many ticks" is
// the program's own promise; a loaded machine stretches the ticks, so waits are judged in
// ticks, with a wall-clock bound only against a program that hangs.
class TickCount {
  public:
    explicit TickCount(QTimer* timer)
        : connection_(QObject::connect(timer, &QTimer::timeout, [this] { ++ticks_; })) {}
    ~TickCount() { QObject::disconnect(connection_); }
    TickCount(const TickCount&) = delete;
    TickCount& operator=(const TickCount&) = delete;
    int ticks() const { return ticks_; }

  private:
    int ticks_ = 0;
    QMetaObject::Connection connection_;
};

// Waits until the condition holds or the timer has ticked `ticks` times since `count` began.
bool waitForTicks(const std::function<bool()>& condition, const TickCount& count, int ticks) {
    constexpr int kHungMs = 60000;
    return waitFor([&] { return condition() || count.ticks() >= ticks; }, kHungMs) && condition();
}

// Counts the keyboard mapping notices the X server sends this program. Every native event
// filter sees an event in the same dispatch, so once one is counted here and the dispatch
// is over, the program's hot keys have seen it too.
class MappingNotices : public QAbstractNativeEventFilter {
  public:
    MappingNotices() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~MappingNotices() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    MappingNotices(const MappingNotices&) = delete;
    MappingNotices& operator=(const MappingNotices&) = delete;
    int seen() const { return seen_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_MAPPING_NOTIFY) return false;
        auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
        if (mapping->request != XCB_MAPPING_POINTER) ++seen_;
        return false;
    }

  private:
    int seen_ = 0;
};

// Changes the keyboard mapping with xmodmap and waits until the program has been told.
// xmodmap has finished, so the server holds the whole change before any notice of it is
// handled here: whichever notice the program handles next, it sees the new mapping.
bool remapKeys(MappingNotices& notices, const QStringList& expressions) {
    const int before = notices.seen();
    QStringList arguments;
    for (const QString& e : expressions) arguments << QStringLiteral("-e") << e;
    run(QStringLiteral("xmodmap"), arguments);
    return waitFor([&] { return notices.seen() > before; }, 20000);
}

QColor textColour(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

// Another X client: a small window that takes the focus away from the program.
class OtherClient {
  public:
    OtherClient() {
        process_.start(QStringLiteral("xmessage"),
                       {QStringLiteral("-title"), QStringLiteral("dut-e2e-other"),
                        QStringLiteral("another program")});
        process_.waitForStarted(20000);
        window_ = run(QStringLiteral("timeout"),
                      {QStringLiteral("20"), QStringLiteral("xdotool"), QStringLiteral("search"),
                       QStringLiteral("--sync"), QStringLiteral("--name"),
                       QStringLiteral("^dut-e2e-other$")})
                      .section('\n', 0, 0);
    }
    ~OtherClient() {
        process_.kill();
        process_.waitForFinished(2000);
    }

    // Gives it the keyboard focus; true once the server says it has it.
    bool focus() {
        if (window_.isEmpty()) return false;
        run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), window_});
        return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}) == window_;
    }

  private:
    QProcess process_;
    QString window_;
};

// A second connection to the server that holds one key on the root window first.
class KeyHolder {
  public:
    explicit KeyHolder(xcb_keysym_t keysym) {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_)) return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        if (codes) keycode_ = codes[0];
        std::free(codes);
        xcb_key_symbols_free(symbols);
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 1, root_, XCB_MOD_MASK_ANY, keycode_,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        held_ = keycode_ != 0 && error == nullptr;
        std::free(error);
    }
    ~KeyHolder() { xcb_disconnect(connection_); }

    bool held() const { return held_; }

    // Whether this client received a press of its key within the time.
    bool receivedPress(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const bool press =
                    (event->response_type & 0x7f) == XCB_KEY_PRESS &&
                    reinterpret_cast<xcb_key_press_event_t*>(event)->detail == keycode_;
                std::free(event);
                if (press) return true;
            }
            QTest::qWait(10);
        }
        return false;
    }

  private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_keycode_t keycode_ = 0;
    bool held_ = false;
};

class EndToEnd : public ::testing::Test, protected testsupport::RunningProgram {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_TRUE(dir.isValid());
        sim::PtySensorOptions options = testsupport::fastSensorOptions();
        options.linkPath = dir.filePath(QStringLiteral("sensor")).toStdString();
        sensor = std::make_unique<sim::PtySensor>(options);
        ASSERT_TRUE(sensor->start());
        sensor->freezeRaw(true);
        sensor->setParam(0, 1834);
    }

    void TearDown() override {
        program.reset();
        if (sensor) sensor->stop();
    }

    bool connected() {
        const QLabel* status = c().ConnectStatusText;
        return status->text() == ui::displayText(kConnected) && textColour(status) == kGreen;
    }

    // Connects through the port box as if the name had been chosen, then waits for a poll
    // to fill the current value: the first of every three ticks reads it.
    void connectNow() {
        c().COMSelect->setEditText(QString::fromStdString(sensor->devicePath()));
        f().COMSelectSelect();
        ASSERT_TRUE(connected());
        TickCount ticks(c().Timer2);
        ASSERT_TRUE(
            waitForTicks([&] { return c().Edit1->text() == QStringLiteral("1834"); }, ticks, 6))
            << ticks.ticks() << " ticks";
    }

    // Presses a key through the X server, as a keyboard would, and waits for the full-tank
    // command's box. Returns whether the box appeared with the application title.
    bool pressAndSeeBox(const QString& key, const QString& expectedText) {
        bool seen = false;
        QString title;
        QString text;
        testsupport::whenModal(
            [&](QWidget* modal) {
                title = modal->windowTitle();
                text = testsupport::boxText(modal);
            },
            &seen, 20000);
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
        waitFor([&] { return seen; }, 20000);
        EXPECT_EQ(title, ui::applicationTitle());
        EXPECT_EQ(text, ui::displayText(expectedText));
        // Let the closed box's loop unwind.
        QTest::qWait(20);
        return seen;
    }

    QTemporaryDir dir;
    std::unique_ptr<sim::PtySensor> sensor;
};

TEST_F(EndToEnd, TypedPortNameConnectsOnTheNextAutomaticReconnect) {
    startProgram();
    EXPECT_EQ(c().hotKeys()->mode(), GlobalHotKeys::Mode::X11Grab);
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QString::number(f().winId())});
    c().COMSelect->setFocus();
    ASSERT_TRUE(waitFor([&] { return c().COMSelect->lineEdit()->hasFocus(); }, 10000));

    const QString path = QString::fromStdString(sensor->devicePath());
    run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), path});
    ASSERT_TRUE(waitFor([&] { return c().COMSelect->currentText() == path; }, 10000))
        << c().COMSelect->currentText().toStdString();
    // Eleven ticks at most, then the five reads (and one tick to spare).
    TickCount ticks(c().Timer2);
    EXPECT_TRUE(waitForTicks([&] { return connected(); }, ticks, 12))
        << ticks.ticks() << " ticks: " << c().ConnectStatusText->text().toStdString();
}

TEST_F(EndToEnd, F4WhileAnotherProgramHasTheFocusWritesTheFullTank) {
    startProgram();
    connectNow();
    OtherClient other;
    ASSERT_TRUE(other.focus());
    ASSERT_TRUE(waitFor([&] { return !f().isActiveWindow(); }, 10000));
    sensor->clearRequests();

    ASSERT_TRUE(
        pressAndSeeBox(QStringLiteral("F4"), QStringLiteral("Максимальный уровень установлен!")));
    EXPECT_EQ(sensor->param(4), 1834);
    EXPECT_EQ(c().LEVELMAX->text(), QStringLiteral("1834"));
    bool wrote = false;
    for (const testsupport::Request& r : testsupport::requestsSeenBy(*sensor)) {
        if (r == testsupport::Request{testsupport::kWrite, 4, 1834}) wrote = true;
    }
    EXPECT_TRUE(wrote);
}

TEST_F(EndToEnd, NumLockDoesNotSwallowTheHotKeys) {
    startProgram();
    connectNow();
    OtherClient other;
    ASSERT_TRUE(other.focus());
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Num_Lock")});
    sensor->setParam(0, 2000);
    TickCount ticks(c().Timer2);
    ASSERT_TRUE(
        waitForTicks([&] { return c().Edit1->text() == QStringLiteral("2000"); }, ticks, 6));
    const bool seen =
        pressAndSeeBox(QStringLiteral("F4"), QStringLiteral("Максимальный уровень установлен!"));
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Num_Lock")});
    ASSERT_TRUE(seen);
    EXPECT_EQ(sensor->param(4), 2000);

    // F10 as well, with CapsLock on.
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    const bool seenF10 =
        pressAndSeeBox(QStringLiteral("F10"), QStringLiteral("Сетевой адрес установлен!"));
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    ASSERT_TRUE(seenF10);
    EXPECT_EQ(sensor->param(3), 2);
}

TEST_F(EndToEnd, AKeyHeldByAnotherClientLeavesTheOthersWorking) {
    KeyHolder holder(0xffc6 /* F9 */);
    ASSERT_TRUE(holder.held());
    startProgram();
    EXPECT_EQ(c().hotKeys()->mode(), GlobalHotKeys::Mode::X11Grab);
    // Three keys in every lock combination; F9 in none.
    EXPECT_GT(c().hotKeys()->grabsAccepted(), 0);
    EXPECT_EQ(c().hotKeys()->grabsAccepted() % 3, 0);
    connectNow();
    OtherClient other;
    ASSERT_TRUE(other.focus());

    const std::int32_t address = sensor->param(3);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("F9")});
    EXPECT_TRUE(holder.receivedPress(10000));
    QTest::qWait(300);
    EXPECT_EQ(sensor->param(3), address);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    ASSERT_TRUE(
        pressAndSeeBox(QStringLiteral("F4"), QStringLiteral("Максимальный уровень установлен!")));
}

// The keyboard mapping changes while the program runs: F4 moves to another key code, and
// the program grabs it there.
TEST_F(EndToEnd, HotKeysFollowAKeyboardMappingChange) {
    MappingNotices notices;
    startProgram();
    connectNow();
    const QString table = run(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
    QString oldF4;
    for (const QString& line : table.split('\n')) {
        const QStringList words = line.simplified().split(' ');
        if (words.size() > 3 && words[3] == QStringLiteral("F4")) oldF4 = words[1];
    }
    ASSERT_FALSE(oldF4.isEmpty());
    const QString moved = QStringLiteral("250");
    ASSERT_TRUE(remapKeys(notices, {QStringLiteral("keycode %1 = F5").arg(oldF4),
                                    QStringLiteral("keycode %1 = F4").arg(moved)}))
        << "the program was never told of the new mapping";
    OtherClient other;
    ASSERT_TRUE(other.focus());
    const bool seen =
        pressAndSeeBox(QStringLiteral("F4"), QStringLiteral("Максимальный уровень установлен!"));
    EXPECT_TRUE(remapKeys(notices, {QStringLiteral("keycode %1 = F4").arg(oldF4),
                                    QStringLiteral("keycode %1 =").arg(moved)}));
    EXPECT_TRUE(seen);
}

TEST_F(EndToEnd, PulledAdapterTurnsRedAndComesBackWithoutAClick) {
    startProgram();
    connectNow();
    sensor->unplug();
    QElapsedTimer clock;
    clock.start();
    auto ticks = std::make_unique<TickCount>(c().Timer2);
    // A read fails within a three-tick cycle and the next tick shows it (and a tick to spare).
    ASSERT_TRUE(waitForTicks(
        [&] {
            // The lost-link text, or already the first reconnect's failed open.
            const QString text = c().ConnectStatusText->text();
            return textColour(c().ConnectStatusText) == kRed &&
                   (text == ui::displayText(QStringLiteral("Нет\r\nсоединения!\r\nс датчиком")) ||
                    text.startsWith(
                        ui::displayText(QStringLiteral("Не удается\r\nоткрыть порт!"))));
        },
        *ticks, 5))
        << ticks->ticks() << " ticks: " << c().ConnectStatusText->text().toStdString();
    std::cout << "[ info ] red after " << clock.elapsed() << " ms, " << ticks->ticks()
              << " ticks\n";

    ASSERT_TRUE(sensor->replug());
    clock.restart();
    ticks = std::make_unique<TickCount>(c().Timer2);
    // The next reconnect comes within eleven ticks (and a tick to spare).
    EXPECT_TRUE(waitForTicks([&] { return connected(); }, *ticks, 12))
        << ticks->ticks() << " ticks: " << c().ConnectStatusText->text().toStdString();
    std::cout << "[ info ] green again after " << clock.elapsed() << " ms, " << ticks->ticks()
              << " ticks\n";
}

// The adapter comes back under a new device name, as /dev/ttyUSB0 is followed by
// /dev/ttyUSB1: the reconnect follows its stable by-id name, with no click.
TEST_F(EndToEnd, AdapterBackUnderANewNameIsFollowedThroughItsStableName) {
    sensor->stop();
    QTemporaryDir byId;
    ASSERT_TRUE(byId.isValid());
    sim::PtySensorOptions options = testsupport::fastSensorOptions();
    options.stableLinkPath = byId.filePath(QStringLiteral("usb-sim-if00-port0")).toStdString();
    options.replugNewName = true;
    sensor = std::make_unique<sim::PtySensor>(options);
    ASSERT_TRUE(sensor->start());
    sensor->freezeRaw(true);
    sensor->setParam(0, 1834);
    qputenv("DUT_SERIAL_BY_ID_DIR", byId.path().toUtf8());
    startProgram();
    connectNow();
    const std::string before = sensor->devicePath();

    sensor->unplug();
    TickCount ticks(c().Timer2);
    ASSERT_TRUE(waitForTicks([&] { return !connected(); }, ticks, 5));
    ASSERT_TRUE(sensor->replug());
    ASSERT_NE(sensor->devicePath(), before);
    QElapsedTimer clock;
    clock.start();
    TickCount after(c().Timer2);
    // The next reconnect comes within eleven ticks (and a tick to spare): 2.4 s at 200 ms.
    EXPECT_TRUE(waitForTicks([&] { return connected(); }, after, 12))
        << after.ticks() << " ticks: " << c().ConnectStatusText->text().toStdString();
    EXPECT_EQ(c().COMSelect->currentText().toStdString(), sensor->devicePath());
    std::cout << "[ info ] connected under the new name after " << clock.elapsed() << " ms, "
              << after.ticks() << " ticks\n";
    qunsetenv("DUT_SERIAL_BY_ID_DIR");
}

}  // namespace

namespace {

// Asks a top-level window to close, as a window manager's close button does.
void requestClose(const QString& window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(connection));
    auto atom = [&](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return value;
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window.toUInt();
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    // Checked, so the server has taken the request before this client goes: a request still
    // unread when its client disconnects may be dropped.
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_send_event_checked(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
                                           reinterpret_cast<const char*>(&message)));
    EXPECT_EQ(error, nullptr);
    std::free(error);
    xcb_disconnect(connection);
}

void silence(sim::PtySensor& sensor) {
    sim::SensorFaults faults;
    faults.silent = true;
    sensor.setFaults(faults);
}

}  // namespace

// A key pressed while a poll waits on a silent sensor is held, not lost: it reaches the
// address box once the exchange is over, as it would in a window blocked on the line.
TEST_F(EndToEnd, AKeyTypedDuringAFailingPollAppearsOnceTheExchangeEnds) {
    startProgram();
    connectNow();
    c().LLS_ADRESS->clear();
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(f().winId())});
    c().LLS_ADRESS->setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == c().LLS_ADRESS; }, 3000));
    ui::ResponsiveLineWait& lineWait = program->context().lineWait;
    silence(*sensor);

    bool typed = false;
    bool heldDuringTheExchange = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (typed || !lineWait.busy()) return;
        typed = true;
        run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("7")});
        QTimer::singleShot(300, [&] {
            heldDuringTheExchange = lineWait.busy() && c().LLS_ADRESS->text().isEmpty();
        });
    });
    probe.start(10);
    ASSERT_TRUE(waitFor([&] { return typed; }, 5000)) << "no poll waited on the silent sensor";
    ASSERT_TRUE(waitFor([&] { return c().LLS_ADRESS->text() == QStringLiteral("7"); }, 5000))
        << "the key was lost";
    EXPECT_TRUE(heldDuringTheExchange);
}

// The real program, closed while its connect sequence waits on a silent sensor: the close
// waits for that exchange, then the program ends normally and lets go of the port.
TEST_F(EndToEnd, ClosingTheProgramDuringAFailingExchangeExitsCleanlyAndFreesThePort) {
    const QString programPath = qEnvironmentVariable("DUT_PROGRAM");
    ASSERT_FALSE(programPath.isEmpty()) << "DUT_PROGRAM names the program to run";
    silence(*sensor);
    QProcess real;
    real.setProcessChannelMode(QProcess::ForwardedChannels);
    real.start(programPath, {});
    ASSERT_TRUE(real.waitForStarted(5000));
    const QString window =
        run(QStringLiteral("timeout"),
            {QStringLiteral("10"), QStringLiteral("xdotool"), QStringLiteral("search"),
             QStringLiteral("--sync"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
             QStringLiteral("^Brindolex DUT configurator v1\\.3$")})
            .section('\n', 0, 0);
    ASSERT_FALSE(window.isEmpty());
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    // The first focus is on the address box; Tab moves to the port box.
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Tab")});
    run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"),
         QString::fromStdString(sensor->devicePath())});
    // The automatic reconnect opens the port and starts reading the address.
    ASSERT_TRUE(waitFor([&] { return !sensor->requests().empty(); }, 10000));
    QTest::qWait(300);

    QElapsedTimer clock;
    clock.start();
    requestClose(window);
    const bool ended = real.waitForFinished(10000);
    const qint64 tookMs = clock.elapsed();
    if (!ended) real.kill();
    ASSERT_TRUE(ended);
    EXPECT_EQ(real.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(real.exitCode(), 0);
    // What is left of a 2.56 s exchange, and the way out.
    EXPECT_LT(tookMs, 3000);
    dut::SerialPort next;
    EXPECT_TRUE(next.open(sensor->devicePath())) << "the port is still held";
}

namespace {

// The first visible top-level window whose name matches, or an empty string; never fails.
QString visibleWindow(const QString& namePattern) {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--name"), namePattern});
    if (!search.waitForFinished(10000)) {
        search.kill();
        search.waitForFinished(1000);
        return {};
    }
    return QString::fromUtf8(search.readAllStandardOutput()).trimmed().section('\n', 0, 0);
}

QString waitForWindow(const QString& namePattern, int timeoutMs) {
    QString window;
    waitFor([&] { return !(window = visibleWindow(namePattern)).isEmpty(); }, timeoutMs);
    return window;
}

const QString kMainWindowName = QStringLiteral("^Brindolex DUT configurator v1\\.3$");
const QString kBoxName = QStringLiteral("^ Brindolex DUT configurator v1\\.0$");
const QString kLevelDialogName = QStringLiteral("^Ручная корректировка Полного и Пустого$");
const QString kMonitorName = QStringLiteral("^Монитор работы LLS$");

// Where the close request reaches the running program.
enum class CloseStage {
    DuringPoll,
    DuringF4Write,
    DuringF4ReadBack,
    FailureBoxUp,
    LevelDialogUp,
    MonitorUp
};

struct CloseCase {
    const char* name;
    CloseStage stage;
    bool silentSensor;           // the sensor stops answering before the stage begins
    const char* heldBy;          // the window that holds the close and is then answered, if any
    std::int32_t fullTankAfter;  // parameter 4 as the sensor holds it at the end
    bool windowsFirst = false;   // every other window is opened and closed before the stage
};

// Presses keys on the main window, which has the keyboard focus first.
void keysOnMainWindow(const QString& mainWindow, const QString& keys) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), mainWindow});
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

bool windowGone(const QString& namePattern) {
    return waitFor([&] { return visibleWindow(namePattern).isEmpty(); }, 10000);
}

// Opens each of the program's other windows from the main window and closes it as the user
// does: the monitor, the tank window and the report by their close boxes, the settings menu
// and the settings file dialogs with Escape. Whatever one of them leaves behind (a filter, a
// modal state, a loop) must not keep the close that follows from ending the program.
void openAndCloseEveryWindow(const QString& mainWindow) {
    struct Visit {
        const char* keys;
        const char* namePattern;
        bool closeBox;  // closed by its close box; otherwise with Escape
    };
    const Visit visits[] = {
        {"ctrl+shift+l", "^Монитор работы LLS$", true},
        {"ctrl+t", "^Тарировка бака$", true},
        {"ctrl+p", "^Отчёт об установке$", true},
        {"ctrl+shift+s", "^Сохранить настройки$", false},
        {"ctrl+shift+o", "^Применить настройки$", false},
    };
    for (const Visit& visit : visits) {
        SCOPED_TRACE(visit.namePattern);
        keysOnMainWindow(mainWindow, QString::fromLatin1(visit.keys));
        const QString window = waitForWindow(QString::fromUtf8(visit.namePattern), 10000);
        ASSERT_FALSE(window.isEmpty()) << visit.keys << " opened no window";
        if (visit.closeBox) {
            requestClose(window);
        } else {
            run(QStringLiteral("xdotool"),
                {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
            run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        }
        ASSERT_TRUE(windowGone(QString::fromUtf8(visit.namePattern))) << "it did not close";
    }
    // The settings menu of the menu band, opened by a click and left with Escape.
    const QPoint menuButton = ui::mainWindowPlace("Button12").center();
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), mainWindow,
         QString::number(menuButton.x()), QString::number(menuButton.y()), QStringLiteral("click"),
         QStringLiteral("1")});
    QTest::qWait(300);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
}

bool sawRequest(const sim::PtySensor& sensor, int operation, int parameter, std::size_t from = 0) {
    const std::vector<testsupport::Request> seen = testsupport::requestsSeenBy(sensor);
    for (std::size_t i = from; i < seen.size(); ++i) {
        if (seen[i].operation == operation && seen[i].parameter == parameter) return true;
    }
    return false;
}

}  // namespace

// One close request at every stage of a handler: held, never dropped, never carried out in
// the middle. The program ends by itself once the exchange, or the box or window up at the
// time, is done with; code 0, the port free, no thread left behind, no further box.
TEST_F(EndToEnd, OneCloseRequestAtAnyStageEndsTheProgramOnceTheHandlerIsDone) {
    const QString programPath = qEnvironmentVariable("DUT_PROGRAM");
    ASSERT_FALSE(programPath.isEmpty()) << "DUT_PROGRAM names the program to run";
    const CloseCase cases[] = {
        {"during a failing poll, no box to follow", CloseStage::DuringPoll, true, nullptr, 3000},
        {"during F4's write", CloseStage::DuringF4Write, false, "box", 1834},
        {"during F4's read-back", CloseStage::DuringF4ReadBack, false, "box", 1834},
        {"while the failure box is up", CloseStage::FailureBoxUp, true, "box", 3000},
        {"while the level correction dialog is open", CloseStage::LevelDialogUp, false, "dialog",
         3000},
        {"while the failure box is up, every other window opened and closed before",
         CloseStage::FailureBoxUp, true, "box", 3000, true},
        // The monitor holds no command: the close takes it along, also once a box over it
        // has been answered.
        {"while the monitor is open", CloseStage::MonitorUp, false, nullptr, 3000},
        {"while the failure box is up over the monitor", CloseStage::MonitorUp, true, "box", 3000},
    };
    for (const CloseCase& row : cases) {
        SCOPED_TRACE(row.name);
        sensor->setFaults({});
        sensor->setParam(4, 3000);
        QTest::qWait(200);  // what the last program left on the line is answered
        sensor->clearRequests();

        QProcess real;
        real.setProcessChannelMode(QProcess::MergedChannels);
        real.start(programPath, {QString::fromStdString(sensor->devicePath())});
        ASSERT_TRUE(real.waitForStarted(5000));
        const QString mainWindow = waitForWindow(kMainWindowName, 15000);
        ASSERT_FALSE(mainWindow.isEmpty());
        // Connected once the version is read; the next poll reads the value F4 takes.
        ASSERT_TRUE(waitFor([&] { return sawRequest(*sensor, testsupport::kRead, 10); }, 15000));
        const std::size_t connected = sensor->requests().size();
        ASSERT_TRUE(
            waitFor([&] { return sawRequest(*sensor, testsupport::kRead, 0, connected); }, 15000));

        // Answered exchanges now last long enough to be caught in the middle, and still end
        // within one attempt's wait for the answer; a silent sensor makes them last 2.56 s.
        // Should the close come a little later than the stage named, the outcome is the same.
        sim::SensorFaults slow;
        slow.silent = row.silentSensor;
        slow.lateMs = 120;
        sensor->setFaults(slow);
        const std::size_t before = sensor->requests().size();
        // The window left focused by the last row may be gone, and a key goes nowhere then.
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), mainWindow});
        if (row.windowsFirst) {
            // Opened while the sensor still answers, as the user would have before.
            sensor->setFaults({});
            openAndCloseEveryWindow(mainWindow);
            if (::testing::Test::HasFatalFailure()) return;
            sensor->setFaults(slow);
        }
        QString heldBy;
        switch (row.stage) {
            case CloseStage::DuringPoll:
                ASSERT_TRUE(waitFor([&] { return sensor->requests().size() > before; }, 10000));
                break;
            case CloseStage::DuringF4Write:
            case CloseStage::DuringF4ReadBack: {
                run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("F4")});
                const int operation = row.stage == CloseStage::DuringF4Write ? testsupport::kWrite
                                                                             : testsupport::kRead;
                ASSERT_TRUE(waitFor(
                    [&] {
                        return sawRequest(*sensor, testsupport::kWrite, 4, before) &&
                               sawRequest(*sensor, operation, 4, before);
                    },
                    10000))
                    << ::testing::PrintToString(testsupport::requestsSeenBy(*sensor));
                break;
            }
            case CloseStage::FailureBoxUp:
                run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("F4")});
                heldBy = waitForWindow(kBoxName, 30000);
                ASSERT_FALSE(heldBy.isEmpty()) << "no failure box";
                break;
            case CloseStage::LevelDialogUp: {
                const QPoint button = ui::mainWindowPlace("Button6").center();
                run(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QStringLiteral("--window"), mainWindow,
                     QString::number(button.x()), QString::number(button.y()),
                     QStringLiteral("click"), QStringLiteral("1")});
                heldBy = waitForWindow(kLevelDialogName, 10000);
                ASSERT_FALSE(heldBy.isEmpty()) << "the level correction dialog did not open";
                break;
            }
            case CloseStage::MonitorUp: {
                keysOnMainWindow(mainWindow, QStringLiteral("ctrl+shift+l"));
                const QString monitor = waitForWindow(kMonitorName, 10000);
                ASSERT_FALSE(monitor.isEmpty()) << "no monitor";
                // Escape does not close it: the monitor stays up behind what follows.
                run(QStringLiteral("xdotool"),
                    {QStringLiteral("windowfocus"), QStringLiteral("--sync"), monitor});
                run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
                if (row.heldBy) {
                    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("F4")});
                    heldBy = waitForWindow(kBoxName, 30000);
                    ASSERT_FALSE(heldBy.isEmpty()) << "no failure box over the monitor";
                }
                break;
            }
        }
        requestClose(mainWindow);

        if (row.heldBy) {
            if (heldBy.isEmpty()) heldBy = waitForWindow(kBoxName, 15000);
            ASSERT_FALSE(heldBy.isEmpty()) << "no " << row.heldBy << " after the close request";
            // Held: the program waits for the answer however long the user takes.
            EXPECT_FALSE(real.waitForFinished(1500)) << "ended with the " << row.heldBy << " up";
            ASSERT_EQ(real.state(), QProcess::Running);
            EXPECT_EQ(
                visibleWindow(row.stage == CloseStage::LevelDialogUp ? kLevelDialogName : kBoxName),
                heldBy)
                << "the " << row.heldBy << " went with the close request";
            if (row.stage == CloseStage::LevelDialogUp) {
                requestClose(heldBy);
            } else {
                // The box answers its keys as usual.
                run(QStringLiteral("xdotool"),
                    {QStringLiteral("windowfocus"), QStringLiteral("--sync"), heldBy});
                run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
            }
        }
        const bool ended = real.waitForFinished(15000);
        const QString output = QString::fromUtf8(real.readAll());
        if (!ended) {
            ADD_FAILURE() << "still running; box up: " << !visibleWindow(kBoxName).isEmpty();
            real.kill();
            real.waitForFinished(2000);
            continue;
        }
        EXPECT_EQ(real.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(real.exitCode(), 0);
        EXPECT_FALSE(output.contains(QStringLiteral("QThread"))) << output.toStdString();
        EXPECT_EQ(sensor->param(4), row.fullTankAfter);
        dut::SerialPort next;
        EXPECT_TRUE(next.open(sensor->devicePath())) << "the port is still held";
        next.close();
    }
}
