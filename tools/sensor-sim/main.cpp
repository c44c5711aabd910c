// dut-sensor-sim: a fuel level sensor (or a terminal polling LLS sensors) on a
// pseudo-terminal, so that the configurator can be run and tested without hardware.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "EventLog.h"
#include "PtyLlsBus.h"
#include "PtySensor.h"
#include "SimTank.h"

namespace {

volatile sig_atomic_t gQuit = 0;
volatile sig_atomic_t gUnplug = 0;
volatile sig_atomic_t gReplug = 0;
volatile sig_atomic_t gShowParams = 0;

void onSignal(int sig) {
    if (sig == SIGUSR1) {
        gUnplug = 1;
    } else if (sig == SIGUSR2) {
        gReplug = 1;
    } else if (sig == SIGHUP) {
        gShowParams = 1;
    } else {
        gQuit = 1;
    }
}

const char* const kUsage =
    "Usage: dut-sensor-sim [options]\n"
    "Simulates the fuel level sensor on a pseudo-terminal and prints \"device: <path>\".\n"
    "Runs until SIGINT or SIGTERM. SIGUSR1 pulls the adapter out, SIGUSR2 plugs it back.\n"
    "SIGHUP prints the sensor's parameters: \"params 0=<raw> 3=<address> ...\".\n"
    "\n"
    "Line:\n"
    "  --link PATH              also make PATH a symlink to the device\n"
    "  --no-pacing              write answers at once instead of at 19200 baud\n"
    "  --turnaround MS          delay before answering (default 2)\n"
    "  --unplug-after SEC       pull the adapter out after SEC seconds plugged in\n"
    "  --unplug-on-write        pull the adapter out when a write request arrives\n"
    "  --replug-after SEC       plug it back after SEC seconds out\n"
    "  --replug-new-name        come back under a new device name after being pulled out\n"
    "  --by-id-link PATH        a symlink that always points at the current device, like\n"
    "                           /dev/serial/by-id (gone while the adapter is out)\n"
    "  --echo                   the adapter echoes every request before the answer\n"
    "  --verbose                print every exchange on stderr\n"
    "  --log FILE               write a timed line for every request, pull and re-plug\n"
    "Sensor values:\n"
    "  --number N               sensor number (default 1234)\n"
    "  --address A              network address (default 1)\n"
    "  --raw VALUE              hold the raw measurement (parameter 0) at VALUE\n"
    "  --full N, --empty N      full-tank and empty-tank levels (default 3000 and 200)\n"
    "  --resolution CODE        output resolution: 100 = 12 bit (default), 200 = 10 bit\n"
    "  --interval SEC           periodic output interval as read, in seconds (default 0: off)\n"
    "Tank (for a calibration table):\n"
    "  --tank-litres V          the sensor stands in a tank of V litres, empty at the start;\n"
    "                           its raw value follows the fuel's height\n"
    "  --tank-shape SHAPE       linear (default) or cylinder (lying: the S-shaped curve)\n"
    "  --control FIFO           read lines \"pour L\" and \"drain L\" from FIFO (made if\n"
    "                           missing); after a portion the level sways for about 3 s, then\n"
    "                           settles; prints \"tank <litres> l\" and \"tank settled <litres> "
    "l\"\n"
    "Sensor faults:\n"
    "  --silent                 never answer\n"
    "  --bad-crc-every N        every Nth answer has a wrong CRC-8\n"
    "  --bad-crc-rate P         answers have a wrong CRC-8 with probability P (0..1)\n"
    "  --seed S                 seed for --bad-crc-rate and --garbage (default 1)\n"
    "  --short                  answers are 14 bytes long\n"
    "  --late MS                answer MS milliseconds later than usual\n"
    "  --garbage                stray bytes on the line after each answer\n"
    "  --negative               every answered value is negative (-5 for 0)\n"
    "  --number-zero            the sensor number reads as 0\n"
    "  --no-echo                answers carry 0 instead of the operation and parameter number\n"
    "LLS bus (a terminal polling sensors, for the bus monitor):\n"
    "  --lls-bus                run the bus instead of the configurable sensor\n"
    "  --addresses A,B,...      polled addresses (default 1)\n"
    "  --lls-bad-crc-every N    every Nth answer has a wrong CRC-8\n"
    "  --lls-drop-answer-every N  every Nth request stays unanswered\n"
    "  --lls-merge-every N      every Nth answer follows its request without a pause\n"
    "  --help                   show this text\n";

struct UsageError {
    std::string message;
};

long long toInteger(const std::string& option, const std::string& text, long long low,
                    long long high) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || errno != 0 || end == nullptr || *end != '\0' || value < low ||
        value > high) {
        throw UsageError{option + ": expected a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", got \"" + text + "\""};
    }
    return value;
}

