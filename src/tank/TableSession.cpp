#include "TableSession.h"

#include <vector>

#include "TankNumbers.h"
#include "Translatable.h"

namespace dut::tank {

namespace {

const char* const kCutLine = DUT_TR_NOOP("TableSession", "файл оборван (нет конца строки)");
const char* const kLine = DUT_TR_NOOP("TableSession", "строка ");
const char* const kNotSession = DUT_TR_NOOP("TableSession", "это не файл сеанса тарировки");
const char* const kAfterEnd = DUT_TR_NOOP("TableSession", "данные после конца таблицы");
const char* const kUnreadable = DUT_TR_NOOP("TableSession", "не читается");
const char* const kCountWrong = DUT_TR_NOOP("TableSession", "число точек не сходится");
const char* const kEmptySession = DUT_TR_NOOP("TableSession", "файл пуст");
const char* const kCutTable = DUT_TR_NOOP("TableSession", "файл оборван (нет конца таблицы)");
const char* const kTooLarge = DUT_TR_NOOP("TableSession", "файл больше предела в ");
const char* const kBytes = DUT_TR_NOOP("TableSession", " байт");
const char* const kTooManyPoints = DUT_TR_NOOP("TableSession", "точек больше предела в ");

const char kMagic[] = "dut-tank-session 1";

// Names may hold any character; tabs, line breaks and backslashes are escaped.
std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = line.find('\t', from);
        fields.push_back(line.substr(from, at - from));
        if (at == std::string_view::npos) break;
        from = at + 1;
    }
    return fields;
}

// Times are written in full; parseWhole stops at 32 bits.
std::optional<long long> parseTime(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

const std::vector<const char*>& sessionReadTexts() {
    static const std::vector<const char*> texts{kCutLine,    kLine,       kNotSession,   kAfterEnd,
                                                kUnreadable, kCountWrong, kEmptySession, kCutTable,
                                                kTooLarge,   kBytes,      kTooManyPoints};
    return texts;
}

std::string writeSession(const TableState& table) {
    std::string out = std::string(kMagic) + "\n";
    out += "tank\t" + escaped(table.details.tank) + "\n";
    out += "vehicle\t" + escaped(table.details.vehicle) + "\n";
    out += "sensor\t" + std::to_string(table.details.sensorNumber) + "\n";
    out += std::string("direction\t") +
           (table.direction == Direction::Filling ? "filling" : "draining") + "\n";
    out += "start\t" + litresText(table.startLitres) + "\n";
    for (const TankPoint& point : table.points) {
        out += "point\t" + litresText(point.litres) + "\t" + std::to_string(point.level) + "\t" +
               (point.raw ? std::to_string(*point.raw) : std::string("-")) + "\t" +
               std::to_string(point.time) + "\n";
    }
    out += "end\t" + std::to_string(table.points.size()) + "\n";
    return out;
}

SessionRead readSession(std::string_view text) {
    SessionRead result;
    const auto fail = [&](std::string why) {
        result.error = std::move(why);
        result.table = {};
        return result;
    };
    if (text.size() > kLargestSessionBytes) {
        return fail(kTooLarge + std::to_string(kLargestSessionBytes) + kBytes);
    }
    std::size_t lineNumber = 0;
    bool ended = false;
    bool haveMagic = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return fail(kCutLine);
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        ++lineNumber;
        const std::string where = kLine + std::to_string(lineNumber) + ": ";
        if (!haveMagic) {
            if (line != kMagic) return fail(kNotSession);
            haveMagic = true;
            continue;
        }
        if (ended) return fail(where + kAfterEnd);
        const std::vector<std::string_view> f = fieldsOf(line);
        const std::string_view key = f[0];
        const auto bad = [&] { return fail(where + kUnreadable); };
        if (key == "tank" || key == "vehicle") {
            if (f.size() != 2) return bad();
            auto value = unescaped(f[1]);
            if (!value || value->size() > kMaxNameBytes) return bad();
            (key == "tank" ? result.table.details.tank : result.table.details.vehicle) = *value;
        } else if (key == "sensor") {
            const auto number = f.size() == 2 ? parseWhole(f[1]) : std::nullopt;
            if (!number) return bad();
            result.table.details.sensorNumber = static_cast<std::int32_t>(*number);
        } else if (key == "direction") {
            if (f.size() != 2 || (f[1] != "filling" && f[1] != "draining")) return bad();
            result.table.direction = f[1] == "filling" ? Direction::Filling : Direction::Draining;
        } else if (key == "start") {
            const auto litres = f.size() == 2 ? parseLitres(f[1]) : std::nullopt;
            const auto kept = litres ? litresInRange(*litres) : std::nullopt;
            if (!kept) return bad();
            result.table.startLitres = *kept;
        } else if (key == "point") {
            if (f.size() != 5) return bad();
            const auto litres = parseLitres(f[1]);
            const auto level = parseWhole(f[2]);
            const auto raw = f[3] == "-" ? std::optional<long long>() : parseWhole(f[3]);
            const auto time = parseTime(f[4]);
            const auto kept = litres ? litresInRange(*litres) : std::nullopt;
            if (!kept || !level || *level < 0 || *level > kMaxLevel || (f[3] != "-" && !raw) ||
                !time) {
                return bad();
            }
            if (result.table.points.size() == kMaxPoints) {
                return fail(where + kTooManyPoints + std::to_string(kMaxPoints));
            }
            TankPoint point{*kept, static_cast<std::int32_t>(*level), std::nullopt, *time};
            if (raw) point.raw = static_cast<std::int32_t>(*raw);
            result.table.points.push_back(point);
        } else if (key == "end") {
            const auto count = f.size() == 2 ? parseWhole(f[1]) : std::nullopt;
            if (!count || *count != static_cast<long long>(result.table.points.size())) {
                return fail(where + kCountWrong);
            }
            ended = true;
        } else {
            return bad();
        }
    }
    if (!haveMagic) return fail(kEmptySession);
    if (!ended) return fail(kCutTable);
    return result;
}

}  // namespace dut::tank
