// The whole program against the simulated sensor paced at 19200 baud, the simulator in a
// process of its own so that only the program's own work is measured:
//   - choosing a port until the connected text with the version line (five exchanges);
//   - a full-tank hot key until its message box (two exchanges);
//   - CPU used while connected and polling, and the resident memory.
//
// Usage: ui_connect_bench [--seconds S] [--repeats N] [--no-monitor-timer] [--log-window]
//   defaults 60 s and 10 runs; --no-monitor-timer stops the hidden monitor's 1 ms timer
//   first, to tell its share of the idle CPU apart.
// Runs on QT_QPA_PLATFORM when set, else offscreen.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
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
#include "GlobalHotKeys.h"
#include "HotKeys.h"
#include "MainControls.h"
#include "UiStyle.h"
#include "Windows.h"

namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 19200.0;  // 10 bit times per byte
constexpr double kExchangeWireMs = 30 * kByteMs;     // 15-byte request + 15-byte answer
// A pseudo-terminal passes the request at once; the simulator paces only its answer, after
// its 2 ms turnaround.
constexpr double kSimExchangeMs = 15 * kByteMs + 2.0;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long statusKb(const char* key) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ')[0].toLong();
    }
    return -1;
}

struct Stats {
    double min, median, max;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    int repeats = 10;
    bool stopMonitorTimer = false;
    bool logWindow = false;  // the exchange log window open while polling
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-monitor-timer") == 0) stopMonitorTimer = true;
        if (std::strcmp(argv[i], "--log-window") == 0) logWindow = true;
    }
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--repeats") == 0)
            repeats = std::max(1, std::atoi(argv[++i]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    ui::fixPixelScale();
    ui::Application app(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sensor"));
    QProcess sim;
    sim.start(QStringLiteral(DUT_SENSOR_SIM),
              {QStringLiteral("--link"), path, QStringLiteral("--raw"), QStringLiteral("1834")});
    QElapsedTimer wait;
    wait.start();
    while (!QFileInfo::exists(path) && wait.elapsed() < 5000) QThread::msleep(10);
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "the simulated sensor did not start\n");
        return 1;
    }

    ui::Startup program;
    program.show();
    TForm1& window = program.mainWindow();
    const testsupport::MainControls form(window);
    // A hidden monitor listens to nothing and runs no timer, so the flag changes nothing now.
    (void)stopMonitorTimer;
    QCoreApplication::processEvents();

    // 1. Port chosen -> connected text with the version line.
    std::vector<double> connectMs;
    for (int i = 0; i < repeats; ++i) {
        form.COMSelect->setEditText(path);
        QElapsedTimer clock;
        clock.start();
        window.COMSelectSelect();
        connectMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (!form.ConnectStatusText->text().contains(QStringLiteral("Весия:"))) {
            std::fprintf(stderr, "connect %d did not reach the version line\n", i);
            return 1;
        }
    }

    // Let the polling fill the current value.
    QElapsedTimer settle;
    settle.start();
    while (form.Edit1->text().isEmpty() && settle.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }

    // 2. Hot key F4 -> its message box, through the same queued path as the window system's.
    std::vector<double> hotKeyMs;
    QElapsedTimer clock;
    bool shown = false;
    QString shownText;
    auto hook = std::make_unique<testsupport::BoxHook>([&](QMessageBox& box) {
        hotKeyMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        shownText = testsupport::boxText(&box);
        shown = true;
        return int(QMessageBox::Ok);
    });
    for (int i = 0; i < repeats; ++i) {
        shown = false;
        clock.start();
        emit form.hotKeys()->activated(dut::config::kHotKeyFull);
        QElapsedTimer bound;
        bound.start();
        while (!shown && bound.elapsed() < 10000) QCoreApplication::processEvents();
        if (!shown ||
            shownText != ui::displayText(QStringLiteral("Максимальный уровень установлен!"))) {
            std::fprintf(stderr, "hot key %d: no success box\n", i);
            return 1;
        }
    }
    hook.reset();

    // 3. Connected and polling: CPU over the wall time.
    if (logWindow) window.openExchangeLog();
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, &QCoreApplication::quit);
    app.exec();
    const double cpuUsed = cpuSeconds() - cpu0;
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const bool stillConnected = form.ConnectStatusText->text().contains(QStringLiteral("Весия:"));

    const Stats c = stats(connectMs);
    const Stats h = stats(hotKeyMs);
    std::printf("platform                         %s\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("wire time of one exchange        %.1f ms (30 bytes at 19200 baud)\n",
                kExchangeWireMs);
    std::printf(
        "port chosen -> connected text    min %.1f  median %.1f  max %.1f ms  "
        "(%d runs; wire floor %.1f ms, simulator floor %.1f ms)\n",
        c.min, c.median, c.max, repeats, 5 * kExchangeWireMs, 5 * kSimExchangeMs);
    std::printf(
        "F4 -> message box                min %.1f  median %.1f  max %.1f ms  "
        "(%d runs; wire floor %.1f ms, simulator floor %.1f ms)\n",
        h.min, h.median, h.max, repeats, 2 * kExchangeWireMs, 2 * kSimExchangeMs);
    std::printf("CPU while polling%s  %.3f s in %.1f s = %.2f %% of one core%s\n",
                stopMonitorTimer ? " (monitor timer off)" : "                   ", cpuUsed,
                wallSeconds, 100.0 * cpuUsed / wallSeconds,
                stillConnected ? "" : "  (LINK LOST during the run)");
    std::printf("resident memory                  VmRSS %ld kB, peak VmHWM %ld kB\n",
                statusKb("VmRSS"), statusKb("VmHWM"));

    sim.terminate();
    sim.waitForFinished(3000);
    return stillConnected ? 0 : 1;
}
