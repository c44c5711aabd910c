#include "AxisScale.h"

#include <algorithm>
#include <cmath>

namespace dut::tank {

AxisScale roundAxis(double dataMax, int maxSteps) {
    maxSteps = std::max(1, maxSteps);
    if (!(dataMax > 0) || !std::isfinite(dataMax)) dataMax = 10;
    const double least = dataMax / maxSteps;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    double step = 10.0 * power;
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (factor * power >= least * (1 - 1e-12)) {
            step = factor * power;
            break;
        }
    }
    // 2.5 is round only from 25 upwards; below it marks would read 2.5, 7.5 on a level axis.
    if (step < 25 && std::abs(step / power - 2.5) < 1e-9) step = 5.0 * power;
    const int steps = std::max(1, static_cast<int>(std::ceil(dataMax / step - 1e-9)));
    return AxisScale{step * steps, step, steps};
}

}  // namespace dut::tank
