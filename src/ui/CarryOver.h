#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace ui {

// Earlier versions kept their settings and files under names the program did not choose (Qt's
// stand-in organisation and the bare program name). At the first start under the program's
// own names everything found there is copied over once; an old file goes only after its copy
// has been read back equal, so an interrupted or failed carry-over loses nothing and is tried
// again at the next start.

struct CarryOverResult {
    QStringList moved;     // the names of what now stands only in the new place
    QStringList problems;  // one line each: what stayed behind, and why
};

// Copies every key of `old` into `now` when `now` holds none yet, and empties `old` once the
// copy is on disk and reads back the same. Nothing is copied over settings already kept.
CarryOverResult carryOverSettings(QSettings& old, QSettings& now);

// Copies every regular file of the folder `oldDir` (locks apart) into `newDir` through the
// checked save, and removes the old file once the new one reads back byte for byte. A file
// that already stands in `newDir` with other bytes is left in both places.
CarryOverResult carryOverFolder(const QString& oldDir, const QString& newDir);

// Both of the above for the program's own settings and data folder; the old folder goes once
// it is empty. What stayed behind is said on standard error. Runs after the names are set.
void carryOverFromOldNames();

}  // namespace ui
