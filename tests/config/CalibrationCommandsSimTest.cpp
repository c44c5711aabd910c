// The full, empty and address commands and the hot keys, against the simulated sensor.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "CalibrationCommands.h"
#include "SimLine.h"
#include "TextInput.h"

namespace cfgtest {
namespace {

using dut::config::CalibrationCommands;
using dut::config::kHotKeyAddress1;
using dut::config::kHotKeyAddress2;
using dut::config::kHotKeyEmpty;
using dut::config::kHotKeyFull;

const std::string kFullOk = "Максимальный уровень установлен!";
const std::string kFullFailed = "Сбой установки Полного бака. Попробуйте еще раз.";
const std::string kEmptyOk = "Минимальный уровень установлен!";
const std::string kEmptyFailed = "Сбой установки Пустого бака! Попробуйте еще раз.";
const std::string kAddressOk = "Сетевой адрес установлен!";
const std::string kAddressFailed = "Сбой установки сетевого адреса. Попробуйте еще раз.";
const std::string kAddressRefused = "Не верный сетевой адрес!";

class CommandsSimTest : public SimLineTest {
  protected:
    void SetUp() override {
        SimLineTest::SetUp();
        openConnectedLine();
        state.sensorNumber = 1234;
        sensor.setParam(3, 9);
        sensor.setParam(4, 3000);
        sensor.setParam(5, 200);
    }

    std::vector<std::string> messages() const { return notifier.messages; }

    int raises = 0;
    dut::config::MainValues values{view};
    CalibrationCommands commands{link, values, view, notifier, [this] {
                                     log.push_back("raise");
                                     ++raises;
                                 }};
};

TEST_F(CommandsSimTest, FullTankWritesTheCurrentValueAndReadsItBack) {
    values.setCurrentValue(1834);
    commands.Button2Click();
    EXPECT_EQ(view.levelMax, "1834");
    const std::vector<Request> expected = {{kWrite, 4, 1834}, {kRead, 4, 0}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(sensor.param(4), 1834);
    EXPECT_EQ(messages(), std::vector<std::string>{kFullOk});
    EXPECT_EQ(view.levelMin, "");
}

TEST_F(CommandsSimTest, EmptyTankWritesParameter5) {
    values.setCurrentValue(250);
    commands.Button3Click();
    EXPECT_EQ(view.levelMin, "250");
    const std::vector<Request> expected = {{kWrite, 5, 250}, {kRead, 5, 0}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(sensor.param(5), 250);
    EXPECT_EQ(messages(), std::vector<std::string>{kEmptyOk});
}

TEST_F(CommandsSimTest, CurrentValueIsShownAsPlainDecimal) {
    values.setCurrentValue(0x7D0);
    commands.Button2Click();
    EXPECT_EQ(view.levelMax, "2000");
    EXPECT_EQ(sensor.param(4), 2000);
}

TEST_F(CommandsSimTest, NoCurrentValueYetRaisesAndWritesNothing) {
    values.setLevelMax("3000");
    // Edit1 stays empty until the first poll: the error names the empty text.
    try {
        commands.Button2Click();
        ADD_FAILURE() << "no conversion error without a current value";
    } catch (const dut::ConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "'' is not a valid integer value");
    }
    EXPECT_THROW(commands.Button3Click(), dut::ConversionError);
    EXPECT_EQ(view.levelMax, "3000");
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(messages().empty());
}

TEST_F(CommandsSimTest, SuccessWhenOnlyTheReadBackIsLostButTheWriteAnswerCarriedTheValue) {
    values.setCurrentValue(1834);
    port.drop(kRead, 4);
    commands.Button2Click();
    EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 4, 1834}}));
    EXPECT_EQ(messages(), std::vector<std::string>{kFullOk});
}

TEST_F(CommandsSimTest, FailureWhenBothExchangesFail) {
    values.setCurrentValue(1834);
    port.drop(kWrite, 4);
    port.drop(kRead, 4);
    commands.Button2Click();
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(messages(), std::vector<std::string>{kFullFailed});
}

