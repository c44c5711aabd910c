#include "CarryOver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <iostream>

#include "FileIo.h"

namespace ui {

namespace {

// What earlier versions were called: no organisation, so Qt used its stand-in for the settings.
const char* const kOldApplication = "brindolex-dut-configurator";
const char* const kOldOrganisation = "Unknown Organization";

// The data folder the old names gave, on whatever system this is.
QString oldDataFolder() {
    const QString organisation = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QString::fromLatin1(kOldApplication));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setOrganizationName(organisation);
    QCoreApplication::setApplicationName(application);
    return folder;
}

void removeIfEmpty(const QString& folder) {
    if (!folder.isEmpty() && QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                  QDir::Hidden | QDir::System)) {
        QDir().rmdir(folder);
    }
}

}  // namespace

CarryOverResult carryOverSettings(QSettings& old, QSettings& now) {
    CarryOverResult result;
    const QStringList keys = old.allKeys();
    if (keys.isEmpty() || !now.allKeys().isEmpty()) return result;
    for (const QString& key : keys) now.setValue(key, old.value(key));
    now.sync();
    // Read back from the store, not from this object's memory of it.
    QSettings reread(now.fileName(), now.format());
    bool same = now.status() == QSettings::NoError && reread.status() == QSettings::NoError;
    for (const QString& key : keys) same = same && reread.value(key) == old.value(key);
    if (!same) {
        result.problems << QStringLiteral("the settings could not be copied to %1; they stay in %2")
                               .arg(now.fileName(), old.fileName());
        return result;
    }
    old.clear();
    old.sync();
    const QFileInfo oldFile(old.fileName());
    if (oldFile.isAbsolute() && oldFile.isFile()) QFile::remove(oldFile.filePath());
    result.moved << now.fileName();
    return result;
}

CarryOverResult carryOverFolder(const QString& oldDir, const QString& newDir) {
    CarryOverResult result;
    const QDir from(oldDir);
    if (oldDir.isEmpty() || !from.exists() || QDir(oldDir) == QDir(newDir)) return result;
    // A program of the old version still at work there keeps its session where it is.
    QLockFile busy(from.filePath(QStringLiteral("tank-calibration.session.lock")));
    // As the tank window judges its lock: marked every half minute while it is held.
    busy.setStaleLockTime(2 * 60 * 1000);
    if (!busy.tryLock(0)) {
        result.problems
            << QStringLiteral("%1 is in use by a running program; it stays there").arg(oldDir);
        return result;
    }
    QDir().mkpath(newDir);
    const QFileInfoList entries =
        from.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().endsWith(QStringLiteral(".lock"))) continue;
        const QString target = QDir(newDir).filePath(entry.fileName());
        const FileRead bytes = readFile(entry.filePath());
        if (!bytes.ok) {
            result.problems
                << QStringLiteral("%1 stays where it is: %2").arg(entry.filePath(), bytes.why);
            continue;
        }
        const FileRead there = readFile(target);
        if (!there.missing && !(there.ok && there.bytes == bytes.bytes)) {
            result.problems << QStringLiteral("%1 stays where it is: %2 is another file")
                                   .arg(entry.filePath(), target);
            continue;
        }
        QString why;
        if (there.missing && !saveFile(target, bytes.bytes, &why)) {
            result.problems
                << QStringLiteral("%1 stays where it is: %2").arg(entry.filePath(), why);
            continue;
        }
        const FileRead copy = readFile(target);
        if (!copy.ok || copy.bytes != bytes.bytes) {
            result.problems << QStringLiteral(
                                   "%1 stays where it is: its copy %2 reads back "
                                   "different")
                                   .arg(entry.filePath(), target);
            continue;
        }
        QFile::remove(entry.filePath());
        result.moved << target;
    }
    busy.unlock();
    return result;
}

void carryOverFromOldNames() {
    CarryOverResult all;
    {
        QSettings old(QString::fromLatin1(kOldOrganisation), QString::fromLatin1(kOldApplication));
        QSettings now;
        all = carryOverSettings(old, now);
        if (all.moved.size() > 0) removeIfEmpty(QFileInfo(old.fileName()).absolutePath());
    }
    const QString oldData = oldDataFolder();
    const CarryOverResult data =
        carryOverFolder(oldData, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    removeIfEmpty(oldData);
    all.problems << data.problems;
    for (const QString& problem : all.problems) {
        std::cerr << "brindolex-dut-configurator: " << problem.toStdString() << std::endl;
    }
}

}  // namespace ui
