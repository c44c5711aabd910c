#include "TankCalibrationWindow.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

#include "AxisScale.h"
#include "FileIo.h"
#include "Language.h"
#include "LinkState.h"
#include "LlsPacketClassifier.h"
#include "MessageBox.h"
#include "TableCsv.h"
#include "TankNumbers.h"
#include "Translated.h"

using dut::tank::CalibrationTable;
using dut::tank::Direction;

namespace {

const char kPortionKey[] = "tank/portion";
const char kDecimalCommaKey[] = "tank/decimalComma";
// Readings further apart than this mean the source has gone (a lost link, the poll held by
// the monitor): the count of identical readings starts again.
constexpr qint64 kSourceSilenceMs = 2500;
// How often a window whose table another program holds looks whether it was let go, and how
// many of those ticks pass between the marks that keep a held lock from looking left behind.
constexpr int kLockWatchMs = 2000;
constexpr int kLockMarkTicks = 15;
// Chart points, a marked one bigger, so that each can be told at a glance.
constexpr qreal kMarkerSize = 8;
constexpr qreal kMarkedSize = 11;
const QColor kMarkedBackground(255, 200, 200);
const QColor kMarkedText(Qt::black);

const char* const kTypeLitres = QT_TRANSLATE_NOOP("TankCalibrationWindow", "введите число литров.");

enum Column { RowColumn, LitresColumn, LevelColumn, RawColumn, TimeColumn, MarkColumn };

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

TankCalibrationWindow::Clock monotonicClock() {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    return [started] { return started->elapsed(); };
}

// Seconds up to the next tenth, so that a reading just past a limit never reads as at it,
// written as the window's language writes them.
QString secondsText(qint64 ms) {
    const QLocale locale(ui::currentLanguage() == ui::Language::English ? QLocale::English
                                                                        : QLocale::Russian);
    return locale.toString(double((ms + 99) / 100) / 10.0, 'f', 1);
}

// A label whose text keeps to a fixed number of lines however long it is: it wraps at words
// or, for a long path, anywhere, and what does not fit ends in "…" (the whole text is its
// tooltip and what a screen reader reads). Its size never follows its text, so a new text
// never resizes the window.
class BoundedText : public QLabel {
  public:
    BoundedText(int lines, QWidget* parent) : QLabel(parent), lines_(lines) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        fitHeight();
    }

    QSize sizeHint() const override { return {0, height()}; }
    QSize minimumSizeHint() const override { return {0, height()}; }

    // The lines of the text as drawn in the given width: at most lines_, the last elided.
    QStringList shownLines(int width) const {
        QString rest = text();
        rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
        QStringList lines;
        QTextLayout layout(rest, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        int used = 0;
        while (lines.size() < lines_ - 1) {
            QTextLine line = layout.createLine();
            if (!line.isValid()) break;
            line.setLineWidth(width);
            lines << rest.mid(line.textStart(), line.textLength());
            used = line.textStart() + line.textLength();
        }
        layout.endLayout();
        const QString last = rest.mid(used);
        if (!last.isEmpty()) lines << fontMetrics().elidedText(last, Qt::ElideRight, width);
        return lines;
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect area = contentsRect();
        int y = area.top();
        for (const QString& line : shownLines(area.width())) {
            painter.drawText(QRect(area.left(), y, area.width(), fontMetrics().lineSpacing()),
                             Qt::AlignLeft | Qt::AlignVCenter, line);
            y += fontMetrics().lineSpacing();
        }
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
            fitHeight();
        }
        QLabel::changeEvent(event);
    }

  private:
    void fitHeight() {
        const QMargins m = contentsMargins();
        setFixedHeight(lines_ * fontMetrics().lineSpacing() + m.top() + m.bottom() + 2);
    }

    int lines_;
};

}  // namespace

TankCalibrationWindow::TankCalibrationWindow(const dut::LinkState& state, QWidget* parent,
                                             const QString& sessionPath, Clock clock)
    : QWidget(parent, Qt::Window),
      link_(state),
      session_(sessionPath),
      clock_(clock ? std::move(clock) : monotonicClock()) {
    setObjectName(QStringLiteral("TankCalibration"));
    buildControls();
    retranslateUi();
    resize(860, 600);

    SourceWatch = new QTimer(this);
    SourceWatch->setInterval(500);
    connect(SourceWatch, &QTimer::timeout, this, [this] {
        if (!isVisible()) {
            SourceWatch->stop();  // open() starts it again
            return;
        }
        if (stability_.level() && lastReadingMs_ && clock_() - *lastReadingMs_ > kSourceSilenceMs) {
            sourceLost();
        } else {
            showStability();  // an old reading, or another sensor connected, is told at once
        }
    });
    LockWatch = new QTimer(this);
    LockWatch->setInterval(kLockWatchMs);
    connect(LockWatch, &QTimer::timeout, this, [this] {
        if (!isVisible()) {
            LockWatch->stop();  // open() starts it again
            return;
        }
        if (!session_.holdsLock()) {
            claimSession();
        } else if (++lockTicks_ % kLockMarkTicks == 0 && !session_.refreshLock()) {
            sayHeldElsewhere();
        }
    });
}

TankCalibrationWindow::~TankCalibrationWindow() {
    // A line edit that still has the focus says editingFinished while QWidget's destructor
    // takes it down, when this window is no longer one: nothing may answer that.
    for (QLineEdit* edit : {TankName, Vehicle, Portion}) edit->disconnect(this);
}

