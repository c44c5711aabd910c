#include "TForm4.h"

#include <initializer_list>
#include <iterator>
#include <utility>

#include <QHeaderView>
#include <QHideEvent>
#include <QPainter>
#include <QShowEvent>

#include "AppContext.h"
#include "LineReadyWatch.h"
#include "SerialPort.h"
#include "UiStyle.h"

namespace ui {

std::optional<QColor> LlsCellDelegate::blockColour(const QString& text) {
    const std::optional<dut::Rgb> rgb = dut::llsCellColour(text.toStdString());
    if (!rgb) return std::nullopt;
    return QColor(rgb->red, rgb->green, rgb->blue);
}

void LlsCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    // Over the text, so a marked cell reads as a plain coloured block.
    if (const std::optional<QColor> colour = blockColour(index.data(Qt::DisplayRole).toString())) {
        painter->fillRect(option.rect, *colour);
    }
}

}  // namespace ui

namespace {

// A tick waits for its first byte as long as a blocking read of the whole buffer would have.
constexpr int kReadTotalMs =
    dut::SerialPort::kTotalPerByteMs * static_cast<int>(dut::LlsMonitor::kReadSize) +
    dut::SerialPort::kTotalConstantMs;

}  // namespace

TForm4::TForm4(ui::AppContext& context, QWidget* parent)
    : ui::FormDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Монитор работы LLS"));
    setWindowIcon(ui::pictureIcon(QStringLiteral("step4")));
    ui::makeWhiteWindow(this);

    StringGrid1 = new QTableWidget(5, 1, this);
    StringGrid1->setFont(ui::uiFont(13, true));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(50);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(35);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setColumnWidth(0, 306);
    StringGrid1->setShowGrid(true);
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setFocusPolicy(Qt::NoFocus);
    StringGrid1->setGeometry(8, 8, 769, 185);
    StringGrid1->setItemDelegate(new ui::LlsCellDelegate(StringGrid1));

    Label9 = ui::makeLabel(
        this,
        QStringLiteral(
            "Монитор работы LLS - предназначен для анализа пакетов LLS проходящих между терминалом "
            "и ДУТами\r\nС помощью монитора работы LLS можно:\r\n   1. легко диагностировать "
            "неполадки;\r\n   2. ускорить и повысить качество тарировки бака.\r\n "),
        184, 192, 593, 73);
    Label10 = ui::makeLabel(
        this,
        QStringLiteral(
            "Как это работает?\r\n   1. В таблице, в реальном времени, происходит отображение "
            "запросов терминала  к ДУМам и  их ответов.\r\n   2. Поля таблицы:\r\n          Адрес "
            "LLS - отображает адреса которые опрашивает терминал.\r\n          Запрос уровня "
            "топлива - зеленым отмечается колонка с адресом, по которому терминал производит "
            "опрос.\r\n          Ответ на запрос - текущий уровень показаний ДУТа. Красная ячейка "
            "- нет ответа ДУТа.\r\n          Число одинаковых подряд ответов - здесь ведется "
            "подсчет ответов с одинаковым (не отличающимся от предыдущего) уровнем.\r\n          "
            "Уровень стабилен - отмечается зеленым если прошло 5 и более одинаковых ответов, т.е. "
            "уровень топлива стабилизировался.\r\n   "),
        184, 253, 593, 148);
    Label11 = ui::makeLabel(
        this,
        QStringLiteral(
            "ТАРИРОВКА   \r\n1. Ждем пока в таблице позеленеет \"Уровень стабилен\" для нашего "
            "ДУТа.\r\n2. Заливаем в бак порцию топлива .\r\n3. Повторяем пункты №1 и №2 до "
            "заполнения бака до верхнего уровня.\r\n   \r\nСигнализатор \"Уровень стабилен\" - "
            "гарантирует что терминал опросил ДУТ и получил стабильные данные уровня топлива для "
            "передачи их на сервер (для дальнейшей обработки и составлении таблицы "
            "тарировки).\r\nТеперь Вы точно будете знать когда стабилизировался уровень топлива, и "
            "можно заливать следующую порцию.\r\nМы считаем, что данная функция значительно "
            "сэкономит Ваше время при тарировке бака.\r\n   \r\nКнопка \"Очистить\" сбрасывает "
            "накопленную статистику и очищает таблицу."),
        184, 396, 593, 157);
    Image1 = ui::makePicture(this, ui::monitorPixmap(), 8, 232, 153, 145);

    GroupBox1 = new QGroupBox(QStringLiteral(" Статистика "), this);
    GroupBox1->setGeometry(8, 384, 169, 169);
    Label5 = ui::makeLabel(GroupBox1, QStringLiteral("Запросы терминала:"), 16, 24);
    Label1 = ui::makeLabel(GroupBox1, QStringLiteral("Label1"), 127, 25);
    Label6 = ui::makeLabel(GroupBox1, QStringLiteral("Ответы ДУТов:"), 16, 48);
    Label2 = ui::makeLabel(GroupBox1, QStringLiteral("Label2"), 102, 49);
    Label7 = ui::makeLabel(GroupBox1, QStringLiteral("Не распознал:"), 16, 72);
    Label3 = ui::makeLabel(GroupBox1, QStringLiteral("Label3"), 100, 72);
    Label8 = ui::makeLabel(GroupBox1, QStringLiteral("Всего пакетов:"), 16, 96);
    Label4 = ui::makeLabel(GroupBox1, QStringLiteral("Label4"), 96, 97);
    Button1 = new QPushButton(QStringLiteral("Очистить"), GroupBox1);
    Button1->setAutoDefault(false);
    Button1->setGeometry(54, 128, 75, 25);

    // Labels and the picture lie under the windowed controls.
    for (QLabel* flat : {Label9, Label10, Label11, Image1}) flat->lower();

    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
    Timer1->start();
    readyWatch_ = new ui::LineReadyWatch(this);
    connect(readyWatch_, &ui::LineReadyWatch::ended, this, &TForm4::lineReady);
    // A command started by a hot key takes the line; its answer is not the monitor's to read.
    connect(&context.lineWait, &ui::ResponsiveLineWait::exchangeStarted, readyWatch_,
            &ui::LineReadyWatch::cancel);

    ui::nameControls({
        {StringGrid1, "StringGrid1"},
        {Label9, "Label9"},
        {Label10, "Label10"},
        {Label11, "Label11"},
        {Image1, "Image1"},
        {GroupBox1, "GroupBox1"},
        {Label5, "Label5"},
        {Label1, "Label1"},
        {Label6, "Label6"},
        {Label2, "Label2"},
        {Label7, "Label7"},
        {Label3, "Label3"},
        {Label8, "Label8"},
        {Label4, "Label4"},
        {Button1, "Button1"},
        {Timer1, "Timer1"},
    });

    ui::setOuterPlace(this, 574, 246, 800, 600);
    // The row headings stand before the first tick.
    showMonitor();
}

