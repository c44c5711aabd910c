// Saves a picture of a window as it opens: ui_screenshot <file.png> [1..6], the main
// window by default; in English with DUT_SCREENSHOT_LANG=en.
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "Application.h"
#include "Language.h"
#include "Windows.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: ui_screenshot <file.png> [window 1..6]\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    ui::fixPixelScale();
    ui::Application app(argc, argv);
    if (const auto language =
            ui::languageFromCode(qEnvironmentVariable("DUT_SCREENSHOT_LANG").toStdString())) {
        ui::applyLanguage(*language);
    }
    ui::Startup program;
    ui::Windows& windows = program.windows();
    const int which = argc == 3 ? std::atoi(argv[2]) : 1;
    QWidget* const forms[] = {windows.form1.get(), windows.form2, windows.form3,
                              windows.form4,       windows.form5, windows.form6};
    if (which < 1 || which > 6) return 2;
    QWidget* form = forms[which - 1];
    windows.form1->show();
    if (form != windows.form1.get()) form->show();
    int result = 1;
    // Give the window system time to map and paint the window.
    QTimer::singleShot(1500, [&] {
        result = form->grab().save(target, "PNG") ? 0 : 1;
        QCoreApplication::quit();
    });
    app.exec();
    return result;
}
