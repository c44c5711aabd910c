// The settings and files of earlier versions carried over to the program's own names: copied,
// read back, and only then taken from the old place.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryDir>
#include <map>
#include <string>

#include "CarryOver.h"

namespace {

using Files = std::map<std::string, std::string>;

void write(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

// The regular files of a folder with their bytes, locks apart.
Files filesIn(const QString& folder) {
    Files out;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (entry.suffix() == QStringLiteral("lock")) continue;
        QFile file(entry.filePath());
        if (file.open(QIODevice::ReadOnly)) {
            out[entry.fileName().toStdString()] = file.readAll().toStdString();
        }
    }
    return out;
}

class CarryOverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        oldDir = root.filePath(QStringLiteral("old"));
        newDir = root.filePath(QStringLiteral("new"));
        ASSERT_TRUE(QDir().mkpath(oldDir));
    }
    void put(const Files& files, const QString& folder) {
        QDir().mkpath(folder);
        for (const auto& [name, bytes] : files) {
            write(QDir(folder).filePath(QString::fromStdString(name)), bytes);
        }
    }

    QTemporaryDir root;
    QString oldDir, newDir;
    // A session, what was set aside beside it, and a binary byte or two.
    const Files session = {
        {"tank-calibration.session", "sensor 1234\npoint 10 400\n"},
        {"tank-calibration.session.previous-20261210-101500", "sensor 1234\n"},
        {"tank-calibration.session.damaged-20261210-101501", std::string("\0\xff garbage", 10)},
        {"tank-calibration.session.damaged-20261210-101501-2", ""},
    };
};

TEST_F(CarryOverTest, EveryFileMovesWithItsBytesAndTheLockStays) {
    put(session, oldDir);
    // One left behind by a program that ended long ago.
    {
        QFile lock(oldDir + QStringLiteral("/tank-calibration.session.lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
    }
    const ui::CarryOverResult result = ui::carryOverFolder(oldDir, newDir);
    EXPECT_TRUE(result.problems.isEmpty()) << result.problems.join('\n').toStdString();
    EXPECT_EQ(result.moved.size(), int(session.size()));
    EXPECT_EQ(filesIn(newDir), session);
    EXPECT_EQ(filesIn(oldDir), Files{}) << "every copy was verified, so nothing stays behind";

    // Once moved there is nothing to do, and a second start changes nothing.
    const ui::CarryOverResult again = ui::carryOverFolder(oldDir, newDir);
    EXPECT_TRUE(again.moved.isEmpty() && again.problems.isEmpty());
    EXPECT_EQ(filesIn(newDir), session);
    EXPECT_TRUE(ui::carryOverFolder(root.filePath(QStringLiteral("none")), newDir).moved.isEmpty());
}

TEST_F(CarryOverTest, WhatCannotBeCopiedSafelyStaysInTheOldPlace) {
    struct Case {
        const char* name;
        Files already;  // in the new folder before the start
        bool newFolderBlocked;
        Files staysOld;
        Files endsNew;
    };
    const std::string a = "sensor 1234\n", b = "sensor 5678\n";
    const Case cases[] = {
        // An earlier start copied it but stopped before taking the old one away.
        {"the same file already there", {{"s", a}}, false, {}, {{"s", a}}},
        {"another file under the name", {{"s", b}}, false, {{"s", a}}, {{"s", b}}},
        {"the new folder cannot be made", {}, true, {{"s", a}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(oldDir).removeRecursively();
        QDir(newDir).removeRecursively();
        QFile::remove(newDir);
        put({{"s", a}}, oldDir);
        if (c.newFolderBlocked) {
            write(newDir, "a file where the folder should be");
        } else {
            put(c.already, newDir);
        }
        const ui::CarryOverResult result = ui::carryOverFolder(oldDir, newDir);
        EXPECT_EQ(filesIn(oldDir), c.staysOld);
        if (!c.newFolderBlocked) {
            EXPECT_EQ(filesIn(newDir), c.endsNew);
        }
        EXPECT_EQ(result.problems.size(), int(c.staysOld.size()));
        if (!c.staysOld.empty()) {
            EXPECT_TRUE(result.problems.first().contains(oldDir)) << "says which file stayed";
        }
    }
}

TEST_F(CarryOverTest, NoFileOrAFolderInUseIsLeftAlone) {
    put(session, oldDir);
    ASSERT_EQ(::mkfifo(QFile::encodeName(oldDir + QStringLiteral("/pipe")).constData(), 0600), 0);
    {
        // An old version of the program still at work on its session.
        QLockFile running(oldDir + QStringLiteral("/tank-calibration.session.lock"));
        ASSERT_TRUE(running.tryLock(0));
        const ui::CarryOverResult result = ui::carryOverFolder(oldDir, newDir);
        EXPECT_TRUE(result.moved.isEmpty());
        EXPECT_EQ(result.problems.size(), 1);
        EXPECT_EQ(filesIn(oldDir), session);
    }
    const ui::CarryOverResult result = ui::carryOverFolder(oldDir, newDir);
    EXPECT_EQ(filesIn(newDir), session);
    ASSERT_EQ(result.problems.size(), 1) << "the pipe is no file to copy";
    EXPECT_TRUE(result.problems.first().contains(QStringLiteral("pipe")));
    EXPECT_TRUE(QFileInfo::exists(oldDir + QStringLiteral("/pipe")));
}

TEST_F(CarryOverTest, SettingsMoveOnceAndNeverOverKeptOnes) {
    const QString oldFile = oldDir + QStringLiteral("/old.conf");
    const QString newFile = newDir + QStringLiteral("/new.conf");
    {
        QSettings old(oldFile, QSettings::IniFormat);
        old.setValue(QStringLiteral("language"), QStringLiteral("en"));
        old.setValue(QStringLiteral("tank/portion"), 25);
        old.setValue(QStringLiteral("files/lastFolder"), QStringLiteral("/home/x/Документы"));
    }
    {
        QSettings old(oldFile, QSettings::IniFormat);
        QSettings now(newFile, QSettings::IniFormat);
        const ui::CarryOverResult result = ui::carryOverSettings(old, now);
        EXPECT_TRUE(result.problems.isEmpty());
        EXPECT_EQ(result.moved.size(), 1);
    }
    QSettings now(newFile, QSettings::IniFormat);
    EXPECT_EQ(now.value(QStringLiteral("language")).toString(), QStringLiteral("en"));
    EXPECT_EQ(now.value(QStringLiteral("tank/portion")).toInt(), 25);
    EXPECT_EQ(now.value(QStringLiteral("files/lastFolder")).toString(),
              QStringLiteral("/home/x/Документы"));
    EXPECT_FALSE(QFileInfo::exists(oldFile)) << "the old settings go once the copy reads back";

    // Settings kept under the new names are never overwritten by old ones found later.
    {
        QSettings old(oldFile, QSettings::IniFormat);
        old.setValue(QStringLiteral("language"), QStringLiteral("ru"));
    }
    QSettings old(oldFile, QSettings::IniFormat);
    QSettings kept(newFile, QSettings::IniFormat);
    EXPECT_TRUE(ui::carryOverSettings(old, kept).moved.isEmpty());
    EXPECT_EQ(kept.value(QStringLiteral("language")).toString(), QStringLiteral("en"));
    EXPECT_TRUE(QFileInfo::exists(oldFile));
}

}  // namespace
