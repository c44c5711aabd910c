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

// Where a file dialog opens: the folder of the last file picked in any of the program's
// dialogs, kept across runs, else the user's documents folder.
QString dialogFolder();
// Remembers the folder of a file the user has just picked (nothing for an empty path).
void rememberDialogFolder(const QString& pickedFile);

// A default file name in the window's language: `stem` (already translated) with the sensor
// number, the plate when known and the day, e.g. "report-1234-A123BV77-2026-12-11.pdf". Only
// letters, digits and '-' of the number and the plate go in, so the name is safe on any disk.
QString defaultFileName(const QString& stem, const QString& sensorNumber, const QString& plate,
                        const QString& extension);

}  // namespace ui
