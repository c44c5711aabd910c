#include "TankSessionFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "FileIo.h"
#include "TableSession.h"
#include "Translated.h"

namespace ui {

TankSessionFile::TankSessionFile(QString path)
    : path_(path.isEmpty() ? defaultPath() : std::move(path)) {}

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
