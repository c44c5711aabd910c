#include "ReportWindow.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "ConfigLink.h"
#include "FileIo.h"
#include "MessageBox.h"
#include "Translated.h"
#include "WindowFrame.h"

namespace ui {

namespace {

std::string utf8(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

}  // namespace

ReportWindow::ReportWindow(dut::ConfigLink& link, TankTable tankTable, Connect connectLine,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      link_(link),
      tankTable_(std::move(tankTable)),
      connect_(std::move(connectLine)) {
    setObjectName(QStringLiteral("Report"));

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    QSettings settings;
    const auto field = [&](QLineEdit*& edit, const char* name, const QString& label,
                           const QString& hint) {
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setPlaceholderText(hint);
        const QString key = QStringLiteral("report/") + QLatin1String(name);
        edit->setText(settings.value(key).toString());
        // Kept as it is typed, so neither a crash nor a failed save loses it.
        connect(edit, &QLineEdit::textEdited, this,
                [key](const QString& text) { QSettings().setValue(key, text); });
        // A label of its own, as the form makes none for an empty text; its buddy gives the
        // field its name on the accessibility bus too.
        auto* caption = new QLabel(label, this);
        caption->setObjectName(QLatin1String(name) + QStringLiteral("Label"));
        caption->setBuddy(edit);
        labels_.push_back(caption);
        form->addRow(caption, edit);
    };
    for (const auto& [edit, name] : {std::pair{&Installer, "Installer"},
                                     {&Company, "Company"},
                                     {&Plate, "Plate"},
                                     {&Model, "Model"},
                                     {&Tank, "Tank"}}) {
        field(*edit, name, QString(), QString());
    }
    form_ = form;
    layout->addLayout(form);

    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setWordWrap(true);
    layout->addWidget(Status, 1);

    auto* buttons = new QHBoxLayout;
    PdfButton = new QPushButton(this);
    PdfButton->setObjectName(QStringLiteral("PdfButton"));
    PrintButton = new QPushButton(this);
    PrintButton->setObjectName(QStringLiteral("PrintButton"));
    CloseButton = new QPushButton(this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    buttons->addWidget(PdfButton);
    buttons->addWidget(PrintButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);
    connect(PdfButton, &QPushButton::clicked, this, &ReportWindow::savePdf);
    connect(PrintButton, &QPushButton::clicked, this, &ReportWindow::print);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    for (const auto& [keys, button] :
         {std::pair{QKeySequence(Qt::CTRL | Qt::Key_S), PdfButton},
          std::pair{QKeySequence(Qt::CTRL | Qt::Key_P), PrintButton}}) {
        auto* key = new QShortcut(keys, this);
        connect(key, &QShortcut::activated, button, &QPushButton::click);
        button->setToolTip(keys.toString(QKeySequence::NativeText));
    }

    // The first hint is the window's own; what it says after an action stays until the next.
    status_ = [] {
        return tr(
            "Значения датчика читаются при составлении отчёта; таблица тарировки "
            "берётся из окна «Тарировка» этого сеанса.");
    };
    retranslateUi();
    setOuterSize(this, 480, 300);
}

void ReportWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}

void ReportWindow::retranslateUi() {
    setWindowTitle(tr("Отчёт об установке"));
    const auto label = [this](QLineEdit* edit, const QString& text, const QString& hint) {
        if (auto* l = qobject_cast<QLabel*>(form_->labelForField(edit))) l->setText(text);
        edit->setPlaceholderText(hint);
    };
    label(Installer, tr("Установщик:"), tr("фамилия, имя"));
    label(Company, tr("Организация:"), tr("название организации"));
    label(Plate, tr("Госномер ТС:"), tr("например, А123ВС77"));
    label(Model, tr("Модель ТС:"), tr("марка и модель"));
    label(Tank, tr("Бак:"), tr("например, основной, 400 л"));
    PdfButton->setText(tr("Сохранить PDF…"));
    PrintButton->setText(tr("Печать…"));
    CloseButton->setText(tr("Закрыть"));
    Status->setText(status_());
}

void ReportWindow::open() {
    show();
    raise();
    activateWindow();
    Installer->setFocus();
}

dut::report::InstallerDetails ReportWindow::details() const {
    return {utf8(Installer), utf8(Company), utf8(Plate), utf8(Model), utf8(Tank)};
}

QString ReportWindow::statusText() const {
    return Status->text();
}

QString ReportWindow::suggestedPath() const {
    const dut::LinkState& state = link_.state();
    const QString number =
        state.linkFlag && state.sensorNumber != 0 ? QString::number(state.sensorNumber) : QString();
    return QDir(dialogFolder())
        .filePath(defaultFileName(tr("отчёт"), number, Plate->text(), QStringLiteral("pdf")));
}

void ReportWindow::say(std::function<QString()> text, bool bad) {
    status_ = std::move(text);
    Status->setStyleSheet(bad ? QStringLiteral("color: #b00000;") : QString());
    Status->setText(status_());
}

void ReportWindow::refuse(const QString& title, const QString& text) {
    say([text] { return text; }, true);
    std::fprintf(stderr, "brindolex-dut-configurator: %s\n", text.toUtf8().constData());
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    execMessageBox(box);
}

std::optional<ReportContent> ReportWindow::collect(Purpose purpose) {
    ReportContent content;
    content.madeAt = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    content.details = details();
    // A link that is down has its port closed between the main window's reconnects; the
    // report asks the sensor as the reconnect would, rather than report a closed port.
    if (!link_.state().linkFlag && connect_) {
        say([] { return tr("Ожидание ответа датчика: подключение…"); });
        connect_();
    }
    // Each value may wait a whole round of attempts on a silent line: the status line says
    // which one the line is waiting for.
    content.readings = dut::report::readSensor(
        link_, [this](const char* label, std::size_t index, std::size_t count) {
            say([label, index, count] {
                QString what = translatedCore(label);
                if (!what.isEmpty()) what[0] = what[0].toLower();
                return tr("Ожидание ответа датчика: %1 (%2 из %3)…")
                    .arg(what)
                    .arg(index + 1)
                    .arg(count);
            });
        });
    if (tankTable_) content.table = tankTable_();

    if (dut::report::nothingRead(content.readings)) {
        // A page that holds nothing of the sensor is rarely what was meant: a sensor left
        // unpowered, the wrong port.
        const QString why =
            translatedCore(dut::report::missingText(content.readings.number.failure));
        // The status line tells the outcome while the question is up.
        say([why] { return tr("Датчик не ответил ни на один запрос (%1).").arg(why); });
        const QString text =
            statusText() + QLatin1Char('\n') +
            (purpose == Purpose::Save ? tr("Сохранить отчёт без значений датчика?")
                                      : tr("Напечатать отчёт без значений датчика?"));
        QMessageBox box(QMessageBox::Question, tr("Датчик не ответил"), text,
                        QMessageBox::Yes | QMessageBox::No, this);
        box.button(QMessageBox::Yes)
            ->setText(purpose == Purpose::Save ? tr("Сохранить") : tr("Напечатать"));
        box.button(QMessageBox::No)->setText(tr("Не сейчас"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        if (execMessageBox(box) != QMessageBox::Yes) {
            say(purpose == Purpose::Save
                    ? std::function<QString()>(
                          [] { return tr("Отчёт не сохранён: датчик не ответил."); })
                    : [] { return tr("Отчёт не напечатан: датчик не ответил."); });
            return std::nullopt;
        }
    }
    return content;
}

void ReportWindow::savePdf() {
    QString path = QFileDialog::getSaveFileName(this, tr("Сохранить отчёт"), suggestedPath(),
                                                QStringLiteral("PDF (*.pdf)"), nullptr,
                                                QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    rememberDialogFolder(path);
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    saveTo(path);
}

bool ReportWindow::saveTo(const QString& path) {
    const auto content = collect(Purpose::Save);
    if (!content) return false;
    const QByteArray pdf = reportPdf(*content);
    QString why = tr("отчёт не построен");
    if (pdf.isEmpty() ||
        !saveFile(path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                  &why)) {
        refuse(tr("Отчёт не сохранён"),
               tr("Не удалось записать отчёт в файл «%1»: %2.\nВведённые данные "
                  "остались в форме: выберите другое место и сохраните снова.")
                   .arg(QDir::toNativeSeparators(path), why));
        return false;
    }
    enum class Read { All, Some, None };
    const Read read = dut::report::complete(content->readings)      ? Read::All
                      : dut::report::nothingRead(content->readings) ? Read::None
                                                                    : Read::Some;
    // Tests that make reports in their own process set this, so no viewer opens around them.
    const bool viewed = qEnvironmentVariableIsSet("DUT_REPORT_NO_VIEWER") ||
                        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // The file is on disk: that is told plainly, whatever else there is to say.
    say([shown = QDir::toNativeSeparators(path), read, viewed] {
        QString text = tr("Отчёт сохранён: %1").arg(shown);
        if (!viewed) text += tr("\nПрограмма просмотра PDF не открылась.");
        if (read == Read::Some) {
            text += tr("\nДатчик ответил не на все запросы: это указано в отчёте.");
        } else if (read == Read::None) {
            text += tr("\nДатчик не ответил ни на один запрос: это указано в отчёте.");
        }
        return text;
    });
    return true;
}

void ReportWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    printer.setDocName(tr("Отчёт об установке"));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Печать отчёта"));
    if (dialog.exec() != QDialog::Accepted) return;
    const auto content = collect(Purpose::Print);
    if (!content) return;
    if (!paintReport(printer, *content)) {
        refuse(tr("Отчёт не напечатан"),
               tr("Принтер не принял отчёт. Введённые данные остались в форме."));
        return;
    }
    say([] { return tr("Отчёт отправлен на печать."); });
}

}  // namespace ui
