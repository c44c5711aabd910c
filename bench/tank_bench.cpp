// The tank calibration window in the whole program against the simulated sensor (its own
// process, paced at 19200 baud):
//   - opening the window on a session of 200 points, until it has been laid out and painted;
//   - recording a point, from the press until the session file is safely on disk (the save
//     is synchronous: QSaveFile writes, syncs and renames before the press returns);
//   - CPU used while the window is open and the main window polls.
//
// Usage: tank_bench [--seconds S] [--repeats N]   (defaults 30 s, 20 runs)
// HOME's data and settings are not touched: XDG_DATA_HOME and XDG_CONFIG_HOME point into a
// temporary folder. Runs on QT_QPA_PLATFORM when set, else offscreen.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Application.h"
#include "BoxHook.h"
#include "MainControls.h"
#include "TableSession.h"
#include "TankCalibrationWindow.h"
#include "TankSessionFile.h"
#include "UiStyle.h"
#include "Windows.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Stats {
    double min, median, p90, max;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v[(v.size() * 9) / 10], v.back()};
}

dut::tank::TableState table200() {
    dut::tank::TableState table;
    table.details = {"Бак 400 л", "А123БВ", 1234};
    for (int i = 0; i < 200; ++i) {
        table.points.push_back({i * 2.0, 20 * i, 200 + 14 * i, 1796000000 + 10 * i});
    }
    return table;
}

void settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 30;
    int repeats = 20;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--repeats") == 0)
            repeats = std::max(1, std::atoi(argv[++i]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());

    ui::fixPixelScale();
    ui::Application app(argc, argv);

    const QString port = home.filePath(QStringLiteral("sensor"));
    QProcess sim;
    sim.start(QStringLiteral(DUT_SENSOR_SIM),
              {QStringLiteral("--link"), port, QStringLiteral("--raw"), QStringLiteral("1834")});
    QElapsedTimer wait;
    wait.start();
    while (!QFileInfo::exists(port) && wait.elapsed() < 5000) QThread::msleep(10);
    if (!QFileInfo::exists(port)) {
        std::fprintf(stderr, "the simulated sensor did not start\n");
        return 1;
    }

    ui::Startup program;
    program.show();
    program.choosePort(port.toStdString());
    TForm1& main = program.mainWindow();
    testsupport::BoxHook continueOffered([](QMessageBox&) { return int(QMessageBox::Yes); });

    // 1. A session of 200 points: the window made, the session read and offered, the table
    // and chart filled, and the window painted.
    ui::TankSessionFile sessionFile;
    std::vector<double> openMs;
    for (int i = 0; i < repeats; ++i) {
        // Written as the window writes it, holding the lock; let go before the window opens.
        const bool written = sessionFile.takeLock() && sessionFile.save(table200());
        sessionFile.releaseLock();
        if (!written) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(sessionFile.path()));
            return 1;
        }
        QElapsedTimer clock;
        clock.start();
        auto window = std::make_unique<TankCalibrationWindow>(program.context().state, &main);
        window->open();
        window->repaint();
        QCoreApplication::processEvents();
        openMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (window->table().points().size() != 200) {
            std::fprintf(stderr, "run %d: the 200 points were not taken up\n", i);
            return 1;
        }
    }

    // 2. Recording through the window the main window opens, fed by the real poll.
    main.Button10Click();
    TankCalibrationWindow* window = main.tankWindow();
    QElapsedTimer bound;
    bound.start();
    while (!window->stability().stable() && bound.elapsed() < 15000) settle(50);
    if (!window->stability().stable()) {
        std::fprintf(stderr, "the polled level never became stable\n");
        return 1;
    }
    std::vector<double> recordMs;
    for (int i = 0; i < repeats; ++i) {
        const std::size_t before = window->table().points().size();
        QElapsedTimer clock;
        clock.start();
        window->recordPoint();
        recordMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (window->table().points().size() != before + 1 || !window->lastSaveOk()) {
            std::fprintf(stderr, "record %d: %s\n", i, qPrintable(window->statusText()));
            return 1;
        }
    }

    // 3. Open and idle while the main window polls.
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, &QCoreApplication::quit);
    app.exec();
    const double cpuUsed = cpuSeconds() - cpu0;
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const bool polled = window->stability().stable();

    const Stats o = stats(openMs);
    const Stats r = stats(recordMs);
    std::printf("platform                          %s\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf(
        "open on 200 points -> painted     min %.1f  median %.1f  p90 %.1f  max %.1f ms"
        "  (%d runs)\n",
        o.min, o.median, o.p90, o.max, repeats);
    std::printf(
        "record a point -> file on disk    min %.2f  median %.2f  p90 %.2f  max %.2f ms"
        "  (%d runs)\n",
        r.min, r.median, r.p90, r.max, repeats);
    std::printf("CPU, window open, polling         %.3f s in %.1f s = %.2f %% of one core%s\n",
                cpuUsed, wallSeconds, 100.0 * cpuUsed / wallSeconds,
                polled ? "" : "  (NO STABLE LEVEL at the end)");
    sim.terminate();
    sim.waitForFinished(3000);
    return polled ? 0 : 1;
}
