#include "Application.h"
#include "TerminationSignals.h"
#include "Windows.h"

int main(int, char** argv) {
    ui::fixPixelScale();
    // The program takes no arguments, so Qt is not given any to interpret either: only the
    // program's own name, which it needs for the application object.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    ui::Application app(qtArgc, qtArgv);
    ui::quitOnTerminationSignals();

    // All six windows exist before the first event is dispatched.
    ui::Startup program;
    program.show();
    app.exec();
    return 0;
}
