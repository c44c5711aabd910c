#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "Files.h"
#include "TableCsv.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using dut::files::kLargestRead;

namespace {

// A private folder under the system's temporary one, removed with everything in it.
struct Folder {
    fs::path path;
    Folder() {
        std::random_device seed;
        path = fs::temp_directory_path() / ("dut-files-" + std::to_string(seed()));
        fs::create_directories(path);
    }
    ~Folder() {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path, ignored);
    }
    std::string at(const std::string& name) const { return (path / fs::u8path(name)).u8string(); }
};

void put(const std::string& path, const std::string& bytes) {
    std::ofstream out(fs::u8path(path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string contents(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a folder holds but `keep`: a failed save must leave nothing of its own behind.
std::vector<std::string> othersIn(const fs::path& folder, const std::string& keep) {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().u8string();
        if (name != keep) others.push_back(name);
    }
    return others;
}

std::string bytesOf(const std::u16string& text, bool bigEndian, bool mark) {
    std::string out;
    if (mark) out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

}  // namespace

// Saves that succeed: a new file, a file replaced, a name in Cyrillic; nothing else is left.
TEST(FilesSave, WritesTheBytesAndLeavesNothingElse) {
    Folder folder;
    for (const char* name : {"new.json", "настройки ДУТ.json"}) {
        const std::string path = folder.at(name);
        for (const std::string& bytes :
             {std::string("first"), std::string(100000, 'x'), std::string()}) {
            const dut::files::Failure failure = dut::files::save(path, bytes);
            ASSERT_FALSE(failure) << failure.text();
            EXPECT_EQ(contents(path), bytes) << name;
        }
        EXPECT_EQ(othersIn(folder.path, name).size(), 0u) << name;
        fs::remove(fs::u8path(path));
    }
}

#ifndef _WIN32
// The file keeps its permissions, and a link stays a link to the file it names.
TEST(FilesSave, KeepsTheModeAndFollowsALink) {
    Folder folder;
    const std::string target = folder.at("table.csv");
    const std::string link = folder.at("link.csv");
    put(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_FALSE(dut::files::save(link, "new"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(contents(target), "new");
}
#endif

namespace {

// Where a save fault is staged: a private folder, and over a part of it perhaps a small tmpfs
// (unmounted first, before the folder goes).
struct Scene {
    Folder folder;
    std::string mounted;
    std::string locked;  // a folder made read-only, opened again at the end
    ~Scene() {
#ifndef _WIN32
        if (!mounted.empty()) ::umount2(mounted.c_str(), MNT_DETACH);
        if (!locked.empty()) ::chmod(locked.c_str(), 0755);
#endif
    }
#ifndef _WIN32
    // False with the reason in `skip` where no tmpfs can be mounted.
    bool mountTmpfs(const std::string& where, std::string& skip) {
        if (::geteuid() != 0) {
            skip = "not root: no tmpfs can be mounted here";
            return false;
        }
        if (::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=64k") != 0) {
            skip = std::string("mount -t tmpfs refused: ") + std::strerror(errno);
            return false;
        }
        mounted = where;
        return true;
    }
#endif
};

// One way a save cannot be done: what is in the way, the step that must fail and the
// system's reason (an errno; 0 when the program refuses by itself).
struct SaveFault {
    const char* name;
    // Prepares the scene; returns the target, or empty with a reason to skip in `skip`.
    std::function<std::string(Scene&, std::string& skip)> setUp;
    const char* step;
    int error;
};

std::vector<SaveFault> saveFaults() {
    std::vector<SaveFault> faults = {
        {"TargetIsAFolder",
         [](Scene& s, std::string&) {
             fs::create_directory(s.folder.path / "settings.json");
             return s.folder.at("settings.json");
         },
         "это папка, а не файл", 0},
        {"FolderMissing", [](Scene& s, std::string&) { return s.folder.at("gone/settings.json"); },
         "новый файл не создаётся", ENOENT},
    };
#ifndef _WIN32
    faults.push_back({"TargetIsAPipe",
                      [](Scene& s, std::string&) {
                          const std::string path = s.folder.at("session");
                          EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
                          return path;
                      },
                      "это канал (FIFO), а не файл", 0});
    faults.push_back({"FullFileSystem",
                      [](Scene& s, std::string& skip) {
                          const std::string disk = s.folder.at("disk");
                          fs::create_directory(disk);
                          if (!s.mountTmpfs(disk, skip)) return std::string();
                          put(disk + "/session", "old whole session\n");
                          // Filled to the last block by a file that cannot grow further.
                          std::ofstream fill(disk + "/fill", std::ios::binary);
                          const std::string block(4096, 'f');
                          for (int i = 0; i < 64 && fill.write(block.data(), 4096); ++i) {
                              fill.flush();
                          }
                          return disk + "/session";
                      },
                      "запись не удалась", ENOSPC});
    faults.push_back(
        {"ReadOnlyFolder",
         [](Scene& s, std::string& skip) {
             const std::string disk = s.folder.at("disk");
             fs::create_directory(disk);
             if (::geteuid() != 0) {
                 put(disk + "/settings.json", "old whole settings\n");
                 ::chmod(disk.c_str(), 0555);
                 s.locked = disk;
                 return disk + "/settings.json";
             }
             // Root writes in any folder; only a read-only mount stops it.
             if (!s.mountTmpfs(disk, skip)) return std::string();
             put(disk + "/settings.json", "old whole settings\n");
             if (::mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") != 0) {
                 skip = std::string("no read-only remount: ") + std::strerror(errno);
                 return std::string();
             }
             return disk + "/settings.json";
         },
         "новый файл не создаётся", ::geteuid() == 0 ? EROFS : EACCES});
    // A file size limit makes write() fail part way, as a disk that fills during the save
    // does; it needs neither root nor a mount.
    faults.push_back({"WriteFailsPartWay",
                      [](Scene& s, std::string&) {
                          put(s.folder.at("table.csv"), "old whole table\n");
                          return s.folder.at("table.csv");
                      },
                      "запись не удалась", EFBIG});
#endif
    return faults;
}

void PrintTo(const SaveFault& fault, std::ostream* out) {
    *out << fault.name;
}

class FilesSaveFault : public testing::TestWithParam<SaveFault> {};

dut::files::Failure saveUnder(const SaveFault& fault, const std::string& target,
                              const std::string& bytes) {
#ifndef _WIN32
    if (std::string(fault.name) == "WriteFailsPartWay") {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        ::getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = 1000;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const dut::files::Failure failure = dut::files::save(target, bytes);
        ::setrlimit(RLIMIT_FSIZE, &before);
        return failure;
    }
#endif
    (void)fault;
    return dut::files::save(target, bytes);
}

}  // namespace

TEST_P(FilesSaveFault, KeepsTheOldFileAndSaysWhy) {
    const SaveFault& fault = GetParam();
    Scene scene;
    std::string skip;
    const std::string target = fault.setUp(scene, skip);
    if (target.empty()) GTEST_SKIP() << skip;
    const fs::path where = fs::u8path(target).parent_path();
    const bool existed = fs::is_regular_file(fs::u8path(target));
    const std::string old = existed ? contents(target) : std::string();
    const std::string bytes(256 * 1024, 'n');  // more than the full disk has room for

    const dut::files::Failure failure = saveUnder(fault, target, bytes);
    ASSERT_TRUE(failure) << "a save that cannot be done said it was done";
    EXPECT_STREQ(failure.step, fault.step) << failure.text();
#ifndef _WIN32
    EXPECT_EQ(failure.system, fault.error ? std::strerror(fault.error) : "") << failure.text();
#else
    EXPECT_EQ(failure.system.empty(), fault.error == 0) << failure.text();
#endif
    if (existed) {
        EXPECT_EQ(contents(target), old) << "the old file was not kept whole";
    }
    std::error_code none;
    if (fs::is_directory(where, none)) {
        for (const std::string& name : othersIn(where, fs::u8path(target).filename().u8string())) {
            EXPECT_EQ(name, "fill") << "the failed save left " << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FilesSaveFault, testing::ValuesIn(saveFaults()),
                         [](const testing::TestParamInfo<SaveFault>& info) {
                             return std::string(info.param.name);
                         });

namespace {

// One file or thing offered for reading, and what the read must make of it.
struct ReadCase {
    const char* name;
    std::function<std::string(Folder&)> setUp;  // the path to read
    const char* step;                           // null: read whole
    std::size_t size;                           // of a whole read
};

std::vector<ReadCase> readCases() {
    std::vector<ReadCase> cases = {
        {"Empty",
         [](Folder& f) {
             put(f.at("empty.csv"), "");
             return f.at("empty.csv");
         },
         nullptr, 0},
        {"ExactlyAtTheLimit",
         [](Folder& f) {
             put(f.at("big.csv"), std::string(kLargestRead, 'a'));
             return f.at("big.csv");
         },
         nullptr, kLargestRead},
        {"OnePastTheLimit",
         [](Folder& f) {
             put(f.at("big.csv"), std::string(kLargestRead + 1, 'a'));
             return f.at("big.csv");
         },
         "файл больше 8 МБ", 0},
        {"AFolder", [](Folder& f) { return f.path.u8string(); }, "это папка, а не файл", 0},
        {"Missing", [](Folder& f) { return f.at("gone.json"); }, "файл не открывается", 0},
    };
#ifndef _WIN32
    cases.push_back({"APipeWithNoWriter",
                     [](Folder& f) {
                         const std::string path = f.at("fifo");
                         EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
                         return path;
                     },
                     "это канал (FIFO), а не файл", 0});
    cases.push_back({"DevZero", [](Folder&) { return std::string("/dev/zero"); },
                     "это устройство, а не файл", 0});
    cases.push_back({"ALinkToDevZero",
                     [](Folder& f) {
                         const std::string path = f.at("session");
                         EXPECT_EQ(::symlink("/dev/zero", path.c_str()), 0);
                         return path;
                     },
                     "это устройство, а не файл", 0});
    // A regular file whose size says 0 whatever it holds: the read counts what comes.
    cases.push_back({"SizeSaysNothing", [](Folder&) { return std::string("/proc/self/maps"); },
                     nullptr, std::string::npos});
#endif
    return cases;
}

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class FilesRead : public testing::TestWithParam<ReadCase> {};

}  // namespace

TEST_P(FilesRead, TakesRegularFilesUpToTheLimitOnly) {
    const ReadCase& c = GetParam();
    Folder folder;
    const std::string path = c.setUp(folder);
    const dut::files::Read read = dut::files::read(path);
    if (!c.step) {
        ASSERT_TRUE(read.ok()) << read.failure.text();
        if (c.size == std::string::npos) {
            EXPECT_GT(read.bytes.size(), 0u);
        } else {
            EXPECT_EQ(read.bytes.size(), c.size);
        }
        return;
    }
    ASSERT_FALSE(read.ok()) << path << " was read: " << read.bytes.size() << " bytes";
    EXPECT_STREQ(read.failure.step, c.step) << read.failure.text();
    EXPECT_EQ(read.missing, std::string(c.name) == "Missing");
    EXPECT_TRUE(read.bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, FilesRead, testing::ValuesIn(readCases()),
                         [](const testing::TestParamInfo<ReadCase>& info) {
                             return std::string(info.param.name);
                         });

// A table saved by a spreadsheet as "Unicode text" (UTF-16 with its mark, either byte order)
// reads as the same table in UTF-8 does; without the mark it is named for what it is.
TEST(FilesRead, Utf16TableReadsLikeUtf8) {
    const std::u16string table =
        u"# Бак: Левый 🚚; ТС: КамАЗ; ДУТ № 1234\r\nУровень;Литры\r\n12;0\r\n400;10,5\r\n";
    Folder folder;
    struct Case {
        bool bigEndian;
        bool mark;
    };
    for (const Case c :
         {Case{false, true}, Case{true, true}, Case{false, false}, Case{true, false}}) {
        const std::string path = folder.at("table.csv");
        put(path, bytesOf(table, c.bigEndian, c.mark));
        const dut::files::Read read = dut::files::read(path);
        ASSERT_TRUE(read.ok()) << read.failure.text();
        const auto csv = dut::tank::importCsv(read.bytes);
        const std::string label = std::string(c.bigEndian ? "BE" : "LE") + (c.mark ? "+BOM" : "");
        if (!c.mark) {
            EXPECT_FALSE(csv.ok()) << label;
            EXPECT_NE(csv.error.find("UTF-16 без метки порядка байтов (BOM)"), std::string::npos)
                << label << ": " << csv.error;
            continue;
        }
        ASSERT_TRUE(csv.ok()) << label << ": line " << csv.badLine << ": " << csv.error;
        EXPECT_EQ(csv.table.details.tank, "Левый 🚚") << label;
        EXPECT_EQ(csv.table.details.sensorNumber, 1234) << label;
        ASSERT_EQ(csv.table.points.size(), 2u) << label;
        EXPECT_EQ(csv.table.points[1].level, 400) << label;
        EXPECT_EQ(csv.table.points[1].litres, 10.5) << label;
    }
    // A mark before text that is no whole UTF-16: an odd byte, a lone half of a pair.
    for (const std::string& broken :
         {std::string("\xFF\xFE\x31\x00\x3B", 5), std::string("\xFF\xFE\x00\xD8\x31\x00", 6),
          std::string("\xFE\xFF\xDC\x00", 4)}) {
        const auto csv = dut::tank::importCsv(broken);
        EXPECT_FALSE(csv.ok());
        EXPECT_EQ(csv.error, "текст UTF-16 испорчен");
    }
}
