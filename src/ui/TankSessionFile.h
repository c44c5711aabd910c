#pragma once

#include <QString>
#include <memory>

#include "CalibrationTable.h"

class QLockFile;

namespace ui {

// The file that keeps the unfinished calibration table across a crash, a pulled adapter or a
// killed process. Every save replaces it atomically, so it always holds a whole table: the
// last one saved.
//
// One program writes a session at a time: it holds a lock file beside it ("<session>.lock")
// while its tank window is open. A lock left by a program that died is taken over.
class TankSessionFile {
  public:
    // In the user's data folder unless a path is given (tests, benchmarks).
    explicit TankSessionFile(QString path = QString());
    ~TankSessionFile();
    TankSessionFile(const TankSessionFile&) = delete;
    TankSessionFile& operator=(const TankSessionFile&) = delete;

    // Takes the lock without waiting; true when this object holds it (already or now). When
    // another living program holds it, false, and holderPid() says which.
    bool takeLock();
    void releaseLock();
    bool holdsLock() const;
    // The process id of the program that held the lock at the last refused takeLock, 0 when
    // unknown, -1 when none did but the lock could not be made.
    qint64 holderPid() const { return holderPid_; }
    // Marks the lock as still in use (a lock untouched for long counts as left behind) and
    // checks that it is still ours; false when it is not, and the lock is let go.
    bool refreshLock();

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

    // Writes the table; false with the reason when it could not be saved, also when the lock
    // is not held.
    bool save(const dut::tank::TableState& table, QString* why = nullptr);
    // Puts the current file aside under a dated name (a table the user chose not to take up
    // again); returns the new name, empty when there was nothing to move.
    QString setAside(const QString& label);
    bool savingAllowed() const { return savingAllowed_; }

  private:
    bool lockIsOurs() const;

    QString path_;
    bool savingAllowed_ = true;
    std::unique_ptr<QLockFile> lock_;
    qint64 holderPid_ = 0;
};

}  // namespace ui
