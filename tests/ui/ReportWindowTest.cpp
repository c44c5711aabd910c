// The report window and its pages in the test's own process: the printer gets the very page
// the PDF gets, a long table runs over pages with its heading on each, every page is headed and
// numbered and the signatures never stand alone, a table of another sensor stays out, a file
// that cannot be written is refused with a box while the form keeps what was typed, and a
// sensor that answers nothing is asked about before its page is saved.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "AppContext.h"
#include "BoxHook.h"
#include "FileIo.h"
#include "Language.h"
#include "ReportPage.h"
#include "ReportWindow.h"

namespace {

using dut::ExchangeFailure;

// pdftotext's text of the whole file, its pages parted by form feeds.
QString pdfText(const QString& path) {
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) return QStringLiteral("(no text)");
    return QString::fromUtf8(tool.readAllStandardOutput());
}

const QString kTitle = QStringLiteral("Отчёт об установке датчика уровня топлива");
const QString kSigned = QStringLiteral("Установку выполнил:");
// A row of the table as pdftotext sets it: number, litres, level, then the sensor's code.
const QRegularExpression kRow(QStringLiteral("^ *\\d+ +\\d+ +\\d+ +—"),
                              QRegularExpression::MultilineOption);

ui::ReportContent sampleContent(std::size_t points) {
    ui::ReportContent content;
    content.madeAt = QStringLiteral("10.12.2026 09:30");
    content.details = {"Петров Пётр", "ООО Топливный контроль", "А123ВС", "КАМАЗ", "Основной"};
    const dut::report::ReadValue none{std::nullopt, ExchangeFailure::NoAnswer};
    content.readings = {{1234, ExchangeFailure::None}, none, none, none, none, none, none};
    dut::tank::TableState table;
    for (std::size_t i = 0; i < points; ++i) {
        table.points.push_back(
            {5.0 * static_cast<double>(i), static_cast<std::int32_t>(30 * i), std::nullopt, 0});
    }
    content.table = table;
    return content;
}

// Switches every window's language, and back to Russian at the end of the scope whatever failed.
struct Speaking {
    explicit Speaking(ui::Language language) { set(language); }
    ~Speaking() { set(ui::Language::Russian); }
    static void set(ui::Language language) {
        ui::applyLanguage(language);
        QCoreApplication::processEvents();  // the windows' LanguageChange events
    }
};

class ReportPages : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    // The pages of the report's PDF as pdftotext reads them.
    QStringList pagesOf(const ui::ReportContent& content) const {
        QFile pdf(path("pages.pdf"));
        if (!pdf.open(QIODevice::WriteOnly)) return {};
        pdf.write(ui::reportPdf(content));
        pdf.close();
        return pdfText(pdf.fileName()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    }
    QTemporaryDir dir;
};

