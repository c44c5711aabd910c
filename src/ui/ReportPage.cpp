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
#include <set>

#include "AxisScale.h"

#include "Translated.h"

namespace ui {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString number(double value) {
    return QString::number(value, 'f', std::abs(value - std::round(value)) < 1e-9 ? 0 : 1);
}

// What a block of the page is, for the rule that keeps the signatures with what stands before
// them.
enum class Block { Title, Pair, Heading, Paragraph, Chart, Row, Signatures };

struct Placed {
    Block kind;
    int page;
};

// Where the pages break beyond the room that runs out: before the blocks named here, by their
// place in the flow. A page layout is made twice, once to learn the breaks and the page count,
// once to paint with them.
struct PagePlan {
    std::set<int> breakBefore;
    int pages = 1;
};

constexpr double kRunningHead = 9;  // the report's heading above every page after the first
constexpr double kFoot = 5;         // "стр. N из M" at the foot of every page

QString reportTitle() {
    return QCoreApplication::translate("ReportPage", "Отчёт об установке датчика уровня топлива");
}

// The pen and the blocks of one report as it goes down the pages; lengths in millimetres.
// Without ink it only lays the blocks out and counts the pages.
class ReportWriter {
  public:
    ReportWriter(QPagedPaintDevice& device, QPainter* ink, const PagePlan& plan)
        : device_(device),
          ink_(ink),
          plan_(plan),
          unit_(device.logicalDpiY() / 25.4),
          width_(device.width() / unit_),
          bottom_(device.height() / unit_ - kFoot) {
        pageFurniture();
    }

    int pages() const { return page_; }
    const std::vector<Placed>& placed() const { return placed_; }

    void title(const QString& text) {
        block(Block::Title, 12);
        setFont(15, true);
        this->text(0, width_, 10, text, Qt::AlignHCenter);
        y_ += 12;
    }

    void heading(const QString& text) {
        block(Block::Heading, 16);  // never alone at the foot of a page
        setFont(12, true);
        y_ += 3;
        this->text(0, width_, 7, text);
        y_ += 7;
        if (ink_) {
            ink_->setPen(QPen(Qt::black, px(0.3)));
            ink_->drawLine(QPointF(0, px(y_)), QPointF(px(width_), px(y_)));
        }
        y_ += 1.5;
    }

