// Writes the application's pictures into the folder given as the only argument.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "Artwork.h"
#include "IcoWriter.h"

namespace {

bool writeFile(const QDir& dir, const QString& name, const QByteArray& data) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

bool writeSingle(const QDir& dir, const QString& name, const QImage& image) {
    return writeFile(dir, name, artwork::encodeIco({{image, 32}}));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dut-artwork <output folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", argv[1]);
        return 2;
    }

    bool ok = writeSingle(dir, QStringLiteral("step1.ico"), artwork::stepConnect(92)) &&
              writeSingle(dir, QStringLiteral("step2.ico"), artwork::stepAddress(92)) &&
              writeSingle(dir, QStringLiteral("step3.ico"), artwork::stepTank(92)) &&
              writeSingle(dir, QStringLiteral("step4.ico"), artwork::stepGauge(92)) &&
              writeSingle(dir, QStringLiteral("about.ico"), artwork::aboutProbe(128)) &&
              writeSingle(dir, QStringLiteral("hotkeys.ico"), artwork::hotKey(128));

    std::vector<artwork::IcoImage> app_images;
    for (int size : {48, 32, 16}) app_images.push_back({artwork::appIcon(size), 8});
    for (int size : {48, 32, 16}) app_images.push_back({artwork::appIcon(size), 32});
    ok = ok && writeFile(dir, QStringLiteral("app.ico"), artwork::encodeIco(app_images));

    ok = ok && artwork::busMonitor(128).save(dir.filePath(QStringLiteral("monitor.png")), "PNG");
    ok = ok && artwork::appIcon(48).save(
                   dir.filePath(QStringLiteral("brindolex-dut-configurator-48.png")), "PNG");
    return ok ? 0 : 1;
}