double toReal(const std::string& option, const std::string& text, double low, double high) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || end == nullptr || *end != '\0' || !std::isfinite(value) ||
        value < low || value > high) {
        std::ostringstream range;
        range << low << " to " << high;
        throw UsageError{option + ": expected a number from " + range.str() + ", got \"" + text +
                         "\""};
    }
    return value;
}

std::vector<std::uint8_t> toAddresses(const std::string& option, const std::string& text) {
    std::vector<std::uint8_t> addresses;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        addresses.push_back(static_cast<std::uint8_t>(toInteger(option, item, 0, 255)));
    }
    if (addresses.empty()) throw UsageError{option + ": no address given"};
    return addresses;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char cell[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X ", b);
        out += cell;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

struct Settings {
    sim::PtySensorOptions sensor;
    sim::SensorFaults faults;
    bool haveNumber = false;
    std::int32_t number = 0;
    bool haveRaw = false;
    std::int32_t raw = 0;
    bool haveAddress = false;
    std::int32_t address = 0;
    std::map<std::uint8_t, std::int32_t> startValues;  // levels and output settings
    double unplugAfter = -1;
    double replugAfter = -1;
    bool verbose = false;
    std::string logPath;
    bool llsBus = false;
    sim::PtyLlsBusOptions bus;
    double tankLitres = 0.0;
    sim::TankShape tankShape = sim::TankShape::Linear;
    std::string controlPath;
};

// Returns false when only the help text was wanted.
bool parse(int argc, char** argv, Settings& s) {
    constexpr long long kIntMax = 2147483647LL;
    constexpr long long kIntMin = -kIntMax - 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError{arg + ": a value is missing"};
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            return false;
        } else if (arg == "--link") {
            s.sensor.linkPath = next();
            s.bus.linkPath = s.sensor.linkPath;
        } else if (arg == "--no-pacing") {
            s.sensor.paced = false;
            s.bus.paced = false;
        } else if (arg == "--turnaround") {
            s.sensor.turnaroundMs = static_cast<int>(toInteger(arg, next(), 0, 10000));
        } else if (arg == "--silent") {
            s.faults.silent = true;
        } else if (arg == "--bad-crc-every") {
            s.faults.badCrcEvery = static_cast<int>(toInteger(arg, next(), 0, kIntMax));
        } else if (arg == "--bad-crc-rate") {
            s.faults.badCrcRate = toReal(arg, next(), 0.0, 1.0);
        } else if (arg == "--seed") {
            s.faults.seed = static_cast<std::uint32_t>(toInteger(arg, next(), 0, 4294967295LL));
            s.bus.seed = s.faults.seed;
        } else if (arg == "--short") {
            s.faults.shortAnswers = true;
        } else if (arg == "--late") {
            s.faults.lateMs = static_cast<int>(toInteger(arg, next(), 0, 60000));
        } else if (arg == "--garbage") {
            s.faults.garbage = true;
        } else if (arg == "--negative") {
            s.faults.negativeValue = true;
        } else if (arg == "--number-zero") {
            s.faults.sensorNumberZero = true;
        } else if (arg == "--no-echo") {
            s.faults.noEcho = true;
        } else if (arg == "--number") {
            s.haveNumber = true;
            s.number = static_cast<std::int32_t>(toInteger(arg, next(), kIntMin, kIntMax));
        } else if (arg == "--address") {
            s.haveAddress = true;
            s.address = static_cast<std::int32_t>(toInteger(arg, next(), 0, 255));
        } else if (arg == "--full") {
            s.startValues[4] = static_cast<std::int32_t>(toInteger(arg, next(), 0, kIntMax));
        } else if (arg == "--empty") {
            s.startValues[5] = static_cast<std::int32_t>(toInteger(arg, next(), 0, kIntMax));
        } else if (arg == "--resolution") {
            const auto code = static_cast<std::int32_t>(toInteger(arg, next(), 100, 200));
            if (code != 100 && code != 200) throw UsageError{arg + ": expected 100 or 200"};
            s.startValues[8] = code;
        } else if (arg == "--interval") {
            s.startValues[9] = static_cast<std::int32_t>(toInteger(arg, next(), 0, kIntMax));
        } else if (arg == "--replug-new-name") {
            s.sensor.replugNewName = true;
        } else if (arg == "--by-id-link") {
            s.sensor.stableLinkPath = next();
        } else if (arg == "--echo") {
            s.sensor.echo = true;
        } else if (arg == "--unplug-on-write") {
            s.sensor.unplugOnWrite = true;
        } else if (arg == "--raw") {
            s.haveRaw = true;
            s.raw = static_cast<std::int32_t>(toInteger(arg, next(), kIntMin, kIntMax));
        } else if (arg == "--unplug-after") {
            s.unplugAfter = toReal(arg, next(), 0.0, 1e6);
        } else if (arg == "--replug-after") {
            s.replugAfter = toReal(arg, next(), 0.0, 1e6);
        } else if (arg == "--verbose") {
            s.verbose = true;
        } else if (arg == "--log") {
            s.logPath = next();
        } else if (arg == "--lls-bus") {
            s.llsBus = true;
        } else if (arg == "--addresses") {
            s.bus.addresses = toAddresses(arg, next());
        } else if (arg == "--lls-bad-crc-every") {
            s.bus.faults.badCrcEvery = static_cast<int>(toInteger(arg, next(), 0, kIntMax));
        } else if (arg == "--lls-drop-answer-every") {
            s.bus.faults.dropAnswerEvery = static_cast<int>(toInteger(arg, next(), 0, kIntMax));
        } else if (arg == "--lls-merge-every") {
            s.bus.faults.mergeEvery = static_cast<int>(toInteger(arg, next(), 0, kIntMax));
        } else if (arg == "--tank-litres") {
            s.tankLitres = toReal(arg, next(), 0.001, 1e6);
        } else if (arg == "--tank-shape") {
            const std::string shape = next();
            if (shape != "linear" && shape != "cylinder") {
                throw UsageError{arg + ": expected linear or cylinder, got \"" + shape + "\""};
            }
            s.tankShape = shape == "linear" ? sim::TankShape::Linear : sim::TankShape::Cylinder;
        } else if (arg == "--control") {
            s.controlPath = next();
        } else {
            throw UsageError{"unknown option \"" + arg + "\""};
        }
    }
    if (s.tankLitres > 0.0 && (s.llsBus || s.haveRaw)) {
        throw UsageError{
            "--tank-litres: the tank drives the raw value, so neither --lls-bus nor "
            "--raw goes with it"};
    }
    if (!s.controlPath.empty() && !(s.tankLitres > 0.0)) {
        throw UsageError{"--control: pours need a tank (--tank-litres)"};
    }
    return true;
}