    void pair(const QString& label, const QString& value, bool missing) {
        block(Block::Pair, 6.5);
        setFont(11);
        pen(Qt::black);
        text(0, 60, 6.5, label + QStringLiteral(":"));
        if (missing) pen(QColor(0xb0, 0x00, 0x00));
        text(60, width_ - 60, 6.5, value);
        pen(Qt::black);
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

    // Wrapped over as many lines as it needs, measured on the device itself so that both
    // passes give it the same height.
    void paragraph(const QString& text) {
        const QFont face = font(11);
        const QRectF box(0, 0, px(width_), px(bottom_));
        const double height = std::max(
            6.5, QFontMetricsF(face, &device_).boundingRect(box, Qt::TextWordWrap, text).height() /
                         unit_ +
                     1.5);
        block(Block::Paragraph, height);
        if (ink_) {
            ink_->setFont(face);
            ink_->drawText(QRectF(0, px(y_ + 0.75), px(width_), px(height)),
                           Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        }
        y_ += height;
    }

    void chart(const dut::tank::TableState& table, const std::vector<std::string>& marks);
    void tableRows(const dut::tank::TableState& table, const std::vector<std::string>& marks);
    void signatures(const QString& installer);

  private:
    double px(double mm) const { return mm * unit_; }

    QFont font(double points, bool bold = false) const {
        QFont face(reportFontFamily());
        face.setPixelSize(std::max(1, qRound(points / 72.0 * device_.logicalDpiY())));
        face.setBold(bold);
        return face;
    }
    void setFont(double points, bool bold = false) {
        if (ink_) ink_->setFont(font(points, bold));
    }
    void pen(const QColor& colour) {
        if (ink_) ink_->setPen(colour);
    }

    // Every block goes through here before it is drawn: it begins a page where the plan says
    // or where this page has too little room left, and is noted with the page it is on. True
    // when a page was begun.
    bool block(Block kind, double mm) {
        const int id = static_cast<int>(placed_.size());
        const bool planned = plan_.breakBefore.count(id) != 0 && y_ > top_;
        const bool turned = planned || y_ + mm > bottom_;
        if (turned) {
            if (ink_) device_.newPage();
            ++page_;
            pageFurniture();
        }
        placed_.push_back({kind, page_});
        return turned;
    }

    // The report's heading above every page after the first (the first carries the title)
    // and the page's number at its foot.
    void pageFurniture() {
        y_ = 0;
        if (page_ > 1) {
            setFont(10, true);
            text(0, width_, 6, reportTitle());
            if (ink_) {
                ink_->setPen(QPen(Qt::black, px(0.3)));
                ink_->drawLine(QPointF(0, px(6.5)), QPointF(px(width_), px(6.5)));
            }
            y_ = kRunningHead;
        }
        top_ = y_;
        if (!ink_) return;
        setFont(9);
        pen(Qt::black);
        const QString number =
            QCoreApplication::translate("ReportPage", "стр. %1 из %2").arg(page_).arg(plan_.pages);
        ink_->drawText(QRectF(0, px(bottom_ + 1), px(width_), px(kFoot - 1)),
                       Qt::AlignHCenter | Qt::AlignBottom, number);
    }

    void text(double x, double w, double h, const QString& text, int flags = Qt::AlignLeft) {
        if (!ink_) return;
        const QRectF box(px(x), px(y_), px(w), px(h));
        const QString fitted =
            ink_->fontMetrics().elidedText(text, Qt::ElideRight, qFloor(box.width()));
        ink_->drawText(box, flags | Qt::AlignVCenter, fitted);
    }

    void tableHeader();

    QPagedPaintDevice& device_;
    QPainter* ink_;
    const PagePlan& plan_;
    double unit_;  // device pixels in a millimetre
    double width_;
    double bottom_;  // where the page's foot begins
    double top_ = 0;
    double y_ = 0;
    int page_ = 1;
    std::vector<Placed> placed_;
};

void ReportWriter::chart(const dut::tank::TableState& table,
                         const std::vector<std::string>& marks) {
    constexpr double kHeight = 56;
    constexpr double kAxisTitle = 4;  // the litres' name above their axis
    block(Block::Chart, kHeight + 2);
    y_ += 2;
    if (!ink_) {
        y_ += kHeight;
        return;
    }
    QPainter& painter = *ink_;
    // As the calibration window draws it: level across, litres up, both from 0 to a round
    // value just past the data.
    double maxLevel = 0;
    double maxLitres = 0;
    for (const auto& point : table.points) {
        maxLevel = std::max(maxLevel, static_cast<double>(point.level));
        maxLitres = std::max(maxLitres, point.litres);
    }
    const dut::tank::AxisScale across = dut::tank::roundAxis(maxLevel, 10);
    const dut::tank::AxisScale up = dut::tank::roundAxis(maxLitres, 8);
    const QRectF plot(px(16), px(y_ + kAxisTitle), px(width_ - 20), px(kHeight - kAxisTitle - 14));
    const auto at = [&](double level, double litres) {
        return QPointF(plot.left() + plot.width() * level / across.max,
                       plot.bottom() - plot.height() * litres / up.max);
    };

    setFont(8);
    painter.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), px(0.2)));
    for (int i = 0; i <= across.steps; ++i) {
        painter.drawLine(at(across.step * i, 0), at(across.step * i, up.max));
    }
    for (int i = 0; i <= up.steps; ++i) {
        painter.drawLine(at(0, up.step * i), at(across.max, up.step * i));
    }
    painter.setPen(Qt::black);
    for (int i = 0; i <= across.steps; ++i) {
        const QPointF x = at(across.step * i, 0);
        painter.drawText(QRectF(x.x() - px(10), x.y() + px(1), px(20), px(4)), Qt::AlignCenter,
                         number(across.step * i));
    }
    for (int i = 0; i <= up.steps; ++i) {
        const QPointF y = at(0, up.step * i);
        painter.drawText(QRectF(y.x() - px(15), y.y() - px(2), px(14), px(4)),
                         Qt::AlignRight | Qt::AlignVCenter, number(up.step * i));
    }
    painter.setPen(QPen(Qt::black, px(0.3)));
    painter.drawRect(plot);
    setFont(9);
    painter.drawText(QRectF(plot.left(), plot.bottom() + px(5), plot.width(), px(5)),
                     Qt::AlignCenter, QCoreApplication::translate("ReportPage", "Уровень"));
    // Upright above the axis: a turned name reads badly on paper and in the PDF's text. It
    // starts where the plot does, clear of the marks' numbers that end left of the axis.
    painter.drawText(QRectF(plot.left() + px(1), px(y_), px(40), px(kAxisTitle)),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QCoreApplication::translate("ReportPage", "Литры"));