void TankCalibrationWindow::buildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* details = new QHBoxLayout;
    TankName = new QLineEdit(this);
    Vehicle = new QLineEdit(this);
    // Within the session's bound on a name in UTF-8, whatever the letters.
    for (QLineEdit* name : {TankName, Vehicle}) {
        name->setMaxLength(static_cast<int>(dut::tank::kMaxNameBytes / 3));
    }
    SensorNumber = new QLabel(this);
    QFont heading = SensorNumber->font();
    heading.setBold(true);
    SensorNumber->setFont(heading);
    OtherSensor = new BoundedText(2, this);
    OtherSensor->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    OtherSensor->hide();
    TankLabel = new QLabel(this);
    details->addWidget(TankLabel);
    details->addWidget(TankName, 2);
    VehicleLabel = new QLabel(this);
    details->addWidget(VehicleLabel);
    details->addWidget(Vehicle, 2);
    details->addWidget(SensorNumber);
    details->addWidget(OtherSensor, 3);
    layout->addLayout(details);

    auto* source = new QHBoxLayout;
    LevelSource = new QComboBox(this);
    LevelSource->addItems({QString(), QString()});
    LlsAddress = new QSpinBox(this);
    LlsAddress->setRange(0, 255);
    LlsAddress->setValue(1);
    LlsAddress->setEnabled(false);
    LevelText = new QLabel(this);
    QFont big = LevelText->font();
    big.setPixelSize(18);
    big.setBold(true);
    LevelText->setFont(big);
    StableText = new QLabel(this);
    StableText->setFont(big);
    SourceLabel = new QLabel(this);
    source->addWidget(SourceLabel);
    source->addWidget(LevelSource);
    source->addWidget(LlsAddress);
    source->addSpacing(16);
    source->addWidget(LevelText);
    source->addSpacing(16);
    source->addWidget(StableText, 1);
    layout->addLayout(source);

    auto* record = new QHBoxLayout;
    Way = new QComboBox(this);
    Way->addItems({QString(), QString()});
    FullVolume = new QLineEdit(this);
    FullVolume->setEnabled(false);
    Portion = new QLineEdit(this);
    QSettings settings;
    Portion->setText(settings.value(kPortionKey, QStringLiteral("10")).toString());
    RecordButton = new QPushButton(this);
    RecordButton->setToolTip(QStringLiteral("Enter"));
    AutoRecord = new QCheckBox(this);
    record->addWidget(Way);
    record->addWidget(FullVolume);
    PortionLabel = new QLabel(this);
    record->addWidget(PortionLabel);
    record->addWidget(Portion);
    record->addWidget(RecordButton);
    record->addWidget(AutoRecord);
    layout->addLayout(record);

    Status = new BoundedText(2, this);
    layout->addWidget(Status);

    auto* split = new QSplitter(Qt::Horizontal, this);
    Points = new QTableWidget(0, 6, split);
    Points->verticalHeader()->hide();
    Points->setSelectionBehavior(QAbstractItemView::SelectRows);
    Points->setSelectionMode(QAbstractItemView::SingleSelection);
    Points->horizontalHeader()->setStretchLastSection(true);
    // Numbers need little room; the mark, which says why a row is doubtful, gets the rest.
    const QFontMetrics digits(Points->font());
    Points->horizontalHeader()->setDefaultSectionSize(
        digits.horizontalAdvance(QStringLiteral("0000000,000")));
    Points->setColumnWidth(RowColumn, digits.horizontalAdvance(QStringLiteral("00000")) + 8);

    Chart = new QChart;
    Chart->legend()->hide();
    Chart->setAnimationOptions(QChart::NoAnimation);
    // One series draws the line and its points in one pass; a scatter series would make a
    // graphics item of every point, which for thousands of points stands the window still.
    Line = new QLineSeries;
    Line->setPointsVisible(true);
    Line->setMarkerSize(kMarkerSize);
    LevelAxis = new QValueAxis;
    LevelAxis->setLabelFormat(QStringLiteral("%d"));
    LitresAxis = new QValueAxis;
    LitresAxis->setLabelFormat(QStringLiteral("%.7g"));
    // Marks at round values from 0, whatever the range the data give.
    for (QValueAxis* axis : {LevelAxis, LitresAxis}) {
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
    }
    Chart->addAxis(LevelAxis, Qt::AlignBottom);
    Chart->addAxis(LitresAxis, Qt::AlignLeft);
    Chart->addSeries(Line);
    Line->attachAxis(LevelAxis);
    Line->attachAxis(LitresAxis);
    ChartView = new QChartView(Chart, split);
    // Room for the level marks up to 5000 side by side, unshortened.
    ChartView->setMinimumWidth(400);
    split->addWidget(Points);
    split->addWidget(ChartView);
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    DeleteButton = new QPushButton(this);
    UndoButton = new QPushButton(this);
    NewButton = new QPushButton(this);
    ExportButton = new QPushButton(this);
    ImportButton = new QPushButton(this);
    DecimalComma = new QCheckBox(this);
    DecimalComma->setChecked(settings.value(kDecimalCommaKey, false).toBool());
    for (QWidget* w : std::initializer_list<QWidget*>{DeleteButton, UndoButton, NewButton}) {
        buttons->addWidget(w);
    }
    buttons->addStretch(1);
    buttons->addWidget(ImportButton);
    buttons->addWidget(ExportButton);
    buttons->addWidget(DecimalComma);
    layout->addLayout(buttons);

    const std::initializer_list<std::pair<QObject*, const char*>> names = {
        {TankName, "TankName"},
        {Vehicle, "Vehicle"},
        {SensorNumber, "SensorNumber"},
        {OtherSensor, "OtherSensor"},
        {LevelSource, "LevelSource"},
        {LlsAddress, "LlsAddress"},
        {LevelText, "LevelText"},
        {StableText, "StableText"},
        {Way, "Way"},
        {FullVolume, "FullVolume"},
        {Portion, "Portion"},
        {RecordButton, "RecordButton"},
        {AutoRecord, "AutoRecord"},
        {Status, "Status"},
        {Points, "Points"},
        {DeleteButton, "DeleteButton"},
        {UndoButton, "UndoButton"},
        {NewButton, "NewButton"},
        {ExportButton, "ExportButton"},
        {ImportButton, "ImportButton"},
        {DecimalComma, "DecimalComma"},
        {ChartView, "ChartView"},
    };
    for (const auto& [object, name] : names) object->setObjectName(QLatin1String(name));

    connect(RecordButton, &QPushButton::clicked, this, &TankCalibrationWindow::recordPoint);
    connect(UndoButton, &QPushButton::clicked, this, &TankCalibrationWindow::undo);
    connect(DeleteButton, &QPushButton::clicked, this, &TankCalibrationWindow::deleteRow);
    connect(NewButton, &QPushButton::clicked, this, &TankCalibrationWindow::newTable);
    connect(ExportButton, &QPushButton::clicked, this, &TankCalibrationWindow::exportCsv);
    connect(ImportButton, &QPushButton::clicked, this, &TankCalibrationWindow::importCsv);
    auto* exportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(exportKey, &QShortcut::activated, this, &TankCalibrationWindow::exportCsv);
    auto* importKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(importKey, &QShortcut::activated, this, &TankCalibrationWindow::importCsv);
    auto* undoKey = new QShortcut(QKeySequence::Undo, this);
    connect(undoKey, &QShortcut::activated, this, &TankCalibrationWindow::undo);
    // The boxes of the window would take Ctrl+Z for their own typing; here it is the table's.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);
    // Only while the table itself has the focus: in a box, Delete edits the text.
    auto* deleteKey =
        new QShortcut(QKeySequence(Qt::Key_Delete), Points, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &TankCalibrationWindow::deleteRow);
    connect(Points, &QTableWidget::cellChanged, this, &TankCalibrationWindow::litresEdited);
    connect(TankName, &QLineEdit::editingFinished, this, &TankCalibrationWindow::detailsEdited);
    connect(Vehicle, &QLineEdit::editingFinished, this, &TankCalibrationWindow::detailsEdited);
    connect(Way, qOverload<int>(&QComboBox::activated), this,
            &TankCalibrationWindow::directionChosen);
    connect(Portion, &QLineEdit::editingFinished, this, [this] {
        const auto portion = typedLitres(Portion);
        if (portion && *portion <= dut::tank::kMaxLitres) {
            QSettings().setValue(kPortionKey, Portion->text().trimmed());
        }
    });
    connect(DecimalComma, &QCheckBox::toggled, this,
            [](bool on) { QSettings().setValue(kDecimalCommaKey, on); });
    connect(LevelSource, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        LlsAddress->setEnabled(index == LlsSource);
        sourceLost(true);
        if (index == LlsSource) {
            say([] {
                return tr(
                    "Уровень берётся из ответов датчика с выбранным адресом, пока "
                    "открыт монитор работы LLS (Ctrl+Shift+L в главном окне). Пока "
                    "монитор открыт, точки записываются в автоматическом режиме.");
            });
        }
    });
    connect(LlsAddress, qOverload<int>(&QSpinBox::valueChanged), this,
            [this] { sourceLost(true); });
}

