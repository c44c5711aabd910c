#include "ReportWindow.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
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
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "ConfigLink.h"
#include "FileIo.h"
#include "MessageBox.h"
#include "WindowFrame.h"

namespace ui {

namespace {

const QString kFolderKey = QStringLiteral("report/folder");

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
        form->addRow(label, edit);
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
    label(Company, tr("Организация:"), QString());
    label(Plate, tr("Госномер ТС:"), QString());
    label(Model, tr("Модель ТС:"), QString());
    label(Tank, tr("Бак:"), tr("например, основной, 400 л"));
    PdfButton->setText(tr("Сохранить PDF…"));
    PrintButton->setText(tr("Печать…"));
    CloseButton->setText(tr("Закрыть"));
    // The first hint is the window's own; what it said after an action stays as said.
    if (!said_) {
        Status->setText(
            tr("Значения датчика читаются при составлении отчёта; таблица тарировки "
               "берётся из окна «Тарировка» этого сеанса."));
    }
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

void ReportWindow::say(const QString& text, bool bad) {
    said_ = true;
    Status->setStyleSheet(bad ? QStringLiteral("color: #b00000;") : QString());
    Status->setText(text);
}

void ReportWindow::refuse(const QString& title, const QString& text) {
    say(text, true);
    std::fprintf(stderr, "brindolex-dut-configurator: %s\n", text.toUtf8().constData());
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    execMessageBox(box);
}

ReportContent ReportWindow::collect() {
    say(tr("Чтение параметров датчика…"));
    ReportContent content;
    content.madeAt = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    content.details = details();
    // A link that is down has its port closed between the main window's reconnects; the
    // report asks the sensor as the reconnect would, rather than report a closed port.
    if (!link_.state().linkFlag && connect_) connect_();
    content.readings = dut::report::readSensor(link_);
    if (tankTable_) content.table = tankTable_();
    return content;
}

void ReportWindow::savePdf() {
    QString folder = QSettings().value(kFolderKey).toString();
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    const QString suggested = QDir(folder).filePath(
        QStringLiteral("otchet-%1.pdf")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"))));
    QString path = QFileDialog::getSaveFileName(this, tr("Сохранить отчёт"), suggested,
                                                QStringLiteral("PDF (*.pdf)"), nullptr,
                                                QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    saveTo(path);
}

bool ReportWindow::saveTo(const QString& path) {
    const ReportContent content = collect();
    const QByteArray pdf = reportPdf(content);
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
    QSettings().setValue(kFolderKey, QFileInfo(path).absolutePath());
    const QString saved = tr("Отчёт сохранён: %1").arg(QDir::toNativeSeparators(path));
    const bool readAll = dut::report::complete(content.readings);
    const QString note =
        readAll ? QString() : tr("\nДатчик ответил не на все запросы: это указано в отчёте.");
    // Tests that make reports in their own process set this, so no viewer opens around them.
    if (qEnvironmentVariableIsSet("DUT_REPORT_NO_VIEWER")) {
        say(saved + note, !readAll);
    } else if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        say(saved + note, !readAll);
    } else {
        say(saved + tr("\nПрограмма просмотра PDF не открылась.") + note, true);
    }
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
    const ReportContent content = collect();
    if (!paintReport(printer, content)) {
        refuse(tr("Отчёт не напечатан"),
               tr("Принтер не принял отчёт. Введённые данные остались в форме."));
        return;
    }
    say(tr("Отчёт отправлен на печать."));
}

}  // namespace ui
