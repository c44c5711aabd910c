#pragma once

#include <string>
#include <vector>

namespace dut::config {

// What the user can do about a port that would not open, from the system's error code;
// empty where no fix is known. The codes are errno values on POSIX systems and GetLastError
// values on Windows; both tables are here so that each can be checked on any build machine.
std::string posixOpenAdvice(int errnoCode);
std::string win32OpenAdvice(unsigned long errorCode);

// The table of the system this program was built for.
std::string openAdvice(int code);

// The system's own text for the failure, followed by the advice where there is one:
// "Permission denied. Add your user to ...". The system's text may already end in a full
// stop (Windows' texts do); it never gets a second one.
std::string openErrorExplanation(const std::string& systemMessage, const std::string& advice);

// The one line that says why the port could not be opened: "Cannot open <port>: <why>",
// or "Cannot open <port>." when the system gave no reason.
std::string portOpenReason(const std::string& port, const std::string& why);

// The pieces of the two above that a window translates.
const std::vector<const char*>& portOpenTexts();

}  // namespace dut::config
