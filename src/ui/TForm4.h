#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdint>
#include <string>
#include <vector>

#include "FormDialog.h"
#include "LlsGrid.h"
#include "LlsMonitor.h"

namespace ui {
struct AppContext;
class LlsLineReader;
class LlsTableModel;
}  // namespace ui

// The LLS monitor window: a passive view of the traffic between a terminal and its sensors.
class TForm4 : public ui::FormDialog {
    Q_OBJECT
  public:
    // The port the monitor listens on, and the context's say over the line: while the monitor
    // is shown it listens and the main window's polling waits, since the configurator's
    // requests would put its own frames on the line being watched.
    TForm4(ui::AppContext& context, QWidget* parent);

    const dut::LlsMonitor& monitor() const { return monitor_; }

    ui::LlsGrid* StringGrid1 = nullptr;
    ui::LlsTableModel* model() const { return model_; }
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Image1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button1 = nullptr;
    // Says which port the monitor could not open, and why, or that its adapter has gone;
    // hidden while nothing is wrong.
    QLabel* PortProblem = nullptr;

    // How often the monitor tries the port again while it has none.
    static constexpr int kReopenMs = 500;

  signals:
    // The bytes of one read from the line, as the monitor processed them.
    void chunkRead(const QByteArray& bytes);

  public slots:
    void FormShow();
    void FormHide();
    void Button1Click();

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // Every text of the window in the current language.
    void retranslateUi();
    void chunkHeard(const std::vector<std::uint8_t>& bytes);
    // The read's time passed without a byte: the counters catch up, as after an empty read.
    void quietRead();
    // Listens on the open port, opening the one in the port box first when none is open.
    void listen();
    // Stops listening, and closes the port again if the monitor opened it.
    void stopListening();
    // The adapter went away under the reader: the dead port is closed, the marks nothing now
    // confirms are greyed, and the port is tried again until it is back.
    void lineGone();
    // One try at the port while the monitor is shown without one.
    void reopen();
    // PortProblem's text in the current language.
    void showPortProblem();
    // Copies the counters into the labels and lets the grid read the table again.
    void showMonitor();

    dut::LlsMonitor monitor_;
    ui::AppContext& context_;
    ui::LlsTableModel* model_ = nullptr;
    ui::LlsLineReader* reader_ = nullptr;
    QTimer quiet_;                 // one read's whole time without a byte
    QTimer reopen_;                // the next try at the port while there is none
    bool shown_ = false;           // between FormShow and FormHide
    bool ownsPort_ = false;        // the monitor opened the port and gives it back on hiding
    std::string portProblemSaid_;  // PortProblem's text, untranslated
    QString gonePort_;             // the port whose adapter went away, until it is back
};
