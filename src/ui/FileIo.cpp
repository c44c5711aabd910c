#include "FileIo.h"

#include <QCoreApplication>
#include <QFile>

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

}  // namespace ui
