#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "CalibrationTable.h"

namespace dut::tank {

// The table as the telematics server and spreadsheets take it: UTF-8, a commented first line
// with the tank, the vehicle, the sensor number and the date, a header row, then one row per
// point, level then litres, separated by ';'. A decimal comma suits spreadsheets in Russian
// locales. Marked points are written like the others.
std::string exportCsv(const TableState& table, const std::string& date, bool decimalComma);

// A file read back: the points and whatever details its comment line carries. A bad file is
// refused as a whole with the number of the first bad line (1-based; 0 for the file as a
// whole) and the reason; so is a file past the bounds of a table (kMaxPoints, kMaxLitres,
// kMaxLevel, kMaxNameBytes), never cut or stored otherwise than it reads.
// The pieces of importCsv's errors, for the window that translates them (context "TableCsv").
const std::vector<const char*>& csvImportTexts();

// The largest file importCsv is given: a table of kMaxPoints rows with room for blanks and
// comments; a larger file is refused unread.
constexpr std::size_t kLargestCsvBytes = 4 * 1024 * 1024;

struct CsvImport {
    TableState table;
    std::size_t badLine = 0;
    std::string error;
    bool ok() const { return error.empty(); }
};
CsvImport importCsv(std::string_view bytes);

}  // namespace dut::tank
