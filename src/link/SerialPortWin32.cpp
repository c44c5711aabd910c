// Windows backend of SerialPort: the Win32 communications API.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <vector>

#include "DeviceNames.h"
#include "SerialPort.h"

namespace dut {

namespace {

std::string systemMessage(std::uint32_t code) {
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, static_cast<DWORD>(sizeof(text)), nullptr);
    std::string message(text, length);
    // The system ends its messages with a line break that a message box must not show.
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    if (message.empty()) message = "System error " + std::to_string(code);
    return message;
}

}  // namespace

struct SerialPort::Backend {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

SerialPort::SerialPort() : backend_(std::make_unique<Backend>()) {}

SerialPort::~SerialPort() {
    close();
}

std::string SerialPort::devicePath(const std::string& name) {
    return devnames::withDeviceNamespace(name);
}

bool SerialPort::open(const std::string& name) {
    close();
    lastErrorCode_ = 0;
    const std::string path = devicePath(name);
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        lastErrorCode_ = static_cast<int>(GetLastError());
        return false;
    }

    DCB dcb;
    ZeroMemory(&dcb, sizeof(dcb));
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle, &dcb)) {
        lastErrorCode_ = static_cast<int>(GetLastError());
        CloseHandle(handle);
        return false;
    }
    dcb.BaudRate = CBR_19200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle, &dcb)) {
        lastErrorCode_ = static_cast<int>(GetLastError());
        CloseHandle(handle);
        return false;
    }

    COMMTIMEOUTS timeouts;
    ZeroMemory(&timeouts, sizeof(timeouts));
    if (!GetCommTimeouts(handle, &timeouts)) {
        lastErrorCode_ = static_cast<int>(GetLastError());
        CloseHandle(handle);
        return false;
    }
    timeouts.ReadIntervalTimeout = kInterByteTimeoutMs;
    timeouts.ReadTotalTimeoutMultiplier = kTotalPerByteMs;
    timeouts.ReadTotalTimeoutConstant = kTotalConstantMs;
    // Without these bounds a read would wait for its whole count forever.
    if (!SetCommTimeouts(handle, &timeouts)) {
        lastErrorCode_ = static_cast<int>(GetLastError());
        CloseHandle(handle);
        return false;
    }

    backend_->handle = handle;
    ++sessions_;
    return true;
}

std::string SerialPort::lastErrorMessage() const {
    const int code = lastErrorCode_;
    return code == 0 ? std::string() : systemMessage(static_cast<std::uint32_t>(code));
}

void SerialPort::close() {
    if (backend_->handle == INVALID_HANDLE_VALUE) return;
    CloseHandle(backend_->handle);
    backend_->handle = INVALID_HANDLE_VALUE;
}

bool SerialPort::isOpen() const {
    return backend_->handle != INVALID_HANDLE_VALUE;
}

std::intptr_t SerialPort::nativeHandle() const {
    // INVALID_HANDLE_VALUE is -1 as an integer.
    return reinterpret_cast<std::intptr_t>(backend_->handle);
}

bool SerialPort::flushInput() {
    callError_ = 0;
    if (!isOpen()) return false;
    DWORD errors = 0;
    COMSTAT status;
    ZeroMemory(&status, sizeof(status));
    if (!ClearCommError(backend_->handle, &errors, &status)) {
        failed(static_cast<int>(GetLastError()));
        return false;
    }
    if (status.cbInQue == 0) return true;
    std::vector<std::uint8_t> junk(status.cbInQue);
    DWORD dropped = 0;
    (void)ReadFile(backend_->handle, junk.data(), status.cbInQue, &dropped, nullptr);
    return true;
}

bool SerialPort::write(const std::uint8_t* data, std::size_t count) {
    callError_ = 0;
    if (!isOpen() || data == nullptr) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(backend_->handle, data, static_cast<DWORD>(count), &written, nullptr);
    if (!ok) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            failed(static_cast<int>(error));
            return false;
        }
    }
    return written == static_cast<DWORD>(count);
}

namespace {

// The driver does not say which of its time-outs ended a read; one that lasted its whole
// total bound and brought some bytes, not all, ended there and not in a silence.
bool endedAtTotalBound(ULONGLONG startedMs, DWORD totalMs, DWORD got, std::size_t count) {
    constexpr ULONGLONG kClockSlackMs = 2;
    return got > 0 && got < count && GetTickCount64() - startedMs + kClockSlackMs >= totalMs;
}

}  // namespace

std::size_t SerialPort::read(std::uint8_t* buffer, std::size_t count) {
    callError_ = 0;
    cutOff_ = false;
    if (!isOpen() || buffer == nullptr || count == 0) return 0;
    // The line's usual bounds are the driver's time-outs, set once by open().
    COMMTIMEOUTS bounds;
    ZeroMemory(&bounds, sizeof(bounds));
    const DWORD totalMs = GetCommTimeouts(backend_->handle, &bounds)
                              ? bounds.ReadTotalTimeoutConstant +
                                    bounds.ReadTotalTimeoutMultiplier * static_cast<DWORD>(count)
                              : MAXDWORD;
    const ULONGLONG started = GetTickCount64();
    DWORD got = 0;
    const BOOL ok = ReadFile(backend_->handle, buffer, static_cast<DWORD>(count), &got, nullptr);
    if (!ok) {
        const DWORD error = GetLastError();
        if (error != ERROR_HANDLE_EOF) {
            failed(static_cast<int>(error));
            return 0;
        }
    }
    cutOff_ = endedAtTotalBound(started, totalMs, got, count);
    return got;
}

std::size_t SerialPort::read(std::uint8_t* buffer, std::size_t count, int totalMs) {
    callError_ = 0;
    if (!isOpen() || buffer == nullptr || count == 0 || totalMs <= 0) return 0;
    // The driver applies one set of time-outs to every read: this one gets a total of its own
    // and the line's usual bounds come back after it.
    COMMTIMEOUTS usual;
    ZeroMemory(&usual, sizeof(usual));
    if (!GetCommTimeouts(backend_->handle, &usual)) {
        failed(static_cast<int>(GetLastError()));
        return 0;
    }
    COMMTIMEOUTS within = usual;
    within.ReadTotalTimeoutMultiplier = 0;
    within.ReadTotalTimeoutConstant = static_cast<DWORD>(totalMs);
    if (!SetCommTimeouts(backend_->handle, &within)) {
        failed(static_cast<int>(GetLastError()));
        return 0;
    }
    const std::size_t got = read(buffer, count);
    (void)SetCommTimeouts(backend_->handle, &usual);
    return got;
}

std::size_t SerialPort::readOn(std::uint8_t* buffer, std::size_t count) {
    // The driver keeps no time of the last byte: the silence rule counts from now.
    return read(buffer, count, kInterByteTimeoutMs);
}

std::size_t SerialPort::bytesWaiting() const {
    if (!isOpen()) return 0;
    DWORD errors = 0;
    COMSTAT status;
    ZeroMemory(&status, sizeof(status));
    if (!ClearCommError(backend_->handle, &errors, &status)) return 0;
    return status.cbInQue;
}

std::vector<std::string> SerialPort::listPorts(const std::string& prefix) {
    const std::string table = devnames::queryAll(
        [](char* buffer, std::uint32_t size) {
            SetLastError(0);
            const DWORD length = QueryDosDeviceA(nullptr, buffer, size);
            return devnames::QueryResult{length, static_cast<std::uint32_t>(GetLastError())};
        },
        systemMessage);
    return devnames::splitAndFilter(table.data(), table.size(), prefix);
}

}  // namespace dut
