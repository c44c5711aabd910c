#include "Application.h"
#include "Windows.h"

int main(int argc, char** argv) {
    ui::fixPixelScale();
    // Qt needs argc/argv for its own start-up; the program itself reads no arguments.
    ui::Application app(argc, argv);

    // All six windows exist before the first event is dispatched.
    ui::Startup program;
    program.show();
    app.exec();
    return 0;
}
