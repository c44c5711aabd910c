// The whole program as a native Wayland client (run by wayland-session.sh under a headless
// weston with a private session bus) against the simulated sensor, with a stand-in desktop
// portal (fake_portal.py): the four keys bound through GlobalShortcuts, activations that run
// the commands, and every way the portal can let the program down.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QShortcut>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>

#include "Application.h"
#include "BoxHook.h"
#include "FastSensor.h"
#include "GlobalHotKeys.h"
#include "HotKeys.h"
#include "MainControls.h"
#include "PtySensor.h"
#include "RunningProgram.h"
#include "SensorRequests.h"
#include "TestSupport.h"
#include "UiStyle.h"
#include "Windows.h"

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

using testsupport::waitFor;

// The stand-in portal, one per test, so that no session outlives its test.
class FakePortal {
  public:
    FakePortal(const QString& record, const QStringList& options) : record_(record) {
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(
            QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(DUT_FAKE_PORTAL), QStringLiteral("--record"), record} +
                options);
    }
    ~FakePortal() { stop(); }

    // Bounded wait until it owns the portal's name on the bus.
    bool ready() {
        return waitFor(
            [&] {
                return process_.state() == QProcess::Running &&
                       QDBusConnection::sessionBus().interface()->isServiceRegistered(
                           kPortalService);
            },
            10000);
    }

    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    // Every call it received, in order.
    QList<QJsonObject> calls(const QString& name) const {
        QList<QJsonObject> out;
        QFile file(record_);
        if (!file.open(QIODevice::ReadOnly)) return out;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject call = QJsonDocument::fromJson(line).object();
            if (call.value(QStringLiteral("call")).toString() == name) out << call;
        }
        return out;
    }

    // Has the desktop activate a shortcut; true if some session had it bound.
    bool activate(const QString& shortcutId) {
        return control(QStringLiteral("Activate"), {shortcutId}).toBool();
    }

    int closeSessions() { return control(QStringLiteral("CloseSessions"), {}).toInt(); }

  private:
    QVariant control(const QString& method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kPortalService, kPortalPath, QStringLiteral("test.FakePortal"), method);
        call.setArguments(arguments);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0);
    }

    QString record_;
    QProcess process_;
};

class PortalHotKeys : public ::testing::Test, protected testsupport::RunningProgram {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        ASSERT_TRUE(dir.isValid());
        sensor = testsupport::fastSensorHoldingRaw(1834);
        ASSERT_NE(sensor, nullptr);
    }

    void TearDown() override {
        program.reset();
        portal.reset();
        if (sensor) sensor->stop();
    }

    void startPortal(const QStringList& options = {}) {
        portal =
            std::make_unique<FakePortal>(dir.filePath(QStringLiteral("portal.jsonl")), options);
        ASSERT_TRUE(portal->ready());
    }

    GlobalHotKeys& keys() { return *c().hotKeys(); }

    bool waitForMode(GlobalHotKeys::Mode mode) {
        return waitFor([&] { return keys().mode() == mode; }, 10000);
    }

    // The portal's session for this program, from its CreateSession call.
    QString sessionPath() {
        const QList<QJsonObject> created = portal->calls(QStringLiteral("CreateSession"));
        if (created.size() != 1) return {};
        QString sender = QDBusConnection::sessionBus().baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString token = created[0]
                                  .value(QStringLiteral("options"))
                                  .toObject()
                                  .value(QStringLiteral("session_handle_token"))
                                  .toString();
        return QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2").arg(sender, token);
    }

    // Connects through the port box as if the name had been chosen; waits for the value.
    void connectNow() {
        c().COMSelect->setEditText(QString::fromStdString(sensor->devicePath()));
        f().COMSelectSelect();
        ASSERT_TRUE(waitFor([&] { return c().Edit1->text() == QStringLiteral("1834"); }, 3000));
    }

    // Runs `trigger`, then waits for the command's box and returns its text.
    QString boxAfter(const std::function<void()>& trigger) {
        bool seen = false;
        QString text;
        testsupport::whenModal([&](QWidget* modal) { text = testsupport::boxText(modal); }, &seen,
                               8000);
        trigger();
        waitFor([&] { return seen; }, 8000);
        QTest::qWait(20);  // lets the closed box's loop unwind
        return text;
    }

    // The hot keys among the window's shortcuts: those without a modifier (Ctrl+Shift+L, which
    // opens the monitor, is the window's own).
    QStringList windowShortcutKeys() {
        QStringList keys;
        for (QShortcut* shortcut : f().findChildren<QShortcut*>()) {
            if (shortcut->key()[0].keyboardModifiers() != Qt::NoModifier) continue;
            keys << shortcut->key().toString();
        }
        keys.sort();
        return keys;
    }

    QTemporaryDir dir;
    std::unique_ptr<sim::PtySensor> sensor;
    std::unique_ptr<FakePortal> portal;
};

