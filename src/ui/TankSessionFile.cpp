#include "TankSessionFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "TableSession.h"
#include "Translated.h"

namespace ui {

namespace {

// A session of a few hundred points is some kilobytes; anything far larger is not ours.
constexpr qint64 kLargestSession = 4 * 1024 * 1024;

}  // namespace

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
    QFile file(path_);
    if (!file.exists()) return loaded;
    QString why;
    dut::tank::SessionRead read;
    if (file.size() > kLargestSession) {
        why = QCoreApplication::translate("TankSessionFile", "файл слишком велик");
    } else if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
    } else {
        const QByteArray bytes = file.readAll();
        file.close();
        read = dut::tank::readSession(std::string_view(bytes.constData(), bytes.size()));
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
    QSaveFile file(path_);
    const std::string text = dut::tank::writeSession(table);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        if (why) *why = file.errorString();
        return false;
    }
    return true;
}

}  // namespace ui
