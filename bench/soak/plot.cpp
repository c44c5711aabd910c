// soak_plot: draws the hot-plug soak's samples as a PNG with Qt's own painting.
// Usage: soak_plot samples.csv replugs.csv out.png
// samples.csv: seconds,rss_kb,fds,cpu_seconds; replugs.csv: replug,plugged_in_s,reconnect_s
// (an empty reconnect_s is a re-plug that was never answered again).
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kWidth = 1200;
constexpr int kPanelHeight = 210;
constexpr int kTop = 50;
constexpr int kLeft = 80;
constexpr int kRight = 30;
constexpr int kGap = 40;  // room under each panel for its time labels

// One chart: points in minutes against a value, with an optional dashed limit line.
struct Panel {
    QString title;
    std::vector<QPointF> points;
    std::vector<QPointF> misses;  // drawn in red at the top: a value that never came
    bool dots = false;
    bool fromZero = false;  // the value axis starts at zero (rates and times)
    std::optional<double> limit;
    QString limitLabel;
    std::optional<double> markMinute;  // a dashed vertical line, e.g. the end of the warm-up
};

std::vector<QStringList> readCsv(const QString& path, bool& ok) {
    std::vector<QStringList> rows;
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!ok) return rows;
    QTextStream in(&file);
    in.readLine();  // the header
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty()) rows.push_back(line.split(QLatin1Char(',')));
    }
    return rows;
}

// A step of 1, 2 or 5 times a power of ten that gives about `wanted` ticks over `span`.
double niceStep(double span, int wanted) {
    const double raw = span / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10.0 * power;
}

QString tickText(double value, double step) {
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step)));
    return QString::number(value, 'f', decimals);
}

