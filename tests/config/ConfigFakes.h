#pragma once

// Recording views, a scripted notifier and scripted ports for the configurator's tests.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ConfigLink.h"
#include "FrameLine.h"
#include "LevelCorrectionView.h"
#include "MainView.h"
#include "Notifier.h"
#include "OutputSettingsView.h"
#include "PortControl.h"
#include "RequestFrame.h"
#include "ScriptedPort.h"
#include "SerialPort.h"

namespace cfgtest {

using dut::config::StatusColour;
using testsupport::decodeRequest;
using testsupport::kRead;
using testsupport::kWrite;
using testsupport::Request;

// One log shared by the views and the notifier, so that tests can check the order in which
// boxes, focus changes and texts happen.
using EventLog = std::vector<std::string>;

inline std::string colourName(StatusColour c) {
    return c == StatusColour::Red ? "red" : "green";
}

class RecordingMainView : public dut::config::MainView {
  public:
    explicit RecordingMainView(EventLog& log) : log_(log) {}

    std::string port;
    std::vector<std::string> portItems;
    std::string status = "Нет соединения с датчиком";
    std::string statusReason;
    StatusColour colour = StatusColour::Red;
    std::string address, levelMax, levelMin, currentValue, outputLevel;
    bool addressAlert = false;
    int focusCount = 0;
    std::deque<std::pair<std::int64_t, std::int32_t>> chart;
    std::optional<std::int32_t> axisMin, axisMax, progress;
    std::optional<bool> buttonsEnabled;

    std::string portText() const override { return port; }
    std::vector<std::string> portDescriptions;
    void setPortItems(const std::vector<std::string>& items,
                      const std::vector<std::string>& descriptions) override {
        log_.push_back("setPortItems");
        portItems = items;
        portDescriptions = descriptions;
    }
    void setPortText(const std::string& text) override { port = text; }
    void setStatus(const std::string& text, StatusColour c) override {
        log_.push_back("setStatus(" + colourName(c) + ")");
        status = text;
        colour = c;
    }
    void setStatusColour(StatusColour c) override {
        log_.push_back("setStatusColour(" + colourName(c) + ")");
        colour = c;
    }
    // Kept out of the log: the sequences the tests compare are about what the user reads.
    void setStatusReason(const std::string& reason) override { statusReason = reason; }
    std::string addressText() const override { return address; }
    void setAddressText(const std::string& text) override {
        log_.push_back("setAddressText(" + text + ")");
        address = text;
    }
    void setAddressAlert(bool red) override {
        log_.push_back(red ? "addressAlert(on)" : "addressAlert(off)");
        addressAlert = red;
    }
    void focusAddress() override {
        log_.push_back("focusAddress");
        ++focusCount;
    }
    void setLevelMaxText(const std::string& text) override {
        log_.push_back("setLevelMaxText(" + text + ")");
        levelMax = text;
    }
    void setLevelMinText(const std::string& text) override {
        log_.push_back("setLevelMinText(" + text + ")");
        levelMin = text;
    }
    void setCurrentValue(std::int32_t value) override {
        currentValue = std::to_string(value);
        log_.push_back("setCurrentValueText(" + currentValue + ")");
    }
    void removeOldestChartPoint() override {
        log_.push_back("removeOldestChartPoint");
        if (chart.empty()) throw std::logic_error("removing from an empty chart");
        chart.pop_front();
    }
    void appendChartPoint(std::int64_t x, std::int32_t y) override {
        log_.push_back("appendChartPoint(" + std::to_string(x) + "," + std::to_string(y) + ")");
        chart.emplace_back(x, y);
    }
    void setChartAxisMin(std::int32_t y) override {
        log_.push_back("axisMin(" + std::to_string(y) + ")");
        axisMin = y;
    }
    void setChartAxisMax(std::int32_t y) override {
        log_.push_back("axisMax(" + std::to_string(y) + ")");
        axisMax = y;
    }
    void setProgress(std::int32_t value) override {
        log_.push_back("setProgress(" + std::to_string(value) + ")");
        progress = value;
    }
    void setOutputLevelText(const std::string& text) override {
        log_.push_back("setOutputLevelText(" + text + ")");
        outputLevel = text;
    }
    // Kept out of the log like the reason: the sequences compared predate it.
    std::optional<bool> live;
    int liveChanges = 0;
    void setMeasurementsLive(bool on) override {
        live = on;
        ++liveChanges;
    }
    void setCommandButtonsEnabled(bool enabled) override {
        log_.push_back(enabled ? "buttons(on)" : "buttons(off)");
        buttonsEnabled = enabled;
    }

