#include "TankSessionFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <vector>

#include "FileIo.h"
#include "TableSession.h"
#include "Translated.h"

namespace ui {

namespace {

// Anything larger than the largest table the window holds is not ours.
constexpr qint64 kLargestSession = qint64(dut::tank::kLargestSessionBytes);

// A lock the holder has not marked for this long is taken for one left behind, even when its
// process id is in use again; the holder marks it every half minute.
constexpr int kStaleLockMs = 2 * 60 * 1000;

}  // namespace

TankSessionFile::TankSessionFile(QString path)
    : path_(path.isEmpty() ? defaultPath() : std::move(path)),
      lock_(std::make_unique<QLockFile>(path_ + QStringLiteral(".lock"))) {
    lock_->setStaleLockTime(kStaleLockMs);
}

TankSessionFile::~TankSessionFile() = default;

bool TankSessionFile::takeLock() {
    if (lock_->isLocked()) return true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    if (lock_->tryLock(0)) {
        holderPid_ = 0;
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString app;
    // -1: no program holds it, but it cannot be made (a folder that cannot be written).
    holderPid_ = lock_->error() != QLockFile::LockFailedError ? -1
                 : lock_->getLockInfo(&pid, &host, &app)      ? pid
                                                              : 0;
    return false;
}

void TankSessionFile::releaseLock() {
    if (lock_->isLocked()) lock_->unlock();
}

bool TankSessionFile::holdsLock() const {
    return lock_->isLocked();
}

bool TankSessionFile::lockIsOurs() const {
    qint64 pid = 0;
    QString host;
    QString app;
    return lock_->isLocked() && lock_->getLockInfo(&pid, &host, &app) &&
           pid == QCoreApplication::applicationPid();
}

bool TankSessionFile::refreshLock() {
    if (!lockIsOurs()) {
        // The lock file was removed or replaced (by hand, or by a program on a file system
        // where locks do not hold): the other program writes now. unlock() would remove its
        // lock file, so this object only forgets its own.
        // QLockFile would remove the file on unlock or destruction: the object is kept,
        // unused, for the life of the process.
        if (lock_->isLocked()) {
            static auto* const forgotten = new std::vector<QLockFile*>;
            forgotten->push_back(lock_.release());
            lock_ = std::make_unique<QLockFile>(path_ + QStringLiteral(".lock"));
            lock_->setStaleLockTime(kStaleLockMs);
        }
        return false;
    }
    QFile file(path_ + QStringLiteral(".lock"));
    if (file.open(QIODevice::ReadOnly)) {
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    }
    return true;
}

QString TankSessionFile::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/tank-calibration.session");
}

QString TankSessionFile::setAside(const QString& label) {
    if (!QFileInfo::exists(path_)) return QString();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path_ + QLatin1Char('.') + label + QLatin1Char('-') + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target = path_ + QLatin1Char('.') + label + QLatin1Char('-') + stamp + QLatin1Char('-') +
                 QString::number(n);
    }
    return QFile::rename(path_, target) ? target : QString();
}

TankSessionFile::Loaded TankSessionFile::load() {
    Loaded loaded;
    const FileRead file = readFile(path_);
    if (file.missing) return loaded;
    QString why;
    dut::tank::SessionRead read;
    if (!file.ok) {
        why = file.why;
    } else {
        read = dut::tank::readSession(file.bytes);
        if (read.ok()) {
            loaded.kind = Loaded::Table;
            loaded.table = read.table;
            return loaded;
        }
        why = translatedCore(read.error);
    }
    loaded.kind = Loaded::SetAside;
    const QString aside = setAside(QStringLiteral("damaged"));
    if (aside.isEmpty()) {
        savingAllowed_ = false;
        loaded.message =
            QCoreApplication::translate(
                "TankSessionFile",
                "Файл сеанса тарировки %1 не читается (%2), и отложить его не удалось. "
                "Окно начинает с пустой таблицы; она не сохраняется, пока этот файл "
                "не убран.")
                .arg(QDir::toNativeSeparators(path_), why);
    } else {
        loaded.message =
            QCoreApplication::translate("TankSessionFile",
                                        "Файл сеанса тарировки не читается (%1). Он отложен как "
                                        "%2. Окно начинает с пустой таблицы.")
                .arg(why, QDir::toNativeSeparators(aside));
    }
    return loaded;
}

bool TankSessionFile::save(const dut::tank::TableState& table, QString* why) {
    if (!lockIsOurs()) {
        if (why) {
            *why = QCoreApplication::translate("TankSessionFile",
                                               "файл сеанса ведёт другая программа");
        }
        return false;
    }
    if (!savingAllowed_) {
        if (why) *why = QCoreApplication::translate("TankSessionFile", "файл сеанса не убран");
        return false;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const std::string text = dut::tank::writeSession(table);
    if (!saveFile(path_, text, why)) return false;
    return true;
}

}  // namespace ui
