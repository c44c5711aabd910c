#include "TForm1.h"

#include <initializer_list>
#include <utility>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QMenu>
#include <QPen>
#include <QShortcut>
#include <QVBoxLayout>

#include "AppContext.h"
#include "Application.h"
#include "CalibrationCommands.h"
#include "ConnectionController.h"
#include "ExchangeLogWindow.h"
#include "GlobalHotKeys.h"
#include "HeldClose.h"
#include "Language.h"
#include "MainWindowGeometry.h"
#include "MainWindowView.h"
#include "QtNotifier.h"
#include "ReportWindow.h"
#include "SettingsFileActions.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm5.h"
#include "TForm6.h"
#include "TankCalibrationWindow.h"
#include "Translated.h"

using ui::kMenuBlue;
using ui::kMoneyGreen;
using ui::kPaleBlue;
using ui::kRed;
using ui::makeLabel;
using ui::makePicture;
using ui::makeStaticText;
using ui::uiFont;

namespace {

const QFont kBold13() {
    return uiFont(13, true);
}
const QFont kBold11() {
    return uiFont(11, true);
}

// A step heading: the label fills the panel inside its frame and margin.
QLabel* makeHeading(ui::Panel* panel, const QRect& place, const QString& text) {
    QLabel* label = makeLabel(panel->inside(), text, place, kBold13());
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return label;
}

}  // namespace

