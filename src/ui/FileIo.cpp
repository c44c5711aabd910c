#include "FileIo.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "Files.h"

namespace ui {

namespace {

std::string nativePath(const QString& path) {
#ifdef _WIN32
    return path.toStdString();  // the Win32 backend takes UTF-8
#else
    return QFile::encodeName(path).toStdString();
#endif
}

// Only the program's step is translated; the system's reason stays as the system said it.
QString failureText(const dut::files::Failure& failure) {
    const QString step = QCoreApplication::translate("Files", failure.step);
    if (failure.system.empty()) return step;
#ifdef _WIN32
    const QString system = QString::fromStdString(failure.system);  // the backend's UTF-8
#else
    const QString system = QString::fromLocal8Bit(failure.system.c_str());  // strerror's
#endif
    return step + QStringLiteral(": ") + system;
}

}  // namespace

bool saveFile(const QString& path, std::string_view bytes, QString* why) {
    const dut::files::Failure failure = dut::files::save(nativePath(path), bytes);
    if (!failure) return true;
    if (why) *why = failureText(failure);
    return false;
}

FileRead readFile(const QString& path) {
    dut::files::Read read = dut::files::read(nativePath(path));
    FileRead out;
    out.ok = read.ok();
    out.missing = read.missing;
    out.bytes = std::move(read.bytes);
    if (!out.ok) out.why = failureText(read.failure);
    return out;
}

namespace {

const char* const kDialogFolderKey = "files/lastFolder";

QString nameSafe(const QString& text) {
    QString safe;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            safe += c;
        else if (c == QLatin1Char('-') || c.isSpace())
            safe += QLatin1Char('-');
    }
    while (safe.contains(QStringLiteral("--")))
        safe.replace(QStringLiteral("--"), QStringLiteral("-"));
    while (safe.startsWith(QLatin1Char('-'))) safe.remove(0, 1);
    while (safe.endsWith(QLatin1Char('-'))) safe.chop(1);
    return safe;
}

}  // namespace

QString dialogFolder() {
    const QString last = QSettings().value(QLatin1String(kDialogFolderKey)).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    // A documents folder that was never made is no place to open in: the dialog would fall
    // back to wherever the program was started from.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void rememberDialogFolder(const QString& pickedFile) {
    if (pickedFile.isEmpty()) return;
    QSettings().setValue(QLatin1String(kDialogFolderKey), QFileInfo(pickedFile).absolutePath());
}

QString defaultFileName(const QString& stem, const QString& sensorNumber, const QString& plate,
                        const QString& extension) {
    QStringList parts{stem};
    for (const QString& part : {nameSafe(sensorNumber), nameSafe(plate)}) {
        if (!part.isEmpty()) parts << part;
    }
    parts << QDate::currentDate().toString(Qt::ISODate);
    return parts.join(QLatin1Char('-')) + QLatin1Char('.') + extension;
}

}  // namespace ui
