#include <QCoreApplication>
#include <iostream>
#include <string>

#include "Application.h"
#include "CarryOver.h"
#include "CommandLine.h"
#include "HeldClose.h"
#include "Language.h"
#include "TerminationSignals.h"
#include "Windows.h"

int main(int argc, char** argv) {
    // First of all: a signal from the first instruction on ends the program.
    ui::installTerminationSignals();
    const ui::CommandLine line = ui::parseCommandLine(argc, argv);
    if (line.action != ui::CommandLine::Action::Run) {
        // The usage speaks the language the windows would, without a display.
        int coreArgc = 1;
        char* coreArgv[] = {argv[0], nullptr};
        QCoreApplication core(coreArgc, coreArgv);
        ui::setProgramIdentity();
        ui::applyLanguage(ui::startupLanguage(ui::languageFromCode(line.language)));
        return ui::answerWithoutWindow(line, std::cout, std::cerr).value_or(0);
    }

    ui::fixPixelScale();
    // The program reads its own arguments above; Qt is given none to interpret, only the
    // program's own name, which it needs for the application object.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    ui::Application app(qtArgc, qtArgv);
    // Before the language or any window reads a setting or the tank session.
    ui::carryOverFromOldNames();
    ui::applyLanguage(ui::startupLanguage(ui::languageFromCode(line.language)));

    // All six windows exist before the first event is dispatched.
    ui::Startup program;
    // From here a signal ends the program as a close request does. The port given on the
    // command line is connected before the application's loop runs; a signal taken during
    // that exchange is held like a close, and carried out from the loop.
    ui::endThroughEventLoop([&program] {
        if (auto* held = program.mainWindow().findChild<ui::HeldClose*>()) held->endProgram();
    });
    if (!line.traceFile.empty()) {
        std::string why;
        if (!program.context().trace.openFile(line.traceFile, why)) {
            // The log is for support; the installer's work goes on without it.
            std::cerr << "brindolex-dut-configurator: the exchange log " << line.traceFile
                      << " cannot be written: " << why << std::endl;
        }
    }
    program.show();
    if (!line.port.empty()) program.choosePort(line.port);
    app.exec();
    return 0;
}
