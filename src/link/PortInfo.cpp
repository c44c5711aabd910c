#include "PortInfo.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace dut {

namespace fs = std::filesystem;

namespace {

void append(std::string& out, const std::string& piece) {
    if (piece.empty()) return;
    if (!out.empty()) out += ", ";
    out += piece;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string PortInfo::description() const {
    if (!friendlyName.empty()) return friendlyName;
    std::string out;
    append(out, product);
    append(out, manufacturer);
    if (!serial.empty()) append(out, "SN " + serial);
    append(out, vidPid);
    return out;
}

std::string findStableName(const std::string& devicePath, const std::string& byIdDir) {
    std::error_code ec;
    const fs::path device = fs::canonical(devicePath, ec);
    if (ec) return {};
    fs::directory_iterator it(byIdDir, ec);
    if (ec) return {};
    for (int n = 0; it != fs::directory_iterator() && n < 256; it.increment(ec), ++n) {
        if (ec) break;
        std::error_code ec2;
        if (fs::canonical(it->path(), ec2) == device && !ec2) return it->path().string();
    }
    return {};
}

std::string resolveStableName(const std::string& stableName) {
    std::error_code ec;
    const fs::path target = fs::canonical(stableName, ec);
    return ec ? std::string{} : target.string();
}

std::string friendlyNameFor(const std::string& devicePath, const std::vector<FriendlyName>& list) {
    std::string port = devicePath;
    const std::string ns = "\\\\.\\";
    if (port.compare(0, ns.size(), ns) == 0) port.erase(0, ns.size());
    port = upper(port);
    for (const FriendlyName& entry : list) {
        if (upper(entry.port) == port) return entry.name;
    }
    return {};
}

}  // namespace dut
