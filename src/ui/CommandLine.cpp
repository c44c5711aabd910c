#include "CommandLine.h"

#include <QCoreApplication>
#include <utility>

namespace ui {

namespace {

const char* const kProgram = "brindolex-dut-configurator";

// The misuse lines are composed in English from these pieces; a Russian terminal gets them
// translated where they are printed.
const char* const kTraceNeedsFile = QT_TRANSLATE_NOOP("CommandLine", "--trace needs a file name");
const char* const kOneTrace =
    QT_TRANSLATE_NOOP("CommandLine", "only one --trace file can be given");
const char* const kLangNeedsCode = QT_TRANSLATE_NOOP("CommandLine", "--lang needs ru or en");
const char* const kLangTakes = QT_TRANSLATE_NOOP("CommandLine", "--lang takes ru or en, not '");
const char* const kUnknownOption = QT_TRANSLATE_NOOP("CommandLine", "unknown option '");
const char* const kEmptyPort = QT_TRANSLATE_NOOP("CommandLine", "the port name is empty");
const char* const kOnePort = QT_TRANSLATE_NOOP("CommandLine", "only one port can be given");

const char* const kUsage = QT_TRANSLATE_NOOP(
    "CommandLine",
    "Usage: %1 [--trace FILE] [--lang ru|en] [PORT]\n"
    "       %1 --help | --version\n"
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
    "exchange log.\n");

std::string translated(const char* text) {
    return QCoreApplication::translate("CommandLine", text).toStdString();
}

std::string translatedProblem(std::string problem) {
    for (const char* piece : {kTraceNeedsFile, kOneTrace, kLangNeedsCode, kLangTakes,
                              kUnknownOption, kEmptyPort, kOnePort}) {
        const std::string source(piece);
        if (problem.compare(0, source.size(), source) == 0) {
            return translated(piece) + problem.substr(source.size());
        }
    }
    return problem;
}

// Keeps the language read so far: the complaint is said in it.
CommandLine misuse(const CommandLine& sofar, std::string problem) {
    CommandLine line;
    line.action = CommandLine::Action::Misuse;
    line.language = sofar.language;
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
                return misuse(line, kTraceNeedsFile);
            }
            if (!line.traceFile.empty()) return misuse(line, kOneTrace);
            line.traceFile = arguments[++i];
            continue;
        }
        if (argument == "--lang") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                return misuse(line, kLangNeedsCode);
            }
            const std::string& code = arguments[++i];
            if (code != "ru" && code != "en") return misuse(line, kLangTakes + code + "'");
            line.language = code;
            continue;
        }
        if (!argument.empty() && argument[0] == '-') {
            return misuse(line, kUnknownOption + argument + "'");
        }
        if (argument.empty()) return misuse(line, kEmptyPort);
        if (!line.port.empty()) return misuse(line, kOnePort);
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
    return QCoreApplication::translate("CommandLine", kUsage)
        .arg(QString::fromUtf8(kProgram))
        .toStdString();
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
    err << kProgram << ": " << translatedProblem(line.problem) << "\n" << usageText() << std::flush;
    return kMisuseExitStatus;
}

}  // namespace ui