TForm1::TForm1(ui::AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Brindolex DUT configurator v1.3"));
    setWindowIcon(ui::appIcon());
    setFont(uiFont());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ScrollBox = new QScrollArea(this);
    layout->addWidget(ScrollBox);
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setFocusPolicy(Qt::NoFocus);
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Content = new QWidget;
    Content->setAutoFillBackground(true);
    QPalette white = Content->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    Content->setPalette(white);
    Content->setFixedSize(kContentWidth, kContentHeight);
    ScrollBox->setWidget(Content);
    ScrollBox->viewport()->setPalette(white);
    ScrollBox->viewport()->setAutoFillBackground(true);

    buildMenuBand();
    buildStep1();
    buildStep2();
    buildStep3();
    buildStep4();

    // Windowed controls lie above labels and pictures.
    for (QLabel* flat : {Label3, Label6, Label7, Label8, Label9, Label10, Label12, Image1, Image2,
                         Image3, Image4}) {
        flat->lower();
    }

    // The Tab key's round: hidden and disabled buttons drop out by themselves.
    QWidget::setTabOrder(LLS_ADRESS, COMSelect);
    QWidget::setTabOrder(COMSelect, Button1);
    QWidget::setTabOrder(Button1, Button2);
    QWidget::setTabOrder(Button2, Button3);
    QWidget::setTabOrder(Button3, Button5);
    QWidget::setTabOrder(Button5, Button6);
    QWidget::setTabOrder(Button6, Button4);
    QWidget::setTabOrder(Button4, Button7);
    QWidget::setTabOrder(Button7, Button8);
    QWidget::setTabOrder(Button8, Button9);
    LLS_ADRESS->setFocus();

    Timer2 = new QTimer(this);
    Timer2->setInterval(200);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    connect(COMSelect, &ui::PortComboBox::dropDown, this, &TForm1::COMSelectDropDown);
    connect(COMSelect, &ui::PortComboBox::picked, this, &TForm1::COMSelectSelect);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);

    // The monitor's menu button stays hidden; the monitor opens from the keyboard instead,
    // while this window is the active one.
    auto* monitorKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), this);
    monitorKey->setContext(Qt::WindowShortcut);
    connect(monitorKey, &QShortcut::activated, this, &TForm1::Button4Click);
    connect(Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
    connect(LanguageSwitch, &QPushButton::clicked, this, &TForm1::switchLanguage);
    auto* tankKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    tankKey->setContext(Qt::WindowShortcut);
    connect(tankKey, &QShortcut::activated, this, &TForm1::Button10Click);
    connect(ReportButton, &QPushButton::clicked, this, &TForm1::ReportButtonClick);
    auto* reportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    reportKey->setContext(Qt::WindowShortcut);
    connect(reportKey, &QShortcut::activated, this, &TForm1::ReportButtonClick);
    auto* logKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J), this);
    logKey->setContext(Qt::WindowShortcut);
    connect(logKey, &QShortcut::activated, this, &TForm1::openExchangeLog);
    auto* settingsMenu = new QMenu(Button12);
    settingsMenu->setObjectName(QStringLiteral("SettingsMenu"));
    // Queued: the exchanges and dialogs run once the menu has closed, not inside its loop.
    SaveSettingsAction = settingsMenu->addAction(QString());
    connect(SaveSettingsAction, &QAction::triggered, this, &TForm1::saveSettingsFile,
            Qt::QueuedConnection);
    ApplySettingsAction = settingsMenu->addAction(QString());
    connect(ApplySettingsAction, &QAction::triggered, this, &TForm1::applySettingsFile,
            Qt::QueuedConnection);
    Button12->setMenu(settingsMenu);
    auto* saveSettingsKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this);
    saveSettingsKey->setContext(Qt::WindowShortcut);
    connect(saveSettingsKey, &QShortcut::activated, this, &TForm1::saveSettingsFile);
    auto* applySettingsKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this);
    applySettingsKey->setContext(Qt::WindowShortcut);
    connect(applySettingsKey, &QShortcut::activated, this, &TForm1::applySettingsFile);

    nameControls();

    view_ = std::make_unique<ui::MainWindowView>(*this);
    notifier_ = std::make_unique<ui::QtNotifier>(this);
    controller_ = std::make_unique<dut::config::ConnectionController>(context.portControl,
                                                                      context.link, *view_);
    // The exchange log marks the port's events between the frames, in the window's language.
    controller_->setPortEvents([this](const std::string& text) {
        context_.trace.note(ui::translatedCore(text).toStdString());
    });
    commands_ = std::make_unique<dut::config::CalibrationCommands>(
        context.link, controller_->values(), *view_, *notifier_, [this] { restoreAndRaise(); });
    settingsFile_ = std::make_unique<ui::SettingsFileActions>(context.link, controller_->values(),
                                                              *view_, this);
    heldClose_ = new ui::HeldClose(*this, context.lineWait);
    HotKeys = new GlobalHotKeys(this);
    HotKeys->setObjectName(QStringLiteral("HotKeys"));
    // The window system's hot-key event arrives in a native event filter, outside the
    // application's notify(); queued, the command runs as an ordinary event whose
    // exceptions reach the error box.
    connect(HotKeys, &GlobalHotKeys::activated, this, &TForm1::hotKeyActivated,
            Qt::QueuedConnection);
    // Where the keys work only in this window, the hot-key help button says why.
    connect(HotKeys, &GlobalHotKeys::notGlobal, Button8, &QWidget::setToolTip);

    retranslateUi();
    ui::setOuterSize(this, 800, 600);

    // The windows this one opens, in their fixed order.
    Form2 = new TForm2(context.link, controller_->values(), this);
    Form3 = new TForm3(this);
    Form4 = new TForm4(context, this);
    // The monitor listens while it is shown; the polling waits for it.
    connect(&context.lineUser, &ui::LineUser::pollingAllowedChanged, this, [this](bool allowed) {
        if (allowed) {
            Timer2->start();
        } else {
            Timer2->stop();
        }
    });
    // The port the monitor opens for itself when it finds the line closed.
    context.lineUser.setPortBoxName(COMSelect->currentText());
    connect(COMSelect, &QComboBox::currentTextChanged, &context.lineUser,
            &ui::LineUser::setPortBoxName);
    Form5 = new TForm5(this);
    Form6 = new TForm6(context.link, this);
    FormCreate();
}

void TForm1::nameControls() {
    ui::nameControls({
        {ScrollBox, "ScrollBox"},
        {Content, "Content"},
        {Panel5, "Panel5"},
        {Label13, "Label13"},
        {Button9, "Button9"},
        {Button8, "Button8"},
        {Button4, "Button4"},
        {Button7, "Button7"},
        {Button10, "Button10"},
        {Button12, "Button12"},
        {LanguageSwitch, "LanguageSwitch"},
        {Panel1, "Panel1"},
        {Label4, "Label4"},
        {Image1, "Image1"},
        {Label3, "Label3"},
        {Label6, "Label6"},
        {ConnectStatusText, "ConnectStatusText"},
        {COMSelect, "COMSelect"},
        {Button1, "Button1"},
        {Panel2, "Panel2"},
        {Label5, "Label5"},
        {Image2, "Image2"},
        {Label7, "Label7"},
        {LLS_ADRESS, "LLS_ADRESS"},
        {Button5, "Button5"},
        {Panel3, "Panel3"},
        {Label1, "Label1"},
        {Label8, "Label8"},
        {Chart1, "Chart1"},
        {Chart, "Chart"},
        {Series1, "Series1"},
        {LeftAxis, "LeftAxis"},
        {BottomAxis, "BottomAxis"},
        {Image3, "Image3"},
        {Label12, "Label12"},
        {LEVELMIN, "LEVELMIN"},
        {LEVELMAX, "LEVELMAX"},
        {Edit1, "Edit1"},
        {Button3, "Button3"},
        {Button2, "Button2"},
        {Button6, "Button6"},
        {Label9, "Label9"},
        {Panel4, "Panel4"},
        {Label2, "Label2"},
        {Label10, "Label10"},
        {Image4, "Image4"},
        {ProgressBar1, "ProgressBar1"},
        {Label11, "Label11"},
        {Timer2, "Timer2"},
    });
}