// What the main loop needs from either kind of device.
struct Device {
    std::function<std::string()> path;
    std::function<void()> unplug;
    std::function<bool()> replug;
    std::function<bool()> plugged;
    std::function<std::string()> params;  // empty for the bus
};

// The serving thread and the main loop both report on stderr; each report goes out whole, so
// a reader that takes the lines apart (the tests) never finds two run together.
std::mutex gSayMutex;
void say(const std::string& line) {
    std::lock_guard<std::mutex> lock(gSayMutex);
    std::cerr << line << std::endl;
}

void announce(const std::string& path) {
    std::cout << "device: " << path << std::endl;
}

// The control channel: a named pipe that any shell can write lines into. Opened without
// waiting for a writer; a writer that closes only means no lines until the next one.
class ControlPipe {
  public:
    bool open(const std::string& path) {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) {
            if (mkfifo(path.c_str(), 0600) != 0) return false;
        } else if (!S_ISFIFO(info.st_mode)) {
            return false;
        }
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        return fd_ >= 0;
    }
    ~ControlPipe() {
        if (fd_ >= 0) ::close(fd_);
    }
    // The whole lines that have arrived.
    std::vector<std::string> lines() {
        std::vector<std::string> out;
        if (fd_ < 0) return out;
        char chunk[256];
        ssize_t got = 0;
        while ((got = ::read(fd_, chunk, sizeof chunk)) > 0) pending_.append(chunk, got);
        std::size_t end = 0;
        while ((end = pending_.find('\n')) != std::string::npos) {
            out.push_back(pending_.substr(0, end));
            pending_.erase(0, end + 1);
        }
        return out;
    }

  private:
    int fd_ = -1;
    std::string pending_;
};

