#pragma once

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QValueAxis>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "PortComboBox.h"
#include "UiStyle.h"

class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class GlobalHotKeys;
class TankCalibrationWindow;

namespace dut::config {
class CalibrationCommands;
class ConnectionController;
}  // namespace dut::config

namespace ui {
struct AppContext;
class MainWindowView;
class QtNotifier;
class HeldClose;
class ExchangeLogWindow;
class SettingsFileActions;
class ReportWindow;
}  // namespace ui

// The main window: a menu band and the four numbered steps, at fixed pixel positions. It
// creates the five windows it opens as its own, so they have no taskbar entries of their own
// and go when it goes. Every control bears its name (findChild finds it by that name).
class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // The context is the process-wide link this window and those it opens talk through; it
    // must outlive the window.
    explicit TForm1(ui::AppContext& context, QWidget* parent = nullptr);
    ~TForm1() override;

    // The extent of the controls; a smaller client area gets scroll bars.
    static constexpr int kContentWidth = 761;
    static constexpr int kContentHeight = 554;

    // F1's extra: a minimised window is restored, raised and given the focus.
    void restoreAndRaise();
    // Puts the name into COMSelect and connects as picking it there does: the port given on
    // the command line.
    void choosePort(const QString& name);

    TForm2* form2() const { return Form2; }
    TForm3* form3() const { return Form3; }
    TForm4* form4() const { return Form4; }
    TForm5* form5() const { return Form5; }
    TForm6* form6() const { return Form6; }
    // Made on first opening.
    TankCalibrationWindow* tankWindow() const { return TankWindow; }
    ui::ExchangeLogWindow* exchangeLog() const { return ExchangeLog; }
    // Made on first opening.
    ui::ReportWindow* reportWindow() const { return Report; }
    // "Журнал обмена", Ctrl+Shift+J: made on first opening.
    void openExchangeLog();

  signals:
    // What each poll read, for the windows that follow the sensor (the tank calibration).
    void rawValuePolled(qint32 raw);
    void outputLevelPolled(qint32 level);

  public slots:
    void FormCreate();
    void COMSelectDropDown();
    void COMSelectSelect();
    void Button1Click();
    void Timer2Timer();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void Button6Click();
    void Button9Click();
    void Button4Click();
    void Button7Click();
    void Button8Click();
    // "Тарировка" and Ctrl+T: the tank calibration window, not modal.
    void Button10Click();
    // "Настройки": "Сохранить настройки…" (Ctrl+Shift+S) and "Применить настройки…"
    // (Ctrl+Shift+O), a sensor's settings in a file.
    void saveSettingsFile();
    void applySettingsFile();
    // "Отчёт" and Ctrl+P: the installation report's form, not modal.
    void ReportButtonClick();
    // A hot key from the window system, by its registration identifier.
    void hotKeyActivated(int id);
    // The switch in the menu band: the other language, at once and from now on.
    void switchLanguage();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    friend class ui::MainWindowView;

    void buildMenuBand();
    void buildStep1();
    void buildStep2();
    void buildStep3();
    void buildStep4();
    void buildChart();
    void nameControls();
    // Every text of the window in the current language.
    void retranslateUi();
    QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& place);

    ui::AppContext& context_;

    QScrollArea* ScrollBox = nullptr;  // the client area
    QWidget* Content = nullptr;        // holds the controls at their designed positions

    // Menu band.
    ui::Panel* Panel5 = nullptr;
    QLabel* Label13 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* LanguageSwitch = nullptr;
    QPushButton* Button12 = nullptr;  // "Настройки", in the hidden monitor button's place
    QAction* SaveSettingsAction = nullptr;
    QAction* ApplySettingsAction = nullptr;
    QPushButton* ReportButton = nullptr;

    // Step 1: connect.
    ui::Panel* Panel1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* ConnectStatusText = nullptr;
    std::optional<std::string> statusSaid_;  // as the connection said it, untranslated
    std::string statusReasonSaid_;           // the status tooltip, untranslated
    ui::PortComboBox* COMSelect = nullptr;
    QPushButton* Button1 = nullptr;

    // Step 2: network address.
    ui::Panel* Panel2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label7 = nullptr;
    ui::FlatLineEdit* LLS_ADRESS = nullptr;
    QPushButton* Button5 = nullptr;

    // Step 3: full and empty tank.
    ui::Panel* Panel3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label8 = nullptr;
    QChartView* Chart1 = nullptr;
    QChart* Chart = nullptr;
    QLineSeries* Series1 = nullptr;
    QValueAxis* LeftAxis = nullptr;
    QValueAxis* BottomAxis = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* LEVELMIN = nullptr;
    QLabel* LEVELMAX = nullptr;
    QLabel* Edit1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button6 = nullptr;
    QLabel* Label9 = nullptr;

    // Step 4: check.
    ui::Panel* Panel4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Image4 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label11 = nullptr;

    QTimer* Timer2 = nullptr;
    GlobalHotKeys* HotKeys = nullptr;
    ui::HeldClose* heldClose_ = nullptr;

    std::unique_ptr<ui::MainWindowView> view_;
    std::unique_ptr<ui::QtNotifier> notifier_;
    std::unique_ptr<dut::config::ConnectionController> controller_;
    std::unique_ptr<dut::config::CalibrationCommands> commands_;
    std::unique_ptr<ui::SettingsFileActions> settingsFile_;

    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
    TForm6* Form6 = nullptr;
    TankCalibrationWindow* TankWindow = nullptr;
    ui::ExchangeLogWindow* ExchangeLog = nullptr;
    ui::ReportWindow* Report = nullptr;
};
