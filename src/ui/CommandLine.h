#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ui {

// What the program was asked to do on its command line:
// [--trace FILE] [--lang ru|en] [PORT] | --help | --version.
// Qt never sees the arguments; this is the only reader.
struct CommandLine {
    enum class Action { Run, Help, Version, Misuse };

    Action action = Action::Run;
    std::string port;       // Run: the port to connect at once; empty: none, as without arguments
    std::string traceFile;  // Run: where every frame of the exchanges is written; empty: none
    std::string language;   // "ru" or "en" for the windows and a misuse's complaint; empty: the
                            // remembered or the system's
    std::string problem;    // Misuse: what was wrong, said before the usage
};

// The arguments after the program's name. The first --help or --version decides, unless an
// unknown option or a second port comes before it.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);
CommandLine parseCommandLine(int argc, const char* const* argv);

// In the language of the translator installed, if any; English without one.
std::string usageText();
std::string versionText();

// The exit status of a command line that cannot be obeyed.
constexpr int kMisuseExitStatus = 2;

// Answers the actions that need no window (usage and version on `out`, a misuse with the
// usage on `err`, both translated like usageText()) and returns the exit status; nothing for
// Run.
std::optional<int> answerWithoutWindow(const CommandLine& line, std::ostream& out,
                                       std::ostream& err);

}  // namespace ui
