#pragma once

#include <string>
#include <string_view>

#include "CalibrationTable.h"

namespace dut::tank {

// The text of the session file that keeps an unfinished table across a crash: a first line
// that names the format, one line per field, and a closing line with the number of points, so
// a file cut short or written by something else is told apart from a table.
std::string writeSession(const TableState& table);

// The pieces of readSession's errors, for the window that translates them (context
// "TableSession").
const std::vector<const char*>& sessionReadTexts();

struct SessionRead {
    TableState table;
    std::string error;  // empty when the file was a whole session
    bool ok() const { return error.empty(); }
};
SessionRead readSession(std::string_view text);

}  // namespace dut::tank
