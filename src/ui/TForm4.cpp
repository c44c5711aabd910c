#include "TForm4.h"

#include <initializer_list>
#include <iterator>

#include <QEvent>
#include <QHeaderView>
#include <QHideEvent>
#include <QShowEvent>

#include "AppContext.h"
#include "HeldClose.h"
#include "LlsLineReader.h"
#include "LlsTableModel.h"
#include "PortOpenAdvice.h"
#include "SerialPort.h"
#include "Translated.h"
#include "UiStyle.h"

namespace {

// With no byte for as long as a blocking read of the whole buffer would have waited, the
// counters catch up as they did after such an empty read.
constexpr int kReadTotalMs =
    dut::SerialPort::kTotalPerByteMs * static_cast<int>(dut::LlsMonitor::kReadSize) +
    dut::SerialPort::kTotalConstantMs;

}  // namespace

TForm4::TForm4(ui::AppContext& context, QWidget* parent)
    : ui::FormDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString());
    setWindowIcon(ui::pictureIcon(QStringLiteral("step4")));
    ui::makeWhiteWindow(this);
    // A passive view: closing the program closes it rather than waiting for it.
    ui::HeldClose::holdsNoCommand(*this);

    StringGrid1 = new ui::LlsGrid(this);
    model_ = new ui::LlsTableModel(monitor_, palette().brush(QPalette::Button), this);
    StringGrid1->setModel(model_);
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

    Label9 = ui::makeLabel(this, QString(), 184, 192, 593, 73);
    Label10 = ui::makeLabel(this, QString(), 184, 253, 593, 148);
    Label11 = ui::makeLabel(this, QString(), 184, 396, 593, 157);
    Image1 = ui::makePicture(this, ui::monitorPixmap(), 8, 232, 153, 145);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(8, 384, 169, 169);
    Label5 = ui::makeLabel(GroupBox1, QString(), 16, 24);
    Label1 = ui::makeLabel(GroupBox1, QStringLiteral("Label1"), 127, 25);
    Label6 = ui::makeLabel(GroupBox1, QString(), 16, 48);
    Label2 = ui::makeLabel(GroupBox1, QStringLiteral("Label2"), 102, 49);
    Label7 = ui::makeLabel(GroupBox1, QString(), 16, 72);
    Label3 = ui::makeLabel(GroupBox1, QStringLiteral("Label3"), 100, 72);
    Label8 = ui::makeLabel(GroupBox1, QString(), 16, 96);
    Label4 = ui::makeLabel(GroupBox1, QStringLiteral("Label4"), 96, 97);
    Button1 = new QPushButton(GroupBox1);
    Button1->setAutoDefault(false);
    Button1->setGeometry(54, 128, 75, 25);
    PortProblem = ui::makeLabel(this, QString(), 8, 194, 769, 16);
    PortProblem->setAutoFillBackground(true);
    PortProblem->hide();

    // Labels and the picture lie under the windowed controls.
    for (QLabel* flat : {Label9, Label10, Label11, Image1}) flat->lower();

    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);

    reader_ = new ui::LlsLineReader(dut::LlsMonitor::kReadSize, this);
    connect(reader_, &ui::LlsLineReader::chunkRead, this, &TForm4::chunkHeard);
    connect(reader_, &ui::LlsLineReader::lineLost, this, &TForm4::lineGone);
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, &TForm4::quietRead);
    reopen_.setInterval(kReopenMs);
    connect(&reopen_, &QTimer::timeout, this, &TForm4::reopen);
    // A command started by a hot key takes the line; its answer is not the monitor's to read.
    connect(&context.lineWait, &ui::ResponsiveLineWait::exchangeStarted, this, [this] {
        reader_->stop();
        quiet_.stop();
    });
    connect(&context.lineWait, &ui::ResponsiveLineWait::exchangeFinished, this, [this] {
        if (shown_) listen();
    });

    retranslateUi();
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
        {PortProblem, "PortProblem"},
    });

    ui::setOuterPlace(this, 574, 246, 800, 600);
    // The row headings stand before anything is heard.
    showMonitor();
}

void TForm4::showEvent(QShowEvent* event) {
    ui::FormDialog::showEvent(event);
    // Only a real change of visibility counts, not a restore from the taskbar.
    if (!event->spontaneous()) FormShow();
}

