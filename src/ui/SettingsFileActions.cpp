#include "SettingsFileActions.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <cstdio>
#include <exception>

#include "FileIo.h"
#include "MainValues.h"
#include "MessageBox.h"
#include "SensorParams.h"
#include "SettingsApplyDialog.h"
#include "SettingsTransfer.h"
#include "Translated.h"

namespace ui {

namespace {

QString fileFilter() {
    return QCoreApplication::translate("SettingsFileActions",
                                       "Настройки ДУТ (*.json);;Все файлы (*)");
}

}  // namespace

SettingsFileActions::SettingsFileActions(dut::ConfigLink& link, dut::config::MainValues& values,
                                         dut::config::MainView& view, QWidget* parent)
    : link_(link), values_(values), view_(view), parent_(parent) {}

QString SettingsFileActions::pickFile(QWidget* parent, bool forSaving, const QString& suggested) {
    const QString given = qEnvironmentVariable("DUT_SETTINGS_FILE");
    if (!given.isEmpty()) return given;
    const QString path =
        forSaving
            ? QFileDialog::getSaveFileName(
                  parent, QCoreApplication::translate("SettingsFileActions", "Сохранить настройки"),
                  suggested, fileFilter(), nullptr, QFileDialog::DontUseNativeDialog)
            : QFileDialog::getOpenFileName(
                  parent, QCoreApplication::translate("SettingsFileActions", "Применить настройки"),
                  dialogFolder(), fileFilter(), nullptr, QFileDialog::DontUseNativeDialog);
    rememberDialogFolder(path);
    return path;
}

void SettingsFileActions::tell(const QString& text) {
    std::fprintf(stderr, "brindolex-dut-configurator: %s\n", text.toUtf8().constData());
    std::fflush(stderr);
    showMessage(parent_, text);
}

void SettingsFileActions::save() {
    // Read first: a sensor that does not answer is told before anyone picks a file.
    const QDateTime now = QDateTime::currentDateTime();
    const dut::settings::SaveOutcome outcome = dut::settings::documentFor(
        dut::settings::readSensor(link_),
        now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString());
    if (!outcome.document) {
        tell(translatedCore(outcome.refusal) +
             QCoreApplication::translate("SettingsFileActions", " Файл не записан."));
        return;
    }
    const QString suggested =
        QDir(dialogFolder())
            .filePath(QCoreApplication::translate("SettingsFileActions", "ДУТ-%1-%2.json")
                          .arg(outcome.document->sensorNumber)
                          .arg(now.toString(QStringLiteral("yyyy-MM-dd"))));
    const QString path = pickFile(parent_, true, suggested);
    if (path.isEmpty()) return;

    const std::string text = dut::settings::writeSettings(*outcome.document);
    QString why;
    if (!saveFile(path, text, &why)) {
        tell(QCoreApplication::translate("SettingsFileActions",
                                         "Настройки не сохранены в файл %1: %2")
                 .arg(path, why));
        return;
    }
    QString done = QCoreApplication::translate("SettingsFileActions",
                                               "Настройки ДУТ № %1 сохранены в файл %2.")
                       .arg(outcome.document->sensorNumber)
                       .arg(path);
    for (const std::string& left : outcome.left) {
        done += QCoreApplication::translate(
                    "SettingsFileActions",
                    "\nНе сохранено (такого значения программа не записывает): ") +
                translatedCore(left);
    }
    tell(done);
}

void SettingsFileActions::apply() {
    const QString path = pickFile(parent_, false, QString());
    if (path.isEmpty()) return;
    const FileRead file = readFile(path);
    if (!file.ok) {
        tell(QCoreApplication::translate("SettingsFileActions", "Файл настроек %1 не читается: %2")
                 .arg(path, file.why));
        return;
    }
    const dut::settings::ParsedSettings parsed = dut::settings::parseSettings(file.bytes);
    if (!parsed.document) {
        tell(QCoreApplication::translate(
                 "SettingsFileActions",
                 "Файл настроек %1 не принят: %2. В датчик ничего не записано.")
                 .arg(path, translatedCore(parsed.refusal)));
        return;
    }

    const dut::settings::SensorReading reading = dut::settings::readSensor(link_);
    if (!reading.sensorNumber) {
        tell(QCoreApplication::translate("SettingsFileActions",
                                         "Датчик не отвечает: настройки из файла %1 не записаны.")
                 .arg(path));
        return;
    }
    SettingsApplyDialog dialog(QFileInfo(path).fileName(), *parsed.document, reading, parent_);
    // Written while the dialog is still up, so that its status line tells of the wait.
    std::vector<dut::settings::WriteOutcome> outcomes;
    std::exception_ptr failure;
    dialog.setWriter([&](const std::vector<std::uint8_t>& chosen) {
        try {
            outcomes = dut::settings::apply(link_, *parsed.document, chosen);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (failure) std::rethrow_exception(failure);
    if (!accepted) return;

    // The main window shows what the sensor now holds, as after its own commands.
    for (const dut::settings::WriteOutcome& outcome : outcomes) {
        if (!outcome.taken()) continue;
        const std::string value = std::to_string(outcome.wanted);
        if (outcome.parameter == dut::param::kNetworkAddress) view_.setAddressText(value);
        if (outcome.parameter == dut::param::kFullLevel) values_.setLevelMax(value);
        if (outcome.parameter == dut::param::kEmptyLevel) values_.setLevelMin(value);
    }
    tell(translatedCore(dut::settings::summaryText(outcomes)));
}

}  // namespace ui
