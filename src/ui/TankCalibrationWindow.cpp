#include "TankCalibrationWindow.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
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
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cstdio>

#include "FileIo.h"
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

const char* const kTypeLitres = QT_TRANSLATE_NOOP("TankCalibrationWindow", "введите число литров.");

enum Column { RowColumn, LitresColumn, LevelColumn, RawColumn, TimeColumn, MarkColumn };

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

}  // namespace

TankCalibrationWindow::TankCalibrationWindow(const dut::LinkState& state, QWidget* parent,
                                             const QString& sessionPath)
    : QWidget(parent, Qt::Window), link_(state), session_(sessionPath) {
    setObjectName(QStringLiteral("TankCalibration"));
    buildControls();
    retranslateUi();
    resize(860, 600);

    SourceWatch = new QTimer(this);
    SourceWatch->setInterval(1000);
    connect(SourceWatch, &QTimer::timeout, this, [this] {
        if (!isVisible()) {
            SourceWatch->stop();  // open() starts it again
            return;
        }
        if (stability_.level() && nowMs() - lastReadingMs_ > kSourceSilenceMs) sourceLost();
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
    TankLabel = new QLabel(this);
    details->addWidget(TankLabel);
    details->addWidget(TankName, 2);
    VehicleLabel = new QLabel(this);
    details->addWidget(VehicleLabel);
    details->addWidget(Vehicle, 2);
    details->addWidget(SensorNumber, 1);
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

    Status = new QLabel(this);
    Status->setWordWrap(true);
    Status->setMinimumHeight(32);
    layout->addWidget(Status);

    auto* split = new QSplitter(Qt::Horizontal, this);
    Points = new QTableWidget(0, 6, split);
    Points->verticalHeader()->hide();
    Points->setSelectionBehavior(QAbstractItemView::SelectRows);
    Points->setSelectionMode(QAbstractItemView::SingleSelection);
    Points->horizontalHeader()->setStretchLastSection(true);

    Chart = new QChart;
    Chart->legend()->hide();
    Chart->setAnimationOptions(QChart::NoAnimation);
    // One series draws the line and its points in one pass; a scatter series would make a
    // graphics item of every point, which for thousands of points stands the window still.
    Line = new QLineSeries;
    Line->setPointsVisible(true);
    Line->setMarkerSize(7);
    LevelAxis = new QValueAxis;
    LevelAxis->setLabelFormat(QStringLiteral("%d"));
    LitresAxis = new QValueAxis;
    Chart->addAxis(LevelAxis, Qt::AlignBottom);
    Chart->addAxis(LitresAxis, Qt::AlignLeft);
    Chart->addSeries(Line);
    Line->attachAxis(LevelAxis);
    Line->attachAxis(LitresAxis);
    ChartView = new QChartView(Chart, split);
    ChartView->setMinimumWidth(300);
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
        sourceLost();
        if (index == LlsSource) {
            say([] {
                return tr(
                    "Уровень берётся из ответов датчика с выбранным адресом, пока "
                    "открыт монитор работы LLS (Ctrl+Shift+L в главном окне). Пока "
                    "монитор открыт, точки записываются в автоматическом режиме.");
            });
        }
    });
    connect(LlsAddress, qOverload<int>(&QSpinBox::valueChanged), this, [this] { sourceLost(); });
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
    lastReadingMs_ = nowMs();
    stability_.add(level);
    lastRaw_ = raw;
    if (!isVisible()) return;
    showStability();
    if (AutoRecord->isChecked() && dut::tank::autoRecordDue(table_, stability_.stable(), level)) {
        recordPoint();
    }
}

void TankCalibrationWindow::sourceLost() {
    stability_.reset();
    lastRaw_.reset();
    showStability();
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
    setText(LevelText, level ? tr("Уровень: %1").arg(*level) : tr("Уровень: —"));
    if (!level) {
        setText(StableText, tr("Нет показаний"));
        setLook(StableText, QStringLiteral("color: gray;"));
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
    const qint32 number =
        table_.details().sensorNumber != 0 ? table_.details().sensorNumber : link_.sensorNumber;
    setText(SensorNumber, number == 0 ? tr("ДУТ № —") : tr("ДУТ № %1").arg(number));
}

std::optional<double> TankCalibrationWindow::typedLitres(QLineEdit* edit) const {
    const auto litres = dut::tank::parseLitres(edit->text().toStdString());
    if (!litres || *litres <= 0.0) return std::nullopt;
    return litres;
}

void TankCalibrationWindow::recordPoint() {
    if (!mayChange()) return;
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
    dut::tank::TankDetails details = table_.details();
    if (link_.sensorNumber != 0 && LevelSource->currentIndex() == SensorSource &&
        details.sensorNumber != link_.sensorNumber) {
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
            const bool marked = !marks[static_cast<std::size_t>(row)].empty();
            const QBrush background = marked ? QBrush(QColor(255, 200, 200)) : QBrush();
            // A cell in the table looks itself up among all the others on every change: a new
            // one is made whole before it goes in, and one in place changes only what differs.
            auto* item = Points->item(row, column);
            if (!item) {
                item = new QTableWidgetItem(text);
                item->setFlags(flags);
                if (marked) item->setBackground(background);
                Points->setItem(row, column, item);
                return;
            }
            if (item->text() != text) item->setText(text);
            if (item->flags() != flags) item->setFlags(flags);
            if (item->background() != background) item->setBackground(background);
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
        {QXYSeries::PointConfiguration::Size, 9.0}};
    double maxLevel = 100;
    double maxLitres = 10;
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
    LevelAxis->setRange(0, maxLevel * 1.05);
    LitresAxis->setRange(0, maxLitres * 1.05);
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
    table_.start(Direction::Filling, 0);
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
    const QString suggested =
        QStringLiteral("tarirovka-%1.csv")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
    const QString path = QFileDialog::getSaveFileName(this, tr("Экспорт таблицы тарировки"),
                                                      suggested, QStringLiteral("CSV (*.csv)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
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
    const QString path = QFileDialog::getOpenFileName(this, tr("Импорт таблицы тарировки"),
                                                      QString(), tr("CSV (*.csv);;Все файлы (*)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) importFile(path);
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
    // What the window says and shows as state, in the language now chosen.
    if (said_) Status->setText(said_());
    if (!opened_) return;
    showStability();
    showTable();
}
