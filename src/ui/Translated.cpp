#include "Translated.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

#include "CalibrationCommands.h"
#include "CalibrationTable.h"
#include "ConnectionController.h"
#include "FlatJson.h"
#include "InstallationReport.h"
#include "LevelCorrectionDialog.h"
#include "LevelOrder.h"
#include "PortOpenAdvice.h"
#include "SensorParams.h"
#include "SettingsFile.h"
#include "SettingsTransfer.h"
#include "TableCsv.h"
#include "TableSession.h"

namespace ui {

namespace {

struct Piece {
    const char* context;
    QString text;
    const char* source;
};

const std::vector<const char*>& intervalLabels() {
    static const std::vector<const char*> labels = [] {
        std::vector<const char*> out;
        for (const auto& choice : dut::param::kIntervalChoices) out.push_back(choice.label);
        return out;
    }();
    return labels;
}

// Every marked piece of the Qt-free layers, longest first, so that a piece inside a longer
// one ("строки " in "Литры строки ") never breaks the longer one up.
const std::vector<Piece>& pieces() {
    static const std::vector<Piece> all = [] {
        const struct {
            const char* context;
            const std::vector<const char*>& texts;
        } lists[] = {
            {"ConnectionController", dut::config::ConnectionController::statusTexts()},
            {"CalibrationCommands", dut::config::CalibrationCommands::messageTexts()},
            {"LevelCorrectionDialog", dut::config::LevelCorrectionDialog::messageTexts()},
            {"LevelOrder", dut::config::levelOrderTexts()},
            {"CalibrationTable", dut::tank::CalibrationTable::texts()},
            {"TableCsv", dut::tank::csvImportTexts()},
            {"TableSession", dut::tank::sessionReadTexts()},
            {"FlatJson", dut::settings::flatJsonTexts()},
            {"SettingsFile", dut::settings::settingsFileTexts()},
            {"SettingsTransfer", dut::settings::settingsTransferTexts()},
            {"SensorParams", intervalLabels()},
            {"InstallationReport", dut::report::reportTexts()},
            {"PortOpenAdvice", dut::config::portOpenTexts()},
        };
        std::vector<Piece> out;
        for (const auto& list : lists) {
            for (const char* text : list.texts) {
                out.push_back({list.context, QString::fromUtf8(text), text});
            }
        }
        std::stable_sort(out.begin(), out.end(), [](const Piece& a, const Piece& b) {
            return a.text.size() > b.text.size();
        });
        return out;
    }();
    return all;
}

}  // namespace

QString translatedCore(const QString& text) {
    QString out = text;
    for (const Piece& piece : pieces()) {
        if (!out.contains(piece.text)) continue;
        const QString translation = QCoreApplication::translate(piece.context, piece.source);
        if (translation != piece.text) out.replace(piece.text, translation);
    }
    return out;
}

QString translatedCore(const std::string& text) {
    return translatedCore(QString::fromStdString(text));
}

QString translatedCore(const char* text) {
    return translatedCore(QString::fromUtf8(text));
}

}  // namespace ui