void TankCalibrationWindow::open() {
    show();
    raise();
    activateWindow();
    SourceWatch->start();
    LockWatch->start();
    if (!opened_) {
        // The portion is what changes between points; Enter then records.
        Portion->setFocus();
        opened_ = true;
        showTable();
        showStability();
    }
    claimSession();
}

TankCalibrationWindow::Claim TankCalibrationWindow::claimSession() {
    if (session_.holdsLock()) return Claim::Held;
    if (claiming_) return Claim::Elsewhere;     // the offer of the last session is on screen
    if (!isVisible()) return Claim::Elsewhere;  // a closed window changes nothing
    if (!session_.takeLock()) {
        sayHeldElsewhere();
        return Claim::Elsewhere;
    }
    claiming_ = true;
    lockTicks_ = 0;
    toldHeldElsewhere_ = false;
    if (tookUpSession_) {
        takeUpChangedSession();
    } else if (takeUpLastSession()) {
        tookUpSession_ = true;
    } else {
        // The offer was closed unanswered: the table stays in its file, to be offered again
        // at the next opening, and this window writes nothing until then.
        claiming_ = false;
        letSessionGo();
        hide();
        return Claim::Elsewhere;
    }
    claiming_ = false;
    showTable();
    showStability();
    return Claim::TakenNow;
}

bool TankCalibrationWindow::mayChange() {
    return claimSession() == Claim::Held;
}

void TankCalibrationWindow::letSessionGo() {
    session_.releaseLock();
}

void TankCalibrationWindow::sayHeldElsewhere() {
    say(
        [pid = session_.holderPid(), path = session_.path()] {
            if (pid < 0) {
                return tr("Таблица не меняется: файл блокировки %1.lock не создаётся.").arg(path);
            }
            const QString holder =
                pid == 0 ? tr("другая программа") : tr("другая программа (процесс %1)").arg(pid);
            return tr("Таблицу тарировки сейчас ведёт %1. Пока она не закроет своё окно "
                      "тарировки, здесь точки не записываются и таблица не меняется.")
                .arg(holder);
        },
        true);
    // Once while it lasts, for the installer who started the program from a terminal.
    if (!toldHeldElsewhere_) {
        toldHeldElsewhere_ = true;
        std::fprintf(stderr, "brindolex-dut-configurator: %s\n",
                     Status->text().toUtf8().constData());
    }
}

