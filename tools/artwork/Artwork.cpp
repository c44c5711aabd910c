#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

namespace artwork {

namespace {

const QColor kOutline(40, 52, 70);
const QColor kFuel(242, 160, 30);
const QColor kFuelDark(200, 115, 10);
const QColor kSteel(188, 196, 206);
const QColor kSteelDark(120, 130, 145);
const QColor kBlue(40, 110, 200);
const QColor kGreen(40, 160, 70);
const QColor kRed(215, 45, 40);

QImage paint(int size, const std::function<void(QPainter&)>& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 100.0, size / 100.0);
    draw(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QPen outline(double width = 2.5) {
    return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QLinearGradient metal(double x1, double x2) {
    QLinearGradient g(x1, 0, x2, 0);
    g.setColorAt(0, kSteelDark);
    g.setColorAt(0.35, QColor(235, 240, 245));
    g.setColorAt(1, kSteelDark);
    return g;
}

void text(QPainter& p, const QRectF& box, const QString& s, double pixel, const QColor& colour) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(int(pixel));
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, s);
}

// A vertical probe: head with cable gland on top, tube below.
void probe(QPainter& p, double cx, double top, double bottom, double tubeWidth) {
    const double headW = tubeWidth * 2.2;
    p.setPen(outline(2));
    p.setBrush(metal(cx - tubeWidth / 2, cx + tubeWidth / 2));
    p.drawRoundedRect(QRectF(cx - tubeWidth / 2, top + 14, tubeWidth, bottom - top - 14), 3, 3);
    QLinearGradient head(cx - headW / 2, 0, cx + headW / 2, 0);
    head.setColorAt(0, QColor(25, 70, 140));
    head.setColorAt(0.4, QColor(80, 150, 230));
    head.setColorAt(1, QColor(25, 70, 140));
    p.setBrush(head);
    p.drawRoundedRect(QRectF(cx - headW / 2, top, headW, 18), 4, 4);
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(cx - 3, top - 8, 6, 8));
}

}  // namespace

QImage stepConnect(int size) {
    return paint(size, [](QPainter& p) {
        // Cable from the plug to the adapter.
        QPainterPath cable(QPointF(30, 34));
        cable.cubicTo(30, 60, 60, 48, 62, 62);
        p.setPen(QPen(QColor(50, 50, 55), 5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(cable);
        // USB plug: metal shell and dark grip.
        p.setPen(outline(2));
        p.setBrush(metal(18, 42));
        p.drawRect(QRectF(20, 6, 20, 16));
        p.setBrush(QColor(30, 30, 35));
        p.drawRect(QRectF(24, 10, 4, 4));
        p.drawRect(QRectF(32, 10, 4, 4));
        p.setBrush(QColor(60, 62, 70));
        p.drawRoundedRect(QRectF(17, 22, 26, 16), 4, 4);
        // Adapter box with its terminal block.
        QLinearGradient box(0, 60, 0, 94);
        box.setColorAt(0, QColor(90, 160, 240));
        box.setColorAt(1, QColor(30, 90, 180));
        p.setBrush(box);
        p.drawRoundedRect(QRectF(40, 58, 54, 36), 6, 6);
        p.setBrush(kGreen);
        p.drawRect(QRectF(46, 84, 42, 10));
        p.setBrush(kSteel);
        for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(53 + i * 14, 89), 3, 3);
        text(p, QRectF(40, 60, 54, 22), QStringLiteral("485"), 15, Qt::white);
    });
}

QImage stepAddress(int size) {
    return paint(size, [](QPainter& p) {
        // Network line with two nodes.
        p.setPen(QPen(kOutline, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 84), QPointF(92, 84));
        p.drawLine(QPointF(50, 62), QPointF(50, 84));
        p.setPen(outline(2));
        p.setBrush(kSteel);
        p.drawEllipse(QPointF(14, 84), 6, 6);
        p.drawEllipse(QPointF(86, 84), 6, 6);
        // Address tag hanging on the line.
        QPainterPath tag;
        tag.moveTo(22, 18);
        tag.lineTo(70, 18);
        tag.lineTo(88, 40);
        tag.lineTo(70, 62);
        tag.lineTo(22, 62);
        tag.closeSubpath();
        QLinearGradient fill(0, 18, 0, 62);
        fill.setColorAt(0, QColor(255, 200, 90));
        fill.setColorAt(1, kFuel);
        p.setBrush(fill);
        p.drawPath(tag);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(74, 40), 5, 5);
        text(p, QRectF(22, 18, 46, 44), QStringLiteral("#1"), 26, kOutline);
    });
}

QImage stepTank(int size) {
    return paint(size, [](QPainter& p) {
        const QRectF body(18, 14, 58, 76);
        // Fuel up to two thirds, then the tank's outline over it.
        QLinearGradient fuel(18, 0, 76, 0);
        fuel.setColorAt(0, kFuelDark);
        fuel.setColorAt(0.4, kFuel);
        fuel.setColorAt(1, kFuelDark);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(225, 235, 245));
        p.drawRoundedRect(body, 8, 8);
        p.setBrush(fuel);
        p.drawRoundedRect(QRectF(18, 44, 58, 46), 8, 8);
        p.drawRect(QRectF(18, 44, 58, 20));
        p.setPen(outline(3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body, 8, 8);
        // Full mark at the top, empty mark at the bottom.
        p.setPen(QPen(kGreen, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 24), QPointF(82, 24));
        p.setPen(QPen(kRed, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 82), QPointF(82, 82));
        text(p, QRectF(80, 12, 20, 24), QStringLiteral("F"), 18, kGreen);
        text(p, QRectF(80, 70, 20, 24), QStringLiteral("E"), 18, kRed);
    });
}

