// The committed pictures: icon files with the image sizes and colour depths the windows
// rely on, readable by Qt's icon reader.
#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include "UiStyle.h"

namespace {

struct Entry {
    int size;
    int bitCount;
};

// The ICONDIRENTRY table of an icon file.
std::vector<Entry> entries(const QString& path) {
    ui::appIcon();  // makes sure the resources are registered
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    if (data.size() < 6) return {};
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(data.constData() + at); };
    if (u16(0) != 0 || u16(2) != 1) return {};
    std::vector<Entry> out;
    for (int i = 0; i < u16(4) && 6 + 16 * (i + 1) <= data.size(); ++i) {
        const int at = 6 + 16 * i;
        const int size = quint8(data[at]) == 0 ? 256 : quint8(data[at]);
        out.push_back({size, u16(at + 6)});
    }
    return out;
}

bool operator==(const Entry& a, const Entry& b) {
    return a.size == b.size && a.bitCount == b.bitCount;
}

TEST(Pictures, IconFilesHoldTheStatedImages) {
    const struct {
        const char* name;
        std::vector<Entry> expected;
    } files[] = {
        {"step1", {{92, 32}}},
        {"step2", {{92, 32}}},
        {"step3", {{92, 32}}},
        {"step4", {{92, 32}}},
        {"about", {{128, 32}}},
        {"hotkeys", {{128, 32}}},
        {"app", {{48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 32}, {16, 32}}},
    };
    for (const auto& f : files) {
        const QString path = QStringLiteral(":/pictures/%1.ico").arg(QString::fromLatin1(f.name));
        EXPECT_TRUE(entries(path) == f.expected) << f.name;
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), QByteArray("ico")) << f.name;
        EXPECT_EQ(reader.imageCount(), int(f.expected.size())) << f.name;
        for (size_t i = 0; i < f.expected.size(); ++i) {
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull()) << f.name << " image " << i;
            EXPECT_EQ(image.size(), QSize(f.expected[i].size, f.expected[i].size));
            // Every picture has see-through corners and a drawn middle.
            EXPECT_TRUE(image.hasAlphaChannel());
            EXPECT_EQ(qAlpha(image.pixel(0, image.height() - 1)) < 128 ||
                          qAlpha(image.pixel(image.width() - 1, 0)) < 128,
                      true)
                << f.name;
            reader.jumpToNextImage();
        }
    }
}

TEST(Pictures, MonitorPictureIsA128PixelPngWithAlpha) {
    const QPixmap picture = ui::monitorPixmap();
    EXPECT_EQ(picture.size(), QSize(128, 128));
    EXPECT_TRUE(picture.hasAlphaChannel());
    QImageReader reader(QStringLiteral(":/pictures/monitor.png"));
    EXPECT_EQ(reader.format(), QByteArray("png"));
}

TEST(Pictures, StepPicturesAreShownAtNaturalSize) {
    for (const char* name : {"step1", "step2", "step3", "step4"}) {
        EXPECT_EQ(ui::picturePixmap(QString::fromLatin1(name), 92).size(), QSize(92, 92)) << name;
    }
    EXPECT_TRUE(ui::picturePixmap(QStringLiteral("step1"), 64).isNull());
}

}  // namespace
