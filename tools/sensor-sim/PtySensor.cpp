#include "PtySensor.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "PtyLine.h"

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A request that stops short is dropped after this much silence, like a sensor that
// resets its receiver between frames.
constexpr milliseconds kPartialFrameTimeout{20};
// Bytes nobody has read for this long are not kept: a real line does not store them.
constexpr int kMaxUnreadBytes = 256;
constexpr milliseconds kStrayDelay{5};

}  // namespace

struct PtySensor::Impl {
    explicit Impl(PtySensorOptions o) : options(std::move(o)), line(options.linkPath) {
        line.setStableLink(options.stableLinkPath);
        line.setNewNameOnPlug(options.replugNewName);
    }

    PtySensorOptions options;

    mutable std::mutex mutex;  // sensor, requests
    SimSensor sensor;
    std::vector<SimSensor::Frame> requests;

    mutable std::mutex lineMutex;  // line
    PtyLine line;

    std::thread thread;
    std::atomic<bool> stopping{false};
    bool started = false;
    int wake[2] = {-1, -1};

    // Serving-thread state only.
    std::vector<std::uint8_t> rx;
    Clock::time_point lastRx;
    std::uint64_t rxGeneration = 0;

    void poke() {
        if (wake[1] >= 0) {
            const char c = 1;
            [[maybe_unused]] const ssize_t n = ::write(wake[1], &c, 1);
        }
    }

    void run();
    void collect(Clock::time_point now);
    void serve(const SimSensor::Frame& request, std::uint64_t generation);
};

void PtySensor::Impl::run() {
    auto lastAdvance = Clock::now();
    while (!stopping.load()) {
        int fd = -1;
        {
            std::lock_guard<std::mutex> lock(lineMutex);
            if (line.plugged()) fd = line.masterFd();
        }
        pollfd fds[2] = {{wake[0], POLLIN, 0}, {fd, POLLIN, 0}};
        ::poll(fds, fd >= 0 ? 2 : 1, 10);
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wake[0], drain, sizeof drain) > 0) {
            }
        }
        const auto now = Clock::now();
        {
            std::lock_guard<std::mutex> lock(mutex);
            sensor.advance(std::chrono::duration<double>(now - lastAdvance).count());
        }
        lastAdvance = now;
        collect(now);
    }
}

void PtySensor::Impl::collect(Clock::time_point now) {
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> lock(lineMutex);
        if (!line.plugged()) return;
        generation = line.generation();
        if (generation != rxGeneration) {
            rx.clear();
            rxGeneration = generation;
        }
        std::uint8_t buffer[256];
        for (int i = 0; i < 64; ++i) {
            const long n = line.readSome(buffer, sizeof buffer);
            if (n <= 0) break;
            rx.insert(rx.end(), buffer, buffer + n);
            lastRx = now;
        }
    }
    constexpr std::size_t kSize = SimSensor::kFrameSize;
    while (rx.size() >= kSize && !stopping.load()) {
        if (!SimSensor::crcOk(rx.data(), kSize)) {
            // Not a frame boundary (stray bytes or a damaged request): slide by one byte.
            rx.erase(rx.begin());
            continue;
        }
        SimSensor::Frame frame;
        std::copy(rx.begin(), rx.begin() + kSize, frame.begin());
        rx.erase(rx.begin(), rx.begin() + kSize);
        serve(frame, generation);
    }
    if (!rx.empty() && Clock::now() - lastRx > kPartialFrameTimeout) rx.clear();
}

