#pragma once

// What really happened between the product and the simulated sensor, on the steady clock:
// every attempt of the protocol (sent, read, how the read ended) as a port between the
// protocol and the serial port sees it, and when the sensor's thread finished every answer.
//
// Exact retry counts on a paced line hold only while the sensor's thread keeps up: held up
// on a loaded machine between two bytes of an answer, it leaves the product's 30 ms of
// silence and the product rightly tries again. lateSensor() says whether that happened, so
// that a test judges the product only on attempts the sensor did its part in.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FrameLine.h"
#include "PortIo.h"
#include "PtySensor.h"

class SensorLineRecord {
  public:
    using Clock = std::chrono::steady_clock;
    using Bytes = std::vector<std::uint8_t>;

    // Goes between the protocol and the real port; records, and changes nothing.
    class Port : public dut::PortIo {
      public:
        Port(dut::PortIo& inner, SensorLineRecord& record) : inner_(inner), record_(record) {}
        bool isOpen() const override { return inner_.isOpen(); }
        bool flushInput() override { return inner_.flushInput(); }
        bool write(const std::uint8_t* data, std::size_t count) override {
            const auto sent = Clock::now();
            // A request that never went onto the line gets no answer to pair with.
            if (!inner_.write(data, count)) return false;
            record_.requests_.push_back(Request::of(Kind::Product, sent));
            return true;
        }
        // The first read after a request of its own is the read of its answer; the product
        // took it when a whole good frame came.
        std::size_t read(std::uint8_t* buffer, std::size_t count) override {
            auto& requests = record_.requests_;
            if (requests.empty() || requests.back().kind != Kind::Product ||
                requests.back().readFrom != Clock::time_point{}) {
                return inner_.read(buffer, count);  // not the read of a request of its own
            }
            Request& r = requests.back();
            r.readFrom = Clock::now();
            const std::size_t got = inner_.read(buffer, count);
            r.readUntil = Clock::now();
            r.ok = goodFrame(Bytes(buffer, buffer + got));
            if (r.ok) r.answer.assign(buffer, buffer + count);
            return got;
        }
        std::size_t read(std::uint8_t* buffer, std::size_t count, int totalMs) override {
            return inner_.read(buffer, count, totalMs);
        }
        void dropUntilQuiet(int quietMs) override { inner_.dropUntilQuiet(quietMs); }
        bool dropStale() override { return inner_.dropStale(); }
        bool lastReadCutOff() const override { return inner_.lastReadCutOff(); }

      private:
        dut::PortIo& inner_;
        SensorLineRecord& record_;
    };

    // Options for the simulated sensor that report its answers here.
    sim::PtySensorOptions sensorOptions(sim::PtySensorOptions options = {}) {
        options.onExchange = [this](const sim::SimSensor::Frame& request, const Bytes& answer) {
            std::lock_guard<std::mutex> lock(mutex_);
            answers_.push_back({Clock::now(), request, answer});
        };
        return options;
    }

    // A request the test put on the line itself, past the port: the sensor answers it too.
    void ownRequestSent() { requests_.push_back(Request::of(Kind::Own, Clock::now())); }
    // The line was gone (an adapter pulled out): the requests sent since `from` reached no
    // sensor, so no answer pairs with them.
    void requestsLostSince(std::size_t from) {
        for (std::size_t i = from; i < requests_.size(); ++i) requests_[i].kind = Kind::Lost;
    }
    // How many requests so far, to judge only those that follow.
    std::size_t requests() const { return requests_.size(); }

    // Whether the sensor has answered (or kept silent on) this request.
    bool answered(const sim::SimSensor::Frame& request) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::any_of(answers_.begin(), answers_.end(),
                           [&](const Answer& a) { return a.request == request; });
    }

    // Empty when, from request `from` on, the sensor finished every answer before the
    // product's read of it ended, and every answer the product took was the one to its own
    // request; else what went late. The sensor answers in order, so the n-th request that
    // reached it pairs with its n-th answer.
    std::string lateSensor(std::size_t from = 0) const {
        waitForAnswers();
        std::lock_guard<std::mutex> lock(mutex_);
        std::string late;
        std::size_t answer = 0;
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            const Request& r = requests_[i];
            if (r.kind == Kind::Lost) continue;
            const std::size_t paired = answer++;
            if (i < from || r.kind != Kind::Product) continue;
            const std::string which = "attempt " + std::to_string(i + 1) + ": ";
            if (paired >= answers_.size()) {
                late += which + (r.ok ? "took an answer before its own was out; "
                                      : "no answer was finished before the read gave up; ");
                continue;
            }
            const Answer& a = answers_[paired];
            // A failed read of a good answer that was not yet out when the read gave up.
            // (A bad answer, or none, fails the read whenever it comes.)
            if (!r.ok && goodFrame(a.bytes) && a.at > r.readUntil) {
                late += which + "the answer was finished " + msBetween(r.readUntil, a.at) +
                        " ms after the read gave up (" + msBetween(r.readFrom, r.readUntil) +
                        " ms after it began); ";
            }
            if (r.ok && r.answer != a.bytes) {
                late += which + "took an answer owed to an earlier attempt; ";
            }
        }
        return late;
    }

  private:
    static constexpr std::size_t kFrameSize = 15;
    static bool goodFrame(const Bytes& bytes) {
        return bytes.size() == kFrameSize && dut::FrameLine::sealed(bytes.data(), bytes.size());
    }

    enum class Kind { Product, Own, Lost };
    struct Request {
        Kind kind = Kind::Product;
        Clock::time_point sent;
        Clock::time_point readFrom;
        Clock::time_point readUntil;
        bool ok = false;
        Bytes answer;
        static Request of(Kind kind, Clock::time_point sent) {
            Request r;
            r.kind = kind;
            r.sent = sent;
            return r;
        }
    };
    struct Answer {
        Clock::time_point at;  // the last byte was on the line
        sim::SimSensor::Frame request;
        Bytes bytes;  // empty when the sensor kept silent
    };

    // The sensor reports an answer only once it is out, which may be a moment after the
    // product took it: wait (bounded) for an answer to every request that reached it.
    void waitForAnswers() const {
        const auto expected = static_cast<std::size_t>(
            std::count_if(requests_.begin(), requests_.end(),
                          [](const Request& r) { return r.kind != Kind::Lost; }));
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (Clock::now() < deadline) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (answers_.size() >= expected) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    static std::string msBetween(Clock::time_point from, Clock::time_point to) {
        return std::to_string(
            std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
    }

    std::vector<Request> requests_;  // the product's thread only
    mutable std::mutex mutex_;       // answers_
    std::vector<Answer> answers_;
};
