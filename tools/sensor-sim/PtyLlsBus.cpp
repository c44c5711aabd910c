#include "PtyLlsBus.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "PtyLine.h"

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kMaxUnreadBytes = 256;

}  // namespace

struct PtyLlsBus::Impl {
    explicit Impl(PtyLlsBusOptions o)
        : options(std::move(o)), bus(options.addresses, options.seed), line(options.linkPath) {
        bus.faults = options.faults;
        bus.minGapMs = options.minGapMs;
        bus.maxGapMs = options.maxGapMs;
        polling = options.polling;
    }

    PtyLlsBusOptions options;

    mutable std::mutex mutex;  // bus, sent, lastWrite
    lls::LlsBus bus;
    std::vector<std::vector<std::uint8_t>> sent;
    Clock::time_point lastWrite{};

    mutable std::mutex lineMutex;  // line
    PtyLine line;

    std::mutex playMutex;  // held by play() throughout, and by the schedule per chunk
    std::atomic<int> playing{0};
    std::atomic<bool> polling{true};
    std::atomic<bool> stopping{false};
    std::thread thread;
    bool started = false;

    bool writeChunk(const std::vector<std::uint8_t>& bytes);
    void run();
};

bool PtyLlsBus::Impl::writeChunk(const std::vector<std::uint8_t>& bytes) {
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(lineMutex);
        if (!line.plugged()) return false;
        if (line.pendingForReader() > kMaxUnreadBytes) line.dropUnread();
        ok = writePaced(line, bytes.data(), bytes.size(), options.paced);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastWrite = Clock::now();
        if (ok) sent.push_back(bytes);
    }
    if (ok && options.onChunk) options.onChunk(bytes);
    return ok;
}

void PtyLlsBus::Impl::run() {
    while (!stopping.load()) {
        if (!polling.load() || playing.load() > 0) {
            std::this_thread::sleep_for(milliseconds(5));
            continue;
        }
        std::vector<lls::Chunk> chunks;
        Clock::time_point last;
        {
            std::lock_guard<std::mutex> lock(mutex);
            chunks = bus.nextPoll();
            last = lastWrite;
        }
        for (const lls::Chunk& chunk : chunks) {
            // The silence is measured from the end of the previous packet on the line.
            const auto due = std::max(last, Clock::now() - milliseconds(chunk.gapBeforeMs)) +
                             milliseconds(chunk.gapBeforeMs);
            if (!sleepUntil(due, stopping)) return;
            std::unique_lock<std::mutex> turn(playMutex, std::try_to_lock);
            if (!turn || !polling.load() || playing.load() > 0) break;
            if (!writeChunk(chunk.bytes)) break;
            last = Clock::now();
        }
    }
}

PtyLlsBus::PtyLlsBus(PtyLlsBusOptions options) : impl_(new Impl(std::move(options))) {}

PtyLlsBus::~PtyLlsBus() {
    stop();
}

bool PtyLlsBus::start() {
    if (impl_->started) return true;
    {
        std::lock_guard<std::mutex> lock(impl_->lineMutex);
        if (!impl_->line.plug()) return false;
    }
    impl_->stopping = false;
    impl_->thread = std::thread([this] { impl_->run(); });
    impl_->started = true;
    return true;
}

void PtyLlsBus::stop() {
    if (!impl_->started) return;
    impl_->stopping = true;
    if (impl_->thread.joinable()) impl_->thread.join();
    {
        std::lock_guard<std::mutex> lock(impl_->lineMutex);
        impl_->line.unplug();
    }
    impl_->started = false;
}

std::string PtyLlsBus::devicePath() const {
    std::lock_guard<std::mutex> lock(impl_->lineMutex);
    return impl_->line.devicePath();
}

void PtyLlsBus::setFaults(const lls::LlsFaults& faults) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->bus.faults = faults;
}

lls::LlsFaults PtyLlsBus::faults() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->bus.faults;
}

void PtyLlsBus::setPolling(bool on) {
    impl_->polling = on;
}

std::uint16_t PtyLlsBus::level(std::uint8_t address) const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->bus.level(address);
}

void PtyLlsBus::setLevel(std::uint8_t address, std::uint16_t level) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->bus.setLevel(address, level);
}

bool PtyLlsBus::play(const std::vector<std::vector<std::uint8_t>>& chunks, int gapMs) {
    struct Pause {
        std::atomic<int>& count;
        explicit Pause(std::atomic<int>& c) : count(c) { ++count; }
        ~Pause() { --count; }
    } pause(impl_->playing);
    // The schedule writes only while holding this lock, so once we have it no packet of
    // the schedule is half on the line and lastWrite marks the true end of the traffic.
    std::lock_guard<std::mutex> playLock(impl_->playMutex);
    const auto gap = milliseconds(gapMs < 0 ? 0 : gapMs);
    const std::atomic<bool> never{false};
    for (const auto& chunk : chunks) {
        Clock::time_point last;
        {
            std::lock_guard<std::mutex> lock(impl_->mutex);
            last = impl_->lastWrite;
        }
        sleepUntil(last + gap, never);
        if (!impl_->writeChunk(chunk)) return false;
    }
    return true;
}

std::vector<std::vector<std::uint8_t>> PtyLlsBus::sent() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->sent;
}

void PtyLlsBus::clearSent() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->sent.clear();
}

void PtyLlsBus::unplug() {
    std::lock_guard<std::mutex> lock(impl_->lineMutex);
    impl_->line.unplug();
}

bool PtyLlsBus::replug() {
    std::lock_guard<std::mutex> lock(impl_->lineMutex);
    return impl_->line.plug();
}

bool PtyLlsBus::plugged() const {
    std::lock_guard<std::mutex> lock(impl_->lineMutex);
    return impl_->line.plugged();
}

}  // namespace sim
