// The report window and its pages in the test's own process: the printer gets the very page
// the PDF gets, a long table runs over pages with its heading on each, and a file that cannot
// be written is refused with a box while the form keeps what was typed.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "AppContext.h"
#include "BoxHook.h"
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

class ReportPages : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
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
    EXPECT_EQ(words(pdfText(path("printed.pdf"))), words(written));
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
