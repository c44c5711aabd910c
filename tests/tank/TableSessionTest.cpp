#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TableSession.h"

using dut::tank::Direction;
using dut::tank::readSession;
using dut::tank::TableState;
using dut::tank::writeSession;

namespace {

TableState sampleTable() {
    TableState table;
    table.details = {"бак\tс табом\\и\nстрокой", "", 2147483647};
    table.direction = Direction::Draining;
    table.startLitres = 412.5;
    table.points = {{412.5, 4000, 3100, 1796000000123}, {400.25, 3900, {}, 0}};
    return table;
}

}  // namespace

TEST(TableSession, RoundTripKeepsEveryField) {
    for (const TableState& table : {TableState{}, sampleTable()}) {
        const auto read = readSession(writeSession(table));
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(read.table, table);
    }
}

TEST(TableSession, DamagedOrForeignTextIsRefused) {
    const std::string whole = writeSession(sampleTable());
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", "пуст"},
        {"{\"points\": []}\n", "не файл сеанса"},
        {whole.substr(0, whole.size() - 1), "оборван"},
        {whole.substr(0, whole.rfind("end")), "нет конца"},
        {whole + "point\t1\t2\t3\t4\n", "после конца"},
        {std::string(whole).replace(whole.find("end\t2"), 5, "end\t3"), "не сходится"},
        {std::string(whole).replace(whole.find("3900"), 4, "39x0"), "не читается"},
        {std::string(whole).replace(whole.find("draining"), 8, "sideways"), "не читается"},
        {std::string(whole).replace(whole.find("tank\t"), 5, "tonk\t"), "не читается"},
    };
    for (const auto& [text, word] : cases) {
        const auto read = readSession(text);
        EXPECT_FALSE(read.ok()) << text;
        EXPECT_NE(read.error.find(word), std::string::npos) << read.error;
        EXPECT_TRUE(read.table.points.empty());
    }
}
