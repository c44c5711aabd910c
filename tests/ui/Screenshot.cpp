// Saves a picture of the main window as it opens: ui_screenshot <file.png>
#include <QTimer>
#include <cstdio>

#include "Application.h"
#include "Windows.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_screenshot <file.png>\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    ui::fixPixelScale();
    ui::Application app(argc, argv);
    ui::Windows windows = ui::createWindows();
    windows.form1->show();
    int result = 1;
    // Give the window system time to map and paint the window.
    QTimer::singleShot(1500, [&] {
        result = windows.form1->grab().save(target, "PNG") ? 0 : 1;
        QCoreApplication::quit();
    });
    app.exec();
    return result;
}