void TForm4::hideEvent(QHideEvent* event) {
    ui::FormDialog::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TForm4::FormShow() {
    if (shown_) return;
    shown_ = true;
    context_.lineUser.setMonitorListening(true);
    listen();
}

void TForm4::FormHide() {
    if (!shown_) return;
    shown_ = false;
    stopListening();
    context_.lineUser.setMonitorListening(false);
}

void TForm4::listen() {
    if (!context_.port.isOpen() && !context_.lineWait.busy()) {
        // The configuration exchange may have failed and closed the line; the terminal's
        // traffic is still there to be heard.
        const QString name = context_.lineUser.portBoxName().trimmed();
        if (!name.isEmpty() && context_.port.open(name.toStdString())) {
            ownsPort_ = true;
            gonePort_.clear();
            portProblemSaid_.clear();
        } else if (!name.isEmpty() && gonePort_.isEmpty()) {
            portProblemSaid_ = dut::config::portOpenReason(name.toStdString(),
                                                           context_.portControl.lastOpenError());
        }
        showPortProblem();
    }
    if (!context_.port.isOpen()) {
        // With no line every read fails at once: only the counters are refreshed, and the
        // port is tried again, so an adapter plugged in meanwhile is heard with no click.
        monitor_.markUnheard();
        monitor_.finishTick(nullptr, 0);
        showMonitor();
        if (!context_.lineUser.portBoxName().trimmed().isEmpty()) reopen_.start();
        return;
    }
    reopen_.stop();
    if (!gonePort_.isEmpty()) {
        gonePort_.clear();
        portProblemSaid_.clear();
        showPortProblem();
    }
    reader_->start(context_.port);
    quiet_.start(kReadTotalMs);
}

void TForm4::stopListening() {
    reader_->stop();
    quiet_.stop();
    reopen_.stop();
    if (ownsPort_) {
        ownsPort_ = false;
        context_.port.close();
    }
    gonePort_.clear();
    portProblemSaid_.clear();
    showPortProblem();
}

void TForm4::lineGone() {
    quiet_.stop();
    // The descriptor of a device that has gone never reads again; the one the adapter comes
    // back under is a new one. Whoever opened it, the port box's name opens it again.
    context_.port.close();
    ownsPort_ = false;
    gonePort_ = context_.lineUser.portBoxName().trimmed();
    if (shown_) listen();
}

void TForm4::reopen() {
    if (!shown_) {
        reopen_.stop();
        return;
    }
    // A hot key's command has the line meanwhile; its end starts the listening anyway.
    if (context_.lineWait.busy() || context_.port.isOpen()) return;
    listen();
}

void TForm4::showPortProblem() {
    if (!gonePort_.isEmpty()) {
        PortProblem->setText(tr("Адаптер %1 отключён: монитор снова слушает, как только он "
                                "вернётся")
                                 .arg(gonePort_));
    } else if (!portProblemSaid_.empty()) {
        PortProblem->setText(ui::translatedCore(portProblemSaid_));
    } else {
        PortProblem->hide();
        return;
    }
    PortProblem->show();
    PortProblem->raise();
}

void TForm4::chunkHeard(const std::vector<std::uint8_t>& bytes) {
    monitor_.finishTick(bytes.data(), bytes.size());
    showMonitor();
    quiet_.start(kReadTotalMs);
    emit chunkRead(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
}

void TForm4::quietRead() {
    monitor_.finishTick(nullptr, 0);
    showMonitor();
    if (reader_->listening()) quiet_.start(kReadTotalMs);
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
    model_->refresh();
}

void TForm4::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    ui::FormDialog::changeEvent(event);
}

void TForm4::retranslateUi() {
    setWindowTitle(tr("Монитор работы LLS"));
    showPortProblem();
    Label9->setText(ui::displayText(
        tr("Монитор работы LLS - предназначен для анализа пакетов LLS проходящих между терминалом "
           "и ДУТами\r\nС помощью монитора работы LLS можно:\r\n   1. легко диагностировать "
           "неполадки;\r\n   2. ускорить и повысить качество тарировки бака.\r\n ")));
    Label10->setText(ui::displayText(
        tr("Как это работает?\r\n   1. В таблице, в реальном времени, происходит отображение "
           "запросов терминала  к ДУМам и  их ответов.\r\n   2. Поля таблицы:\r\n          Адрес "
           "LLS - отображает адреса которые опрашивает терминал.\r\n          Запрос уровня "
           "топлива - зеленым отмечается колонка с адресом, по которому терминал производит "
           "опрос.\r\n          Ответ на запрос - текущий уровень показаний ДУТа. Красная ячейка "
           "- нет ответа ДУТа.\r\n          Число одинаковых подряд ответов - здесь ведется "
           "подсчет ответов с одинаковым (не отличающимся от предыдущего) уровнем.\r\n          "
           "Уровень стабилен - отмечается зеленым если прошло 5 и более одинаковых ответов, т.е. "
           "уровень топлива стабилизировался.\r\n   ")));
    Label11->setText(ui::displayText(
        tr("ТАРИРОВКА   \r\n1. Ждем пока в таблице позеленеет \"Уровень стабилен\" для нашего "
           "ДУТа.\r\n2. Заливаем в бак порцию топлива .\r\n3. Повторяем пункты №1 и №2 до "
           "заполнения бака до верхнего уровня.\r\n   \r\nСигнализатор \"Уровень стабилен\" - "
           "гарантирует что терминал опросил ДУТ и получил стабильные данные уровня топлива для "
           "передачи их на сервер (для дальнейшей обработки и составлении таблицы "
           "тарировки).\r\nТеперь Вы точно будете знать когда стабилизировался уровень топлива, и "
           "можно заливать следующую порцию.\r\nМы считаем, что данная функция значительно "
           "сэкономит Ваше время при тарировке бака.\r\n   \r\nКнопка \"Очистить\" сбрасывает "
           "накопленную статистику и очищает таблицу.")));
    GroupBox1->setTitle(tr(" Статистика "));
    Label5->setText(tr("Запросы терминала:"));
    Label5->adjustSize();
    Label6->setText(tr("Ответы ДУТов:"));
    Label6->adjustSize();
    Label7->setText(tr("Не распознал:"));
    Label7->adjustSize();
    Label8->setText(tr("Всего пакетов:"));
    Label8->adjustSize();
    Button1->setText(tr("Очистить"));
    // The row headings come from the table model in the current language.
    StringGrid1->viewport()->update();
}