void drawPanel(QPainter& p, const Panel& panel, const QRectF& box, double minutes) {
    double low = 1e300;
    double high = -1e300;
    for (const auto& pt : panel.points) {
        low = std::min(low, pt.y());
        high = std::max(high, pt.y());
    }
    if (panel.limit) {
        low = std::min(low, *panel.limit);
        high = std::max(high, *panel.limit);
    }
    if (low > high) low = high = 0;
    if (panel.fromZero) low = std::min(low, 0.0);
    const double pad = high > low ? (high - low) * 0.1 : 2.0;
    high += pad;
    if (!panel.fromZero) low -= pad;
    const double yStep = niceStep(high - low, 4);
    low = std::floor(low / yStep) * yStep;
    high = std::ceil(high / yStep) * yStep;

    const auto at = [&](double minute, double value) {
        return QPointF(box.left() + box.width() * minute / minutes,
                       box.bottom() - box.height() * (value - low) / (high - low));
    };

    p.setPen(QPen(QColor(225, 225, 225), 1));
    for (double v = low; v <= high + yStep / 2; v += yStep) {
        p.drawLine(at(0, v), at(minutes, v));
    }
    const double xStep = niceStep(minutes, 10);
    for (double m = 0; m <= minutes + xStep / 2; m += xStep) p.drawLine(at(m, low), at(m, high));

    p.setPen(Qt::black);
    p.drawRect(box);
    for (double v = low; v <= high + yStep / 2; v += yStep) {
        const QPointF y = at(0, v);
        p.drawText(QRectF(0, y.y() - 10, kLeft - 8, 20), Qt::AlignRight | Qt::AlignVCenter,
                   tickText(v, yStep));
    }
    for (double m = 0; m <= minutes + xStep / 2; m += xStep) {
        const QPointF x = at(m, low);
        p.drawText(QRectF(x.x() - 40, box.bottom() + 4, 80, 18), Qt::AlignHCenter | Qt::AlignTop,
                   tickText(m, xStep) + (m == 0 ? QStringLiteral(" min") : QString()));
    }
    p.drawText(QRectF(box.left() + 8, box.top() + 4, box.width() - 16, 20),
               Qt::AlignLeft | Qt::AlignTop, panel.title);

    p.setRenderHint(QPainter::Antialiasing, true);
    if (panel.markMinute && *panel.markMinute < minutes) {
        p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
        p.drawLine(at(*panel.markMinute, low), at(*panel.markMinute, high));
    }
    if (panel.limit) {
        p.setPen(QPen(QColor(200, 40, 40), 1.5, Qt::DashLine));
        // A limit that counts only after the warm-up starts where the warm-up ends.
        p.drawLine(at(panel.markMinute.value_or(0), *panel.limit), at(minutes, *panel.limit));
        const QPointF end = at(minutes, *panel.limit);
        p.drawText(QRectF(box.right() - 308, end.y() - 20, 300, 18),
                   Qt::AlignRight | Qt::AlignBottom, panel.limitLabel);
    }
    p.setPen(QPen(QColor(30, 90, 180), 2));
    p.setBrush(QColor(30, 90, 180));
    if (panel.dots) {
        for (const auto& pt : panel.points) p.drawEllipse(at(pt.x(), pt.y()), 3, 3);
    } else {
        for (std::size_t i = 1; i < panel.points.size(); ++i) {
            p.drawLine(at(panel.points[i - 1].x(), panel.points[i - 1].y()),
                       at(panel.points[i].x(), panel.points[i].y()));
        }
    }
    p.setPen(QPen(QColor(200, 40, 40), 2));
    for (const auto& pt : panel.misses) {
        const QPointF c = at(pt.x(), high);
        p.drawLine(c + QPointF(-5, 5), c + QPointF(5, 15));
        p.drawLine(c + QPointF(-5, 15), c + QPointF(5, 5));
    }
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace

int main(int argc, char** argv) {
    // Painting text needs a platform, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: soak_plot samples.csv replugs.csv out.png\n");
        return 2;
    }
    bool samplesOk = false;
    bool replugsOk = false;
    const auto samples = readCsv(QString::fromLocal8Bit(argv[1]), samplesOk);
    const auto replugs = readCsv(QString::fromLocal8Bit(argv[2]), replugsOk);
    if (!samplesOk || !replugsOk || samples.empty()) {
        std::fprintf(stderr, "soak_plot: cannot read %s or %s, or it has no samples\n", argv[1],
                     argv[2]);
        return 1;
    }

    Panel memory;
    memory.title = QStringLiteral("Resident memory, MB");
    Panel descriptors;
    descriptors.title = QStringLiteral("Open descriptors");
    Panel cpu;
    cpu.title = QStringLiteral("CPU, % of one core over each 10 s");
    cpu.fromZero = true;
    Panel reconnect;
    reconnect.title = QStringLiteral("Re-plug until the first answer again, s");
    reconnect.dots = true;
    reconnect.fromZero = true;
    reconnect.limit = 3.0;
    reconnect.limitLabel = QStringLiteral("target 3 s");
    double previousT = 0;
    double previousCpu = 0;
    std::optional<double> warmBase;
    for (const auto& row : samples) {
        if (row.size() < 4) continue;
        const double t = row[0].toDouble();
        const double rssMb = row[1].toDouble() / 1024.0;
        memory.points.emplace_back(t / 60, rssMb);
        descriptors.points.emplace_back(t / 60, row[2].toDouble());
        const double cpuSeconds = row[3].toDouble();
        if (t > previousT) {
            cpu.points.emplace_back(t / 60, 100 * (cpuSeconds - previousCpu) / (t - previousT));
        }
        if (t >= 300 && !warmBase) warmBase = rssMb;
        previousT = t;
        previousCpu = cpuSeconds;
    }
    const double minutes = std::max(1.0, previousT / 60);
    if (warmBase && previousT > 300) {
        memory.title += QStringLiteral(" (dashed: the end of the 5-minute warm-up)");
        memory.markMinute = 5.0;
        memory.limit = *warmBase + 1.0;
        memory.limitLabel = QStringLiteral("5-minute value + 1 MB");
    }
    for (const auto& row : replugs) {
        if (row.size() < 2) continue;
        const double minute = row[1].toDouble() / 60;
        if (row.size() < 3 || row[2].isEmpty()) {
            reconnect.misses.emplace_back(minute, 0);
        } else {
            reconnect.points.emplace_back(minute, row[2].toDouble());
        }
    }

    const std::vector<const Panel*> panels = {&memory, &descriptors, &cpu, &reconnect};
    QImage image(kWidth, kTop + static_cast<int>(panels.size()) * (kPanelHeight + kGap),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    QFont titleFont = font;
    titleFont.setPixelSize(17);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.drawText(
        QRectF(kLeft, 10, kWidth - kLeft - kRight, 30), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("Hot-plug soak: %1 min, %2 re-plugs of the adapter, a sample every 10 s")
            .arg(QString::number(minutes, 'f', previousT < 600 ? 1 : 0))
            .arg(replugs.size()));
    p.setFont(font);
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const QRectF box(kLeft, kTop + static_cast<double>(i) * (kPanelHeight + kGap),
                         kWidth - kLeft - kRight, kPanelHeight);
        drawPanel(p, *panels[i], box, minutes);
    }
    p.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "soak_plot: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
