#include "ExchangeLogWindow.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ExchangeTrace.h"
#include "FileIo.h"
#include "MessageBox.h"
#include "UiStyle.h"

namespace ui {

namespace {

// Lines arrive with every exchange; taking them in batches keeps an open window cheap.
constexpr int kRefreshMs = 200;

}  // namespace

ExchangeLogWindow::ExchangeLogWindow(dut::ExchangeTrace& trace, QWidget* parent)
    : QWidget(parent), trace_(trace) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName(QStringLiteral("ExchangeLog"));
    setWindowIcon(appIcon());
    resize(760, 420);

    auto* layout = new QVBoxLayout(this);
    lines_ = new QPlainTextEdit(this);
    lines_->setObjectName(QStringLiteral("Lines"));
    lines_->setReadOnly(true);
    lines_->setMaximumBlockCount(kMaxLines);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(lines_);
    save_ = new QPushButton(this);
    save_->setObjectName(QStringLiteral("Save"));
    layout->addWidget(save_, 0, Qt::AlignRight);
    connect(save_, &QPushButton::clicked, this, &ExchangeLogWindow::saveClicked);

    refresh_ = new QTimer(this);
    refresh_->setInterval(kRefreshMs);
    connect(refresh_, &QTimer::timeout, this, &ExchangeLogWindow::takeLines);
    retranslateUi();
}

void ExchangeLogWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}

void ExchangeLogWindow::retranslateUi() {
    setWindowTitle(tr("Журнал обмена"));
    save_->setText(tr("Сохранить…"));
}

QString ExchangeLogWindow::text() const {
    return lines_->toPlainText();
}

bool ExchangeLogWindow::saveTo(const QString& path, QString& error) const {
    QByteArray bytes = (text() + QLatin1Char('\n')).toUtf8();
#ifdef _WIN32
    bytes.replace("\n", "\r\n");  // as Windows' editors expect a text file's lines
#endif
    if (!saveFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                  &error)) {
        return false;
    }
    return true;
}

void ExchangeLogWindow::showEvent(QShowEvent* event) {
    trace_.setListening(true);
    refresh_->start();
    QWidget::showEvent(event);
}

void ExchangeLogWindow::hideEvent(QHideEvent* event) {
    refresh_->stop();
    takeLines();
    trace_.setListening(false);
    QWidget::hideEvent(event);
}

void ExchangeLogWindow::takeLines() {
    const std::vector<std::string> lines = trace_.takePending();
    if (lines.empty()) return;
    QString batch;
    for (const std::string& line : lines) {
        if (!batch.isEmpty()) batch += QLatin1Char('\n');
        batch += QString::fromStdString(line);
    }
    lines_->appendPlainText(batch);
}

void ExchangeLogWindow::saveClicked() {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Сохранить журнал обмена"),
        QDir(dialogFolder()).filePath(QStringLiteral("exchange-log.txt")), tr("Текст (*.txt)"));
    if (path.isEmpty()) return;
    rememberDialogFolder(path);
    QString error;
    if (!saveTo(path, error)) {
        showMessage(this, tr("Журнал не сохранён: %1\n%2").arg(path, error));
    }
}

}  // namespace ui
