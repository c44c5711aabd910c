#include "IcoWriter.h"

#include <QBuffer>
#include <QDataStream>
#include <stdexcept>

namespace artwork {

namespace {

int rowBytes(int width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

// Pixels at least half covered count as opaque in the mask and the palette image.
bool opaque(QRgb pixel) {
    return qAlpha(pixel) >= 128;
}

QByteArray andMask(const QImage& argb, bool (*transparent)(QRgb)) {
    const int stride = rowBytes(argb.width(), 1);
    QByteArray mask(stride * argb.height(), '\0');
    for (int y = 0; y < argb.height(); ++y) {
        const int row = argb.height() - 1 - y;  // bottom-up
        for (int x = 0; x < argb.width(); ++x) {
            if (transparent(argb.pixel(x, y))) {
                mask[row * stride + x / 8] = char(mask[row * stride + x / 8] | (0x80 >> (x % 8)));
            }
        }
    }
    return mask;
}

QByteArray dib(const IcoImage& entry) {
    const QImage argb = entry.image.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width();
    const int h = argb.height();
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    const int colours = entry.bitCount == 8 ? 256 : 0;
    const int xorStride = rowBytes(w, entry.bitCount);
    const int andStride = rowBytes(w, 1);
    // BITMAPINFOHEADER; the height counts the colour bitmap and the mask together.
    s << quint32(40) << qint32(w) << qint32(2 * h) << quint16(1) << quint16(entry.bitCount)
      << quint32(0) << quint32((xorStride + andStride) * h) << qint32(0) << qint32(0)
      << quint32(colours) << quint32(0);

    if (entry.bitCount == 32) {
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                const QRgb p = argb.pixel(x, y);
                s << quint8(qBlue(p)) << quint8(qGreen(p)) << quint8(qRed(p)) << quint8(qAlpha(p));
            }
        }
        out.append(andMask(argb, [](QRgb p) { return qAlpha(p) == 0; }));
        return out;
    }
    if (entry.bitCount != 8) throw std::invalid_argument("only 8 and 32 bits per pixel");

    // The palette image has no alpha: covered pixels take their own colour at full
    // strength, the rest are left to the mask.
    QImage solid(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = argb.pixel(x, y);
            solid.setPixel(x, y, opaque(p) ? qRgb(qRed(p), qGreen(p), qBlue(p)) : qRgb(0, 0, 0));
        }
    }
    QImage indexed = solid.convertToFormat(QImage::Format_Indexed8, Qt::AvoidDither);
    QVector<QRgb> table = indexed.colorTable();
    if (table.size() > 256) throw std::runtime_error("palette larger than 256 colours");
    while (table.size() < 256) table.append(qRgb(0, 0, 0));
    for (QRgb c : table) s << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    for (int y = h - 1; y >= 0; --y) {
        const uchar* line = indexed.constScanLine(y);
        for (int x = 0; x < xorStride; ++x) s << quint8(x < w ? line[x] : 0);
    }
    out.append(andMask(argb, [](QRgb p) { return !opaque(p); }));
    return out;
}

}  // namespace

QByteArray encodeIco(const std::vector<IcoImage>& images) {
    std::vector<QByteArray> bodies;
    for (const IcoImage& image : images) {
        if (image.image.width() != image.image.height() || image.image.width() > 256) {
            throw std::invalid_argument("icon images must be square and at most 256 pixels");
        }
        bodies.push_back(dib(image));
    }
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = 6 + 16 * quint32(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int size = images[i].image.width();
        s << quint8(size == 256 ? 0 : size) << quint8(size == 256 ? 0 : size)
          << quint8(0)  // colour count: 0 for 256 colours and more
          << quint8(0) << quint16(1) << quint16(images[i].bitCount) << quint32(bodies[i].size())
          << offset;
        offset += quint32(bodies[i].size());
    }
    for (const QByteArray& body : bodies) out.append(body);
    return out;
}

}  // namespace artwork
