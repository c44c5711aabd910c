#include "CommandLine.h"

#include <utility>

namespace ui {

namespace {

const char* const kProgram = "brindolex-dut-configurator";

CommandLine misuse(std::string problem) {
    CommandLine line;
    line.action = CommandLine::Action::Misuse;
    line.problem = std::move(problem);
    return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
            line.port.clear();
            return line;
        }
        if (argument == "--version") {
            line.action = CommandLine::Action::Version;
            line.port.clear();
            return line;
        }
        if (argument == "--trace") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                return misuse("--trace needs a file name");
            }
            if (!line.traceFile.empty()) return misuse("only one --trace file can be given");
            line.traceFile = arguments[++i];
            continue;
        }
        if (argument == "--lang") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                return misuse("--lang needs ru or en");
            }
            const std::string& code = arguments[++i];
            if (code != "ru" && code != "en")
                return misuse("--lang takes ru or en, not '" + code + "'");
            line.language = code;
            continue;
        }
        if (!argument.empty() && argument[0] == '-') {
            return misuse("unknown option '" + argument + "'");
        }
        if (argument.empty()) return misuse("the port name is empty");
        if (!line.port.empty()) return misuse("only one port can be given");
        line.port = argument;
    }
    return line;
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return parseCommandLine(arguments);
}

std::string usageText() {
    return std::string("Usage: ") + kProgram + " [--trace FILE] [PORT]\n" + "       " + kProgram +
           " --help | --version\n"
           "\n"
           "Sets up a capacitive fuel level sensor behind a USB-RS485 adapter.\n"
           "\n"
           "  PORT        connect to this serial port at once, as if it were picked in the\n"
           "              port box (for example /dev/ttyUSB0, or COM3 on Windows)\n"
           "  --trace FILE  write every frame sent to and received from the sensor, with\n"
           "              its time and what became of it, to FILE (for support)\n"
           "  --lang ru|en  the language of the windows; without it, the one last chosen\n"
           "              in the menu band, else English on an English desktop, else Russian\n"
           "  -h, --help  print this help and exit\n"
           "  --version   print the version and exit\n"
           "\n"
           "In the main window, Ctrl+Shift+L opens the LLS monitor and Ctrl+Shift+J the\n"
           "exchange log.\n";
}

std::string versionText() {
    return std::string(kProgram) + " " + DUT_PROGRAM_VERSION + "\n";
}

std::optional<int> answerWithoutWindow(const CommandLine& line, std::ostream& out,
                                       std::ostream& err) {
    switch (line.action) {
        case CommandLine::Action::Run:
            return std::nullopt;
        case CommandLine::Action::Help:
            out << usageText() << std::flush;
            return 0;
        case CommandLine::Action::Version:
            out << versionText() << std::flush;
            return 0;
        case CommandLine::Action::Misuse:
            break;
    }
    err << kProgram << ": " << line.problem << "\n" << usageText() << std::flush;
    return kMisuseExitStatus;
}

}  // namespace ui
