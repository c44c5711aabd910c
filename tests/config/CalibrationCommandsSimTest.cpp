// The full, empty and address commands and the hot keys, against the simulated sensor.

#include <gtest/gtest.h>

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
    EXPECT_EQ(view.levelMax, "1834");  // the box keeps the new text anyway
}

TEST_F(CommandsSimTest, FailureWhenTheReadBackDisagrees) {
    values.setCurrentValue(250);
    port.alterAnswer(kRead, 5, 251);
    commands.Button3Click();
    EXPECT_EQ(messages(), std::vector<std::string>{kEmptyFailed});
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