TForm1::~TForm1() = default;

void TForm1::restoreAndRaise() {
    // Only the minimised state goes: a maximised window comes back maximised.
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void TForm1::choosePort(const QString& name) {
    COMSelect->setEditText(name);
    COMSelectSelect();
}

QPushButton* TForm1::makeButton(QWidget* parent, const QString& text, const QRect& place) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setGeometry(place);
    return button;
}

void TForm1::buildMenuBand() {
    Panel5 = new ui::Panel(Content, ui::mainWindowPlace("Panel5"), kMenuBlue);
    Label13 = makeLabel(Panel5->inside(), QString(), ui::mainWindowPlace("Label13"), kBold13());
    Label13->setWordWrap(false);
    Button9 = makeButton(Panel5->inside(), QString(), ui::mainWindowPlace("Button9"));
    Button8 = makeButton(Panel5->inside(), QString(), ui::mainWindowPlace("Button8"));
    Button4 = makeButton(Panel5->inside(), QString(), ui::mainWindowPlace("Button4"));
    Button4->hide();  // the monitor is built in but not offered to the user
    Button7 = makeButton(Panel5->inside(), QString(), ui::mainWindowPlace("Button7"));
    Button10 = makeButton(Panel5->inside(), QString(), ui::mainWindowPlace("Button10"));
    // Outside the Tab key's round of the window's own controls; Ctrl+T reaches it.
    Button10->setFocusPolicy(Qt::NoFocus);
    // The language switch shows the language it switches to; outside the Tab key's round too.
    LanguageSwitch = makeButton(Panel5->inside(), QString(), QRect(620, 2, 37, 20));
    LanguageSwitch->setFocusPolicy(Qt::NoFocus);
    // Over the monitor's hidden button, which nothing shows; outside the Tab round as well.
    Button12 = makeButton(Panel5->inside(), QString(), ui::mainWindowPlace("Button12"));
    Button12->setFocusPolicy(Qt::NoFocus);
    ReportButton = makeButton(Panel5->inside(), QString(), ui::mainWindowPlace("ReportButton"));
    ReportButton->setObjectName(QStringLiteral("ReportButton"));
    ReportButton->setFocusPolicy(Qt::NoFocus);  // as "Тарировка"; Ctrl+P reaches it
}

void TForm1::buildStep1() {
    Panel1 = new ui::Panel(Content, ui::mainWindowPlace("Panel1"), kMoneyGreen);
    // "СОМ" here is Cyrillic, unlike the Latin "COM" of the instructions below.
    Label4 = makeHeading(Panel1, ui::mainWindowPlace("Label4"), QString());
    Image1 = makePicture(Content, ui::picturePixmap(QStringLiteral("step1"), 92),
                         ui::mainWindowPlace("Image1"));
    Label3 = makeLabel(Content, QString(), ui::mainWindowPlace("Label3"));
    Label6 = makeLabel(Content, QString(), ui::mainWindowPlace("Label6"));
    // A wider substitute face would push the second word onto a hidden second line.
    Label6->setWordWrap(false);
    ConnectStatusText = makeStaticText(Content, QString(), ui::mainWindowPlace("ConnectStatusText"),
                                       kPaleBlue, kRed, kBold13());
    COMSelect = new ui::PortComboBox(Content);
    COMSelect->setEditable(true);
    COMSelect->setInsertPolicy(QComboBox::NoInsert);
    COMSelect->setFocusPolicy(Qt::StrongFocus);
    COMSelect->setGeometry(ui::mainWindowPlace("COMSelect"));
    Button1 = makeButton(Content, QString(), ui::mainWindowPlace("Button1"));
    Button1->hide();  // its click action runs from the port choice and the reconnect
}

