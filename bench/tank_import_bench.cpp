// How long the tank calibration window stands still while it imports the largest table it
// accepts: the largest gap between the ticks of a 10 ms probe timer on the user-interface
// thread, from the import (file read, table, chart, session file on disk) until the window
// has been painted with it, and while it is shown for a second after.
//
// Usage: tank_import_bench [--points N] [--repeats R]   (defaults: the table's point limit, 5)
// HOME's data and settings are not touched: XDG_DATA_HOME and XDG_CONFIG_HOME point into a
// temporary folder. Runs on QT_QPA_PLATFORM when set, else offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "Application.h"
#include "BoxHook.h"
#include "CalibrationTable.h"
#include "LinkState.h"
#include "StallProbe.h"
#include "TankCalibrationWindow.h"

namespace {

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A filling table with a few points that break the rise, so both marker kinds are drawn.
bool writeCsv(const QString& path, std::size_t points) {
    std::string text = "# Бак: Резервуар; ТС: склад; ДУТ № 1234; Дата: 2026-01-01 10:00\n";
    text += "Уровень;Литры\n";
    for (std::size_t i = 0; i < points; ++i) {
        const std::size_t level = i % 97 == 50 ? i / 2 : i * 13 % 60000 + i / 5;
        text += std::to_string(level) + ";" + std::to_string(i * 150) + ".5\n";
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.flush();
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t points = dut::tank::kMaxPoints;
    int repeats = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--points") == 0)
            points = std::size_t(std::max(1, std::atoi(argv[++i])));
        else if (std::strcmp(argv[i], "--repeats") == 0)
            repeats = std::max(1, std::atoi(argv[++i]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    ui::fixPixelScale();
    QApplication app(argc, argv);
    testsupport::BoxHook noBoxes([](QMessageBox&) { return int(QMessageBox::Ok); });

    const QString csv = home.filePath(QStringLiteral("table.csv"));
    if (!writeCsv(csv, points)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(csv));
        return 1;
    }
    dut::LinkState state;
    double longest = 0;
    double totalMs = 0;
    for (int run = 0; run < repeats; ++run) {
        TankCalibrationWindow window(state, nullptr,
                                     home.filePath(QStringLiteral("session%1").arg(run)));
        window.open();
        runFor(300);  // the first showing lays out and paints the empty window
        testsupport::StallProbe probe;
        runFor(50);
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(0, &window, [&] { window.importFile(csv); });
        runFor(1000);
        totalMs += double(clock.elapsed());
        if (window.table().points().size() != points) {
            std::fprintf(stderr, "run %d: %zu points taken instead of %zu: %s\n", run,
                         window.table().points().size(), points, qPrintable(window.statusText()));
            return 1;
        }
        longest = std::max(longest, probe.longestGapMs());
        std::printf("run %d: longest stall %.1f ms\n", run, probe.longestGapMs());
    }
    std::printf("platform                             %s\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("import %zu points -> shown, saved     longest stall %.1f ms  (%d runs)\n", points,
                longest, repeats);
    return 0;
}
