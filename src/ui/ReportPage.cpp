#include "ReportPage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "Translated.h"

namespace ui {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString number(double value) {
    return QString::number(value, 'f', std::abs(value - std::round(value)) < 1e-9 ? 0 : 1);
}

// The smallest step of 1, 2 or 5 times a power of ten that is at least `least`, so that five
// steps cover the axis and every mark reads as a round number.
double roundStep(double least) {
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= least) return factor * power;
    }
    return 10.0 * power;
}

// The pen and the rows of one report as it goes down the pages; lengths in millimetres.
class ReportWriter {
  public:
    ReportWriter(QPagedPaintDevice& device, QPainter& painter)
        : device_(device),
          painter_(painter),
          unit_(device.logicalDpiY() / 25.4),
          width_(device.width() / unit_),
          height_(device.height() / unit_) {}

    double px(double mm) const { return mm * unit_; }
    double width() const { return width_; }

    void setFont(double points, bool bold = false) {
        QFont font(reportFontFamily());
        font.setPixelSize(std::max(1, qRound(points / 72.0 * device_.logicalDpiY())));
        font.setBold(bold);
        painter_.setFont(font);
    }

    // Leaves room for the given height, on a new page when this one has too little.
    bool room(double mm) {
        if (y_ + mm <= height_) return false;
        device_.newPage();
        y_ = 0;
        return true;
    }

    void text(double x, double w, double h, const QString& text, int flags = Qt::AlignLeft) {
        const QRectF box(px(x), px(y_), px(w), px(h));
        const QString fitted =
            painter_.fontMetrics().elidedText(text, Qt::ElideRight, qFloor(box.width()));
        painter_.drawText(box, flags | Qt::AlignVCenter, fitted);
    }

    void title(const QString& text) {
        setFont(15, true);
        room(10);
        this->text(0, width_, 10, text, Qt::AlignHCenter);
        y_ += 12;
    }

    void heading(const QString& text) {
        setFont(12, true);
        room(16);  // never alone at the foot of a page
        y_ += 3;
        this->text(0, width_, 7, text);
        y_ += 7;
        painter_.setPen(QPen(Qt::black, px(0.3)));
        painter_.drawLine(QPointF(0, px(y_)), QPointF(px(width_), px(y_)));
        y_ += 1.5;
    }

    void pair(const QString& label, const QString& value, bool missing) {
        setFont(11);
        room(6.5);
        painter_.setPen(Qt::black);
        text(0, 60, 6.5, label + QStringLiteral(":"));
        if (missing) painter_.setPen(QColor(0xb0, 0x00, 0x00));
        text(60, width_ - 60, 6.5, value);
        painter_.setPen(Qt::black);
        y_ += 6.5;
    }

    void lines(const std::vector<dut::report::ReportLine>& lines, bool programValues,
               const std::vector<bool>& missing = {}) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            // A value the installer typed is shown as typed; the program's own ones translated.
            const std::string& value = lines[i].value;
            const bool own = programValues || value == dut::report::notGivenText();
            pair(ui::translatedCore(lines[i].label),
                 own ? ui::translatedCore(value) : fromUtf8(value),
                 i < missing.size() && missing[i]);
        }
    }

    void paragraph(const QString& text) {
        setFont(11);
        room(6.5);
        this->text(0, width_, 6.5, text);
        y_ += 6.5;
    }

    void chart(const dut::tank::TableState& table, const std::vector<std::string>& marks);
    void tableRows(const dut::tank::TableState& table, const std::vector<std::string>& marks);
    void signatures(const QString& installer);

  private:
    void tableHeader();

    QPagedPaintDevice& device_;
    QPainter& painter_;
    double unit_;  // device pixels in a millimetre
    double width_;
    double height_;
    double y_ = 0;
};

