#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace artwork {

// One image of an icon file: 32-bit BGRA with alpha, or 8-bit with a 256-colour palette
// and a transparency mask.
struct IcoImage {
    QImage image;  // square, at most 256 pixels
    int bitCount;  // 32 or 8
};

// The icon file (ICONDIR, ICONDIRENTRY table, then one bottom-up DIB per image, each with
// its AND mask) holding the given images in order.
QByteArray encodeIco(const std::vector<IcoImage>& images);

}  // namespace artwork