  private:
    EventLog& log_;
};

class FakeNotifier : public dut::config::Notifier {
  public:
    explicit FakeNotifier(EventLog& log) : log_(log) {}

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;  // scripted confirm answers; an unscripted question is Cancel
    std::vector<std::string> asked;
    std::deque<bool> askAnswers;  // scripted yes/no answers; an unscripted one is "Нет"

    void showMessage(const std::string& text) override {
        log_.push_back("message:" + text);
        messages.push_back(text);
    }
    bool confirm(const std::string& text) override {
        log_.push_back("confirm");
        questions.push_back(text);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool ask(const std::string& text) override {
        log_.push_back("ask");
        asked.push_back(text);
        if (askAnswers.empty()) return false;
        const bool answer = askAnswers.front();
        askAnswers.pop_front();
        return answer;
    }

  private:
    EventLog& log_;
};

class RecordingLevelView : public dut::config::LevelCorrectionView {
  public:
    std::string levelMax = "0", levelMin = "0";
    std::string levelMaxText() const override { return levelMax; }
    std::string levelMinText() const override { return levelMin; }
    void setLevelMaxText(const std::string& text) override { levelMax = text; }
    void setLevelMinText(const std::string& text) override { levelMin = text; }
};

class RecordingOutputView : public dut::config::OutputSettingsView {
  public:
    std::optional<bool> resolutionEnabled, intervalEnabled;
    int resolutionIndex = 0, intervalIndex = 0;
    int resolutionSelections = 0, intervalSelections = 0, raises = 0;

    void setResolutionEnabled(bool enabled) override { resolutionEnabled = enabled; }
    void setResolutionIndex(int index) override {
        resolutionIndex = index;
        ++resolutionSelections;
    }
    void setIntervalEnabled(bool enabled) override { intervalEnabled = enabled; }
    void setIntervalIndex(int index) override {
        intervalIndex = index;
        ++intervalSelections;
    }
    void raise() override { ++raises; }
};

// The shared scripted line with a sensor behind it: `responder` decides for each request
// what value comes back, or that nothing does.
class ScriptedSensorPort : public testsupport::ScriptedPort {
  public:
    using ValueResponder = std::function<std::optional<std::int32_t>(const Request&)>;

    explicit ScriptedSensorPort(ValueResponder values) {
        responder = [values = std::move(values)](const Bytes& frame) -> std::optional<Bytes> {
            if (frame.size() != dut::ConfigLink::kFrameSize) return std::nullopt;
            const Request request = decodeRequest(frame.data());
            const auto value = values(request);
            if (!value) return std::nullopt;
            auto answer =
                dut::ConfigLink::buildRequest(0, 0, request.operation, request.parameter, *value);
            dut::FrameLine::seal(answer.data(), answer.size());
            return Bytes(answer.begin(), answer.end());
        };
    }

    // Every attempt as the sensor read it, retries included.
    std::vector<Request> requests() const {
        std::vector<Request> decoded;
        for (const Bytes& frame : sent) decoded.push_back(decodeRequest(frame.data()));
        return decoded;
    }
};

// Wraps the real port and fails or alters chosen exchanges at once, so that a single
// failure can be placed precisely without waiting out a silent sensor.
class FaultPort : public dut::PortIo {
  public:
    explicit FaultPort(dut::PortIo& inner) : inner_(inner) {}

    // Requests with this operation and parameter never reach the line and get no answer.
    void drop(std::uint8_t operation, std::uint8_t parameter) {
        rules_[{operation, parameter}] = std::nullopt;
    }
    // Requests with this operation and parameter are answered with `value` instead.
    void alterAnswer(std::uint8_t operation, std::uint8_t parameter, std::int32_t value) {
        rules_[{operation, parameter}] = value;
    }
    void clearRules() { rules_.clear(); }