void ReportWriter::chart(const dut::tank::TableState& table,
                         const std::vector<std::string>& marks) {
    constexpr double kHeight = 56;
    room(kHeight + 4);
    y_ += 2;
    // As the calibration window draws it: level across, litres up, both from 0.
    double maxLevel = 100;
    double maxLitres = 10;
    for (const auto& point : table.points) {
        maxLevel = std::max(maxLevel, static_cast<double>(point.level));
        maxLitres = std::max(maxLitres, point.litres);
    }
    constexpr int kSteps = 5;
    const double levelStep = roundStep(maxLevel / kSteps);
    const double litresStep = roundStep(maxLitres / kSteps);
    maxLevel = levelStep * kSteps;
    maxLitres = litresStep * kSteps;
    const QRectF plot(px(16), px(y_), px(width_ - 20), px(kHeight - 14));
    const auto at = [&](double level, double litres) {
        return QPointF(plot.left() + plot.width() * level / maxLevel,
                       plot.bottom() - plot.height() * litres / maxLitres);
    };

    setFont(8);
    for (int i = 0; i <= kSteps; ++i) {
        const double level = levelStep * i;
        const double litres = litresStep * i;
        painter_.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), px(0.2)));
        painter_.drawLine(at(level, 0), at(level, maxLitres));
        painter_.drawLine(at(0, litres), at(maxLevel, litres));
        painter_.setPen(Qt::black);
        const QPointF x = at(level, 0);
        painter_.drawText(QRectF(x.x() - px(10), x.y() + px(1), px(20), px(4)), Qt::AlignCenter,
                          QString::number(qRound(level)));
        const QPointF y = at(0, litres);
        painter_.drawText(QRectF(y.x() - px(15), y.y() - px(2), px(14), px(4)),
                          Qt::AlignRight | Qt::AlignVCenter, number(litres));
    }
    painter_.setPen(QPen(Qt::black, px(0.3)));
    painter_.drawRect(plot);
    setFont(9);
    painter_.drawText(QRectF(plot.left(), plot.bottom() + px(5), plot.width(), px(5)),
                      Qt::AlignCenter, QCoreApplication::translate("ReportPage", "Уровень"));
    painter_.save();
    painter_.translate(px(3), plot.center().y());
    painter_.rotate(-90);
    painter_.drawText(QRectF(-px(20), -px(2.5), px(40), px(5)), Qt::AlignCenter,
                      QCoreApplication::translate("ReportPage", "Литры"));
    painter_.restore();

    painter_.setRenderHint(QPainter::Antialiasing);
    QPainterPath line;
    for (std::size_t i = 0; i < table.points.size(); ++i) {
        const QPointF p = at(table.points[i].level, table.points[i].litres);
        if (i == 0) {
            line.moveTo(p);
        } else {
            line.lineTo(p);
        }
    }
    const QColor blue(0x1f, 0x4e, 0x9a);
    painter_.setPen(QPen(blue, px(0.5)));
    painter_.drawPath(line);
    for (std::size_t i = 0; i < table.points.size(); ++i) {
        const bool marked = i < marks.size() && !marks[i].empty();
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(marked ? QColor(0xc0, 0x00, 0x00) : blue);
        painter_.drawEllipse(at(table.points[i].level, table.points[i].litres), px(1.1), px(1.1));
    }
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(Qt::black);
    y_ += kHeight;
}

void ReportWriter::tableHeader() {
    setFont(10, true);
    text(0, 12, 6, QStringLiteral("№"));
    text(12, 30, 6, QCoreApplication::translate("ReportPage", "Литры"), Qt::AlignRight);
    text(46, 30, 6, QCoreApplication::translate("ReportPage", "Уровень"), Qt::AlignRight);
    text(80, 30, 6, QCoreApplication::translate("ReportPage", "Код датчика"), Qt::AlignRight);
    text(116, width_ - 116, 6, QCoreApplication::translate("ReportPage", "Замечание"));
    y_ += 6;
    painter_.setPen(QPen(Qt::black, px(0.2)));
    painter_.drawLine(QPointF(0, px(y_)), QPointF(px(width_), px(y_)));
    y_ += 0.5;
}

void ReportWriter::tableRows(const dut::tank::TableState& table,
                             const std::vector<std::string>& marks) {
    room(13);
    tableHeader();
    for (std::size_t i = 0; i < table.points.size(); ++i) {
        if (room(5.5)) tableHeader();
        const auto& point = table.points[i];
        setFont(10);
        text(0, 12, 5.5, QString::number(i + 1));
        text(12, 30, 5.5, number(point.litres), Qt::AlignRight);
        text(46, 30, 5.5, QString::number(point.level), Qt::AlignRight);
        text(80, 30, 5.5, point.raw ? QString::number(*point.raw) : QStringLiteral("—"),
             Qt::AlignRight);
        if (i < marks.size() && !marks[i].empty()) {
            painter_.setPen(QColor(0xb0, 0x00, 0x00));
            text(116, width_ - 116, 5.5, fromUtf8(marks[i]));
            painter_.setPen(Qt::black);
        }
        y_ += 5.5;
    }
}