void TForm1::buildStep2() {
    Panel2 = new ui::Panel(Content, ui::mainWindowPlace("Panel2"), kMoneyGreen);
    Label5 = makeHeading(Panel2, ui::mainWindowPlace("Label5"), QString());
    Image2 = makePicture(Content, ui::picturePixmap(QStringLiteral("step2"), 92),
                         ui::mainWindowPlace("Image2"));
    // The "c" in "соcтоять" is Latin.
    Label7 = makeLabel(Content, QString(), ui::mainWindowPlace("Label7"));
    LLS_ADRESS = new ui::FlatLineEdit(Content);
    LLS_ADRESS->setGeometry(ui::mainWindowPlace("LLS_ADRESS"));
    Button5 = makeButton(Content, QString(), ui::mainWindowPlace("Button5"));
}

void TForm1::buildStep3() {
    Panel3 = new ui::Panel(Content, ui::mainWindowPlace("Panel3"), kMoneyGreen);
    Label1 = makeHeading(Panel3, ui::mainWindowPlace("Label1"), QString());
    // The "C" in "Cлейте" is Latin.
    Label8 = makeLabel(Content, QString(), ui::mainWindowPlace("Label8"));
    buildChart();
    Image3 = makePicture(Content, ui::picturePixmap(QStringLiteral("step3"), 92),
                         ui::mainWindowPlace("Image3"));
    Label12 = makeLabel(Content, QString(), ui::mainWindowPlace("Label12"), kBold13());
    Label12->setWordWrap(false);
    LEVELMIN = makeStaticText(Content, QString(), ui::mainWindowPlace("LEVELMIN"), kPaleBlue,
                              palette().color(QPalette::WindowText), kBold11());
    LEVELMAX = makeStaticText(Content, QString(), ui::mainWindowPlace("LEVELMAX"), kPaleBlue,
                              palette().color(QPalette::WindowText), kBold11());
    Edit1 = makeStaticText(Content, QString(), ui::mainWindowPlace("Edit1"), kPaleBlue,
                           palette().color(QPalette::WindowText), kBold11());
    Button3 = makeButton(Content, QString(), ui::mainWindowPlace("Button3"));
    Button2 = makeButton(Content, QString(), ui::mainWindowPlace("Button2"));
    Button6 = makeButton(Content, QString(), ui::mainWindowPlace("Button6"));
    Label9 = makeLabel(Content, QString(), ui::mainWindowPlace("Label9"));
}

void TForm1::buildChart() {
    Chart = new QChart;
    Chart->legend()->hide();
    Chart->setTitle(QString());
    Chart->setBackgroundRoundness(0);
    Chart->setDropShadowEnabled(false);
    Chart->setBackgroundBrush(palette().color(QPalette::Button));
    Chart->setBackgroundPen(Qt::NoPen);
    Chart->setPlotAreaBackgroundVisible(false);
    Chart->setMargins(QMargins(2, 2, 2, 2));
    Chart->layout()->setContentsMargins(0, 0, 0, 0);
    Chart->setAnimationOptions(QChart::NoAnimation);

    Series1 = new QLineSeries;
    Series1->setPen(QPen(kRed, 1));
    Series1->setPointsVisible(false);
    Series1->setPointLabelsVisible(false);
    Chart->addSeries(Series1);

    LeftAxis = new QValueAxis;
    LeftAxis->setRange(13, 580);
    BottomAxis = new QValueAxis;
    Chart->addAxis(LeftAxis, Qt::AlignLeft);
    Chart->addAxis(BottomAxis, Qt::AlignBottom);
    Series1->attachAxis(LeftAxis);
    Series1->attachAxis(BottomAxis);
    for (QValueAxis* axis : {LeftAxis, BottomAxis}) {
        axis->setVisible(false);
        axis->setLineVisible(false);
        axis->setGridLineVisible(false);
        axis->setLabelsVisible(false);
    }

    Chart1 = new QChartView(Chart, Content);
    Chart1->setRenderHint(QPainter::Antialiasing, false);
    Chart1->setRubberBand(QChartView::NoRubberBand);
    Chart1->setDragMode(QGraphicsView::NoDrag);
    Chart1->setInteractive(false);
    Chart1->setFocusPolicy(Qt::NoFocus);
    Chart1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Chart1->setLineWidth(1);
    Chart1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Chart1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Chart1->setBackgroundBrush(palette().color(QPalette::Button));
    Chart1->setGeometry(ui::mainWindowPlace("Chart1"));
}

