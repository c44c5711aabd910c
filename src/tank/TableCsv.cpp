#include "TableCsv.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "TankNumbers.h"
#include "Translatable.h"

namespace dut::tank {

namespace {

const char* const kEmptyFile = DUT_TR_NOOP("TableCsv", "файл пуст");
const char* const kNotText = DUT_TR_NOOP("TableCsv", "не текст (двоичные данные)");
const char* const kTwoColumns =
    DUT_TR_NOOP("TableCsv", "ожидалось 2 столбца (уровень;литры), найдено ");
const char* const kLevelNotWhole = DUT_TR_NOOP("TableCsv", "уровень не целое число: \"");
const char* const kLitresNotNumber = DUT_TR_NOOP("TableCsv", "литры не число: \"");
const char* const kLevelBelowZero = DUT_TR_NOOP("TableCsv", "уровень меньше нуля");
const char* const kLitresBelowZero = DUT_TR_NOOP("TableCsv", "литры меньше нуля");
const char* const kNoPoints = DUT_TR_NOOP("TableCsv", "в файле нет ни одной точки");
const char* const kBrokenUtf16 = DUT_TR_NOOP("TableCsv", "текст UTF-16 испорчен");
const char* const kUtf16WithoutMark =
    DUT_TR_NOOP("TableCsv",
                "текст в UTF-16 без метки порядка байтов (BOM); сохраните его в UTF-8 или в "
                "UTF-16 с меткой");
const char* const kTooManyPoints =
    DUT_TR_NOOP("TableCsv", "больше точек, чем помещается в таблицу (предел ");
const char* const kLitresAbove = DUT_TR_NOOP("TableCsv", "литры больше предела в ");
const char* const kLevelAbove = DUT_TR_NOOP("TableCsv", "уровень больше предела в ");
const char* const kNameTooLong = DUT_TR_NOOP("TableCsv", "название длиннее ");
const char* const kBytes = DUT_TR_NOOP("TableCsv", " байт");

const char kHeader[] = "Уровень;Литры";
const char kTankKey[] = "Бак: ";
const char kVehicleKey[] = "ТС: ";
const char kSensorKey[] = "ДУТ № ";
const char kDateKey[] = "Дата: ";

// A typed name must not break the line or the comment's fields.
std::string field(const std::string& text) {
    std::string out;
    for (const char c : text) out += (c == '\n' || c == '\r' || c == ';') ? ' ' : c;
    return out;
}

bool validUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        if (lead < 0x80) {
            extra = 0;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= bytes.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

// Spreadsheets on Windows save "Unicode text" as UTF-16 behind its byte order mark; the table
// is read from the same text in UTF-8. Nothing when the text is not whole UTF-16.
std::optional<std::string> utf8FromUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8u) | b : (b << 8u) | a;
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        std::uint32_t code = unit(i);
        if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 3 >= bytes.size()) return std::nullopt;
            const std::uint32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10u) + (low - 0xDC00);
            i += 2;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6u));
            out += static_cast<char>(0x80 | (code & 0x3Fu));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12u));
            out += static_cast<char>(0x80 | ((code >> 6u) & 0x3Fu));
            out += static_cast<char>(0x80 | (code & 0x3Fu));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18u));
            out += static_cast<char>(0x80 | ((code >> 12u) & 0x3Fu));
            out += static_cast<char>(0x80 | ((code >> 6u) & 0x3Fu));
            out += static_cast<char>(0x80 | (code & 0x3Fu));
        }
    }
    return out;
}

// UTF-16 with no mark: the digits and separators of a table put a zero byte in every other
// place, always the same one, in at least half of its first characters. Told apart from other
// binary data so the refusal can say what to do.
bool utf16WithoutMark(std::string_view bytes) {
    const std::size_t pairs = std::min<std::size_t>(bytes.size(), 512) / 2;
    std::size_t evenZeros = 0;
    std::size_t oddZeros = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        if (bytes[2 * i] == '\0') ++evenZeros;
        if (bytes[2 * i + 1] == '\0') ++oddZeros;
    }
    if ((evenZeros == 0) == (oddZeros == 0)) return false;
    return std::max(evenZeros, oddZeros) * 2 >= pairs;
}

bool binaryLine(std::string_view line) {
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\r') return true;
        if (byte == 0x7F) return true;
    }
    return !validUtf8(line);
}

std::vector<std::string_view> split(std::string_view line, char separator) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = line.find(separator, from);
        parts.push_back(line.substr(from, at - from));
        if (at == std::string_view::npos) break;
        from = at + 1;
    }
    return parts;
}

bool blank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

