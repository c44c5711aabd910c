#pragma once

#include <QString>

#include "CalibrationTable.h"

namespace ui {

// The file that keeps the unfinished calibration table across a crash, a pulled adapter or a
// killed process. Every save replaces it atomically, so it always holds a whole table: the
// last one saved.
class TankSessionFile {
  public:
    // In the user's data folder unless a path is given (tests, benchmarks).
    explicit TankSessionFile(QString path = QString());

    static QString defaultPath();
    const QString& path() const { return path_; }

    struct Loaded {
        enum Kind { None, Table, SetAside } kind = None;
        dut::tank::TableState table;
        QString message;  // for SetAside: what was wrong and where the file went
    };
    // What the last session left. A file that is not a whole session is renamed beside
    // itself (never overwritten) and reported; if even the rename fails, saving stays off so
    // the file is not lost.
    Loaded load();

    // Writes the table; false with the reason when it could not be saved.
    bool save(const dut::tank::TableState& table, QString* why = nullptr);
    // Puts the current file aside under a dated name (a table the user chose not to take up
    // again); returns the new name, empty when there was nothing to move.
    QString setAside(const QString& label);
    bool savingAllowed() const { return savingAllowed_; }

  private:
    QString path_;
    bool savingAllowed_ = true;
};

}  // namespace ui
