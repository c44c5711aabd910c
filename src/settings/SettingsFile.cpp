#include "SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

#include "FlatJson.h"
#include "SensorParams.h"
#include "Translatable.h"

namespace dut::settings {

namespace {

const char* const kRangeAddress = DUT_TR_NOOP("SettingsFile", "от 0 до 255");
const char* const kRangeBits = DUT_TR_NOOP("SettingsFile", "12 или 10");
const char* const kRangeInterval =
    DUT_TR_NOOP("SettingsFile", "0 (выключена), 10, 20, 30, 40, 50, 60, 120, 180, 240 или 300");
const char* const kRangeLevel = DUT_TR_NOOP("SettingsFile", "от 0 до 4095");
const char* const kRangeNumber = DUT_TR_NOOP("SettingsFile", "от 1 до 2147483647");
const char* const kRangeAny = DUT_TR_NOOP("SettingsFile", "от 0 до 2147483647");
const char* const kLabelNumber = DUT_TR_NOOP("SettingsFile", "Номер ДУТ");
const char* const kLabelVersion = DUT_TR_NOOP("SettingsFile", "Версия");
const char* const kLabelAddress = DUT_TR_NOOP("SettingsFile", "Сетевой адрес");
const char* const kLabelFull = DUT_TR_NOOP("SettingsFile", "Полный бак");
const char* const kLabelEmpty = DUT_TR_NOOP("SettingsFile", "Пустой бак");
const char* const kLabelBits = DUT_TR_NOOP("SettingsFile", "Разрядность выхода LLS");
const char* const kLabelInterval = DUT_TR_NOOP("SettingsFile", "Периодическая выдача данных");
const char* const kLabelRaw = DUT_TR_NOOP("SettingsFile", "Текущее значение");
const char* const kLabelOutput = DUT_TR_NOOP("SettingsFile", "Уровень выхода");
const char* const kBits = DUT_TR_NOOP("SettingsFile", " бит");
const char* const kOff = DUT_TR_NOOP("SettingsFile", "выключена");
const char* const kTooLarge = DUT_TR_NOOP("SettingsFile", "файл слишком велик для файла настроек");
const char* const kDateText = DUT_TR_NOOP("SettingsFile", ": ожидается текст с датой");
const char* const kDateShape = DUT_TR_NOOP("SettingsFile", ": дата не в виде ГГГГ-ММ-ДД");
const char* const kUnknownKey = DUT_TR_NOOP("SettingsFile", "неизвестный ключ ");
const char* const kIntegerExpected = DUT_TR_NOOP("SettingsFile", ": ожидается целое число");
const char* const kOutOfRange = DUT_TR_NOOP("SettingsFile", ": значение вне допустимого (");
const char* const kNoNumber = DUT_TR_NOOP("SettingsFile", "нет номера ДУТ ");
const char* const kNoDate = DUT_TR_NOOP("SettingsFile", "нет даты ");
const char* const kNothingToWrite =
    DUT_TR_NOOP("SettingsFile", "в файле нет ни одной настройки для записи");

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr const char* kSensorNumberKey = "sensorNumber";
constexpr const char* kDateKey = "date";
constexpr std::size_t kLongestDate = 40;
// A settings file is a few hundred bytes; anything far larger is not one.
constexpr std::size_t kLargestFile = 64 * 1024;

std::string quotedKey(const std::string& key) {
    return "«" + key + "»";
}

// "2026-12-10" at least, as the program writes it ("2026-12-10T10:15:00").
bool dateShape(const std::string& text) {
    if (text.size() < 10 || text.size() > kLongestDate) return false;
    for (std::size_t i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        const auto c = static_cast<unsigned char>(text[i]);
        if (dash ? c != '-' : !std::isdigit(c)) return false;
    }
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string rangeText(std::uint8_t parameter) {
    switch (parameter) {
        case param::kNetworkAddress:
            return kRangeAddress;
        case param::kOutputResolution:
            return kRangeBits;
        case param::kOutputInterval:
            return kRangeInterval;
        case param::kOutputLevel:
            return kRangeLevel;
        case param::kSensorNumber:
            return kRangeNumber;
        default:
            return kRangeAny;
    }
}

}  // namespace

const std::vector<const char*>& settingsFileTexts() {
    static const std::vector<const char*> texts{
        kRangeAddress,  kRangeBits,       kRangeInterval, kRangeLevel,
        kRangeNumber,   kRangeAny,        kLabelNumber,   kLabelVersion,
        kLabelAddress,  kLabelFull,       kLabelEmpty,    kLabelBits,
        kLabelInterval, kLabelRaw,        kLabelOutput,   kBits,
        kOff,           kTooLarge,        kDateText,      kDateShape,
        kUnknownKey,    kIntegerExpected, kOutOfRange,    kNoNumber,
        kNoDate,        kNothingToWrite};
    return texts;
}

const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = {
        {kSensorNumberKey, param::kSensorNumber, kLabelNumber, false},
        {"version", param::kVersion, kLabelVersion, false},
        {"address", param::kNetworkAddress, kLabelAddress, true},
        {"fullLevel", param::kFullLevel, kLabelFull, true},
        {"emptyLevel", param::kEmptyLevel, kLabelEmpty, true},
        {"outputResolutionBits", param::kOutputResolution, kLabelBits, true},
        {"outputIntervalSeconds", param::kOutputInterval, kLabelInterval, true},
        {"rawValue", param::kRawValue, kLabelRaw, false},
        {"outputLevel", param::kOutputLevel, kLabelOutput, false},
    };
    return keys;
}

const SettingKey* keyForParameter(std::uint8_t parameter) {
    for (const SettingKey& key : settingKeys()) {
        if (key.parameter == parameter) return &key;
    }
    return nullptr;
}

const std::vector<std::uint8_t>& writableParameters() {
    static const std::vector<std::uint8_t> parameters = {
        param::kNetworkAddress, param::kFullLevel, param::kEmptyLevel, param::kOutputResolution,
        param::kOutputInterval};
    return parameters;
}

bool valueAllowed(std::uint8_t parameter, std::int32_t value) {
    switch (parameter) {
        case param::kNetworkAddress:
            return value >= 0 && value <= 255;
        case param::kOutputResolution:
            return value == param::kResolution12Bit || value == param::kResolution10Bit;
        case param::kOutputInterval:
            return value == 0 || param::intervalChoiceForSeconds(value);
        case param::kOutputLevel:
            return value >= 0 && value <= 4095;
        case param::kSensorNumber:
            return value > 0;
        default:
            return value >= 0;
    }
}

std::int32_t writtenValue(std::uint8_t parameter, std::int32_t value) {
    return parameter == param::kOutputInterval ? value / 5 : value;
}

std::int64_t fileValue(std::uint8_t parameter, std::int32_t value) {
    if (parameter == param::kOutputResolution) {
        if (value == param::kResolution12Bit) return 12;
        if (value == param::kResolution10Bit) return 10;
    }
    return value;
}

std::optional<std::int32_t> sensorValueFromFile(std::uint8_t parameter, std::int64_t number) {
    if (parameter == param::kOutputResolution) {
        if (number == 12) return param::kResolution12Bit;
        if (number == 10) return param::kResolution10Bit;
        return std::nullopt;
    }
    if (number < std::numeric_limits<std::int32_t>::min() || number > kInt32Max) {
        return std::nullopt;
    }
    const auto value = static_cast<std::int32_t>(number);
    if (!valueAllowed(parameter, value)) return std::nullopt;
    return value;
}

std::string shownValue(std::uint8_t parameter, std::int32_t value) {
    if (parameter == param::kOutputResolution && valueAllowed(parameter, value)) {
        return std::to_string(fileValue(parameter, value)) + kBits;
    }
    if (parameter == param::kOutputInterval) {
        if (value == 0) return kOff;
        if (const auto choice = param::intervalChoiceForSeconds(value)) {
            return param::kIntervalChoices[*choice].label;
        }
    }
    return std::to_string(value);
}

ParsedSettings parseSettings(const std::string& text) {
    ParsedSettings out;
    const auto refuse = [&out](std::string why) {
        out.refusal = std::move(why);
        return out;
    };
    if (text.size() > kLargestFile) return refuse(kTooLarge);
    // Editors on Windows like to put a byte order mark in front.
    const std::string bom = "\xEF\xBB\xBF";
    const FlatJsonResult json =
        parseFlatJson(text.compare(0, bom.size(), bom) == 0 ? text.substr(bom.size()) : text);
    if (!json.error.empty()) return refuse(json.error);

    SettingsDocument document;
    bool haveNumber = false;
    bool haveDate = false;
    for (const JsonMember& member : json.members) {
        if (member.key == kDateKey) {
            if (member.kind != JsonMember::Kind::String) {
                return refuse(quotedKey(member.key) + kDateText);
            }
            if (!dateShape(member.text)) {
                return refuse(quotedKey(member.key) + kDateShape);
            }
            document.date = member.text;
            haveDate = true;
            continue;
        }
        const auto key = std::find_if(settingKeys().begin(), settingKeys().end(),
                                      [&](const SettingKey& k) { return member.key == k.key; });
        if (key == settingKeys().end()) {
            return refuse(kUnknownKey + quotedKey(member.key));
        }
        if (member.kind != JsonMember::Kind::Integer) {
            return refuse(quotedKey(member.key) + kIntegerExpected);
        }
        const std::optional<std::int32_t> value =
            member.integerOverflow ? std::nullopt
                                   : sensorValueFromFile(key->parameter, member.integer);
        if (!value) {
            return refuse(quotedKey(member.key) + kOutOfRange + rangeText(key->parameter) + ")");
        }
        if (key->parameter == param::kSensorNumber) {
            document.sensorNumber = *value;
            haveNumber = true;
        } else {
            document.values[key->parameter] = *value;
        }
    }
    if (!haveNumber) return refuse(kNoNumber + quotedKey(kSensorNumberKey));
    if (!haveDate) return refuse(kNoDate + quotedKey(kDateKey));
    const bool anyWritable =
        std::any_of(writableParameters().begin(), writableParameters().end(),
                    [&](std::uint8_t p) { return document.values.count(p) != 0; });
    if (!anyWritable) return refuse(kNothingToWrite);
    out.document = std::move(document);
    return out;
}

std::string writeSettings(const SettingsDocument& document) {
    std::vector<JsonMember> members;
    JsonMember number;
    number.key = kSensorNumberKey;
    number.kind = JsonMember::Kind::Integer;
    number.integer = document.sensorNumber;
    members.push_back(number);
    JsonMember date;
    date.key = kDateKey;
    date.kind = JsonMember::Kind::String;
    date.text = document.date;
    members.push_back(date);
    for (const SettingKey& key : settingKeys()) {
        const auto it = document.values.find(key.parameter);
        if (it == document.values.end() || key.parameter == param::kSensorNumber) continue;
        JsonMember member;
        member.key = key.key;
        member.kind = JsonMember::Kind::Integer;
        member.integer = fileValue(key.parameter, it->second);
        members.push_back(member);
    }
    return writeFlatJson(members);
}

}  // namespace dut::settings
