// Measures transact round trips over the real SerialPort against the simulated sensor,
// paced at 19200 baud, and sets them against the time the bytes need on the wire.
//
// Usage: transact_bench [exchanges] [--trace FILE]   (default 300, at least 200); with
// --trace every frame goes to the exchange log file, as the program's --trace does.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ConfigLink.h"
#include "ExchangeTrace.h"
#include "PtySensor.h"
#include "SensorParams.h"
#include "SerialPort.h"

int main(int argc, char** argv) {
    int exchanges = 300;
    std::string traceFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc) {
            traceFile = argv[++i];
        } else {
            exchanges = std::atoi(argv[i]);
        }
    }
    if (exchanges < 200) exchanges = 200;

    sim::PtySensorOptions options;
    options.paced = true;
    sim::PtySensor sensor(options);
    if (!sensor.start()) {
        std::fprintf(stderr, "cannot start the simulated sensor\n");
        return 1;
    }
    dut::SerialPort port;
    if (!port.open(sensor.devicePath())) {
        std::fprintf(stderr, "cannot open %s\n", sensor.devicePath().c_str());
        return 1;
    }
    dut::LinkState state;
    dut::ConfigLink link(port, state);
    dut::ExchangeTrace trace(link);
    std::string why;
    if (!traceFile.empty() && !trace.openFile(traceFile, why)) {
        std::fprintf(stderr, "cannot write %s: %s\n", traceFile.c_str(), why.c_str());
        return 1;
    }

    for (int i = 0; i < 5; ++i) link.read(dut::param::kRawValue);  // warm-up

    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(exchanges));
    int failed = 0;
    sensor.clearRequests();
    for (int i = 0; i < exchanges; ++i) {
        const auto start = Clock::now();
        const bool ok =
            link.read(i % 2 == 0 ? dut::param::kRawValue : dut::param::kOutputLevel).has_value();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!ok) ++failed;
    }
    const std::size_t requests = sensor.requests().size();
    port.close();
    sensor.stop();

    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) {
        const auto idx = static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1) + 0.5);
        return ms[idx];
    };
    // 15 bytes out and 15 back, 10 bit times each at 19200 baud, plus the sensor's think time.
    const double wireMs = 30.0 * 10.0 / dut::SerialPort::kBaudRate * 1000.0;
    const double floorMs = wireMs + options.turnaroundMs;
    const double p50 = at(0.50);
    std::printf("exchanges      %d (failed %d, requests on the line %zu)%s\n", exchanges, failed,
                requests, traceFile.empty() ? "" : ", traced");
    std::printf("min            %.2f ms\n", ms.front());
    std::printf("p50            %.2f ms\n", p50);
    std::printf("p99            %.2f ms\n", at(0.99));
    std::printf("max            %.2f ms\n", ms.back());
    std::printf(
        "wire floor     %.2f ms (30 bytes x 10 bits / 19200) + %d ms turnaround = %.2f ms\n",
        wireMs, options.turnaroundMs, floorMs);
    std::printf("p50 / floor    %.2f\n", p50 / floorMs);
    // A pseudo-terminal takes the request at memory speed; only the answer is paced. The
    // floor this set-up can reach is therefore half the wire time plus the turnaround.
    const double ptyFloorMs = wireMs / 2.0 + options.turnaroundMs;
    std::printf("pty floor      %.2f ms (answer paced only), p50 / pty floor %.2f\n", ptyFloorMs,
                p50 / ptyFloorMs);
    return failed == 0 ? 0 : 2;
}
