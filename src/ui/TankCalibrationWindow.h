#pragma once

#include <QByteArray>
#include <QWidget>
#include <functional>
#include <optional>

#include "CalibrationTable.h"
#include "LevelStability.h"
#include "TankSessionFile.h"

class QCheckBox;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class QValueAxis;

namespace dut {
struct LinkState;
}

// "Тарировка бака": the installer pours known portions into the tank and records the settled
// level after each, building the table of level against litres that the telematics server
// needs. Not modal: the main window keeps polling, and the polled output level is what this
// window reads. Every change goes to the session file at once.
class TankCalibrationWindow : public QWidget {
    Q_OBJECT
  public:
    // Milliseconds on a clock that never goes back; the age of a reading is measured on it.
    using Clock = std::function<qint64()>;

    // The link state gives the sensor number; the session file is the user's unless a path is
    // given, and the clock a monotonic one unless one is given.
    TankCalibrationWindow(const dut::LinkState& state, QWidget* parent,
                          const QString& sessionPath = QString(), Clock clock = Clock());
    ~TankCalibrationWindow() override;

    // Shows the window; the first time in a process it takes up what the last session left.
    void open();

    const dut::tank::CalibrationTable& table() const { return table_; }
    // The sensor whose table this is: the number its points were recorded from (or its file
    // carried); 0 while the table has no points or came without a number. A table is never
    // shown or printed under another sensor's number.
    qint32 tableSensorNumber() const;
    // A reading older than this is no current level: no point is recorded from it.
    static constexpr qint64 kFreshReadingMs = 1500;
    const dut::tank::LevelStability& stability() const { return stability_; }
    QString statusText() const;
    bool lastSaveOk() const { return lastSaveOk_; }

  public slots:
    // The output level (parameter 6) as the main window's poll read it.
    void outputLevelPolled(qint32 level);
    // The raw value (parameter 0) of the same poll.
    void rawValuePolled(qint32 raw);
    // One read of the LLS monitor: the answers of the chosen address are levels.
    void llsChunkRead(const QByteArray& bytes);
    // "Записать точку" (Enter).
    void recordPoint();
    void undo();
    void deleteRow();
    void newTable();
    void exportCsv();
    void importCsv();
    // A CSV file read into the table; a bad one is refused with its line and reason, and the
    // table stays as it was.
    void importFile(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    enum Source { SensorSource = 0, LlsSource = 1 };

    void buildControls();
    // Takes the session file for this window unless another program writes it; the first
    // time, what the last session left is offered. False when the table may not change now
    // (another program holds it, the offer was closed unanswered, or it was taken only now
    // and the user should see it first).
    bool mayChange();
    enum class Claim { Held, TakenNow, Elsewhere };
    Claim claimSession();
    // False when the question was closed without an answer: nothing was changed.
    bool takeUpLastSession();
    void takeUpChangedSession();
    void sayHeldElsewhere();
    void letSessionGo();
    void levelRead(qint32 level, std::optional<qint32> raw);
    // The count of identical readings starts again; a source changed also forgets when the
    // last reading came, as that reading was another source's.
    void sourceLost(bool changed = false);
    bool readingFresh() const;
    // Another sensor answers on the line than the one whose table this is.
    qint32 otherSensorConnected() const;
    // The widest each changing text of the window can get, kept as the room of its label, so
    // that no new text widens the window.
    void keepRoomForTexts();
    void changed();
    void showTable();
    void showChart();
    void showStability();
    // The status line; the text is made again in the new language when the language changes.
    void say(std::function<QString()> text, bool bad = false);
    void retranslateUi();
    void litresEdited(int row, int column);
    void detailsEdited();
    void directionChosen();
    std::optional<double> typedLitres(QLineEdit* edit) const;

    const dut::LinkState& link_;
    ui::TankSessionFile session_;
    Clock clock_;
    dut::tank::CalibrationTable table_;
    dut::tank::LevelStability stability_;
    std::optional<qint32> lastRaw_;
    std::optional<qint64> lastReadingMs_;  // on clock_; none since the source was chosen
    bool opened_ = false;
    bool lastSaveOk_ = true;
    bool showingTable_ = false;
    bool tookUpSession_ = false;  // the last session was offered and answered
    bool claiming_ = false;
    bool toldHeldElsewhere_ = false;
    int lockTicks_ = 0;

    QLineEdit* TankName = nullptr;
    QLineEdit* Vehicle = nullptr;
    QLabel* SensorNumber = nullptr;
    QLabel* OtherSensor = nullptr;  // beside the heading while another sensor is connected
    QComboBox* LevelSource = nullptr;
    QSpinBox* LlsAddress = nullptr;
    QLabel* LevelText = nullptr;
    QLabel* StableText = nullptr;
    QComboBox* Way = nullptr;  // filling or draining
    QLineEdit* FullVolume = nullptr;
    QLineEdit* Portion = nullptr;
    QPushButton* RecordButton = nullptr;
    QCheckBox* AutoRecord = nullptr;
    QLabel* Status = nullptr;
    std::function<QString()> said_;
    QLabel* TankLabel = nullptr;
    QLabel* VehicleLabel = nullptr;
    QLabel* SourceLabel = nullptr;
    QLabel* PortionLabel = nullptr;
    QTableWidget* Points = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* UndoButton = nullptr;
    QPushButton* NewButton = nullptr;
    QPushButton* ExportButton = nullptr;
    QPushButton* ImportButton = nullptr;
    QCheckBox* DecimalComma = nullptr;
    QChartView* ChartView = nullptr;
    QChart* Chart = nullptr;
    QLineSeries* Line = nullptr;
    QValueAxis* LevelAxis = nullptr;
    QValueAxis* LitresAxis = nullptr;
    QTimer* SourceWatch = nullptr;
    QTimer* LockWatch = nullptr;
};