// The box shows the value being written while the line is busy; a failure puts back what the
// sensor is known to hold before the failure is told, a success keeps the new value.
TEST_F(CommandsSimTest, LevelBoxesEndShowingWhatTheSensorHolds) {
    struct Case {
        const char* name;
        bool full;
        std::function<void(FaultPort&)> fault;
        std::string shown;  // at the end
    };
    const std::vector<Case> cases = {
        {"full, nothing answers", true,
         [](FaultPort& p) {
             p.drop(kWrite, 4);
             p.drop(kRead, 4);
         },
         "3000"},
        {"empty, nothing answers", false,
         [](FaultPort& p) {
             p.drop(kWrite, 5);
             p.drop(kRead, 5);
         },
         "200"},
        // The read-back names another value: that is what the sensor now holds.
        {"empty, read-back disagrees", false, [](FaultPort& p) { p.alterAnswer(kRead, 5, 251); },
         "251"},
        {"full, only the read-back lost", true, [](FaultPort& p) { p.drop(kRead, 4); }, "1834"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.clearRules();
        values.setLevelMax("3000");
        values.setLevelMin("200");
        values.setCurrentValue(1834);
        notifier.messages.clear();
        log.clear();
        c.fault(port);
        if (c.full) {
            commands.Button2Click();
        } else {
            commands.Button3Click();
        }
        const std::string setter = c.full ? "setLevelMaxText(" : "setLevelMinText(";
        std::vector<std::string> expected = {setter + "1834)"};
        const bool ok = c.shown == "1834";
        if (!ok) expected.push_back(setter + c.shown + ")");
        expected.push_back("message:" + (ok ? (c.full ? kFullOk : kEmptyOk)
                                            : (c.full ? kFullFailed : kEmptyFailed)));
        EXPECT_EQ(log, expected);
        EXPECT_EQ(c.full ? values.levelMax() : values.levelMin(), c.shown);
        EXPECT_EQ(c.full ? values.levelMin() : values.levelMax(), c.full ? "200" : "3000");
    }
}

// A write that would leave full <= empty asks first, naming both; "Нет" writes nothing and
// leaves the boxes alone. One unit apart is an ordinary pair and asks nothing.
TEST_F(CommandsSimTest, FullNotAboveEmptyIsAskedAboutFirst) {
    struct Case {
        const char* name;
        int hotKey;  // the command, through its hot key
        std::int32_t current;
        std::string otherLevel;      // the level the command leaves alone
        std::optional<bool> answer;  // nothing: no question expected
        std::string question;
    };
    const std::string q1 =
        "ВНИМАНИЕ!\rПолный уровень 200 не выше пустого уровня 200.\rС такими уровнями у "
        "датчика не будет рабочего выхода.\rЗаписать ?";
    const std::string q2 =
        "ВНИМАНИЕ!\rПолный уровень 150 не выше пустого уровня 199.\rС такими уровнями у "
        "датчика не будет рабочего выхода.\rЗаписать ?";
    const std::string q3 =
        "ВНИМАНИЕ!\rПолный уровень 3000 не выше пустого уровня 3000.\rС такими уровнями у "
        "датчика не будет рабочего выхода.\rЗаписать ?";
    const std::vector<Case> cases = {
        {"F4 with the tank empty, no", kHotKeyFull, 200, "200", false, q1},
        {"F4 below empty, yes", kHotKeyFull, 150, "199", true, q2},
        {"F4 one above empty", kHotKeyFull, 201, "200", std::nullopt, ""},
        {"F4 with no empty level known", kHotKeyFull, 200, "", std::nullopt, ""},
        {"F1 with the tank full, no", kHotKeyEmpty, 3000, "3000", false, q3},
        {"F1 one below full", kHotKeyEmpty, 2999, "3000", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool full = c.hotKey == kHotKeyFull;
        const int parameter = full ? 4 : 5;
        sensor.setParam(4, 3000);
        sensor.setParam(5, 200);
        sensor.clearRequests();
        notifier.asked.clear();
        notifier.messages.clear();
        notifier.askAnswers.clear();
        if (c.answer) notifier.askAnswers.push_back(*c.answer);
        values.setLevelMax(full ? "3000" : c.otherLevel);
        values.setLevelMin(full ? c.otherLevel : "200");
        values.setCurrentValue(c.current);
        const std::string boxBefore = full ? values.levelMax() : values.levelMin();

        EXPECT_TRUE(commands.hotKey(c.hotKey));

        EXPECT_EQ(notifier.asked,
                  c.answer ? std::vector<std::string>{c.question} : std::vector<std::string>{});
        if (c.answer == false) {
            EXPECT_TRUE(requests().empty());
            EXPECT_TRUE(messages().empty());
            EXPECT_EQ(full ? values.levelMax() : values.levelMin(), boxBefore);
        } else {
            const std::vector<Request> written = {{kWrite, parameter, c.current},
                                                  {kRead, parameter, 0}};
            EXPECT_EQ(requests(), written);
            EXPECT_EQ(sensor.param(parameter), c.current);
        }
    }
}

TEST_F(CommandsSimTest, ClosedPortFailsAtOnceWithTheFailureMessages) {
    serial.close();
    values.setCurrentValue(7);
    view.address = "7";
    commands.Button2Click();
    commands.Button3Click();
    commands.Button5Click();
    const std::vector<std::string> expected = {kFullFailed, kEmptyFailed, kAddressFailed};
    EXPECT_EQ(messages(), expected);
    EXPECT_FALSE(state.linkFlag);
}

TEST_F(CommandsSimTest, AddressesInRangeAreWrittenAndVerified) {
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"255", 255}, {"0", 0}, {"$10", 16}, {" 42", 42}, {"0xFF", 255}};
    for (const auto& [text, address] : cases) {
        SCOPED_TRACE(text);
        sensor.clearRequests();
        notifier.messages.clear();
        view.address = text;
        commands.Button5Click();
        EXPECT_EQ(requests(), (std::vector<Request>{{kWrite, 3, address}, {kRead, 3, 0}}));
        EXPECT_EQ(sensor.param(3), address);
        EXPECT_EQ(messages(), std::vector<std::string>{kAddressOk});
        EXPECT_FALSE(view.addressAlert);
        EXPECT_EQ(view.address, text);
    }
}

