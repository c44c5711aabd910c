#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "CalibrationTable.h"
#include "InstallationReport.h"

class QPagedPaintDevice;

namespace ui {

// Everything one installation report shows.
struct ReportContent {
    QString madeAt;  // the date and time the sensor was read
    dut::report::InstallerDetails details;
    dut::report::SensorReadings readings;
    // None when no tank was calibrated in this session.
    std::optional<dut::tank::TableState> table;
};

// Paints the report on the pages of a PDF writer or a printer, as many pages as the
// calibration table needs; the same drawing for both. False when the device could not be
// painted on (a printer that refused the job).
bool paintReport(QPagedPaintDevice& device, const ReportContent& content);

// The report as the bytes of an A4 PDF file.
QByteArray reportPdf(const ReportContent& content);

// The face the report is set in: one the package installs, with Cyrillic, so a PDF made
// anywhere reads the same.
QString reportFontFamily();

}  // namespace ui
