// The program's command line: [PORT] | --help | --version, read without Qt.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CommandLine.h"

namespace {

using Action = ui::CommandLine::Action;
using ui::parseCommandLine;

TEST(CommandLine, NoArgumentsRunsAsBefore) {
    const ui::CommandLine line = parseCommandLine({});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.port, "");
}

TEST(CommandLine, OnePortIsTakenAsItStands) {
    for (const std::string port :
         {"/dev/ttyUSB0", "COM3", "\\\\.\\COM12", "ttyACM0", "/run/user/1000/dut sensor"}) {
        const ui::CommandLine line = parseCommandLine({port});
        EXPECT_EQ(line.action, Action::Run) << port;
        EXPECT_EQ(line.port, port);
    }
}

TEST(CommandLine, HelpAndVersionWinOverAPortAroundThem) {
    EXPECT_EQ(parseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"-h"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"--version"}).action, Action::Version);
    const ui::CommandLine before = parseCommandLine({"/dev/ttyUSB0", "--help"});
    EXPECT_EQ(before.action, Action::Help);
    EXPECT_EQ(before.port, "");
    EXPECT_EQ(parseCommandLine({"--version", "/dev/ttyUSB0"}).action, Action::Version);
    // The first of the two decides.
    EXPECT_EQ(parseCommandLine({"--version", "--help"}).action, Action::Version);
}

TEST(CommandLine, UnknownOptionsAreMisuse) {
    for (const std::string option :
         {"--port", "-v", "-", "--", "--help=yes", "--HELP", "-help", "--version2"}) {
        const ui::CommandLine line = parseCommandLine({option});
        EXPECT_EQ(line.action, Action::Misuse) << option;
        EXPECT_EQ(line.problem, "unknown option '" + option + "'");
    }
    // Before --help it is still misuse: the command line is read in order.
    EXPECT_EQ(parseCommandLine({"--bogus", "--help"}).action, Action::Misuse);
}

TEST(CommandLine, ASecondPortOrAnEmptyOneIsMisuse) {
    const ui::CommandLine two = parseCommandLine({"/dev/ttyUSB0", "/dev/ttyUSB1"});
    EXPECT_EQ(two.action, Action::Misuse);
    EXPECT_EQ(two.problem, "only one port can be given");
    EXPECT_EQ(parseCommandLine({"/dev/ttyUSB0", "/dev/ttyUSB0"}).action, Action::Misuse);
    const ui::CommandLine empty = parseCommandLine({""});
    EXPECT_EQ(empty.action, Action::Misuse);
    EXPECT_EQ(empty.problem, "the port name is empty");
}

TEST(CommandLine, ATraceFileGoesWithAnyPortAndNeedsAName) {
    struct Case {
        std::vector<std::string> arguments;
        Action action;
        std::string traceFile;
        std::string port;
    };
    const std::vector<Case> cases = {
        {{"--trace", "log.txt"}, Action::Run, "log.txt", ""},
        {{"--trace", "log.txt", "/dev/ttyUSB0"}, Action::Run, "log.txt", "/dev/ttyUSB0"},
        {{"/dev/ttyUSB0", "--trace", "-"}, Action::Run, "-", "/dev/ttyUSB0"},
        {{"--trace"}, Action::Misuse, "", ""},
        {{"--trace", ""}, Action::Misuse, "", ""},
        {{"--trace", "a", "--trace", "b"}, Action::Misuse, "", ""},
    };
    for (const Case& c : cases) {
        const ui::CommandLine line = parseCommandLine(c.arguments);
        SCOPED_TRACE(c.arguments.size());
        EXPECT_EQ(line.action, c.action);
        if (c.action == Action::Run) {
            EXPECT_EQ(line.traceFile, c.traceFile);
            EXPECT_EQ(line.port, c.port);
        }
    }
}

TEST(CommandLine, ArgvSkipsTheProgramsName) {
    const char* argv[] = {"/usr/bin/brindolex-dut-configurator", "/dev/ttyUSB0", nullptr};
    const ui::CommandLine line = parseCommandLine(2, argv);
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.port, "/dev/ttyUSB0");
    EXPECT_EQ(parseCommandLine(1, argv).port, "");
}

struct Answer {
    std::optional<int> status;
    std::string out, err;
};

Answer answer(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    Answer a;
    a.status = ui::answerWithoutWindow(parseCommandLine(arguments), out, err);
    a.out = out.str();
    a.err = err.str();
    return a;
}

TEST(CommandLine, HelpAndVersionPrintOnStandardOutputAndSucceed) {
    const Answer help = answer({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, ui::usageText());
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind(
                  "Usage: brindolex-dut-configurator [--trace FILE] [--lang ru|en] [PORT]\n", 0),
              0u);

    const Answer version = answer({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brindolex-dut-configurator " EXPECTED_VERSION "\n");
    EXPECT_EQ(version.err, "");
}

TEST(CommandLine, MisuseSaysWhatAndShowsTheUsageOnStandardError) {
    const Answer bogus = answer({"--bogus"});
    EXPECT_EQ(bogus.status, ui::kMisuseExitStatus);
    EXPECT_EQ(ui::kMisuseExitStatus, 2);
    EXPECT_EQ(bogus.out, "");
    EXPECT_EQ(bogus.err,
              "brindolex-dut-configurator: unknown option '--bogus'\n" + ui::usageText());

    EXPECT_EQ(answer({"a", "b"}).status, 2);
}

TEST(CommandLine, RunAnswersNothingAndLeavesItToTheWindow) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"/dev/ttyUSB0"}}) {
        const Answer run = answer(arguments);
        EXPECT_FALSE(run.status.has_value());
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
    }
}

TEST(CommandLine, UsageNamesEveryOptionItAccepts) {
    const std::string usage = ui::usageText();
    for (const char* option :
         {"PORT", "--help", "-h", "--version", "--trace FILE", "Ctrl+Shift+L", "Ctrl+Shift+J"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    // The usage line itself, which is all many readers look at, names every option that
    // takes a value or a choice.
    const std::string first = usage.substr(0, usage.find('\n'));
    for (const char* option : {"[--trace FILE]", "[--lang ru|en]", "[PORT]"}) {
        EXPECT_NE(first.find(option), std::string::npos) << option << " in " << first;
    }
    // Every line fits a terminal of 80 columns.
    std::istringstream lines(usage);
    for (std::string l; std::getline(lines, l);) EXPECT_LE(l.size(), 80u) << l;
}

}  // namespace