TEST_F(CommandsSimTest, AddressesOutOfRangeOrNotNumbersAreRefusedBeforeWriting) {
    for (const std::string text : {"256", "1000", "-1", "-2147483648", "", "abc", "12 3"}) {
        SCOPED_TRACE(text);
        log.clear();
        view.address = text;
        commands.Button5Click();
        const std::vector<std::string> expected = {"message:" + kAddressRefused, "focusAddress",
                                                   "addressAlert(on)"};
        EXPECT_EQ(log, expected);
        EXPECT_TRUE(view.addressAlert);
    }
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(sensor.param(3), 9);
}

TEST_F(CommandsSimTest, AcceptedAddressClearsTheAlert) {
    view.address = "300";
    commands.Button5Click();
    ASSERT_TRUE(view.addressAlert);
    view.address = "12";
    commands.Button5Click();
    EXPECT_FALSE(view.addressAlert);
    EXPECT_EQ(sensor.param(3), 12);
}

TEST_F(CommandsSimTest, F9AndF10WriteTheirAddressWhateverTheBoxShowed) {
    view.address = "7";
    EXPECT_TRUE(commands.hotKey(kHotKeyAddress1));
    EXPECT_EQ(view.address, "1");
    EXPECT_EQ(sensor.param(3), 1);
    view.address = "300";
    EXPECT_TRUE(commands.hotKey(kHotKeyAddress2));
    EXPECT_EQ(view.address, "2");
    EXPECT_EQ(sensor.param(3), 2);
    const std::vector<Request> expected = {
        {kWrite, 3, 1}, {kRead, 3, 0}, {kWrite, 3, 2}, {kRead, 3, 0}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(messages(), (std::vector<std::string>{kAddressOk, kAddressOk}));
    EXPECT_EQ(raises, 0);
}

TEST_F(CommandsSimTest, F1RaisesTheApplicationThenSetsTheEmptyLevel) {
    values.setCurrentValue(321);
    log.clear();
    EXPECT_TRUE(commands.hotKey(kHotKeyEmpty));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "raise");
    EXPECT_EQ(sensor.param(5), 321);
    EXPECT_EQ(view.levelMin, "321");
    EXPECT_EQ(messages(), std::vector<std::string>{kEmptyOk});
}

TEST_F(CommandsSimTest, F4SetsTheFullLevelWithoutRaising) {
    values.setCurrentValue(2900);
    EXPECT_TRUE(commands.hotKey(kHotKeyFull));
    EXPECT_EQ(raises, 0);
    EXPECT_EQ(sensor.param(4), 2900);
    EXPECT_EQ(messages(), std::vector<std::string>{kFullOk});
}

TEST_F(CommandsSimTest, HotKeysNeedAKnownIdentifier) {
    values.setCurrentValue(100);
    view.address = "5";
    for (const int id : {0, 5, -1, 112}) EXPECT_FALSE(commands.hotKey(id)) << id;
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(raises, 0);
}

TEST_F(CommandsSimTest, HotKeysDoNothingWithoutASensorNumber) {
    state.sensorNumber = 0;
    values.setCurrentValue(100);
    view.address = "5";
    for (const int id : dut::config::kHotKeyIds) EXPECT_FALSE(commands.hotKey(id)) << id;
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(view.address, "5");
    EXPECT_EQ(raises, 0);
}

TEST_F(CommandsSimTest, EmptyCurrentValueOnAHotKeyReachesTheCaller) {
    EXPECT_THROW(commands.hotKey(kHotKeyFull), dut::ConversionError);
    EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace cfgtest
