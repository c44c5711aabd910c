// The bounds of a table hold alike wherever litres, levels and points come from: typed into
// the table, read from a CSV file, read from the session file. A value past them is refused,
// never kept as something else.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "CalibrationTable.h"
#include "TableCsv.h"
#include "TableSession.h"
#include "TankNumbers.h"

using namespace dut::tank;

namespace {

struct LitresCase {
    const char* text;
    double value;
    bool taken;
};

const std::vector<LitresCase>& litresCases() {
    static const std::vector<LitresCase> cases = {
        {"0", 0.0, true},
        {"1000000", 1'000'000.0, true},
        {"999999.999", 999'999.999, true},
        {"1000000.001", 1'000'000.001, false},
        {"-0.5", -0.5, false},
        {"10000000000000", 1e13, false},
    };
    return cases;
}

std::string csvOf(const std::string& level, const std::string& litres) {
    return "Уровень;Литры\n" + level + ";" + litres + "\n";
}

std::string sessionWithPoint(const std::string& litres, const std::string& level) {
    return "dut-tank-session 1\nstart\t0\npoint\t" + litres + "\t" + level + "\t-\t0\nend\t1\n";
}

TableState tableOf(std::size_t points, double litres = 1'000'000.0, std::int32_t level = 65535) {
    TableState table;
    for (std::size_t i = 0; i < points; ++i) {
        table.points.push_back(
            {litres, level, std::numeric_limits<std::int32_t>::min(), 999'999'999'999'999'999});
    }
    return table;
}

}  // namespace

TEST(TableBounds, LitresFromZeroToAMillionAreTakenAsShownElseRefused) {
    for (const LitresCase& c : litresCases()) {
        SCOPED_TRACE(c.text);
        // Typed into a row.
        CalibrationTable table;
        ASSERT_TRUE(table.record(0, 10, std::nullopt, 0).done());
        const auto edit = table.editLitres(0, c.value);
        EXPECT_EQ(edit.done(), c.taken) << edit.refusal;
        EXPECT_EQ(table.points()[0].litres, c.taken ? c.value : 0.0);
        // A full volume to drain from.
        CalibrationTable draining;
        EXPECT_EQ(draining.start(Direction::Draining, c.value).done(), c.taken && c.value > 0);
        // Read from a CSV file and from the session file.
        const CsvImport csv = importCsv(csvOf("10", c.text));
        EXPECT_EQ(csv.ok(), c.taken) << csv.error;
        const SessionRead session = readSession(sessionWithPoint(c.text, "10"));
        EXPECT_EQ(session.ok(), c.taken) << session.error;
        if (c.taken) {
            EXPECT_EQ(csv.table.points.at(0).litres, c.value);
            EXPECT_EQ(session.table.points.at(0).litres, c.value);
            // Saved as shown, and read back as saved.
            EXPECT_EQ(litresText(c.value), c.text);
            EXPECT_EQ(readSession(writeSession(session.table)).table, session.table);
        } else if (c.value > 0) {
            EXPECT_NE(csv.error.find("больше предела"), std::string::npos) << csv.error;
        }
    }
    EXPECT_EQ(litresText(1e13), "10000000000000") << "never printed as 0";
}

TEST(TableBounds, PortionsAndRecordedLitresStayWithinAMillion) {
    CalibrationTable table;
    ASSERT_TRUE(table.record(0, 10, std::nullopt, 0).done());
    const auto huge = table.record(1e13, 20, std::nullopt, 0);
    EXPECT_NE(huge.refusal.find("Порция больше предела в 1000000 л."), std::string::npos)
        << huge.refusal;
    ASSERT_TRUE(table.record(1'000'000, 20, std::nullopt, 0).done());
    const auto past = table.record(0.001, 30, std::nullopt, 0);
    EXPECT_NE(past.refusal.find("В баке стало бы больше 1000000 л."), std::string::npos)
        << past.refusal;
    ASSERT_EQ(table.points().size(), 2u);
    EXPECT_EQ(table.points()[1].litres, 1'000'000.0);
    // An edit that would push a later row past the bound moves nothing.
    const auto pushed = table.editLitres(0, 1);
    EXPECT_NE(pushed.refusal.find("Литры строки 2 стали бы больше"), std::string::npos)
        << pushed.refusal;
    EXPECT_EQ(table.points()[0].litres, 0.0);
    // More than the table shows is not kept: thousandths, as printed and saved.
    ASSERT_TRUE(table.editLitres(0, 0.0004).done());
    EXPECT_EQ(table.points()[0].litres, 0.0);
}

TEST(TableBounds, LevelsFromZeroTo65535AreTakenElseRefused) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"0", true}, {"65535", true}, {"65536", false}, {"-1", false}, {"2147483647", false}};
    for (const auto& [level, taken] : cases) {
        SCOPED_TRACE(level);
        EXPECT_EQ(importCsv(csvOf(level, "5")).ok(), taken);
        EXPECT_EQ(readSession(sessionWithPoint("5", level)).ok(), taken);
    }
}

TEST(TableBounds, ATableHoldsTheLimitOfPointsAndNotOneMore) {
    for (const std::size_t count : {kMaxPoints, kMaxPoints + 1}) {
        SCOPED_TRACE(count);
        const bool taken = count <= kMaxPoints;
        std::string csv = "Уровень;Литры\n";
        for (std::size_t i = 0; i < count; ++i) csv += std::to_string(i % 4096) + ";1,5\n";
        const CsvImport imported = importCsv(csv);
        EXPECT_EQ(imported.ok(), taken) << imported.error;
        if (!taken) {
            EXPECT_NE(imported.error.find("(предел " + std::to_string(kMaxPoints)),
                      std::string::npos)
                << "the refusal names the limit: " << imported.error;
        }
        // The longest session such a table makes: the widest numbers and names.
        TableState table = tableOf(count);
        table.details.tank = std::string(kMaxNameBytes, '\\');
        table.details.vehicle = std::string(kMaxNameBytes, '\t');
        const std::string text = writeSession(table);
        const SessionRead read = readSession(text);
        EXPECT_EQ(read.ok(), taken) << read.error;
        if (taken) {
            EXPECT_LE(text.size(), kLargestSessionBytes) << "the reader takes what was written";
            EXPECT_EQ(read.table, table);
        }
    }
    CalibrationTable recorded;
    recorded.replace(tableOf(kMaxPoints - 1, 1));
    EXPECT_TRUE(recorded.record(1, 1, std::nullopt, 0).done());
    const auto full = recorded.record(1, 2, std::nullopt, 0);
    EXPECT_NE(full.refusal.find("не больше " + std::to_string(kMaxPoints) + " точек"),
              std::string::npos)
        << full.refusal;
    EXPECT_EQ(recorded.points().size(), kMaxPoints);
}

TEST(TableBounds, NamesLongerThanTheBoundAreRefused) {
    const std::string name(kMaxNameBytes + 1, 'x');
    EXPECT_FALSE(importCsv("# Бак: " + name + "\n" + csvOf("1", "1")).ok());
    EXPECT_TRUE(importCsv("# Бак: " + name.substr(1) + "\n" + csvOf("1", "1")).ok());
    EXPECT_FALSE(readSession("dut-tank-session 1\ntank\t" + name + "\nend\t0\n").ok());
    EXPECT_FALSE(readSession(std::string(kLargestSessionBytes + 1, 'x')).ok());
}