TEST_F(PortalHotKeys, BindsTheFourKeysWithTheirIdsTriggersAndCaptions) {
    startPortal();
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    EXPECT_EQ(keys().grabsAccepted(), 4);
    EXPECT_TRUE(keys().notGlobalReason().isEmpty());
    EXPECT_TRUE(c().Button8->toolTip().isEmpty());
    // Bound keys leave the window: F4 reaches the program once, through the portal.
    EXPECT_TRUE(windowShortcutKeys().isEmpty()) << windowShortcutKeys().join(' ').toStdString();

    const QList<QJsonObject> created = portal->calls(QStringLiteral("CreateSession"));
    ASSERT_EQ(created.size(), 1);
    const QJsonObject createOptions = created[0].value(QStringLiteral("options")).toObject();
    EXPECT_FALSE(createOptions.value(QStringLiteral("handle_token")).toString().isEmpty());
    EXPECT_FALSE(createOptions.value(QStringLiteral("session_handle_token")).toString().isEmpty());

    const QList<QJsonObject> binds = portal->calls(QStringLiteral("BindShortcuts"));
    ASSERT_EQ(binds.size(), 1);
    EXPECT_EQ(binds[0].value(QStringLiteral("session")).toString(), sessionPath());
    const QJsonArray shortcuts = binds[0].value(QStringLiteral("shortcuts")).toArray();
    const struct {
        const char* id;
        const char* trigger;
        QString description;
    } expected[] = {
        {"empty-tank", "F1", c().Button3->text()},
        {"full-tank", "F4", c().Button2->text()},
        {"address-1", "F9", QStringLiteral("Установить адрес 1")},
        {"address-2", "F10", QStringLiteral("Установить адрес 2")},
    };
    ASSERT_EQ(shortcuts.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const QJsonArray shortcut = shortcuts[i].toArray();
        const QJsonObject properties = shortcut[1].toObject();
        EXPECT_EQ(shortcut[0].toString(), QLatin1String(expected[i].id));
        EXPECT_EQ(properties.value(QStringLiteral("preferred_trigger")).toString(),
                  QLatin1String(expected[i].trigger));
        EXPECT_EQ(properties.value(QStringLiteral("description")).toString(),
                  expected[i].description);
    }
    EXPECT_EQ(c().Button3->text(), QStringLiteral("Бак пустой (F1)"));
    EXPECT_EQ(c().Button2->text(), QStringLiteral("Бак полный (F4)"));
}

// Each shortcut runs what its key runs on X11, with the sensor's answers to show for it.
TEST_F(PortalHotKeys, EachActivationRunsItsKeysCommand) {
    startPortal();
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    connectNow();
    c().LLS_ADRESS->setText(QStringLiteral("7"));

    const struct {
        const char* id;
        QString box;
        int parameter;
        int value;
        int raw;  // the tank as the key is pressed: empty below full, or the levels' question
    } cases[] = {
        {"full-tank", QStringLiteral("Максимальный уровень установлен!"), 4, 1834, 1834},
        {"empty-tank", QStringLiteral("Минимальный уровень установлен!"), 5, 200, 200},
        {"address-1", QStringLiteral("Сетевой адрес установлен!"), 3, 1, 200},
        {"address-2", QStringLiteral("Сетевой адрес установлен!"), 3, 2, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        sensor->setParam(0, c.raw);
        const QString raw = QString::number(c.raw);
        ASSERT_TRUE(waitFor([&] { return this->c().Edit1->text() == raw; }, 3000));
        sensor->clearRequests();
        const QString box =
            boxAfter([&] { EXPECT_TRUE(portal->activate(QString::fromLatin1(c.id))); });
        EXPECT_EQ(box, ui::displayText(c.box));
        EXPECT_EQ(sensor->param(static_cast<std::uint8_t>(c.parameter)), c.value);
        const std::vector<testsupport::Request> seen = testsupport::requestsSeenBy(*sensor);
        const std::vector<testsupport::Request> written = {
            {testsupport::kWrite, c.parameter, c.value}, {testsupport::kRead, c.parameter, 0}};
        EXPECT_NE(std::search(seen.begin(), seen.end(), written.begin(), written.end()),
                  seen.end());
    }
    EXPECT_EQ(c().LLS_ADRESS->text(), QStringLiteral("2"));
}

// A portal that answers at once can have its Response arrive before the reply to the call.
TEST_F(PortalHotKeys, AnswersThatOvertakeTheirCallsRepliesStillCount) {
    startPortal({QStringLiteral("--response-first")});
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    EXPECT_EQ(keys().grabsAccepted(), 4);
}

TEST_F(PortalHotKeys, ActivationDoesNothingWithoutANumberedSensor) {
    startPortal();
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    QSignalSpy delivered(&keys(), &GlobalHotKeys::activated);
    ASSERT_TRUE(portal->activate(QStringLiteral("full-tank")));
    ASSERT_TRUE(waitFor([&] { return delivered.size() == 1; }, 5000));
    EXPECT_EQ(delivered[0][0].toInt(), dut::config::kHotKeyFull);
    QTest::qWait(100);  // the queued command has had its turn
    EXPECT_TRUE(sensor->requests().empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(c().LEVELMAX->text().isEmpty());
}

class RefusedBinding : public PortalHotKeys, public ::testing::WithParamInterface<int> {};

// 1 is the user's "no" in the binding dialog, 2 any other failure.
TEST_P(RefusedBinding, FallsBackToTheWindowSaysWhyAndClosesTheSession) {
    startPortal({QStringLiteral("--bind-response"), QString::number(GetParam())});
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::ApplicationShortcut));
    const QString reason = keys().notGlobalReason();
    EXPECT_TRUE(reason.startsWith(
        QStringLiteral("Горячие клавиши F1, F4, F9, F10 работают только в окне программы: ")))
        << reason.toStdString();
    EXPECT_TRUE(
        reason.contains(GetParam() == 1 ? QStringLiteral("отклонено") : QStringLiteral("отказал")))
        << reason.toStdString();
    EXPECT_EQ(c().Button8->toolTip(), reason);
    ASSERT_TRUE(waitFor([&] { return portal->calls(QStringLiteral("Close")).size() == 1; }, 5000));
    EXPECT_EQ(portal->calls(QStringLiteral("Close"))[0].value(QStringLiteral("session")).toString(),
              sessionPath());

    // F4 typed into the window still runs the full-tank command.
    EXPECT_EQ(windowShortcutKeys(), (QStringList{"F1", "F10", "F4", "F9"}));
    connectNow();
    QApplication::setActiveWindow(&f());
    const QString box = boxAfter([&] { QTest::keyClick(&f(), Qt::Key_F4); });
    EXPECT_EQ(box, ui::displayText(QStringLiteral("Максимальный уровень установлен!")));
    EXPECT_EQ(sensor->param(4), 1834);
}

