// The settings file as the installer's editor or a damaged disk may leave it: every refusal
// names its reason, and a good file reads back exactly what was written.
#include <gtest/gtest.h>

#include <string>

#include "SettingsFile.h"

namespace {

using dut::settings::parseSettings;
using dut::settings::SettingsDocument;
using dut::settings::writeSettings;

struct BadFile {
    const char* name;
    std::string text;
    const char* reason;  // a piece of the refusal the installer must see
};

// A good file with one member replaced or added: the rest stays valid, so each case fails
// for its own reason only.
std::string withMember(const std::string& member) {
    return "{\"sensorNumber\": 1234, \"date\": \"2026-12-10T10:15:00\", \"address\": 7" +
           (member.empty() ? std::string() : ", " + member) + "}";
}

const BadFile kBadFiles[] = {
    {"Empty", "", "неверный JSON"},
    {"NotAnObject", "[1, 2]", "ожидается объект"},
    {"Truncated", "{\"sensorNumber\": 1234, \"date\": \"2026-12-10\"", "неверный JSON"},
    {"TrailingComma", withMember("\"fullLevel\": 3000,"), "неверный JSON"},
    {"ErrorOnThirdLine", "{\n\"sensorNumber\": 1234,\n\"date\" \"2026-12-10\"\n}",
     "неверный JSON (строка 3): ожидается «:»"},
    {"TextAfterObject", withMember("") + " {}", "лишний текст"},
    {"SingleQuotes", "{'sensorNumber': 1234}", "неверный JSON"},
    {"LeadingZero", withMember("\"fullLevel\": 0300"), "неверный JSON"},
    {"ControlCharInText", "{\"date\": \"2026-12-10\x01\"}", "неверный JSON"},
    {"LoneSurrogate", "{\"sensorNumber\": 1234, \"date\": \"2026-12-10\\udc00\", \"address\": 7}",
     "неверный JSON"},
    {"BadEscape", "{\"sensorNumber\": 1234, \"date\": \"2026-12-10\\x\", \"address\": 7}",
     "неверный JSON"},
    {"VerticalTabAsBlank", withMember("\v\"fullLevel\": 3000"), "неверный JSON"},
    {"DuplicateKey", withMember("\"address\": 8"), "повторяется"},
    {"UnknownKey", withMember("\"fuelType\": 1"), "неизвестный ключ «fuelType»"},
    {"KeyInOtherCase", withMember("\"FullLevel\": 3000"), "неизвестный ключ «FullLevel»"},
    {"AddressAsText", "{\"sensorNumber\": 1234, \"date\": \"2026-12-10\", \"address\": \"7\"}",
     "«address»: ожидается целое число"},
    {"LevelAsFraction", withMember("\"fullLevel\": 3000.5"), "«fullLevel»: ожидается целое"},
    {"LevelInExponent", withMember("\"fullLevel\": 3e3"), "«fullLevel»: ожидается целое"},
    {"LevelAsBoolean", withMember("\"emptyLevel\": true"), "«emptyLevel»: ожидается целое"},
    {"LevelAsNull", withMember("\"emptyLevel\": null"), "«emptyLevel»: ожидается целое"},
    {"LevelAsArray", withMember("\"emptyLevel\": [200]"), "«emptyLevel»: ожидается целое"},
    {"AddressAbove255", "{\"sensorNumber\": 1234, \"date\": \"2026-12-10\", \"address\": 256}",
     "«address»: значение вне допустимого (от 0 до 255)"},
    {"AddressNegative", "{\"sensorNumber\": 1234, \"date\": \"2026-12-10\", \"address\": -1}",
     "«address»: значение вне"},
    {"LevelNegative", withMember("\"fullLevel\": -1"), "«fullLevel»: значение вне"},
    {"LevelAbove32Bits", withMember("\"fullLevel\": 2147483648"), "«fullLevel»: значение вне"},
    {"LevelHuge", withMember("\"fullLevel\": 99999999999999999999999"), "«fullLevel»: значение"},
    {"ResolutionAsCode", withMember("\"outputResolutionBits\": 100"),
     "«outputResolutionBits»: значение вне допустимого (12 или 10)"},
    {"ResolutionEightBits", withMember("\"outputResolutionBits\": 8"), "значение вне"},
    {"IntervalNotAChoice", withMember("\"outputIntervalSeconds\": 15"),
     "«outputIntervalSeconds»: значение вне"},
    {"IntervalAsWritten", withMember("\"outputIntervalSeconds\": 2"), "значение вне"},
    {"IntervalAboveLast", withMember("\"outputIntervalSeconds\": 360"), "значение вне"},
    {"OutputLevelAbove4095", withMember("\"outputLevel\": 4096"), "«outputLevel»: значение"},
    {"SensorNumberZero", "{\"sensorNumber\": 0, \"date\": \"2026-12-10\", \"address\": 7}",
     "«sensorNumber»: значение вне"},
    {"NoSensorNumber", "{\"date\": \"2026-12-10\", \"address\": 7}", "нет номера ДУТ"},
    {"NoDate", "{\"sensorNumber\": 1234, \"address\": 7}", "нет даты"},
    {"DateAsNumber", "{\"sensorNumber\": 1234, \"date\": 20261210, \"address\": 7}",
     "«date»: ожидается текст"},
    {"DateOtherShape", "{\"sensorNumber\": 1234, \"date\": \"10.12.2026\", \"address\": 7}",
     "«date»: дата не в виде"},
    {"OnlyReadOnlyValues",
     "{\"sensorNumber\": 1234, \"date\": \"2026-12-10\", \"version\": 7, \"rawValue\": 900}",
     "нет ни одной настройки"},
    {"TooLarge", withMember("\"fullLevel\": 3000" + std::string(70000, ' ')), "слишком велик"},
};

class BadSettingsFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadSettingsFile, IsRefusedWithItsReason) {
    const auto parsed = parseSettings(GetParam().text);
    EXPECT_FALSE(parsed.document.has_value());
    EXPECT_NE(parsed.refusal.find(GetParam().reason), std::string::npos)
        << "refusal: " << parsed.refusal;
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, BadSettingsFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, WrittenFileReadsBackWithTheSensorsOwnValues) {
    SettingsDocument document;
    document.sensorNumber = 2147483647;
    document.date = "2026-12-10T10:15:00";
    document.values = {{3, 255}, {4, 2147483647}, {5, 0}, {8, 200}, {9, 300}, {10, 7}};
    const std::string text = writeSettings(document);
    // People read the file: bits and seconds, not the sensor's codes.
    EXPECT_NE(text.find("\"outputResolutionBits\": 10"), std::string::npos) << text;
    EXPECT_NE(text.find("\"outputIntervalSeconds\": 300"), std::string::npos) << text;

    const auto parsed = parseSettings(text);
    ASSERT_TRUE(parsed.document.has_value()) << parsed.refusal;
    EXPECT_EQ(parsed.document->sensorNumber, document.sensorNumber);
    EXPECT_EQ(parsed.document->date, document.date);
    EXPECT_EQ(parsed.document->values, document.values);
}

TEST(SettingsFile, AcceptsTheBoundariesAndAByteOrderMark) {
    const auto parsed = parseSettings(
        "\xEF\xBB\xBF{ \"sensorNumber\": 1, \"date\": \"2026-01-01\", \"address\": 0,\n"
        "\"emptyLevel\": 0, \"outputResolutionBits\": 12, \"outputIntervalSeconds\": 0,\n"
        "\"outputLevel\": 4095, \"rawValue\": 0 }");
    ASSERT_TRUE(parsed.document.has_value()) << parsed.refusal;
    // An escaped letter is the letter: this is the address.
    const auto escaped =
        parseSettings("{\"sensorNumber\": 1, \"date\": \"2026-01-01\", \"addr\\u0065ss\": 255}");
    ASSERT_TRUE(escaped.document.has_value()) << escaped.refusal;
    EXPECT_EQ(escaped.document->values.at(3), 255);
    const std::map<std::uint8_t, std::int32_t> expected = {{0, 0},    {3, 0},   {5, 0},
                                                           {6, 4095}, {8, 100}, {9, 0}};
    EXPECT_EQ(parsed.document->values, expected);
}

}  // namespace
