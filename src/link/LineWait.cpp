#include "LineWait.h"

namespace dut {

InlineLineWait& InlineLineWait::instance() {
    static InlineLineWait wait;
    return wait;
}

}  // namespace dut