    bool isOpen() const override { return inner_.isOpen(); }
    bool flushInput() override { return inner_.flushInput(); }
    bool write(const std::uint8_t* frame, std::size_t count) override {
        dropped_ = false;
        altered_.reset();
        const Request request = decodeRequest(frame);
        const auto rule = rules_.find({request.operation, request.parameter});
        if (rule != rules_.end()) {
            if (!rule->second) {
                dropped_ = true;
                return false;
            }
            altered_ = rule->second;
        }
        return inner_.write(frame, count);
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count) override {
        return dropped_ ? 0 : altered(buffer, inner_.read(buffer, count));
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count, int totalMs) override {
        return dropped_ ? 0 : altered(buffer, inner_.read(buffer, count, totalMs));
    }
    void dropUntilQuiet(int quietMs) override { inner_.dropUntilQuiet(quietMs); }
    bool dropStale() override { return inner_.dropStale(); }
    bool lastReadCutOff() const override { return inner_.lastReadCutOff(); }

  private:
    // A whole good answer gets the value chosen, sealed anew as the sensor would have sent it.
    std::size_t altered(std::uint8_t* buffer, std::size_t got) {
        if (altered_ && got == dut::ConfigLink::kFrameSize && dut::FrameLine::sealed(buffer, got)) {
            const auto v = static_cast<std::uint32_t>(*altered_);
            for (int i = 0; i < 4; ++i) buffer[10 + i] = static_cast<std::uint8_t>(v >> (8 * i));
            dut::FrameLine::seal(buffer, got);
        }
        return got;
    }

    dut::PortIo& inner_;
    std::map<std::pair<int, int>, std::optional<std::int32_t>> rules_;
    bool dropped_ = false;
    std::optional<std::int32_t> altered_;
};

// Counts what the controller does with the line, forwarding to a real or scripted one.
class CountingPortControl : public dut::config::PortControl {
  public:
    explicit CountingPortControl(dut::config::PortControl* inner = nullptr) : inner_(inner) {}

    int opens = 0, closes = 0;
    std::vector<std::string> openedNames;
    bool openResult = true;  // when there is no inner control
    std::string openError;   // the reason a failed open gives, when there is no inner control
    std::vector<std::string> ports;
    bool listFails = false;
    std::vector<std::string> missing;                 // devices that no longer open
    std::map<std::string, std::string> descriptions;  // device -> what describe gives
    std::map<std::string, std::string> stableNames;   // device -> its stable name
    std::map<std::string, std::string> resolvesTo;    // stable name -> device now

    std::string describe(const std::string& device) override {
        return lookup(descriptions, device);
    }
    std::string stableName(const std::string& device) override {
        return lookup(stableNames, device);
    }
    std::string resolve(const std::string& name) override { return lookup(resolvesTo, name); }

    bool open(const std::string& name) override {
        ++opens;
        openedNames.push_back(name);
        if (std::find(missing.begin(), missing.end(), name) != missing.end()) return false;
        return inner_ ? inner_->open(name) : openResult;
    }
    std::string lastOpenError() const override {
        if (inner_) return inner_->lastOpenError();
        return openResult ? std::string() : openError;
    }
    void close() override {
        ++closes;
        if (inner_) inner_->close();
    }
    std::vector<std::string> listPorts(const std::string& prefix) override {
        if (listFails) throw dut::PortListError("device list unavailable");
        if (inner_) return inner_->listPorts(prefix);
        std::vector<std::string> matching;
        for (const auto& p : ports) {
            if (p.compare(0, prefix.size(), prefix) == 0) matching.push_back(p);
        }
        return matching;
    }

  private:
    static std::string lookup(const std::map<std::string, std::string>& m, const std::string& k) {
        const auto it = m.find(k);
        return it == m.end() ? std::string() : it->second;
    }
    dut::config::PortControl* inner_;
};

}  // namespace cfgtest
