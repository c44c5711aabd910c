#pragma once

#include <functional>

namespace dut {

// Where a caller waits while the line is busy. The work handed in does the blocking sends and
// reads of one exchange and touches nothing but the port and its own locals, so a wait may run
// it on another thread while the caller keeps its own events flowing. Either way run() returns
// only once the work has finished, so the caller sees exchanges complete in order.
class LineWait {
  public:
    virtual ~LineWait() = default;
    virtual void run(const std::function<void()>& work) = 0;
};

// Runs the work on the calling thread: for callers without an event loop to keep alive.
class InlineLineWait : public LineWait {
  public:
    void run(const std::function<void()>& work) override { work(); }

    // One stateless instance is enough for everybody.
    static InlineLineWait& instance();
};

}  // namespace dut