INSTANTIATE_TEST_SUITE_P(ResponseCodes, RefusedBinding, ::testing::Values(1, 2));

TEST_F(PortalHotKeys, KeysThePortalLeftOutStayInTheWindow) {
    startPortal({QStringLiteral("--bind-only"), QStringLiteral("empty-tank,full-tank")});
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    EXPECT_EQ(keys().grabsAccepted(), 2);
    EXPECT_EQ(windowShortcutKeys(), (QStringList{"F10", "F9"}));
    EXPECT_TRUE(keys().notGlobalReason().startsWith(
        QStringLiteral("Горячие клавиши F9, F10 работают только в окне программы: ")))
        << keys().notGlobalReason().toStdString();
    EXPECT_EQ(c().Button8->toolTip(), keys().notGlobalReason());
}

TEST_F(PortalHotKeys, WithoutAPortalTheKeysStayInTheWindow) {
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortalService));
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::ApplicationShortcut));
    EXPECT_TRUE(keys().notGlobalReason().contains(QStringLiteral("не найдена")))
        << keys().notGlobalReason().toStdString();
    EXPECT_EQ(c().Button8->toolTip(), keys().notGlobalReason());
    EXPECT_EQ(windowShortcutKeys().size(), 4);
}

TEST_F(PortalHotKeys, ASessionTheDesktopEndsFallsBackToTheWindow) {
    startPortal();
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    ASSERT_EQ(portal->closeSessions(), 1);
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::ApplicationShortcut));
    EXPECT_TRUE(keys().notGlobalReason().contains(QStringLiteral("закрыл сеанс")))
        << keys().notGlobalReason().toStdString();
    EXPECT_EQ(windowShortcutKeys().size(), 4);
}

TEST_F(PortalHotKeys, APortalThatGoesAwayFallsBackToTheWindow) {
    startPortal();
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    portal->stop();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::ApplicationShortcut));
    EXPECT_TRUE(keys().notGlobalReason().contains(QStringLiteral("завершилась")))
        << keys().notGlobalReason().toStdString();
    EXPECT_EQ(windowShortcutKeys().size(), 4);
}

TEST_F(PortalHotKeys, ClosingTheProgramClosesItsSession) {
    startPortal();
    startProgram();
    ASSERT_TRUE(waitForMode(GlobalHotKeys::Mode::PortalShortcut));
    const QString session = sessionPath();
    EXPECT_TRUE(portal->calls(QStringLiteral("Close")).isEmpty());
    program.reset();
    const QList<QJsonObject> closes = portal->calls(QStringLiteral("Close"));
    ASSERT_EQ(closes.size(), 1);
    EXPECT_EQ(closes[0].value(QStringLiteral("session")).toString(), session);
}

}  // namespace