void TankCalibrationWindow::takeUpChangedSession() {
    const ui::TankSessionFile::Loaded last = session_.load();
    dut::tank::TableState file;
    if (last.kind == ui::TankSessionFile::Loaded::Table) file = last.table;
    if (last.kind == ui::TankSessionFile::Loaded::SetAside) {
        QMessageBox box(QMessageBox::Warning, tr("Файл сеанса тарировки не читается"), last.message,
                        QMessageBox::Ok, this);
        ui::execMessageBox(box);
    }
    if (file == table_.state()) return;
    // Another program wrote the table while this window was closed: the file is the table.
    table_.replace(file);
    say([n = file.points.size()] {
        return tr("Таблицу в файле сеанса меняла другая программа; взята она: %1 точек.").arg(n);
    });
}

bool TankCalibrationWindow::takeUpLastSession() {
    const ui::TankSessionFile::Loaded last = session_.load();
    if (last.kind == ui::TankSessionFile::Loaded::SetAside) {
        std::fprintf(stderr, "brindolex-dut-configurator: %s\n", last.message.toUtf8().constData());
        QMessageBox box(QMessageBox::Warning, tr("Файл сеанса тарировки не читается"), last.message,
                        QMessageBox::Ok, this);
        ui::execMessageBox(box);
        say([message = last.message] { return message; }, true);
        return true;
    }
    if (last.kind != ui::TankSessionFile::Loaded::Table || last.table.points.empty()) return true;
    const auto& t = last.table;
    const QString text =
        tr("Найдена незавершённая таблица тарировки: %1 точек%2%3%4. Продолжить её?\n"
           "«Начать заново» откладывает её в файл рядом.")
            .arg(t.points.size())
            .arg(t.details.tank.empty() ? QString()
                                        : tr(", бак «%1»").arg(fromUtf8(t.details.tank)))
            .arg(t.details.vehicle.empty() ? QString()
                                           : tr(", ТС «%1»").arg(fromUtf8(t.details.vehicle)))
            .arg(t.details.sensorNumber == 0 ? QString()
                                             : tr(", ДУТ № %1").arg(t.details.sensorNumber));
    // Escape and the close box press "Отмена": a question closed is a question not answered.
    QMessageBox box(QMessageBox::Question, tr("Незавершённая тарировка"), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.button(QMessageBox::Yes)->setText(tr("Продолжить"));
    box.button(QMessageBox::No)->setText(tr("Начать заново"));
    box.button(QMessageBox::Cancel)->setText(tr("Отмена"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = ui::execMessageBox(box);
    if (answer == QMessageBox::Yes) {
        table_.replace(last.table);
        say([n = t.points.size()] { return tr("Таблица восстановлена: %1 точек.").arg(n); });
        return true;
    }
    if (answer != QMessageBox::No) return false;
    const QString aside = session_.setAside(QStringLiteral("previous"));
    if (!aside.isEmpty()) say([aside] { return tr("Прежняя таблица отложена в %1.").arg(aside); });
    return true;
}

QString TankCalibrationWindow::statusText() const {
    return Status->text();
}

void TankCalibrationWindow::say(std::function<QString()> text, bool bad) {
    said_ = std::move(text);
    Status->setText(said_());
    Status->setToolTip(Status->text());
    Status->setStyleSheet(bad ? QStringLiteral("color: rgb(200, 0, 0);") : QString());
}

void TankCalibrationWindow::outputLevelPolled(qint32 level) {
    if (LevelSource->currentIndex() != SensorSource) return;
    levelRead(level, lastRaw_);
}

void TankCalibrationWindow::rawValuePolled(qint32 raw) {
    lastRaw_ = raw;
}

void TankCalibrationWindow::llsChunkRead(const QByteArray& bytes) {
    if (LevelSource->currentIndex() != LlsSource) return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    for (const dut::LlsPacket& packet :
         dut::classifyLlsChunk(data, static_cast<std::size_t>(bytes.size()))) {
        const auto& b = packet.bytes;
        if (packet.kind != dut::LlsPacketKind::Answer || b[1] != LlsAddress->value() ||
            !dut::llsCrcOk(b.data(), b.size())) {
            continue;
        }
        levelRead(b[4] + 256 * b[5], std::nullopt);
    }
}

void TankCalibrationWindow::levelRead(qint32 level, std::optional<qint32> raw) {
    lastReadingMs_ = clock_();
    stability_.add(level);
    lastRaw_ = raw;
    if (!isVisible()) return;
    showStability();
    if (AutoRecord->isChecked() && dut::tank::autoRecordDue(table_, stability_.stable(), level)) {
        recordPoint();
    }
}

void TankCalibrationWindow::sourceLost(bool changed) {
    stability_.reset();
    lastRaw_.reset();
    if (changed) lastReadingMs_.reset();
    showStability();
}

bool TankCalibrationWindow::readingFresh() const {
    return lastReadingMs_ && clock_() - *lastReadingMs_ <= kFreshReadingMs;
}

qint32 TankCalibrationWindow::tableSensorNumber() const {
    return table_.empty() ? 0 : table_.details().sensorNumber;
}

qint32 TankCalibrationWindow::otherSensorConnected() const {
    // The bus monitor's levels come from an address, not from the sensor connected.
    if (LevelSource->currentIndex() != SensorSource) return 0;
    const qint32 owner = tableSensorNumber();
    const qint32 connected = link_.sensorNumber;
    return owner != 0 && connected != 0 && connected != owner ? connected : 0;
}

void TankCalibrationWindow::showStability() {
    const auto level = stability_.level();
    const auto setText = [](QLabel* label, const QString& text) {
        if (label->text() != text) label->setText(text);
    };
    // A style sheet costs a restyle of the label: set only when the look changes.
    const auto setLook = [](QLabel* label, const QString& sheet) {
        if (label->styleSheet() != sheet) label->setStyleSheet(sheet);
    };
    const bool fresh = readingFresh();
    const QString grey = QStringLiteral("color: gray;");
    setText(LevelText, level ? tr("Уровень: %1").arg(*level) : tr("Уровень: —"));
    // The last level stays in sight, greyed: it is what was read, not what the tank holds now.
    setLook(LevelText, fresh ? QString() : grey);
    if (!lastReadingMs_) {
        setText(StableText, tr("Нет показаний"));
        setLook(StableText, grey);
    } else if (!fresh || !level) {
        setText(StableText, tr("Ждём новое показание уровня…"));
        setLook(StableText, grey);
    } else if (stability_.stable()) {
        setText(StableText, tr("Уровень стабилен"));
        setLook(StableText,
                QStringLiteral("background: rgb(157, 255, 157); color: black; padding: 2px;"));
    } else {
        setText(StableText, tr("Уровень меняется: %1 из %2 одинаковых подряд")
                                .arg(stability_.count())
                                .arg(dut::tank::LevelStability::kStableReadings));
        setLook(StableText,
                QStringLiteral("background: rgb(255, 98, 98); color: black; padding: 2px;"));
    }
    const qint32 owner = tableSensorNumber();
    const qint32 number = owner != 0 ? owner : link_.sensorNumber;
    setText(SensorNumber, number == 0 ? tr("ДУТ № —") : tr("ДУТ № %1").arg(number));
    const qint32 other = otherSensorConnected();
    if (other != 0) {
        setText(OtherSensor, tr("На связи другой датчик, ДУТ № %1: в эту таблицу точки не "
                                "записываются. «Новая таблица» начинает таблицу для него.")
                                 .arg(other));
        OtherSensor->setToolTip(OtherSensor->text());
    }
    OtherSensor->setVisible(other != 0);
}

void TankCalibrationWindow::keepRoomForTexts() {
    const auto room = [](QLabel* label, const QStringList& texts) {
        const QFontMetrics metrics(label->font());
        int widest = 0;
        for (const QString& text : texts)
            widest = std::max(widest, metrics.horizontalAdvance(text));
        // The padding of the coloured backgrounds, and a little for the style's rounding.
        label->setMinimumWidth(widest + 12);
    };
    const int readings = dut::tank::LevelStability::kStableReadings;
    room(LevelText, {tr("Уровень: %1").arg(dut::tank::kMaxLevel), tr("Уровень: —")});
    room(StableText,
         {tr("Нет показаний"), tr("Ждём новое показание уровня…"), tr("Уровень стабилен"),
          tr("Уровень меняется: %1 из %2 одинаковых подряд").arg(readings - 1).arg(readings)});
    room(SensorNumber, {tr("ДУТ № —"), tr("ДУТ № %1").arg(std::numeric_limits<qint32>::max())});
}

std::optional<double> TankCalibrationWindow::typedLitres(QLineEdit* edit) const {
    const auto litres = dut::tank::parseLitres(edit->text().toStdString());
    if (!litres || *litres <= 0.0) return std::nullopt;
    return litres;
}

void TankCalibrationWindow::recordPoint() {
    if (!mayChange()) return;
    if (const qint32 other = otherSensorConnected()) {
        say(
            [owner = tableSensorNumber(), other] {
                return tr("Точка не записана: таблица принадлежит ДУТ № %1, а на связи ДУТ № %2. "
                          "«Новая таблица» начинает таблицу для ДУТ № %2.")
                    .arg(owner)
                    .arg(other);
            },
            true);
        return;
    }
    // Even while the count of identical readings still holds: the level may have changed
    // since, unseen (a pulled adapter, a silent line).
    if (lastReadingMs_ && !readingFresh()) {
        say(
            [age = clock_() - *lastReadingMs_] {
                return tr("Точка не записана: последнее показание уровня получено %1 с назад, "
                          "а точка берётся только из показания не старше %2 с. Проверьте "
                          "связь с датчиком.")
                    .arg(secondsText(age), secondsText(kFreshReadingMs));
            },
            true);
        return;
    }
    const auto level = stability_.level();
    if (!level) {
        say(
            [] {
                return tr(
                    "Точка не записана: нет показаний уровня. Подключите датчик (или "
                    "откройте монитор LLS для шины).");
            },
            true);
        return;
    }
    if (!stability_.stable()) {
        say(
            [count = stability_.count()] {
                return tr("Точка не записана: уровень ещё не стабилен (%1 из %2 одинаковых "
                          "показаний подряд). Дождитесь «Уровень стабилен».")
                    .arg(count)
                    .arg(dut::tank::LevelStability::kStableReadings);
            },
            true);
        return;
    }
    const auto portion = typedLitres(Portion);
    if (!table_.empty() && !portion) {
        say([] { return tr("Точка не записана: введите порцию в литрах (число больше нуля)."); },
            true);
        return;
    }
    if (table_.empty()) {
        const bool draining = Way->currentIndex() == 1;
        const auto full = typedLitres(FullVolume);
        if (draining && !full) {
            say(
                [] {
                    return tr("Точка не записана: для слива введите полный объём бака в литрах.");
                },
                true);
            return;
        }
        if (draining || table_.direction() != Direction::Filling) {
            const auto started = table_.start(draining ? Direction::Draining : Direction::Filling,
                                              full.value_or(0.0));
            if (!started.done()) {
                say(
                    [refusal = started.refusal] {
                        return tr("Точка не записана: %1").arg(ui::translatedCore(refusal));
                    },
                    true);
                return;
            }
        }
    }
    // A table with no points yet, or none of a known sensor, becomes the connected sensor's.
    dut::tank::TankDetails details = table_.details();
    if (link_.sensorNumber != 0 && LevelSource->currentIndex() == SensorSource &&
        tableSensorNumber() == 0 && details.sensorNumber != link_.sensorNumber) {
        details.sensorNumber = link_.sensorNumber;
        table_.setDetails(details);
    }
    const auto outcome =
        table_.record(portion.value_or(0.0), *level, lastRaw_, QDateTime::currentSecsSinceEpoch());
    if (!outcome.done()) {
        say(
            [refusal = outcome.refusal] {
                return tr("Точка не записана: %1").arg(ui::translatedCore(refusal));
            },
            true);
        return;
    }
    QSettings().setValue(kPortionKey, Portion->text().trimmed());
    const auto& point = table_.points().back();
    changed();
    if (lastSaveOk_) {
        say([n = table_.points().size(), litres = fromUtf8(dut::tank::litresText(point.litres)),
             level = point.level] {
            return tr("Записана точка %1: %2 л, уровень %3.").arg(n).arg(litres).arg(level);
        });
    }
}

void TankCalibrationWindow::changed() {
    QString why;
    lastSaveOk_ = session_.save(table_.state(), &why);
    if (!lastSaveOk_) {
        say([path = session_.path(),
             why] { return tr("Таблица не сохранена в файл сеанса %1: %2").arg(path, why); },
            true);
    }
    showTable();
    showStability();
}

void TankCalibrationWindow::showTable() {
    showingTable_ = true;
    Points->setUpdatesEnabled(false);
    const auto& points = table_.points();
    const auto marks = table_.marks();
    const int rows = static_cast<int>(points.size());
    Points->setRowCount(rows);  // the view learns of rows come and gone
    // Thousands of cells each telling the view of its change stand the window still: the
    // cells change in silence, then the view hears of them once.
    QAbstractItemModel* model = Points->model();
    QSignalBlocker quiet(model);
    for (int row = 0; row < rows; ++row) {
        const auto& point = points[static_cast<std::size_t>(row)];
        const auto cell = [&](int column, const QString& text, bool editable) {
            const Qt::ItemFlags flags =
                editable ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
                         : Qt::ItemIsSelectable | Qt::ItemIsEnabled;
            // A marked row is light red with dark text in any style; any other row has no
            // colours of its own, so the style's normal ones show.
            const bool marked = !marks[static_cast<std::size_t>(row)].empty();
            const QVariant background = marked ? QVariant(kMarkedBackground) : QVariant();
            const QVariant foreground = marked ? QVariant(kMarkedText) : QVariant();
            // A cell in the table looks itself up among all the others on every change: a new
            // one is made whole before it goes in, and one in place changes only what differs.
            auto* item = Points->item(row, column);
            if (!item) {
                item = new QTableWidgetItem(text);
                item->setFlags(flags);
                if (marked) {
                    item->setData(Qt::BackgroundRole, background);
                    item->setData(Qt::ForegroundRole, foreground);
                }
                Points->setItem(row, column, item);
                return;
            }
            if (item->text() != text) item->setText(text);
            if (item->flags() != flags) item->setFlags(flags);
            if (item->data(Qt::BackgroundRole) != background) {
                item->setData(Qt::BackgroundRole, background);
            }
            if (item->data(Qt::ForegroundRole) != foreground) {
                item->setData(Qt::ForegroundRole, foreground);
            }
        };
        cell(RowColumn, QString::number(row + 1), false);
        cell(LitresColumn, fromUtf8(dut::tank::litresText(point.litres)), true);
        cell(LevelColumn, QString::number(point.level), false);
        cell(RawColumn, point.raw ? QString::number(*point.raw) : QString(), false);
        cell(TimeColumn,
             point.time == 0
                 ? QString()
                 : QDateTime::fromSecsSinceEpoch(point.time).toString(QStringLiteral("HH:mm:ss")),
             false);
        cell(MarkColumn, ui::translatedCore(marks[static_cast<std::size_t>(row)]), false);
    }
    quiet.unblock();
    if (rows > 0) emit model->dataChanged(model->index(0, 0), model->index(rows - 1, MarkColumn));
    Points->setUpdatesEnabled(true);
    showingTable_ = false;

    // An empty table keeps the way and the volume as chosen for its first point.
    if (!table_.empty()) {
        const bool draining = table_.direction() == Direction::Draining;
        Way->setCurrentIndex(draining ? 1 : 0);
        FullVolume->setEnabled(false);
        if (draining) {
            FullVolume->setText(fromUtf8(dut::tank::litresText(table_.state().startLitres)));
        }
    } else {
        FullVolume->setEnabled(Way->currentIndex() == 1);
    }
    if (!TankName->hasFocus()) TankName->setText(fromUtf8(table_.details().tank));
    if (!Vehicle->hasFocus()) Vehicle->setText(fromUtf8(table_.details().vehicle));
    UndoButton->setEnabled(table_.canUndo());
    DeleteButton->setEnabled(!table_.empty());
    ExportButton->setEnabled(!table_.empty());
    if (!points.empty()) Points->scrollToItem(Points->item(Points->rowCount() - 1, 0));
    showChart();
}

void TankCalibrationWindow::showChart() {
    const auto& points = table_.points();
    const auto marks = table_.marks();
    QList<QPointF> line;
    line.reserve(static_cast<qsizetype>(points.size()));
    QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> marked;
    const QHash<QXYSeries::PointConfiguration, QVariant> markedLook{
        {QXYSeries::PointConfiguration::Color, QColor(Qt::red)},
        {QXYSeries::PointConfiguration::Size, kMarkedSize}};
    double maxLevel = 0;
    double maxLitres = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPointF at(points[i].level, points[i].litres);
        line.append(at);
        if (!marks[i].empty()) marked.insert(static_cast<int>(i), markedLook);
        maxLevel = std::max(maxLevel, at.x());
        maxLitres = std::max(maxLitres, at.y());
    }
    // The whole series at once: appending point by point redraws the chart for each.
    Line->replace(line);
    if (marked != Line->pointsConfiguration()) Line->setPointsConfiguration(marked);
    // An empty table draws its own round frame (0..10), not the tail of a run of zeroes.
    const auto place = [](QValueAxis* axis, double dataMax, int maxSteps) {
        const dut::tank::AxisScale scale = dut::tank::roundAxis(dataMax, maxSteps);
        // A chart draws a mark for each step of its range at every change: the wider step
        // goes first, so that no in-between state asks for a million marks.
        if (scale.step > axis->tickInterval()) {
            axis->setTickInterval(scale.step);
            axis->setRange(0, scale.max);
        } else {
            axis->setRange(0, scale.max);
            axis->setTickInterval(scale.step);
        }
    };
    // Levels run to four digits: more than five marks across the chart no longer fit their
    // labels and the chart cuts them to "10…".
    place(LevelAxis, maxLevel, 5);
    place(LitresAxis, maxLitres, 10);
}

void TankCalibrationWindow::litresEdited(int row, int column) {
    if (showingTable_ || column != LitresColumn) return;
    if (!mayChange()) {
        QTimer::singleShot(0, this, [this] { showTable(); });
        return;
    }
    const auto litres = dut::tank::parseLitres(Points->item(row, column)->text().toStdString());
    const auto outcome = litres ? table_.editLitres(static_cast<std::size_t>(row), *litres)
                                : CalibrationTable::Outcome{kTypeLitres};
    if (!outcome.done()) {
        say(
            [row, refusal = outcome.refusal] {
                const QString why =
                    refusal == kTypeLitres ? tr(kTypeLitres) : ui::translatedCore(refusal);
                return tr("Литры строки %1 не изменены: %2").arg(row + 1).arg(why);
            },
            true);
        QTimer::singleShot(0, this, [this] { showTable(); });
        return;
    }
    say([row] {
        return tr("Литры строки %1 изменены; следующие строки сдвинуты на ту же величину.")
            .arg(row + 1);
    });
    // Not from inside the item's own change signal.
    QTimer::singleShot(0, this, [this] { changed(); });
}

void TankCalibrationWindow::detailsEdited() {
    dut::tank::TankDetails details = table_.details();
    details.tank = TankName->text().trimmed().toStdString();
    details.vehicle = Vehicle->text().trimmed().toStdString();
    if (details == table_.details()) return;
    if (!mayChange()) {
        TankName->setText(fromUtf8(table_.details().tank));
        Vehicle->setText(fromUtf8(table_.details().vehicle));
        return;
    }
    table_.setDetails(details);
    changed();
}

void TankCalibrationWindow::directionChosen() {
    const bool draining = Way->currentIndex() == 1;
    if (!table_.empty()) {
        Way->setCurrentIndex(table_.direction() == Direction::Draining ? 1 : 0);
        say([] { return tr("Направление меняется только для новой таблицы («Новая таблица»)."); },
            true);
        return;
    }
    FullVolume->setEnabled(draining);
    if (draining) FullVolume->setFocus();
}

void TankCalibrationWindow::undo() {
    if (!mayChange()) return;
    if (!table_.undo()) {
        say([] { return tr("Отменять нечего."); });
        return;
    }
    say([] { return tr("Последнее изменение отменено."); });
    changed();
}

void TankCalibrationWindow::deleteRow() {
    if (!mayChange()) return;
    const int row = Points->currentRow();
    if (row < 0) {
        say([] { return tr("Выберите строку, которую удалить."); }, true);
        return;
    }
    if (table_.remove(static_cast<std::size_t>(row)).done()) {
        say([row] { return tr("Строка %1 удалена (Ctrl+Z возвращает её).").arg(row + 1); });
        changed();
    }
}

void TankCalibrationWindow::newTable() {
    if (!mayChange()) return;
    // The old table stays on disk as well: undo lives only as long as the process.
    const QString aside =
        table_.empty() ? QString() : session_.setAside(QStringLiteral("previous"));
    // The new table is the connected sensor's, in one step that Ctrl+Z takes back whole.
    dut::tank::TableState fresh;
    fresh.details = table_.details();
    if (LevelSource->currentIndex() == SensorSource && link_.sensorNumber != 0) {
        fresh.details.sensorNumber = link_.sensorNumber;
    }
    table_.replace(fresh);
    // As at the opening: the next thing typed is a portion, and Enter records.
    Portion->setFocus();
    say([aside] {
        return aside.isEmpty() ? tr("Новая таблица.")
                               : tr("Новая таблица. Прежняя сохранена в %1; «Отменить» "
                                    "(Ctrl+Z) возвращает её сюда.")
                                     .arg(aside);
    });
    changed();
}

void TankCalibrationWindow::exportCsv() {
    if (table_.empty()) return;
    const qint32 sensor = tableSensorNumber();
    const QString suggested =
        ui::defaultFileName(tr("тарировка"), sensor == 0 ? QString() : QString::number(sensor),
                            fromUtf8(table_.details().vehicle), QStringLiteral("csv"));
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Экспорт таблицы тарировки"), QDir(ui::dialogFolder()).filePath(suggested),
        QStringLiteral("CSV (*.csv)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    ui::rememberDialogFolder(path);
    const std::string text = dut::tank::exportCsv(
        table_.state(),
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString(),
        DecimalComma->isChecked());
    QString why;
    if (!ui::saveFile(path, text, &why)) {
        say([path, why] { return tr("Таблица не выгружена в %1: %2").arg(path, why); }, true);
        return;
    }
    say([path, n = table_.points().size()] {
        return tr("Таблица выгружена: %1 (%2 точек).").arg(path).arg(n);
    });
}

void TankCalibrationWindow::importCsv() {
    if (!mayChange()) return;
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Импорт таблицы тарировки"), ui::dialogFolder(), tr("CSV (*.csv);;Все файлы (*)"),
        nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    ui::rememberDialogFolder(path);
    importFile(path);
}

void TankCalibrationWindow::importFile(const QString& path) {
    if (!mayChange()) return;
    const ui::FileRead file = ui::readFile(path);
    constexpr std::size_t kLargestTable = dut::tank::kLargestCsvBytes;
    QString refusal;
    dut::tank::CsvImport read;
    if (!file.ok) {
        refusal = file.why;
    } else if (std::size_t(file.bytes.size()) > kLargestTable) {
        refusal = tr("файл больше %1 МБ, а в таблице не больше %2 точек")
                      .arg(kLargestTable / (1024 * 1024))
                      .arg(dut::tank::kMaxPoints);
    } else {
        read = dut::tank::importCsv(file.bytes);
        if (!read.ok()) {
            refusal =
                read.badLine == 0
                    ? ui::translatedCore(read.error)
                    : tr("строка %1: %2").arg(read.badLine).arg(ui::translatedCore(read.error));
        }
    }
    if (!refusal.isEmpty()) {
        const QString text =
            tr("Файл %1 не принят: %2. Текущая таблица не изменена.").arg(path, refusal);
        std::fprintf(stderr, "brindolex-dut-configurator: %s\n", text.toUtf8().constData());
        say([text] { return text; }, true);
        QMessageBox box(QMessageBox::Warning, tr("Импорт таблицы тарировки"), text, QMessageBox::Ok,
                        this);
        ui::execMessageBox(box);
        return;
    }
    // Details the file does not carry stay as typed.
    dut::tank::TableState state = read.table;
    if (state.details.tank.empty()) state.details.tank = table_.details().tank;
    if (state.details.vehicle.empty()) state.details.vehicle = table_.details().vehicle;
    if (state.details.sensorNumber == 0) state.details.sensorNumber = table_.details().sensorNumber;
    table_.replace(state);
    say([n = state.points.size(), path] {
        return tr("Загружено %1 точек из %2 (Ctrl+Z возвращает прежнюю таблицу).").arg(n).arg(path);
    });
    changed();
}

bool TankCalibrationWindow::eventFilter(QObject* watched, QEvent* event) {
    // Left unclaimed by the box, Ctrl+Z goes on to the window's shortcut.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TankCalibrationWindow::keyPressEvent(QKeyEvent* event) {
    // Enter records a point wherever it was pressed, except while a name is typed or a cell
    // is edited (their own Enter ends the typing).
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier) {
        QWidget* focus = focusWidget();
        if (focus != TankName && focus != Vehicle && focus != FullVolume) {
            recordPoint();
            event->accept();
            return;
        }
        focusNextChild();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TankCalibrationWindow::closeEvent(QCloseEvent* event) {
    letSessionGo();
    QWidget::closeEvent(event);
}

void TankCalibrationWindow::hideEvent(QHideEvent* event) {
    // A minimized window is still open; one hidden by the program is closed.
    if (!event->spontaneous()) letSessionGo();
    QWidget::hideEvent(event);
}

void TankCalibrationWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}

void TankCalibrationWindow::retranslateUi() {
    setWindowTitle(tr("Тарировка бака"));
    TankName->setPlaceholderText(tr("название бака"));
    Vehicle->setPlaceholderText(tr("госномер или название"));
    TankLabel->setText(tr("Бак:"));
    VehicleLabel->setText(tr("ТС:"));
    LevelSource->setItemText(SensorSource, tr("Датчик на связи (выходной уровень)"));
    LevelSource->setItemText(LlsSource, tr("Шина LLS (монитор), адрес:"));
    SourceLabel->setText(tr("Источник уровня:"));
    Way->setItemText(0, tr("Заливка (от пустого)"));
    Way->setItemText(1, tr("Слив (от полного)"));
    FullVolume->setPlaceholderText(tr("полный объём, л"));
    RecordButton->setText(tr("Записать точку"));
    AutoRecord->setText(tr("Записывать автоматически"));
    PortionLabel->setText(tr("Порция, л:"));
    Points->setHorizontalHeaderLabels(
        {tr("№"), tr("Литры"), tr("Уровень"), tr("Сырое"), tr("Время"), tr("Отметка")});
    LevelAxis->setTitleText(tr("Уровень"));
    LitresAxis->setTitleText(tr("Литры"));
    DeleteButton->setText(tr("Удалить строку"));
    UndoButton->setText(tr("Отменить (Ctrl+Z)"));
    NewButton->setText(tr("Новая таблица"));
    ExportButton->setText(tr("Экспорт CSV... (Ctrl+S)"));
    ImportButton->setText(tr("Импорт CSV... (Ctrl+O)"));
    DecimalComma->setText(tr("десятичная запятая"));
    keepRoomForTexts();
    // What the window says and shows as state, in the language now chosen.
    if (said_) {
        Status->setText(said_());
        Status->setToolTip(Status->text());
    }
    if (!opened_) return;
    showStability();
    showTable();
}
