#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "CalibrationTable.h"
#include "ReportPage.h"

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dut {
class ConfigLink;
}

namespace ui {

// "Отчёт": the installer's details for the signed sheet, kept between sessions, and the two
// ways out: a PDF file opened in the system's viewer, or the printer. The sensor is read
// anew each time a report is made.
class ReportWindow : public QWidget {
    Q_OBJECT
  public:
    // The table of the tank calibration in this session, if there is one.
    using TankTable = std::function<std::optional<dut::tank::TableState>()>;

    // What opens the line to the sensor when the link is down, before the report's reads: the
    // main window's own connect.
    using Connect = std::function<void()>;

    ReportWindow(dut::ConfigLink& link, TankTable tankTable, Connect connectLine, QWidget* parent);

    void open();

    dut::report::InstallerDetails details() const;
    QString statusText() const;
    // The name the save dialog offers: in the window's language, with the connected sensor's
    // number and the plate typed, in the folder of the last file dialog.
    QString suggestedPath() const;

  public slots:
    // "Сохранить PDF…"
    void savePdf();
    // "Печать…"
    void print();
    // Reads the sensor and writes the report to the file; false with the message shown when
    // the file could not be written. The form keeps what was typed either way.
    bool saveTo(const QString& path);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // What a report is made for; the question before a page without values names it.
    enum class Purpose { Save, Print };

    void retranslateUi();
    QFormLayout* form_ = nullptr;
    // Reads the sensor for a report; nothing when it answered nothing and the installer chose
    // not to go on with a page without its values.
    std::optional<ReportContent> collect(Purpose purpose);
    // The status line is kept as a text to make, so that a language switch redoes it.
    void say(std::function<QString()> text, bool bad = false);
    void refuse(const QString& title, const QString& text);
    std::function<QString()> status_;

    dut::ConfigLink& link_;
    TankTable tankTable_;
    Connect connect_;

    QLineEdit* Installer = nullptr;
    QLineEdit* Company = nullptr;
    QLineEdit* Plate = nullptr;
    QLineEdit* Model = nullptr;
    QLineEdit* Tank = nullptr;
    std::vector<QLabel*> labels_;  // one per field, in their order
    QPushButton* PdfButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QLabel* Status = nullptr;
};

}  // namespace ui
