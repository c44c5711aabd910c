#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ui {

// The program's files as the windows save and read them (dut::files underneath): a save
// replaces the file only once the bytes are on disk, a read refuses what is no regular file or
// is too large. The reasons come in the current language, the system's part as it said it.

// False with the reason in `why` when the file was not saved; the old file is then whole.
bool saveFile(const QString& path, std::string_view bytes, QString* why = nullptr);

struct FileRead {
    bool ok = false;
    bool missing = false;  // there is no such file
    std::string bytes;
    QString why;  // when not ok
};
FileRead readFile(const QString& path);

}  // namespace ui