void TForm1::buildStep4() {
    Panel4 = new ui::Panel(Content, ui::mainWindowPlace("Panel4"), kMoneyGreen);
    Label2 = makeHeading(Panel4, ui::mainWindowPlace("Label2"), QString());
    Label10 = makeLabel(Content, QString(), ui::mainWindowPlace("Label10"));
    Image4 = makePicture(Content, ui::picturePixmap(QStringLiteral("step4"), 92),
                         ui::mainWindowPlace("Image4"));
    ProgressBar1 = new QProgressBar(Content);
    ProgressBar1->setRange(0, 4095);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    ProgressBar1->setGeometry(ui::mainWindowPlace("ProgressBar1"));
    Label11 = makeStaticText(Content, QString(), ui::mainWindowPlace("Label11"), kPaleBlue,
                             palette().color(QPalette::WindowText), kBold11());

    // While the link is lost the last values stay in place, disabled: these are the colours
    // that tell they are old. The style's own disabled bar can look nearly as live as before.
    for (QLabel* value : {Edit1, Label11}) {
        QPalette pal = value->palette();
        pal.setColor(QPalette::Disabled, QPalette::WindowText, ui::kStaleGrey);
        value->setPalette(pal);
    }
    QPalette bar = ProgressBar1->palette();
    bar.setColor(QPalette::Disabled, QPalette::Highlight, ui::kStaleGrey.lighter(125));
    ProgressBar1->setPalette(bar);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}

void TForm1::retranslateUi() {
    Label13->setText(ui::displayText(tr(" МЕНЮ")));
    Button9->setText(tr("Дополнительно"));
    Button8->setText(tr("Горячие клавиши"));
    Button4->setText(tr("Монитор работы LLS"));
    Button7->setText(tr("О Программе"));
    Button10->setText(tr("Тарировка"));
    Button12->setText(tr("Настройки"));
    ReportButton->setText(tr("Отчёт"));
    SaveSettingsAction->setText(tr("Сохранить настройки…\tCtrl+Shift+S"));
    ApplySettingsAction->setText(tr("Применить настройки…\tCtrl+Shift+O"));
    Label4->setText(ui::displayText(
        tr("1. Выберите СОМ-порт. Соединение с датчиком будет произведено автоматически")));
    Label3->setText(ui::displayText(
        tr("1.1 Подайте на датчик питание.       \r\n1.2 Подключите датчик к компьютеру через "
           "переходник USB-RS485.\r\n1.3 Выберите соответствующий COM порт.\r\n1.4 В состоянии "
           "подключения должно появиться \"Подключен\".       ")));
    Label6->setText(ui::displayText(tr("Состояние подключения:")));
    Button1->setText(tr("Подключить"));
    Label5->setText(ui::displayText(tr("2. Установите сетевой адрес")));
    Label7->setText(ui::displayText(
        tr("2.1 Введите адрес LLS. Согласно спецификации протокола LLS адрес должен соcтоять из "
           "цифр и находиться в диапозоне от 0 до 255.\r\n2.2 Нажмите кнопку \"Установить\".")));
    Button5->setText(tr("Установить (F9, F10)"));
    Label1->setText(ui::displayText(tr("3. Установите Полный и Пустой бак")));
    Label8->setText(ui::displayText(
        tr("3.1 Промойте датчик уровня топлива для этого залейте его до полного и слейте.\r\n3.2 "
           "Наполните датчик до полного, дождитесь пока \"Текущее значение\" стабилизируется и "
           "нажмите кнопку \"Бак полный\".\r\n3.3 Cлейте из датчика топливо и дайте ему обтечь в "
           "течении 1-2 минут и нажмите \"Бак пустой\".")));
    Label12->setText(ui::displayText(tr("Текущее значение:")));
    Button3->setText(tr("Бак пустой (F1)"));
    Button2->setText(tr("Бак полный (F4)"));
    Button6->setText(tr("Дополнительно"));
    Label9->setText(ui::displayText(
        tr("3.4 Значения максимума и минимума можно откорректировать в ручную, нажав на кнопку ")));
    Label2->setText(ui::displayText(tr("4. Проверте настройки")));
    Label10->setText(ui::displayText(
        tr("4.1 Выньте датчик из топлива полностью. Уровень должен показать значение "
           "близкое к 0 (5-10 ед). и помере стекания топлива с датчика - уменьшится до "
           "нуля.\r\n4.2 Погрузите датчик полностью в топливо. Уровень должен "
           "приблизиться к 4095, но быть при этом на несколько единиц ниже.\r\n4.3 "
           "Если данные условия выполняются, то Вы прекрасно настроили датчик.  Если "
           "нет, то повторите пункт 3 \"Установка полного и пустого бака\". ")));
    // The status is what the connection last said, in the language now chosen.
    view_->reshowStatus(tr("Нет соединения с датчиком"));
    HotKeys->retranslate();
    // The switch offers the other language.
    const bool english = ui::currentLanguage() == ui::Language::English;
    LanguageSwitch->setText(english ? QStringLiteral("RU") : QStringLiteral("EN"));
    LanguageSwitch->setToolTip(tr("Язык интерфейса: русский / English"));
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Never in the middle of a handler: the program would end with a box half answered or a
    // command half done. The close comes back once the handler has returned.
    if (heldClose_->holdIfBusy()) {
        event->ignore();
        return;
    }
    // Closing the main window ends the program even while the hot-key help is open.
    event->accept();
    QCoreApplication::quit();
}