std::string litresText(double litres) {
    std::ostringstream out;
    out << std::round(litres * 1000.0) / 1000.0;
    return out.str();
}

std::string paramsLine(const sim::PtySensor& sensor) {
    std::string line = "params";
    for (const std::uint8_t number : {0, 3, 4, 5, 6, 7, 8, 9, 10}) {
        line += " " + std::to_string(number) + "=" + std::to_string(sensor.param(number));
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    try {
        if (!parse(argc, argv, settings)) {
            std::cout << kUsage;
            return 0;
        }
    } catch (const UsageError& e) {
        std::cerr << "dut-sensor-sim: " << e.message << "\n\n" << kUsage;
        return 2;
    }

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2, SIGHUP}) {
        sigaction(sig, &action, nullptr);
    }

    sim::EventLog log;
    if (!settings.logPath.empty() && !log.open(settings.logPath)) {
        std::cerr << "dut-sensor-sim: cannot write " << settings.logPath << "\n";
        return 1;
    }

    std::unique_ptr<sim::PtySensor> sensor;
    std::unique_ptr<sim::PtyLlsBus> bus;
    Device device;
    if (settings.llsBus) {
        if (settings.verbose) {
            settings.bus.onChunk = [](const std::vector<std::uint8_t>& chunk) {
                say("bus " + hex(chunk));
            };
        }
        bus = std::make_unique<sim::PtyLlsBus>(settings.bus);
        if (!bus->start()) {
            std::cerr << "dut-sensor-sim: cannot open a pseudo-terminal"
                      << (settings.bus.linkPath.empty() ? "" : " or create the link") << "\n";
            return 1;
        }
        device = {[&] { return bus->devicePath(); },
                  [&] { bus->unplug(); },
                  [&] { return bus->replug(); },
                  [&] { return bus->plugged(); },
                  {}};
    } else {
        if (settings.verbose || log.isOpen()) {
            const bool verbose = settings.verbose;
            settings.sensor.onExchange = [verbose, &log](const sim::SimSensor::Frame& request,
                                                         const std::vector<std::uint8_t>& answer) {
                if (verbose) {
                    say("rx " + hex({request.begin(), request.end()}) + "\ntx " +
                        (answer.empty() ? std::string("(no answer)") : hex(answer)));
                }
                // Operation and parameter number: enough to tell the exchanges apart.
                log.write("request " + hex({request[8], request[9]}) +
                          (answer.empty() ? " unanswered" : " answered"));
            };
        }
        sensor = std::make_unique<sim::PtySensor>(settings.sensor);
        sensor->setFaults(settings.faults);
        if (settings.haveNumber) sensor->setParam(7, settings.number);
        if (settings.haveAddress) sensor->setParam(3, settings.address);
        for (const auto& [number, value] : settings.startValues) sensor->setParam(number, value);
        if (settings.haveRaw) {
            sensor->setParam(0, settings.raw);
            sensor->freezeRaw(true);
        }
        if (!sensor->start()) {
            std::cerr << "dut-sensor-sim: cannot open a pseudo-terminal"
                      << (settings.sensor.linkPath.empty() ? "" : " or create the link") << "\n";
            return 1;
        }
        device = {[&] { return sensor->devicePath(); }, [&] { sensor->unplug(); },
                  [&] { return sensor->replug(); }, [&] { return sensor->plugged(); },
                  [&] { return paramsLine(*sensor); }};
    }

    std::unique_ptr<sim::SimTank> tank;
    ControlPipe control;
    std::int32_t tankEmpty = 0;
    std::int32_t tankFull = 0;
    bool tankSettled = true;
    const auto started = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    if (settings.tankLitres > 0.0) {
        tank = std::make_unique<sim::SimTank>(settings.tankLitres, settings.tankShape);
        // The tank's height maps onto the levels the sensor starts with, so a later
        // calibration of the sensor changes its output level, as it would in a real tank.
        tankEmpty = sensor->param(5);
        tankFull = sensor->param(4);
        sensor->setParam(0, tank->raw(seconds(), tankEmpty, tankFull));
        sensor->freezeRaw(true);
        if (!settings.controlPath.empty() && !control.open(settings.controlPath)) {
            std::cerr << "dut-sensor-sim: cannot make or open the control pipe "
                      << settings.controlPath << "\n";
            return 1;
        }
    }

    std::string path = device.path();
    announce(path);

    using Clock = std::chrono::steady_clock;
    bool plugged = true;
    auto since = Clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(Clock::now() - since).count();
    };
    const auto pull = [&] {
        device.unplug();
        plugged = false;
        since = Clock::now();
        log.write("unplugged");
        if (settings.verbose) say("unplugged");
    };
    const auto plugIn = [&] {
        if (!device.replug()) {
            std::cerr << "dut-sensor-sim: cannot open a new pseudo-terminal" << std::endl;
            return;
        }
        plugged = true;
        since = Clock::now();
        log.write("plugged in");
        if (settings.verbose) say("plugged in");
        const std::string now = device.path();
        if (now != path) {
            path = now;
            announce(path);
        }
    };

    while (!gQuit) {
        const timespec pause{0, 20 * 1000 * 1000};
        nanosleep(&pause, nullptr);
        if (tank) {
            for (const std::string& line : control.lines()) {
                const auto command = sim::parseTankCommand(line);
                if (!command) {
                    std::cerr
                        << "dut-sensor-sim: control: expected \"pour L\" or \"drain L\", got \""
                        << line << "\"" << std::endl;
                    continue;
                }
                command->pour ? tank->pour(command->litres, seconds())
                              : tank->drain(command->litres, seconds());
                tankSettled = false;
                std::cout << "tank " << litresText(tank->litres()) << " l" << std::endl;
            }
            const double now = seconds();
            sensor->setParam(0, tank->raw(now, tankEmpty, tankFull));
            if (!tankSettled && tank->settled(now)) {
                tankSettled = true;
                std::cout << "tank settled " << litresText(tank->litres()) << " l" << std::endl;
            }
        }
        if (gShowParams) {
            gShowParams = 0;
            if (device.params) std::cout << device.params() << std::endl;
        }
        if (plugged && !device.plugged()) {
            // The sensor pulled its own adapter (--unplug-on-write).
            plugged = false;
            since = Clock::now();
            if (settings.verbose) say("unplugged");
        }
        if (gUnplug) {
            gUnplug = 0;
            if (plugged) pull();
        }
        if (gReplug) {
            gReplug = 0;
            if (!plugged) plugIn();
        }
        if (plugged && settings.unplugAfter >= 0 && elapsed() >= settings.unplugAfter) {
            pull();
        } else if (!plugged && settings.replugAfter >= 0 && elapsed() >= settings.replugAfter) {
            plugIn();
        }
    }
    if (sensor) sensor->stop();
    if (bus) bus->stop();
    return 0;
}
