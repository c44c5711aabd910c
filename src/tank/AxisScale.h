#pragma once

namespace dut::tank {

// An axis from 0 that ends at a round value just past its data, its marks at round values: a
// step of 1, 2, 2.5 or 5 times a power of ten, at most `maxSteps` of them. The charts of the
// table and of the report both draw with it, so the two read alike.
struct AxisScale {
    double max = 0;
    double step = 0;
    int steps = 0;  // marks after the 0
};

// Data of 0 or less (an empty chart) gives an axis of its own to 10, so that the frame still
// carries round marks and not a run of zeroes.
AxisScale roundAxis(double dataMax, int maxSteps = 10);

}  // namespace dut::tank