TEST_F(ReportPages, ThePrinterGetsThePageThePdfGets) {
    const auto content = sampleContent(6);
    QFile pdf(path("written.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write(ui::reportPdf(content));
    pdf.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("printed.pdf"));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    ASSERT_TRUE(ui::paintReport(printer, content));

    const QString written = pdfText(path("written.pdf"));
    EXPECT_TRUE(written.contains(QStringLiteral("Номер датчика:"))) << written.toStdString();
    EXPECT_EQ(written.count(QStringLiteral("нет ответа датчика")), 6);
    // The same words in the same order; the printer's finer grid may move them by a blank.
    const auto words = [](const QString& text) {
        return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    };
    EXPECT_EQ(words(pdfText(path("printed.pdf"))), words(written))
        << pdfText(path("printed.pdf")).toStdString() << "\n----\n"
        << written.toStdString();
}

TEST_F(ReportPages, ALongTableRunsOverPagesWithItsHeadingOnEach) {
    for (const std::size_t points : {std::size_t{0}, std::size_t{1}, std::size_t{150}}) {
        QFile pdf(path("long.pdf"));
        ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
        pdf.write(ui::reportPdf(sampleContent(points)));
        pdf.close();
        const QString text = pdfText(pdf.fileName());
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        if (points == 0) {
            EXPECT_TRUE(
                text.contains(QStringLiteral("Тарировка бака в этом сеансе не проводилась.")));
            EXPECT_EQ(pages.size(), 1);
            continue;
        }
        // Every page with rows opens them with the heading, and no row is lost between pages.
        int rows = 0;
        for (const QString& page : pages) {
            const QStringList lines = page.split(QLatin1Char('\n'));
            int pageRows = 0;
            for (const QString& line : lines) {
                if (QRegularExpression(QStringLiteral("^\\d+ +\\d+ +\\d+ +—"))
                        .match(line)
                        .hasMatch()) {
                    ++pageRows;
                }
            }
            if (pageRows > 0) {
                EXPECT_TRUE(page.contains(QStringLiteral("Замечание")));
            }
            rows += pageRows;
        }
        EXPECT_EQ(rows, static_cast<int>(points));
        EXPECT_EQ(pages.size() > 1, points > 20) << pages.size() << " pages";
        EXPECT_TRUE(pages.last().contains(QStringLiteral("Установку выполнил:")));
    }
}

// Every length of table from none to past two pages: the pages carry the report's heading and
// their number of the count, and the signatures share their page with the end of the table.
TEST_F(ReportPages, EveryPageIsHeadedAndNumberedAndTheSignaturesNeverStandAlone) {
    int mostPages = 0;
    for (std::size_t points = 0; points <= 70; ++points) {
        SCOPED_TRACE(points);
        const QStringList pages = pagesOf(sampleContent(points));
        ASSERT_FALSE(pages.isEmpty());
        const auto count = static_cast<int>(pages.size());
        mostPages = std::max(mostPages, count);
        for (int i = 0; i < count; ++i) {
            EXPECT_TRUE(pages[i].contains(kTitle)) << pages[i].toStdString();
            EXPECT_TRUE(pages[i].contains(QStringLiteral("стр. %1 из %2").arg(i + 1).arg(count)))
                << pages[i].toStdString();
        }
        const QString& last = pages.last();
        ASSERT_TRUE(last.contains(kSigned));
        if (points == 0) {
            EXPECT_EQ(count, 1);
        } else {
            EXPECT_TRUE(kRow.match(last).hasMatch()) << "the signatures alone:\n"
                                                     << last.toStdString();
        }
    }
    EXPECT_GE(mostPages, 3);  // the lengths reached cover a page turned inside the table
}

// As the calibration window's chart: the axes end at a round value just past the data, not a
// whole step of five beyond it.
TEST_F(ReportPages, TheChartsAxesEndJustPastTheData) {
    ui::ReportContent content = sampleContent(0);
    for (int i = 0; i <= 8; ++i) {
        content.table->points.push_back({50.0 * i, std::min(4095, 512 * i), std::nullopt, 0});
    }
    const QString text = pagesOf(content).join(QLatin1Char('\n'));
    const auto shows = [&](const char* number) {
        return text.contains(
            QRegularExpression(QStringLiteral("(^|\\s)%1(\\s|$)").arg(QLatin1String(number))));
    };
    EXPECT_TRUE(shows("4500")) << text.toStdString();
    EXPECT_FALSE(shows("5000"));
    EXPECT_FALSE(shows("450"));  // litres end at the 400 poured
}

struct OwnerCase {
    std::int32_t tableSensor;
    std::optional<std::int32_t> read;
    bool printed;
    const char* said;  // what the page says in place of the table
};

TEST_F(ReportPages, ATableIsPrintedOnlyUnderTheNumberOfItsOwnSensor) {
    const std::vector<OwnerCase> cases = {
        {1234, 1234, true, "ДУТ № 1234"},
        {0, 5678, true, "10 точек, заливка"},
        {1234, 5678, false,
         "Таблица тарировки этого сеанса снята с датчика № 1234, а не с датчика № 5678 этого "
         "отчёта, и в отчёт не включена."},
        {1234, std::nullopt, false,
         "Таблица тарировки этого сеанса снята с датчика № 1234; номер датчика этого отчёта не "
         "прочитан, поэтому таблица в отчёт не включена."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        ui::ReportContent content = sampleContent(10);
        content.table->details.sensorNumber = c.tableSensor;
        content.readings.number = {c.read, ExchangeFailure::NoAnswer};
        const QStringList pages = pagesOf(content);
        const QString text = pages.join(QLatin1Char('\n'));
        // The sentence may wrap: compare with the blanks and line breaks made one.
        QString flat = text;
        flat.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
        EXPECT_TRUE(flat.contains(QString::fromUtf8(c.said))) << text.toStdString();
        EXPECT_EQ(kRow.match(text).hasMatch(), c.printed);
        EXPECT_EQ(text.contains(QStringLiteral("Уровень")), c.printed);  // the chart's axis
        EXPECT_TRUE(pages.last().contains(kSigned));
        if (!c.printed) {
            EXPECT_EQ(pages.size(), 1);
        }
    }
}

// A form that can be read: every field has its label beside it, and the buddy that names it.
TEST(ReportWindow, EveryFieldHasAVisibleLabelInBothLanguages) {
    ui::AppContext context;
    ui::ReportWindow window(context.link, {}, {}, nullptr);
    window.show();
    Speaking speaking(ui::Language::English);
    for (const ui::Language language : {ui::Language::English, ui::Language::Russian}) {
        Speaking::set(language);
        const auto edits = window.findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 5);
        QStringList seen;
        for (QLineEdit* edit : edits) {
            QLabel* label = nullptr;
            for (QLabel* candidate : window.findChildren<QLabel*>()) {
                if (candidate->buddy() == edit) label = candidate;
            }
            ASSERT_NE(label, nullptr) << edit->objectName().toStdString();
            EXPECT_TRUE(label->isVisible());
            EXPECT_FALSE(label->text().trimmed().isEmpty());
            EXPECT_FALSE(label->geometry().intersects(edit->geometry()));
            seen << label->text();
        }
        seen.removeDuplicates();
        EXPECT_EQ(seen.size(), 5) << seen.join(QLatin1Char('|')).toStdString();
        const bool english = language == ui::Language::English;
        EXPECT_EQ(seen.contains(QStringLiteral("Vehicle plate:")), english);
        EXPECT_EQ(seen.contains(QStringLiteral("Госномер ТС:")), !english);
    }
}

// The name offered is in the window's language and carries the connected sensor and the plate;
// a sensor that is not connected gives no number.
TEST(ReportWindow, TheOfferedNameCarriesTheSensorAndThePlate) {
    ui::AppContext context;
    ui::ReportWindow window(context.link, {}, {}, nullptr);
    window.findChild<QLineEdit*>(QStringLiteral("Plate"))->setText(QStringLiteral("А123 ВС77"));
    const QString day = QDate::currentDate().toString(Qt::ISODate);
    const auto offered = [&] { return window.suggestedPath(); };
    const auto folder = [&] { return QFileInfo(offered()).absolutePath(); };
    EXPECT_EQ(folder(), QFileInfo(ui::dialogFolder()).absoluteFilePath());
    EXPECT_EQ(QFileInfo(offered()).fileName(), QStringLiteral("отчёт-А123-ВС77-%1.pdf").arg(day));
    context.state.sensorNumber = 1234;  // left from a link that has gone
    EXPECT_EQ(QFileInfo(offered()).fileName(), QStringLiteral("отчёт-А123-ВС77-%1.pdf").arg(day));
    context.state.linkFlag = true;
    EXPECT_EQ(QFileInfo(offered()).fileName(),
              QStringLiteral("отчёт-1234-А123-ВС77-%1.pdf").arg(day));
    Speaking english(ui::Language::English);
    EXPECT_EQ(QFileInfo(offered()).fileName(),
              QStringLiteral("report-1234-А123-ВС77-%1.pdf").arg(day));
}

// No port open: not one value can come, so the page is saved only when the installer says so;
// the default is not to. Saved, the status says so without the colour of a failure, and it
// follows a switch of language.
TEST(ReportWindow, APageWithoutValuesIsSavedOnlyWhenAskedFor) {
    qputenv("DUT_REPORT_NO_VIEWER", "1");
    QTemporaryDir dir;
    ui::AppContext context;
    ui::ReportWindow window(context.link, {}, {}, nullptr);
    const QString path = dir.filePath(QStringLiteral("empty.pdf"));
    std::vector<testsupport::RecordedBox> boxes;
    QString statusAsked;  // what the status line said while the question was up
    {
        const auto record = testsupport::recordInto(boxes, QMessageBox::No);
        testsupport::BoxHook hook([&](QMessageBox& box) {
            statusAsked = window.statusText();
            return record(box);
        });
        EXPECT_FALSE(window.saveTo(path));
    }
    EXPECT_TRUE(statusAsked.startsWith(QStringLiteral("Датчик не ответил ни на один запрос")))
        << statusAsked.toStdString();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Question);
    EXPECT_EQ(boxes[0].defaultButton, QMessageBox::No);
    EXPECT_EQ(boxes[0].escapeButton, QMessageBox::No);
    EXPECT_TRUE(boxes[0].text.contains(
        QStringLiteral("Датчик не ответил ни на один запрос (нет связи с датчиком")))
        << boxes[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(window.statusText(), QStringLiteral("Отчёт не сохранён: датчик не ответил."));

    {
        testsupport::BoxHook hook(testsupport::recordInto(boxes, QMessageBox::Yes));
        EXPECT_TRUE(window.saveTo(path));
    }
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(window.statusText().startsWith(QStringLiteral("Отчёт сохранён: ")));
    EXPECT_TRUE(window.statusText().contains(QStringLiteral("ни на один запрос")));
    const auto* status = window.findChild<QLabel*>(QStringLiteral("Status"));
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->styleSheet().contains(QStringLiteral("color")))
        << status->styleSheet().toStdString();
    Speaking english(ui::Language::English);
    EXPECT_TRUE(window.statusText().startsWith(QStringLiteral("Report saved: ")))
        << window.statusText().toStdString();
    EXPECT_TRUE(window.statusText().contains(QStringLiteral("answered none of the requests")));
}

