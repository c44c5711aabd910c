// How long the window stands still while the line is slow: the largest gap between the ticks
// of a 10 ms probe timer on the user-interface thread, in three situations:
//   - a silent sensor's automatic reconnect attempts, for S seconds (default 30);
//   - F4 on a silent sensor (the write and its read-back both fail, 16 attempts each);
//   - the LLS monitor shown on a quiet bus, for M seconds (default 10).
// Simulators run in-process on pseudo-terminals; only the gaps are measured here (the
// CPU while connected is ui_connect_bench's figure).
//
// Usage: stall_bench [--reconnect-seconds S] [--monitor-seconds M]
// Runs on QT_QPA_PLATFORM when set, else offscreen.
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "Application.h"
#include "GlobalHotKeys.h"
#include "HotKeys.h"
#include "MainControls.h"
#include "MessageBox.h"
#include "PtyLlsBus.h"
#include "PtySensor.h"
#include "StallProbe.h"
#include "Windows.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window's first showing paints everything once; that is not a wait on the line.
constexpr int kSettleMs = 500;

using Probe = testsupport::StallProbe;

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Condition>
void runUntil(Condition done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) runFor(10);
}

void report(const char* what, const Probe& probe, double seconds) {
    std::printf("%-44s longest stall %7.1f ms  (%ld probe ticks in %.1f s)\n", what,
                probe.longestGapMs(), probe.ticks(), seconds);
}

std::unique_ptr<sim::PtySensor> startSensor(bool silent) {
    sim::PtySensorOptions options;
    auto sensor = std::make_unique<sim::PtySensor>(options);
    if (!sensor->start()) return nullptr;
    sensor->freezeRaw(true);
    sensor->setParam(0, 1834);
    sensor->setParam(7, 1234);
    sim::SensorFaults faults;
    faults.silent = silent;
    sensor->setFaults(faults);
    return sensor;
}

void reconnectAttempts(int seconds) {
    auto sensor = startSensor(true);
    ui::Startup program;
    program.show();
    // A typed name: the automatic reconnect tries it every eleventh tick.
    testsupport::MainControls(program.mainWindow())
        .COMSelect->setEditText(QString::fromStdString(sensor->devicePath()));
    runFor(kSettleMs);
    Probe probe;
    runFor(seconds * 1000);
    std::printf("  (%zu requests reached the silent sensor)\n", sensor->requests().size());
    report("silent sensor, reconnect attempts", probe, seconds);
}

void fullTankOnSilentSensor() {
    auto sensor = startSensor(false);
    ui::Startup program;
    program.show();
    TForm1& window = program.mainWindow();
    const testsupport::MainControls controls(window);
    window.choosePort(QString::fromStdString(sensor->devicePath()));
    runUntil([&] { return controls.Edit1->text() == QStringLiteral("1834"); }, 5000);
    sim::SensorFaults faults;
    faults.silent = true;
    sensor->setFaults(faults);

    bool boxShown = false;
    ui::setMessageBoxHook([&](QMessageBox&) {
        boxShown = true;
        return int(QMessageBox::Ok);
    });
    QElapsedTimer clock;
    clock.start();
    Probe probe;
    emit controls.hotKeys()->activated(dut::config::kHotKeyFull);
    runUntil([&] { return boxShown; }, 20000);
    ui::setMessageBoxHook({});
    report("F4 on a silent sensor", probe, clock.elapsed() / 1000.0);
}

void monitorOnQuietBus(int seconds) {
    sim::PtyLlsBusOptions options;
    options.polling = false;
    sim::PtyLlsBus bus(options);
    if (!bus.start()) return;
    ui::Startup program;
    program.show();
    program.context().port.open(bus.devicePath());
    TForm4* monitor = program.windows().form4;
    monitor->show();
    runFor(kSettleMs);
    Probe probe;
    runFor(seconds * 1000);
    monitor->hide();
    report("LLS monitor on a quiet bus", probe, seconds);
}

}  // namespace

int main(int argc, char** argv) {
    int reconnectSeconds = 30;
    int monitorSeconds = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--reconnect-seconds") == 0)
            reconnectSeconds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--monitor-seconds") == 0)
            monitorSeconds = std::max(1, std::atoi(argv[++i]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::fixPixelScale();
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    ui::Application app(qtArgc, qtArgv);

    reconnectAttempts(reconnectSeconds);
    fullTankOnSilentSensor();
    monitorOnQuietBus(monitorSeconds);
    return 0;
}
