// Windows backend of the files: a new file beside the target, FlushFileBuffers, then
// MoveFileExW with MOVEFILE_WRITE_THROUGH, which returns only once the rename is on disk (so
// there is no folder to sync). Paths are UTF-8 and go to the wide API.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <random>

#include "Files.h"
#include "FilesTexts.h"

namespace dut::files {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), length);
    return out;
}

std::string utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

std::string systemMessage(DWORD code) {
    wchar_t text[512] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, static_cast<DWORD>(sizeof(text) / sizeof(text[0])), nullptr);
    std::string message = utf8(text, static_cast<int>(length));
    // The system ends its messages with a line break and a full stop the window adds itself.
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty()) message = "System error " + std::to_string(code);
    return message;
}

Failure failed(const char* step, DWORD code) {
    return Failure{step, systemMessage(code)};
}

struct Handle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~Handle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    HANDLE release() {
        const HANDLE out = handle;
        handle = INVALID_HANDLE_VALUE;
        return out;
    }
};

// A device name (NUL, COM1, \\.\pipe\x) is not a disk file; known only once it is open.
const char* notADiskFile(HANDLE handle) {
    switch (GetFileType(handle)) {
        case FILE_TYPE_DISK:
            return nullptr;
        case FILE_TYPE_PIPE:
            return kIsPipe;
        case FILE_TYPE_CHAR:
            return kIsDevice;
        default:
            return kNotRegular;
    }
}

std::wstring folderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

}  // namespace

Failure save(const std::string& given, std::string_view bytes) {
    const std::wstring path = wide(given);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return Failure{kIsFolder, {}};
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring base = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::wstring folder = folderOf(path);

    std::random_device seed;
    std::mt19937 random(seed() ^ GetCurrentProcessId());
    std::wstring temporary;
    Handle file;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && file.handle == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder + L"\\." + base + L".saving-" + std::to_wstring(random() % 1000000000u);
        file.handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file.handle == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            if (error != ERROR_FILE_EXISTS) break;
        }
    }
    if (file.handle == INVALID_HANDLE_VALUE) return failed(kCreate, error);
    const auto abandon = [&](const char* step, DWORD code) {
        if (file.handle != INVALID_HANDLE_VALUE) CloseHandle(file.release());
        DeleteFileW(temporary.c_str());
        return failed(step, code);
    };
    // The target may be a device that only showed itself as one by its name.
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        Handle target;
        target.handle =
            CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (target.handle != INVALID_HANDLE_VALUE) {
            if (const char* refusal = notADiskFile(target.handle)) {
                CloseHandle(file.release());
                DeleteFileW(temporary.c_str());
                return Failure{refusal, {}};
            }
        }
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file.handle, bytes.data() + done, chunk, &written, nullptr)) {
            return abandon(kWrite, GetLastError());
        }
        if (written == 0) return abandon(kWrite, ERROR_DISK_FULL);
        done += written;
    }
    if (!FlushFileBuffers(file.handle)) return abandon(kSync, GetLastError());
    if (!CloseHandle(file.release())) return abandon(kClose, GetLastError());
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return abandon(kReplace, GetLastError());
    }
    return Failure{};
}

Read read(const std::string& given) {
    Read result;
    const std::wstring path = wide(given);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        result.missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        // Device names have no attributes on every version; opening them tells.
        if (result.missing) {
            result.failure = failed(kOpen, error);
            return result;
        }
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        result.failure = Failure{kIsFolder, {}};
        return result;
    }
    Handle file;
    file.handle = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        result.missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        result.failure = failed(kOpen, error);
        return result;
    }
    if (const char* refusal = notADiskFile(file.handle)) {
        result.failure = Failure{refusal, {}};
        return result;
    }
    char chunk[64 * 1024];
    while (true) {
        DWORD n = 0;
        if (!ReadFile(file.handle, chunk, sizeof(chunk), &n, nullptr)) {
            result.failure = failed(kRead, GetLastError());
            result.bytes.clear();
            return result;
        }
        if (n == 0) break;
        if (result.bytes.size() + n > kLargestRead) {
            result.failure = Failure{kTooLarge, {}};
            result.bytes.clear();
            return result;
        }
        result.bytes.append(chunk, n);
    }
    return result;
}

}  // namespace dut::files