// "# Бак: A; ТС: B; ДУТ № 12; Дата: ..." back into the details; unknown fields are passed over.
void readComment(std::string_view comment, TankDetails& details) {
    for (std::string_view part : split(comment, ';')) {
        while (!part.empty() && (part.front() == ' ' || part.front() == '#')) {
            part.remove_prefix(1);
        }
        const auto take = [&](std::string_view key) -> std::optional<std::string> {
            if (part.substr(0, key.size()) != key) return std::nullopt;
            return std::string(part.substr(key.size()));
        };
        if (auto tank = take(kTankKey)) {
            details.tank = *tank;
        } else if (auto vehicle = take(kVehicleKey)) {
            details.vehicle = *vehicle;
        } else if (auto sensor = take(kSensorKey)) {
            if (auto number = parseWhole(*sensor)) {
                details.sensorNumber = static_cast<std::int32_t>(*number);
            }
        }
    }
}

}  // namespace

const std::vector<const char*>& csvImportTexts() {
    static const std::vector<const char*> texts{
        kEmptyFile,      kNotText,         kTwoColumns, kLevelNotWhole, kLitresNotNumber,
        kLevelBelowZero, kLitresBelowZero, kNoPoints,   kBrokenUtf16,   kUtf16WithoutMark,
        kTooManyPoints,  kLitresAbove,     kLevelAbove, kNameTooLong,   kBytes};
    return texts;
}

std::string exportCsv(const TableState& table, const std::string& date, bool decimalComma) {
    std::string out = std::string("# ") + kTankKey + field(table.details.tank) + "; " +
                      kVehicleKey + field(table.details.vehicle) + "; " + kSensorKey +
                      std::to_string(table.details.sensorNumber) + "; " + kDateKey + field(date) +
                      "\n";
    out += kHeader;
    out += "\n";
    for (const TankPoint& point : table.points) {
        out += std::to_string(point.level) + ";" + litresText(point.litres, decimalComma) + "\n";
    }
    return out;
}

CsvImport importCsv(std::string_view given) {
    CsvImport result;
    const auto refuse = [&](std::size_t line, std::string reason) {
        result.badLine = line;
        result.error = std::move(reason);
        result.table.points.clear();
        return result;
    };
    std::string_view bytes = given;
    std::string converted;
    const bool littleMark = given.substr(0, 2) == "\xFF\xFE";
    if (littleMark || given.substr(0, 2) == "\xFE\xFF") {
        auto utf8 = utf8FromUtf16(given.substr(2), !littleMark);
        if (!utf8) return refuse(0, kBrokenUtf16);
        converted = std::move(*utf8);
        bytes = converted;
    } else if (utf16WithoutMark(given)) {
        return refuse(0, kUtf16WithoutMark);
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return refuse(0, kEmptyFile);
    }
    const std::vector<std::string_view> lines = split(bytes, '\n');
    bool headerSeen = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        const std::size_t number = i + 1;
        if (binaryLine(line)) return refuse(number, kNotText);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (blank(line)) continue;
        if (line.front() == '#') {
            if (result.table.points.empty() && !headerSeen) {
                readComment(line, result.table.details);
                const auto& d = result.table.details;
                if (d.tank.size() > kMaxNameBytes || d.vehicle.size() > kMaxNameBytes) {
                    return refuse(number, kNameTooLong + std::to_string(kMaxNameBytes) + kBytes);
                }
            }
            continue;
        }
        const std::vector<std::string_view> fields = split(line, ';');
        if (fields.size() != 2) {
            return refuse(number, kTwoColumns + std::to_string(fields.size()));
        }
        const auto level = parseWhole(fields[0]);
        const auto litres = parseLitres(fields[1]);
        if (!level && !litres && !headerSeen && result.table.points.empty()) {
            headerSeen = true;  // a header row of any wording
            continue;
        }
        if (!level) return refuse(number, kLevelNotWhole + std::string(fields[0]) + "\"");
        if (!litres) return refuse(number, kLitresNotNumber + std::string(fields[1]) + "\"");
        if (*level < 0) return refuse(number, kLevelBelowZero);
        if (*litres < 0.0) return refuse(number, kLitresBelowZero);
        if (*level > kMaxLevel) return refuse(number, kLevelAbove + std::to_string(kMaxLevel));
        const auto kept = litresInRange(*litres);
        if (!kept) return refuse(number, kLitresAbove + litresText(kMaxLitres));
        if (result.table.points.size() == kMaxPoints) {
            return refuse(0, kTooManyPoints + std::to_string(kMaxPoints) + ")");
        }
        result.table.points.push_back({*kept, static_cast<std::int32_t>(*level), std::nullopt, 0});
    }
    if (result.table.points.empty()) return refuse(0, kNoPoints);
    const auto& points = result.table.points;
    const bool draining = points.size() > 1 && points.back().litres < points.front().litres;
    result.table.direction = draining ? Direction::Draining : Direction::Filling;
    result.table.startLitres = draining ? points.front().litres : 0.0;
    return result;
}

}  // namespace dut::tank