    painter.setRenderHint(QPainter::Antialiasing);
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
    painter.setPen(QPen(blue, px(0.5)));
    painter.drawPath(line);
    for (std::size_t i = 0; i < table.points.size(); ++i) {
        const bool marked = i < marks.size() && !marks[i].empty();
        painter.setPen(Qt::NoPen);
        painter.setBrush(marked ? QColor(0xc0, 0x00, 0x00) : blue);
        painter.drawEllipse(at(table.points[i].level, table.points[i].litres), px(1.1), px(1.1));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
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
    if (ink_) {
        ink_->setPen(QPen(Qt::black, px(0.2)));
        ink_->drawLine(QPointF(0, px(y_)), QPointF(px(width_), px(y_)));
    }
    y_ += 0.5;
}

void ReportWriter::tableRows(const dut::tank::TableState& table,
                             const std::vector<std::string>& marks) {
    constexpr double kRow = 5.5;
    constexpr double kHeader = 6.5;
    for (std::size_t i = 0; i < table.points.size(); ++i) {
        // The columns' names open the table and every page it goes on to.
        const bool turned = block(Block::Row, i == 0 ? kHeader + kRow : kRow);
        if (i == 0 || turned) tableHeader();
        const auto& point = table.points[i];
        setFont(10);
        text(0, 12, kRow, QString::number(i + 1));
        text(12, 30, kRow, number(point.litres), Qt::AlignRight);
        text(46, 30, kRow, QString::number(point.level), Qt::AlignRight);
        text(80, 30, kRow, point.raw ? QString::number(*point.raw) : QStringLiteral("—"),
             Qt::AlignRight);
        if (i < marks.size() && !marks[i].empty()) {
            pen(QColor(0xb0, 0x00, 0x00));
            text(116, width_ - 116, kRow, fromUtf8(marks[i]));
            pen(Qt::black);
        }
        y_ += kRow;
    }
}

void ReportWriter::signatures(const QString& installer) {
    block(Block::Signatures, 31);
    y_ += 6;
    setFont(11);
    const QString name = installer.trimmed();
    text(0, 62, 7, QCoreApplication::translate("ReportPage", "Установку выполнил:"));
    if (ink_) {
        ink_->setPen(QPen(Qt::black, px(0.3)));
        ink_->drawLine(QPointF(px(62), px(y_ + 6)), QPointF(px(118), px(y_ + 6)));
    }
    if (!name.isEmpty()) text(122, width_ - 122, 7, QStringLiteral("/ %1 /").arg(name));
    y_ += 14;
    text(0, 62, 7, QCoreApplication::translate("ReportPage", "Работу принял:"));
    if (ink_) {
        ink_->drawLine(QPointF(px(62), px(y_ + 6)), QPointF(px(118), px(y_ + 6)));
        ink_->drawLine(QPointF(px(122), px(y_ + 6)), QPointF(px(width_), px(y_ + 6)));
    }
    y_ += 7;
    setFont(8);
    text(62, 56, 4, QCoreApplication::translate("ReportPage", "подпись"), Qt::AlignHCenter);
    text(122, width_ - 122, 4, QCoreApplication::translate("ReportPage", "фамилия, дата"),
         Qt::AlignHCenter);
    y_ += 4;
}

// Where the page must break so that the signatures do not stand alone on a page: before the
// last rows of the table (two when that page has them), or before the heading whose lines
// come last. Nothing when they already share a page with what comes before, or when moving
// would leave a page empty.
std::optional<int> keepSignaturesWith(const std::vector<Placed>& placed) {
    const int last = static_cast<int>(placed.size()) - 1;
    if (last < 1 || placed[last].kind != Block::Signatures) return std::nullopt;
    const int page = placed[last - 1].page;
    if (placed[last].page == page) return std::nullopt;
    int from = last - 1;
    if (placed[from].kind == Block::Row && from > 0 && placed[from - 1].kind == Block::Row &&
        placed[from - 1].page == page) {
        --from;
    }
    while (from > 0 && placed[from - 1].kind == Block::Heading) --from;
    const auto firstOnPage = [&](int i) { return i == 0 || placed[i - 1].page != placed[i].page; };
    while (from < last && firstOnPage(from)) ++from;
    if (from == last) return std::nullopt;
    return from;
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

namespace {

// What the tank section says when it shows no table.
QString tableLeftOut(const ReportContent& content) {
    if (!content.table || content.table->points.empty()) {
        return QCoreApplication::translate("ReportPage",
                                           "Тарировка бака в этом сеансе не проводилась.");
    }
    const std::int32_t owner = content.table->details.sensorNumber;
    const auto& number = content.readings.number;
    switch (dut::report::tableFit(owner, number)) {
        case dut::report::TableFit::Fits:
            return {};
        case dut::report::TableFit::OtherSensor:
            return QCoreApplication::translate(
                       "ReportPage",
                       "Таблица тарировки этого сеанса снята с датчика № %1, а не с датчика "
                       "№ %2 этого отчёта, и в отчёт не включена.")
                .arg(owner)
                .arg(*number.value);
        case dut::report::TableFit::SensorUnread:
            break;
    }
    return QCoreApplication::translate("ReportPage",
                                       "Таблица тарировки этого сеанса снята с датчика № %1; "
                                       "номер датчика этого отчёта не прочитан, поэтому "
                                       "таблица в отчёт не включена.")
        .arg(owner);
}

void writeReport(ReportWriter& page, const ReportContent& content) {
    page.title(reportTitle());
    page.pair(QCoreApplication::translate("ReportPage", "Дата и время"), content.madeAt, false);

    page.heading(QCoreApplication::translate("ReportPage", "Установка"));
    page.lines(dut::report::detailLines(content.details), false);

    page.heading(
        QCoreApplication::translate("ReportPage", "Датчик (прочитано при составлении отчёта)"));
    page.lines(dut::report::sensorLines(content.readings), true, missingValues(content.readings));

    page.heading(QCoreApplication::translate("ReportPage", "Тарировка бака"));
    const QString leftOut = tableLeftOut(content);
    if (!leftOut.isEmpty()) {
        page.paragraph(leftOut);
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
}

}  // namespace

bool paintReport(QPagedPaintDevice& device, const ReportContent& content) {
    // Laid out without ink first, to learn where the pages break and how many there are; a
    // second round only when the signatures had to be kept with the rows before them.
    PagePlan plan;
    for (int round = 0; round < 3; ++round) {
        ReportWriter layout(device, nullptr, plan);
        writeReport(layout, content);
        plan.pages = layout.pages();
        const auto keep = keepSignaturesWith(layout.placed());
        if (!keep || !plan.breakBefore.insert(*keep).second) break;
    }
    QPainter painter;
    if (!painter.begin(&device)) return false;
    ReportWriter page(device, &painter, plan);
    writeReport(page, content);
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
        writer.setTitle(reportTitle());
        writer.setCreator(QStringLiteral("brindolex-dut-configurator"));
        if (!paintReport(writer, content)) return {};
    }
    return bytes;
}

}  // namespace ui
