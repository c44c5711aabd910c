#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dut::files {

// The most any of the program's files is read in: its tables, sessions and settings are a few
// kilobytes, so anything past this is not one of them (or has no end, like a device).
constexpr std::size_t kLargestRead = 8 * 1024 * 1024;

// Why a file could not be saved or read: what the program was doing (context "Files" of
// the translations) and, when the system refused, the system's own reason in its language.
struct Failure {
    const char* step = nullptr;  // UTF-8; null when nothing failed
    std::string system;          // as the system gave it; empty when the program refused
    explicit operator bool() const { return step != nullptr; }
    // "запись не удалась: No space left on device", the step untranslated.
    std::string text() const;
};

// Replaces the file at `path` (UTF-8) with `bytes`. The bytes go to a new file beside it, which
// is synced to disk and closed, then renamed over the old one, and the folder is synced; any
// step that fails removes the new file and leaves the old one as it was. A path that names a
// folder, a device or a pipe is refused before anything is written. A symbolic link is
// followed: the file it points to is replaced. No failure means the bytes are on disk.
Failure save(const std::string& path, std::string_view bytes);

struct Read {
    bool missing = false;  // there is no such file (a failure of its own)
    Failure failure;
    std::string bytes;
    bool ok() const { return !failure; }
};
// Reads the regular file at `path` (UTF-8), at most kLargestRead bytes, counted as they come.
// Anything else (a folder, a pipe, a device) is refused without waiting on it, and so is a file
// longer than that.
Read read(const std::string& path);

}  // namespace dut::files
