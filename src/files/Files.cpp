#include "Files.h"

#include "FilesTexts.h"

namespace dut::files {

static_assert(kLargestRead == 8 * 1024 * 1024, "kTooLarge names the limit");

std::string Failure::text() const {
    if (!step) return std::string();
    return system.empty() ? std::string(step) : std::string(step) + ": " + system;
}

}  // namespace dut::files