TEST(ReportWindow, AFileThatCannotBeWrittenIsRefusedAndTheFormKeepsItsText) {
    qputenv("DUT_REPORT_NO_VIEWER", "1");
    QTemporaryDir dir;
    ui::AppContext context;  // no port open: every value is missing, as it would say
    ui::ReportWindow window(context.link, {}, {}, nullptr);
    auto* plate = window.findChild<QLineEdit*>(QStringLiteral("Plate"));
    ASSERT_NE(plate, nullptr);
    plate->setText(QStringLiteral("AX777"));
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    QStringList boxes;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        // A page without values is what this test wants: the question is answered yes.
        if (box.icon() == QMessageBox::Question) return static_cast<int>(QMessageBox::Yes);
        boxes << box.windowTitle() + QStringLiteral(": ") + box.text();
        return static_cast<int>(QMessageBox::Ok);
    });
    const QString refused = dir.filePath(QStringLiteral("plain/otchet.pdf"));
    EXPECT_FALSE(window.saveTo(refused));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(
        QStringLiteral("Отчёт не сохранён: Не удалось записать отчёт в файл «%1»: ")
            .arg(QDir::toNativeSeparators(refused))))
        << boxes[0].toStdString();
    EXPECT_EQ(plate->text(), QStringLiteral("AX777"));
    EXPECT_FALSE(QFile::exists(refused));

    const QString good = dir.filePath(QStringLiteral("otchet.pdf"));
    EXPECT_TRUE(window.saveTo(good));
    EXPECT_EQ(boxes.size(), 1);
    const QString text = pdfText(good);
    EXPECT_TRUE(text.contains(QStringLiteral("AX777"))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("нет связи с датчиком: порт не открыт или отказал")), 7);
}

}  // namespace