void PtySensor::Impl::serve(const SimSensor::Frame& request, std::uint64_t generation) {
    if (options.unplugOnWrite && request[8] == SimSensor::kWrite) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            requests.push_back(request);
        }
        {
            std::lock_guard<std::mutex> lock(lineMutex);
            if (line.plugged() && line.generation() == generation) line.unplug();
        }
        if (options.onExchange) options.onExchange(request, {});
        return;
    }
    if (options.echo) {
        // The echo is complete as soon as the request is: the adapter heard every byte
        // while it sent it.
        std::lock_guard<std::mutex> lock(lineMutex);
        if (line.plugged() && line.generation() == generation) {
            line.writeAll(request.data(), request.size(), Clock::now() + milliseconds(50));
        }
    }
    std::vector<std::uint8_t> answer;
    std::vector<std::uint8_t> stray;
    int lateMs = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(request);
        answer = sensor.answer(request);
        if (!answer.empty()) stray = sensor.strayBytes();
        lateMs = std::max(0, sensor.faults.lateMs);
    }
    if (!answer.empty()) {
        const auto due =
            Clock::now() + milliseconds(std::max(0, options.turnaroundMs)) + milliseconds(lateMs);
        if (!sleepUntil(due, stopping)) return;
        std::lock_guard<std::mutex> lock(lineMutex);
        if (!line.plugged() || line.generation() != generation) return;
        if (line.pendingForReader() > kMaxUnreadBytes) line.dropUnread();
        writePaced(line, answer.data(), answer.size(), options.paced);
    }
    if (options.onExchange) options.onExchange(request, answer);
    if (!stray.empty()) {
        if (!sleepUntil(Clock::now() + kStrayDelay, stopping)) return;
        std::lock_guard<std::mutex> lock(lineMutex);
        if (line.plugged() && line.generation() == generation) {
            line.writeAll(stray.data(), stray.size(), Clock::now() + milliseconds(50));
        }
    }
}

PtySensor::PtySensor(PtySensorOptions options) : impl_(new Impl(std::move(options))) {}

PtySensor::~PtySensor() {
    stop();
}

bool PtySensor::start() {
    if (impl_->started) return true;
    if (::pipe2(impl_->wake, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(impl_->lineMutex);
        ok = impl_->line.plug();
    }
    if (!ok) {
        ::close(impl_->wake[0]);
        ::close(impl_->wake[1]);
        impl_->wake[0] = impl_->wake[1] = -1;
        return false;
    }
    impl_->stopping = false;
    impl_->thread = std::thread([this] { impl_->run(); });
    impl_->started = true;
    return true;
}

void PtySensor::stop() {
    if (!impl_->started) return;
    impl_->stopping = true;
    impl_->poke();
    if (impl_->thread.joinable()) impl_->thread.join();
    {
        std::lock_guard<std::mutex> lock(impl_->lineMutex);
        impl_->line.unplug();
    }
    ::close(impl_->wake[0]);
    ::close(impl_->wake[1]);
    impl_->wake[0] = impl_->wake[1] = -1;
    impl_->started = false;
}

std::string PtySensor::devicePath() const {
    std::lock_guard<std::mutex> lock(impl_->lineMutex);
    return impl_->line.devicePath();
}

void PtySensor::setFaults(const SensorFaults& faults) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->sensor.faults = faults;
}

SensorFaults PtySensor::faults() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->sensor.faults;
}

void PtySensor::setParam(std::uint8_t number, std::int32_t value) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->sensor.setParam(number, value);
}

std::int32_t PtySensor::param(std::uint8_t number) const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->sensor.param(number);
}

void PtySensor::freezeRaw(bool frozen) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->sensor.freezeRaw(frozen);
}

std::vector<SimSensor::Frame> PtySensor::requests() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->requests;
}

void PtySensor::clearRequests() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->requests.clear();
}

void PtySensor::inject(const std::vector<std::uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(impl_->lineMutex);
    if (!impl_->line.plugged()) return;
    impl_->line.writeAll(bytes.data(), bytes.size(), Clock::now() + milliseconds(200));
}

void PtySensor::unplug() {
    {
        std::lock_guard<std::mutex> lock(impl_->lineMutex);
        impl_->line.unplug();
    }
    impl_->poke();
}

bool PtySensor::replug() {
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(impl_->lineMutex);
        ok = impl_->line.plug();
    }
    impl_->poke();
    return ok;
}

bool PtySensor::plugged() const {
    std::lock_guard<std::mutex> lock(impl_->lineMutex);
    return impl_->line.plugged();
}

}  // namespace sim
