// Windows: the device manager's friendly name of each port ("USB-SERIAL CH340 (COM3)"),
// from the Ports device class of the device registry.
#include <windows.h>
// windows.h first: setupapi.h and devguid.h rely on its types.
#include <devguid.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "PortInfo.h"

namespace dut {

namespace {

std::string toUtf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

std::vector<FriendlyName> systemFriendlyNames() {
    std::vector<FriendlyName> list;
    HDEVINFO devices =
        ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return list;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    // A machine has a handful of ports; the bound only guards against a driver that never
    // says the list has ended.
    for (DWORD i = 0; i < 256 && ::SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        wchar_t friendly[256] = {};
        if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                 reinterpret_cast<BYTE*>(friendly),
                                                 sizeof friendly - sizeof(wchar_t), nullptr)) {
            continue;
        }
        HKEY key =
            ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        wchar_t port[64] = {};
        DWORD size = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const LONG read = ::RegQueryValueExW(key, L"PortName", nullptr, &type,
                                             reinterpret_cast<BYTE*>(port), &size);
        ::RegCloseKey(key);
        if (read == ERROR_SUCCESS && type == REG_SZ)
            list.push_back({toUtf8(port), toUtf8(friendly)});
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return list;
}

}  // namespace

PortInfo describePort(const std::string& devicePath, const PortInfoSources&) {
    PortInfo info;
    info.path = devicePath;
    info.friendlyName = friendlyNameFor(devicePath, systemFriendlyNames());
    return info;
}

}  // namespace dut
