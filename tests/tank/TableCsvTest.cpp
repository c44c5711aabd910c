#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TableCsv.h"
#include "TankNumbers.h"

using dut::tank::Direction;
using dut::tank::exportCsv;
using dut::tank::importCsv;
using dut::tank::litresText;
using dut::tank::parseLitres;
using dut::tank::TableState;

namespace {

TableState sampleTable() {
    TableState table;
    table.details = {"Бак левый; 400 л", "КамАЗ\nА123", 1234};
    table.points = {{0, 12, 300, 1}, {10, 400, 900, 2}, {22.5, 700, 1500, 3}, {30.125, 699, {}, 4}};
    return table;
}

}  // namespace

TEST(TankNumbers, LitresPrintAndParseAlike) {
    EXPECT_EQ(litresText(0), "0");
    EXPECT_EQ(litresText(10), "10");
    EXPECT_EQ(litresText(0.1 + 0.2), "0.3");
    EXPECT_EQ(litresText(30.125), "30.125");
    EXPECT_EQ(litresText(30.125, true), "30,125");
    EXPECT_EQ(litresText(-2.5), "-2.5");
    for (const char* good : {"12", "12.5", "12,5", " 7 ", "-3.25", "+4", "0.001"}) {
        EXPECT_TRUE(parseLitres(good)) << good;
    }
    for (const char* bad :
         {"", " ", "12.", ".5", "1e3", "1,2,3", "1.2.3", "inf", "nan", "12 л", "0x10", "1 000"}) {
        EXPECT_FALSE(parseLitres(bad)) << bad;
    }
    EXPECT_EQ(*parseLitres("12,5"), 12.5);
}

TEST(TableCsv, ExportHasTheCommentTheHeaderAndOneRowPerPoint) {
    const std::string dot = exportCsv(sampleTable(), "2026-12-10 07:30", false);
    EXPECT_EQ(dot,
              "# Бак: Бак левый  400 л; ТС: КамАЗ А123; ДУТ № 1234; Дата: 2026-12-10 07:30\n"
              "Уровень;Литры\n"
              "12;0\n400;10\n700;22.5\n699;30.125\n");
    const std::string comma = exportCsv(sampleTable(), "d", true);
    EXPECT_NE(comma.find("700;22,5\n699;30,125\n"), std::string::npos) << comma;
}

TEST(TableCsv, RoundTripKeepsLevelsLitresAndDetails) {
    for (const bool decimalComma : {false, true}) {
        const auto read = importCsv(exportCsv(sampleTable(), "d", decimalComma));
        ASSERT_TRUE(read.ok()) << read.badLine << ": " << read.error;
        const auto& points = read.table.points;
        ASSERT_EQ(points.size(), 4u);
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i].level, sampleTable().points[i].level);
            EXPECT_EQ(points[i].litres, sampleTable().points[i].litres);
        }
        EXPECT_EQ(read.table.details.sensorNumber, 1234);
        EXPECT_EQ(read.table.details.tank, "Бак левый  400 л");
        EXPECT_EQ(read.table.direction, Direction::Filling);
    }
    // Written by a spreadsheet: a byte order mark, CRLF, no comment, a header of its own.
    const auto sheet = importCsv("\xEF\xBB\xBFlevel;litres\r\n4000;60\r\n2000;30\r\n\r\n");
    ASSERT_TRUE(sheet.ok()) << sheet.error;
    EXPECT_EQ(sheet.table.direction, Direction::Draining);
    EXPECT_EQ(sheet.table.startLitres, 60);
}

TEST(TableCsv, BadFilesAreRefusedWithTheLineAndTheReason) {
    struct Case {
        std::string bytes;
        std::size_t line;
        const char* reasonWord;
    };
    const std::vector<Case> cases = {
        {"", 0, "пуст"},
        {" \r\n\n", 0, "пуст"},
        {"# only a comment\nУровень;Литры\n", 0, "нет ни одной точки"},
        {"Уровень;Литры\n1;2\n3;4;5\n", 3, "2 столбца"},
        {"Уровень;Литры\n1\n", 2, "найдено 1"},
        {"Уровень;Литры\n1;2\nx;3\n", 3, "уровень"},
        {"Уровень;Литры\n1;2\n3;abc\n", 3, "литры"},
        {"Уровень;Литры\n1.5;2\n", 2, "уровень"},
        {"Уровень;Литры\n-1;2\n", 2, "меньше нуля"},
        {"Уровень;Литры\n1;2\nУровень;Литры\n", 3, "уровень"},  // a header only at the top
        {std::string("1;2\n3;\0\x01\x02", 9), 2, "двоичные"},
        {"1;2\n\x89PNG\xFF\xFE;3\n", 2, "двоичные"},
    };
    for (const Case& c : cases) {
        const auto read = importCsv(c.bytes);
        EXPECT_FALSE(read.ok()) << c.bytes;
        EXPECT_EQ(read.badLine, c.line) << c.bytes << " -> " << read.error;
        EXPECT_NE(read.error.find(c.reasonWord), std::string::npos) << read.error;
        EXPECT_TRUE(read.table.points.empty());
    }
}
