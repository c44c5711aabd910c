// POSIX backend of the files: open/write/fsync/rename, and stat before any open for reading.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "Files.h"
#include "FilesTexts.h"

namespace dut::files {

namespace {

Failure failed(const char* step, int code) {
    return Failure{step, std::strerror(code)};
}

// What the program says of a path that is there but no regular file; null for a regular one.
const char* notAFile(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return kIsFolder;
    if (S_ISFIFO(mode)) return kIsPipe;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return kIsDevice;
    return kNotRegular;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Closes on every way out; close() itself is checked where it matters.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        const int out = fd;
        fd = -1;
        return out;
    }
};

bool writeAll(int fd, std::string_view bytes, int& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (n == 0) {
            error = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int fsyncRetried(int fd) {
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// A name beside the target that no other save of this or another process takes: O_EXCL
// refuses one that is there already, and the next is tried.
int createBeside(const std::string& target, std::string& name, int& error) {
    const std::string folder = folderOf(target);
    const std::size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device seed;
    std::mt19937 random(seed() ^ static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = (folder == "/" ? std::string() : folder) + "/." + base + ".saving-" +
               std::to_string(random() % 1000000000u);
        // 0666 less the umask, as any new file of the user's; an existing file's mode is
        // copied over below.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST && errno != EINTR) break;
    }
    error = errno;
    return -1;
}

}  // namespace

Failure save(const std::string& given, std::string_view bytes) {
    std::string path = given;
    struct stat st {};
    bool existed = false;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // The link stays a link; what it points to is what the user saves.
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) path = resolved;
    }
    if (::stat(path.c_str(), &st) == 0) {
        if (const char* refusal = notAFile(st.st_mode)) return Failure{refusal, {}};
        existed = true;
    }

    std::string temporary;
    int error = 0;
    Fd file;
    file.fd = createBeside(path, temporary, error);
    if (file.fd < 0) return failed(kCreate, error);
    const auto abandon = [&](const char* step, int code) {
        if (file.fd >= 0) ::close(file.release());
        ::unlink(temporary.c_str());
        return failed(step, code);
    };
    // Not fatal: a file system without modes (a FAT stick) keeps the file all the same.
    if (existed) (void)::fchmod(file.fd, st.st_mode & 07777);
    if (!writeAll(file.fd, bytes, error)) return abandon(kWrite, error);
    if (fsyncRetried(file.fd) != 0) return abandon(kSync, errno);
    // Some file systems report a failed write only here (NFS).
    if (::close(file.release()) != 0) return abandon(kClose, errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return abandon(kReplace, errno);

    // The new name is on disk only once its folder is.
    Fd folder;
    folder.fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0) return failed(kSyncFolder, errno);
    // A file system that cannot sync a folder (some network ones say EINVAL) has no more
    // to do for it.
    if (fsyncRetried(folder.fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        return failed(kSyncFolder, errno);
    }
    return Failure{};
}

Read read(const std::string& path) {
    Read result;
    struct stat st {};
    // Asked before opening: opening a pipe for reading waits for a writer.
    if (::stat(path.c_str(), &st) != 0) {
        result.missing = errno == ENOENT;
        result.failure = failed(kOpen, errno);
        return result;
    }
    if (const char* refusal = notAFile(st.st_mode)) {
        result.failure = Failure{refusal, {}};
        return result;
    }
    Fd file;
    // Without waiting, and asked again of what was opened: the path may have been swapped
    // for a pipe since.
    do {
        file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (file.fd < 0 && errno == EINTR);
    if (file.fd < 0) {
        result.missing = errno == ENOENT;
        result.failure = failed(kOpen, errno);
        return result;
    }
    if (::fstat(file.fd, &st) != 0) {
        result.failure = failed(kOpen, errno);
        return result;
    }
    if (const char* refusal = notAFile(st.st_mode)) {
        result.failure = Failure{refusal, {}};
        return result;
    }
    // Counted as read, not taken from the size: a file may grow while it is read, and some
    // (those of /proc) say 0 whatever they hold.
    char chunk[64 * 1024];
    while (true) {
        const ssize_t n = ::read(file.fd, chunk, sizeof(chunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            result.failure = failed(kRead, errno);
            result.bytes.clear();
            return result;
        }
        if (n == 0) break;
        if (result.bytes.size() + static_cast<std::size_t>(n) > kLargestRead) {
            result.failure = Failure{kTooLarge, {}};
            result.bytes.clear();
            return result;
        }
        result.bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return result;
}

}  // namespace dut::files
