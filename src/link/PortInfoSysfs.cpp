// Linux: the adapter's USB strings from sysfs.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "PortInfo.h"

namespace dut {

namespace fs = std::filesystem;

namespace {

// Sysfs strings are short; anything longer, or with control characters, is not a name a
// person should see in a list.
constexpr std::size_t kMaxAttribute = 128;

std::string readAttribute(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string text(kMaxAttribute + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.size() > kMaxAttribute) return {};
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return {};
    }
    return text;
}

bool isHex4(const std::string& s) {
    if (s.size() != 4) return false;
    for (const char c : s) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

PortInfo describePort(const std::string& devicePath, const PortInfoSources& sources) {
    PortInfo info;
    info.path = devicePath;
    info.byId = findStableName(devicePath, sources.byIdDir);

    std::error_code ec;
    const fs::path name = fs::path(devicePath).filename();
    fs::path dir = fs::canonical(fs::path(sources.sysClassTty) / name / "device", ec);
    if (ec) return info;
    // The tty's device is a USB interface (or a serial port below one); the USB device
    // that carries the strings is the first ancestor with a vendor id.
    for (int depth = 0; depth < 6 && !dir.empty() && dir != dir.root_path(); ++depth) {
        const std::string vid = readAttribute(dir / "idVendor");
        if (!vid.empty()) {
            const std::string pid = readAttribute(dir / "idProduct");
            if (isHex4(vid) && isHex4(pid)) info.vidPid = vid + ":" + pid;
            info.product = readAttribute(dir / "product");
            info.manufacturer = readAttribute(dir / "manufacturer");
            info.serial = readAttribute(dir / "serial");
            break;
        }
        dir = dir.parent_path();
    }
    return info;
}

}  // namespace dut
