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

// The longest session writeSession makes of a table within the bounds (kMaxPoints points,
// each line at most kLongestPointLine bytes, two names of kMaxNameBytes escaped); a larger
// file is not a session. Every file the program reads is read within 8 MB, so must be this.
constexpr std::size_t kLongestPointLine = 64;
constexpr std::size_t kLargestSessionBytes =
    1024 + 4 * kMaxNameBytes + kMaxPoints * kLongestPointLine;
static_assert(kLargestSessionBytes <= 8 * 1024 * 1024, "a session must fit a bounded read");

struct SessionRead {
    TableState table;
    std::string error;  // empty when the file was a whole session
    bool ok() const { return error.empty(); }
};
// A table past the bounds (kMaxPoints, kMaxLitres, kMaxLevel, kMaxNameBytes) is refused like
// any other line that does not read.
SessionRead readSession(std::string_view text);

}  // namespace dut::tank