void TForm1::FormCreate() {
    HotKeys->registerAll();
    Timer2->start();
}

void TForm1::COMSelectDropDown() {
    ui::reportErrors([&] { controller_->COMSelectDropDown(); });
}

void TForm1::COMSelectSelect() {
    ui::reportErrors([&] { controller_->COMSelectSelect(); });
}

void TForm1::Button1Click() {
    ui::reportErrors([&] { controller_->Button1Click(); });
}

void TForm1::Timer2Timer() {
    // A tick that falls due while an exchange waits on the line does nothing; ticks do not
    // queue up behind it. Nor does one after a held close: the program is on its way out.
    if (!context_.lineWait.busy() && !heldClose_->pending()) controller_->Timer2Timer();
}

void TForm1::Button2Click() {
    ui::reportErrors([&] { commands_->Button2Click(); });
}

void TForm1::Button3Click() {
    ui::reportErrors([&] { commands_->Button3Click(); });
}

void TForm1::Button5Click() {
    ui::reportErrors([&] { commands_->Button5Click(); });
}

void TForm1::saveSettingsFile() {
    if (heldClose_->pending()) return;
    ui::reportErrors([&] { settingsFile_->save(); });
}

void TForm1::applySettingsFile() {
    if (heldClose_->pending()) return;
    ui::reportErrors([&] { settingsFile_->apply(); });
}

void TForm1::hotKeyActivated(int id) {
    // No command starts once the program is to end.
    if (heldClose_->pending()) return;
    // Held like the keys of a window blocked on the line: handled once the exchange is over.
    if (context_.lineWait.holdWhileBusy([this, id] { hotKeyActivated(id); })) return;
    ui::reportErrors([&] { commands_->hotKey(id); });
}

void TForm1::Button6Click() {
    Form2->copyLevelsFromMain();
    Form2->exec();
}

void TForm1::Button9Click() {
    Form6->exec();
}

void TForm1::Button4Click() {
    Form4->exec();
}

void TForm1::Button7Click() {
    Form3->exec();
}

void TForm1::openExchangeLog() {
    if (!ExchangeLog) ExchangeLog = new ui::ExchangeLogWindow(context_.trace, this);
    ExchangeLog->show();
    ExchangeLog->raise();
    ExchangeLog->activateWindow();
}

void TForm1::Button10Click() {
    if (!TankWindow) {
        TankWindow = new TankCalibrationWindow(context_.state, this);
        connect(this, &TForm1::rawValuePolled, TankWindow, &TankCalibrationWindow::rawValuePolled);
        connect(this, &TForm1::outputLevelPolled, TankWindow,
                &TankCalibrationWindow::outputLevelPolled);
        connect(Form4, &TForm4::chunkRead, TankWindow, &TankCalibrationWindow::llsChunkRead);
    }
    TankWindow->open();
}

void TForm1::ReportButtonClick() {
    if (!Report) {
        Report = new ui::ReportWindow(
            context_.link,
            [this]() -> std::optional<dut::tank::TableState> {
                if (!TankWindow || TankWindow->table().empty()) return std::nullopt;
                return TankWindow->table().state();
            },
            [this] { ui::reportErrors([&] { controller_->Button1Click(); }); }, this);
    }
    Report->open();
}

void TForm1::Button8Click() {
    Form5->show();
    Form5->raise();
    Form5->activateWindow();
}

void TForm1::switchLanguage() {
    const ui::Language next = ui::currentLanguage() == ui::Language::English
                                  ? ui::Language::Russian
                                  : ui::Language::English;
    ui::applyLanguage(next);
    ui::rememberLanguage(next);
}