QImage stepGauge(int size) {
    return paint(size, [](QPainter& p) {
        const QRectF dial(8, 14, 84, 84);
        p.setPen(outline(3));
        QRadialGradient face(QPointF(50, 56), 42);
        face.setColorAt(0, Qt::white);
        face.setColorAt(1, QColor(215, 225, 235));
        p.setBrush(face);
        p.drawEllipse(dial);
        // Scale from empty (red) through yellow to full (green).
        const QRectF arc = dial.adjusted(10, 10, -10, -10);
        const struct {
            int start;
            QColor colour;
        } bands[] = {{210, kRed}, {150, QColor(240, 200, 40)}, {90, kGreen}};
        for (const auto& band : bands) {
            p.setPen(QPen(band.colour, 8, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(arc, band.start * 16, -60 * 16);
        }
        // Needle pointing high on the scale.
        p.setPen(QPen(kOutline, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(50, 56), QPointF(72, 34));
        p.setPen(outline(2));
        p.setBrush(kOutline);
        p.drawEllipse(QPointF(50, 56), 6, 6);
        text(p, QRectF(30, 70, 40, 20), QStringLiteral("4095"), 12, kOutline);
    });
}

QImage aboutProbe(int size) {
    return paint(size, [](QPainter& p) {
        // Fuel in a sight glass and the probe standing in it.
        p.setPen(outline(2));
        p.setBrush(QColor(225, 235, 245, 200));
        p.drawRoundedRect(QRectF(22, 30, 56, 64), 8, 8);
        p.setPen(Qt::NoPen);
        p.setBrush(kFuel);
        p.drawRoundedRect(QRectF(23, 58, 54, 35), 7, 7);
        p.setPen(QPen(QColor(255, 220, 150), 2));
        p.drawLine(QPointF(26, 60), QPointF(74, 60));
        probe(p, 50, 8, 88, 12);
        // Cable leaving the head.
        QPainterPath cable(QPointF(50, 0));
        p.setPen(QPen(QColor(50, 50, 55), 4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        cable.moveTo(50, 0);
        cable.cubicTo(58, 0, 70, 2, 92, 6);
        p.drawPath(cable);
    });
}

QImage hotKey(int size) {
    return paint(size, [](QPainter& p) {
        // Key cap seen slightly from above: base, then the top face.
        p.setPen(outline(3));
        p.setBrush(QColor(150, 158, 170));
        p.drawRoundedRect(QRectF(10, 14, 80, 78), 12, 12);
        QLinearGradient top(0, 18, 0, 74);
        top.setColorAt(0, Qt::white);
        top.setColorAt(1, QColor(210, 216, 225));
        p.setBrush(top);
        p.drawRoundedRect(QRectF(18, 18, 64, 58), 9, 9);
        text(p, QRectF(18, 18, 64, 58), QStringLiteral("F1"), 30, kBlue);
    });
}

QImage busMonitor(int size) {
    return paint(size, [](QPainter& p) {
        // Level trace on a small screen.
        p.setPen(outline(3));
        p.setBrush(QColor(30, 40, 55));
        p.drawRoundedRect(QRectF(10, 8, 80, 52), 6, 6);
        p.setPen(QPen(QColor(90, 230, 120), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath trace(QPointF(16, 50));
        trace.lineTo(30, 44);
        trace.lineTo(42, 44);
        trace.lineTo(54, 30);
        trace.lineTo(66, 30);
        trace.lineTo(78, 18);
        trace.lineTo(84, 18);
        p.setBrush(Qt::NoBrush);
        p.drawPath(trace);
        // The bus with packets travelling both ways.
        p.setPen(QPen(kOutline, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 80), QPointF(94, 80));
        p.drawLine(QPointF(50, 60), QPointF(50, 80));
        p.setPen(outline(2));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(12, 70, 16, 10), 2, 2);
        p.setBrush(kFuel);
        p.drawRoundedRect(QRectF(60, 80, 28, 10), 2, 2);
    });
}

QImage appIcon(int size) {
    return paint(size, [size](QPainter& p) {
        QLinearGradient back(0, 0, 0, 100);
        back.setColorAt(0, QColor(70, 140, 225));
        back.setColorAt(1, QColor(25, 75, 160));
        p.setPen(Qt::NoPen);
        p.setBrush(back);
        p.drawRoundedRect(QRectF(2, 2, 96, 96), 16, 16);
        // Fuel in the lower part of the tile.
        p.setBrush(kFuel);
        QPainterPath fuel;
        fuel.moveTo(2, 58);
        fuel.cubicTo(30, 52, 70, 64, 98, 56);
        fuel.lineTo(98, 82);
        fuel.quadTo(98, 98, 82, 98);
        fuel.lineTo(18, 98);
        fuel.quadTo(2, 98, 2, 82);
        fuel.closeSubpath();
        p.drawPath(fuel);
        // The probe, bold enough to read at 16 pixels.
        const double tube = size <= 16 ? 22 : 16;
        p.setPen(QPen(QColor(20, 30, 45), size <= 16 ? 5 : 3));
        p.setBrush(QColor(235, 240, 245));
        p.drawRect(QRectF(50 - tube / 2, 30, tube, 60));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(50 - tube * 1.1, 10, tube * 2.2, 22), 4, 4);
    });
}

}  // namespace artwork
