#include "SettingsTransfer.h"

#include <algorithm>
#include <vector>

#include "SensorParams.h"
#include "WriteConfirm.h"

#include "Translatable.h"

namespace dut::settings {

namespace {

const char* const kNoAnswer =
    DUT_TR_NOOP("SettingsTransfer", "Датчик не отвечает: настройки не прочитаны.");
const char* const kNoNumber =
    DUT_TR_NOOP("SettingsTransfer", "ДУТ не имеет номера: его настройки не сохраняются.");
const char* const kNoReadAnswer = DUT_TR_NOOP("SettingsTransfer", "Датчик не ответил на чтение: ");
const char* const kNothingSaved =
    DUT_TR_NOOP("SettingsTransfer", "Ни одно значение датчика не может быть сохранено.");
const char* const kNothingTicked =
    DUT_TR_NOOP("SettingsTransfer", "Ничего не записано: не отмечено ни одной настройки.");
const char* const kWriting = DUT_TR_NOOP("SettingsTransfer", "Запись настроек в датчик:");
const char* const kSet = DUT_TR_NOOP("SettingsTransfer", "установлено");
const char* const kStopped =
    DUT_TR_NOOP("SettingsTransfer", "НЕ записано: датчик перестал отвечать");
const char* const kSensorSaid = DUT_TR_NOOP("SettingsTransfer", "НЕ установлено (датчик сообщил ");
const char* const kNoWriteAnswer =
    DUT_TR_NOOP("SettingsTransfer", "НЕ установлено (датчик не ответил)");

}  // namespace

const std::vector<const char*>& settingsTransferTexts() {
    static const std::vector<const char*> texts{
        kNoAnswer, kNoNumber, kNoReadAnswer, kNothingSaved, kNothingTicked,
        kWriting,  kSet,      kStopped,      kSensorSaid,   kNoWriteAnswer};
    return texts;
}

SensorReading readSensor(ConfigLink& link) {
    SensorReading reading;
    reading.sensorNumber = link.read(param::kSensorNumber).asOptional();
    if (!reading.sensorNumber) return reading;
    for (const std::uint8_t parameter : writableParameters()) {
        reading.values[parameter] = link.read(parameter).asOptional();
    }
    reading.values[param::kVersion] = link.read(param::kVersion).asOptional();
    return reading;
}

SaveOutcome documentFor(const SensorReading& reading, const std::string& date) {
    SaveOutcome out;
    if (!reading.sensorNumber) {
        out.refusal = kNoAnswer;
        return out;
    }
    if (*reading.sensorNumber == 0) {
        out.refusal = kNoNumber;
        return out;
    }
    SettingsDocument document;
    document.sensorNumber = *reading.sensorNumber;
    document.date = date;
    for (const std::uint8_t parameter : writableParameters()) {
        const auto it = reading.values.find(parameter);
        const SettingKey& key = *keyForParameter(parameter);
        if (it == reading.values.end() || !it->second) {
            out.refusal = std::string(kNoReadAnswer) + key.label + ".";
            return out;
        }
        if (valueAllowed(parameter, *it->second)) {
            document.values[parameter] = *it->second;
        } else {
            out.left.push_back(std::string(key.label) + ": " + std::to_string(*it->second));
        }
    }
    const auto version = reading.values.find(param::kVersion);
    if (version != reading.values.end() && version->second) {
        document.values[param::kVersion] = *version->second;
    }
    if (document.values.size() == (document.values.count(param::kVersion) ? 1u : 0u)) {
        out.refusal = kNothingSaved;
        return out;
    }
    out.document = std::move(document);
    return out;
}

std::vector<CompareRow> compare(const SettingsDocument& document, const SensorReading& reading) {
    const bool sameSensor = reading.sensorNumber == document.sensorNumber;
    std::vector<CompareRow> rows;
    for (const SettingKey& key : settingKeys()) {
        CompareRow row;
        row.parameter = key.parameter;
        row.writable = key.writable;
        if (key.parameter == param::kSensorNumber) {
            row.inFile = document.sensorNumber;
            row.inSensor = reading.sensorNumber;
        } else {
            const auto inFile = document.values.find(key.parameter);
            if (inFile == document.values.end()) continue;
            row.inFile = inFile->second;
            const auto inSensor = reading.values.find(key.parameter);
            if (inSensor != reading.values.end()) row.inSensor = inSensor->second;
        }
        const bool level =
            key.parameter == param::kFullLevel || key.parameter == param::kEmptyLevel;
        row.tickedByDefault = key.writable && (sameSensor || !level);
        rows.push_back(row);
    }
    return rows;
}

std::vector<WriteOutcome> apply(ConfigLink& link, const SettingsDocument& document,
                                const std::vector<std::uint8_t>& ticked) {
    std::vector<WriteOutcome> outcomes;
    bool silent = false;
    for (const std::uint8_t parameter : writableParameters()) {
        if (std::find(ticked.begin(), ticked.end(), parameter) == ticked.end()) continue;
        const auto value = document.values.find(parameter);
        if (value == document.values.end()) continue;
        WriteOutcome outcome;
        outcome.parameter = parameter;
        outcome.wanted = value->second;
        if (silent) {
            outcome.attempted = false;
            outcomes.push_back(outcome);
            continue;
        }
        // The interval is written in units of 5 s and read back in seconds; a write answer
        // that carries the units therefore never passes for the seconds wanted.
        outcome.confirmed =
            config::writeConfirmed(link, parameter, writtenValue(parameter, value->second));
        silent = !outcome.confirmed;
        outcomes.push_back(outcome);
    }
    return outcomes;
}

std::string summaryText(const std::vector<WriteOutcome>& outcomes) {
    if (outcomes.empty()) return kNothingTicked;
    std::string text = kWriting;
    for (const WriteOutcome& outcome : outcomes) {
        text += "\n";
        text += keyForParameter(outcome.parameter)->label;
        text += ": " + shownValue(outcome.parameter, outcome.wanted) + " — ";
        if (outcome.taken()) {
            text += kSet;
        } else if (!outcome.attempted) {
            text += kStopped;
        } else if (outcome.confirmed) {
            text += kSensorSaid + shownValue(outcome.parameter, *outcome.confirmed) + ")";
        } else {
            text += kNoWriteAnswer;
        }
    }
    return text;
}

}  // namespace dut::settings