void TForm4::showEvent(QShowEvent* event) {
    ui::FormDialog::showEvent(event);
    if (timerParked_) {
        timerParked_ = false;
        Timer1->start();
    }
    // Only a real change of visibility counts, not a restore from the taskbar.
    if (!event->spontaneous()) FormShow();
}

void TForm4::hideEvent(QHideEvent* event) {
    ui::FormDialog::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TForm4::FormShow() {
    context_.lineUser.setMonitorListening(true);
}

void TForm4::FormHide() {
    readyWatch_->cancel();
    context_.lineUser.setMonitorListening(false);
}

void TForm4::Timer1Timer() {
    // Only a visible monitor listens. A hidden one parks its timer until it is shown again:
    // a 1 ms timer ticking for nothing costs a few per cent of a core all day long.
    if (!isVisible()) {
        Timer1->stop();
        timerParked_ = true;
        return;
    }
    // A tick that falls due during an exchange does nothing; neither does one while the
    // previous read still waits for its first byte.
    if (readyWatch_->armed() || context_.lineWait.busy()) return;
    if (!context_.port.isOpen()) {
        // With no line every read fails at once.
        monitor_.finishTick(nullptr, 0);
        showMonitor();
        return;
    }
    // One read at a time: the timer resumes once this one has been processed. The wait for
    // the first byte keeps the window alive; the packet itself is then read with the silence
    // rule, so the chunks are those a blocking read would have returned.
    resumeTimer_ = Timer1->isActive();
    Timer1->stop();
    readyWatch_->arm(context_.port, kReadTotalMs);
}

void TForm4::lineReady(bool inputWaiting) {
    std::uint8_t buffer[dut::LlsMonitor::kReadSize];
    std::size_t count = 0;
    if (inputWaiting && !context_.lineWait.busy()) {
        context_.lineWait.run(
            [&] { count = context_.port.read(buffer, dut::LlsMonitor::kReadSize); });
    }
    monitor_.finishTick(buffer, count);
    showMonitor();
    if (count > 0) {
        emit chunkRead(QByteArray(reinterpret_cast<const char*>(buffer), static_cast<int>(count)));
    }
    if (!resumeTimer_) return;
    resumeTimer_ = false;
    if (isVisible()) {
        Timer1->start();
    } else {
        timerParked_ = true;
    }
}

void TForm4::Button1Click() {
    monitor_.clear();
    showMonitor();
}

void TForm4::showMonitor() {
    QLabel* const counters[] = {Label1, Label2, Label3, Label4};
    for (std::size_t i = 0; i < std::size(counters); ++i) {
        const QString text = QString::fromStdString(monitor_.labelTexts()[i]);
        if (counters[i]->text() == text) continue;
        counters[i]->setText(text);
        counters[i]->adjustSize();  // the counters grow with their numbers
    }

    const int columns = monitor_.columnCount();
    if (StringGrid1->columnCount() != columns) StringGrid1->setColumnCount(columns);
    const QBrush fixedFace = palette().brush(QPalette::Button);
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < monitor_.rowCount(); ++row) {
            QTableWidgetItem* item = StringGrid1->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                // Shown only: no cell can be selected or edited.
                item->setFlags(Qt::ItemIsEnabled);
                StringGrid1->setItem(row, column, item);
            }
            const QString text = QString::fromStdString(monitor_.cell(column, row));
            if (item->text() != text) item->setText(text);
            const bool fixed = row == 0 || (column == 0 && monitor_.isColumn0Fixed());
            if (item->data(ui::LlsCellDelegate::kFixedRole).toBool() != fixed) {
                item->setData(ui::LlsCellDelegate::kFixedRole, fixed);
                item->setBackground(fixed ? fixedFace : QBrush());
            }
        }
    }
}