void ReportWriter::signatures(const QString& installer) {
    room(31);
    y_ += 6;
    setFont(11);
    const QString name = installer.trimmed().isEmpty() ? QString() : installer.trimmed();
    text(0, 62, 7, QCoreApplication::translate("ReportPage", "Установку выполнил:"));
    painter_.setPen(QPen(Qt::black, px(0.3)));
    painter_.drawLine(QPointF(px(62), px(y_ + 6)), QPointF(px(118), px(y_ + 6)));
    if (!name.isEmpty()) text(122, width_ - 122, 7, QStringLiteral("/ %1 /").arg(name));
    y_ += 14;
    text(0, 62, 7, QCoreApplication::translate("ReportPage", "Работу принял:"));
    painter_.drawLine(QPointF(px(62), px(y_ + 6)), QPointF(px(118), px(y_ + 6)));
    painter_.drawLine(QPointF(px(122), px(y_ + 6)), QPointF(px(width_), px(y_ + 6)));
    y_ += 7;
    setFont(8);
    text(62, 56, 4, QCoreApplication::translate("ReportPage", "подпись"), Qt::AlignHCenter);
    text(122, width_ - 122, 4, QCoreApplication::translate("ReportPage", "фамилия, дата"),
         Qt::AlignHCenter);
    y_ += 4;
}

std::vector<bool> missingValues(const dut::report::SensorReadings& r) {
    // In the order of sensorLines.
    return {!r.number.value, !r.version.value,    !r.address.value, !r.full.value,
            !r.empty.value,  !r.resolution.value, !r.interval.value};
}

}  // namespace

QString reportFontFamily() {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* name : {"DejaVu Sans", "Liberation Sans"}) {
            if (families.contains(QLatin1String(name))) return QString::fromLatin1(name);
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

bool paintReport(QPagedPaintDevice& device, const ReportContent& content) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    ReportWriter page(device, painter);

    page.title(
        QCoreApplication::translate("ReportPage", "Отчёт об установке датчика уровня топлива"));
    page.pair(QCoreApplication::translate("ReportPage", "Дата и время"), content.madeAt, false);

    page.heading(QCoreApplication::translate("ReportPage", "Установка"));
    page.lines(dut::report::detailLines(content.details), false);

    page.heading(
        QCoreApplication::translate("ReportPage", "Датчик (прочитано при составлении отчёта)"));
    page.lines(dut::report::sensorLines(content.readings), true, missingValues(content.readings));

    page.heading(QCoreApplication::translate("ReportPage", "Тарировка бака"));
    if (!content.table || content.table->points.empty()) {
        page.paragraph(QCoreApplication::translate("ReportPage",
                                                   "Тарировка бака в этом сеансе не проводилась."));
    } else {
        const auto& table = *content.table;
        dut::tank::CalibrationTable marked;
        marked.replace(table);
        const auto marks = marked.marks();
        QStringList about;
        if (!table.details.tank.empty()) {
            about << QCoreApplication::translate("ReportPage", "бак «%1»")
                         .arg(fromUtf8(table.details.tank));
        }
        if (!table.details.vehicle.empty()) {
            about << QCoreApplication::translate("ReportPage", "ТС «%1»")
                         .arg(fromUtf8(table.details.vehicle));
        }
        if (table.details.sensorNumber != 0) {
            about << QCoreApplication::translate("ReportPage", "ДУТ № %1")
                         .arg(table.details.sensorNumber);
        }
        page.paragraph(
            QCoreApplication::translate("ReportPage", "%1 точек, %2%3")
                .arg(table.points.size())
                .arg(table.direction == dut::tank::Direction::Filling
                         ? QCoreApplication::translate("ReportPage", "заливка")
                         : QCoreApplication::translate("ReportPage", "слив"))
                .arg(about.isEmpty() ? QString() : QStringLiteral("; ") + about.join(", ")));
        page.chart(table, marks);
        page.tableRows(table, marks);
    }

    page.signatures(fromUtf8(content.details.installer));
    return painter.end();
}

QByteArray reportPdf(const ReportContent& content) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setResolution(300);
        writer.setTitle(
            QCoreApplication::translate("ReportPage", "Отчёт об установке датчика уровня топлива"));
        writer.setCreator(QStringLiteral("brindolex-dut-configurator"));
        if (!paintReport(writer, content)) return {};
    }
    return bytes;
}

}  // namespace ui
