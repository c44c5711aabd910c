// The dialog that sets a settings file beside the connected sensor, and the menu band's button
// that leads to it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include "MainControls.h"
#include "SettingsApplyDialog.h"
#include "Windows.h"

namespace {

using dut::settings::SensorReading;
using dut::settings::SettingsDocument;

SettingsDocument fileOf(std::int32_t number) {
    SettingsDocument document;
    document.sensorNumber = number;
    document.date = "2026-12-10T10:15:00";
    document.values = {{3, 5}, {4, 3500}, {5, 300}, {8, 200}, {9, 30}, {10, 7}, {0, 900}};
    return document;
}

SensorReading sensorNumbered(std::optional<std::int32_t> number) {
    SensorReading reading;
    reading.sensorNumber = number;
    reading.values = {{3, 5}, {4, 2000}, {5, std::nullopt}, {8, 100}, {9, 0}, {10, 7}};
    return reading;
}

struct Row {
    QString name, inFile, inSensor;
    bool checkable;
    Qt::CheckState state;
};

std::vector<Row> rowsOf(const ui::SettingsApplyDialog& dialog) {
    const auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("Table"));
    std::vector<Row> rows;
    for (int i = 0; table && i < table->rowCount(); ++i) {
        const QTableWidgetItem* name = table->item(i, 0);
        rows.push_back({name->text(), table->item(i, 1)->text(), table->item(i, 2)->text(),
                        (name->flags() & Qt::ItemIsUserCheckable) != 0, name->checkState()});
    }
    return rows;
}

TEST(SettingsApplyDialog, ShowsBothSidesAndTicksLevelsOnlyForTheSameSensor) {
    const struct {
        std::optional<std::int32_t> connected;
        Qt::CheckState levels;
    } cases[] = {{1234, Qt::Checked}, {5678, Qt::Unchecked}, {std::nullopt, Qt::Unchecked}};
    for (const auto& c : cases) {
        ui::SettingsApplyDialog dialog(QStringLiteral("a.json"), fileOf(1234),
                                       sensorNumbered(c.connected), nullptr);
        const std::vector<Row> rows = rowsOf(dialog);
        ASSERT_EQ(rows.size(), 8u);
        const QString connected = c.connected ? QString::number(*c.connected) : "нет ответа";
        const std::vector<Row> expected = {
            {"Номер ДУТ (только чтение)", "1234", connected, false, Qt::Unchecked},
            {"Версия (только чтение)", "7", "7", false, Qt::Unchecked},
            {"Сетевой адрес", "5", "5", true, Qt::Checked},
            {"Полный бак", "3500", "2000", true, c.levels},
            {"Пустой бак", "300", "нет ответа", true, c.levels},
            {"Разрядность выхода LLS", "10 бит", "12 бит", true, Qt::Checked},
            {"Периодическая выдача данных", "30 сек", "выключена", true, Qt::Checked},
            {"Текущее значение (только чтение)", "900", "нет ответа", false, Qt::Unchecked},
        };
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].name, expected[i].name);
            EXPECT_EQ(rows[i].inFile, expected[i].inFile) << i;
            EXPECT_EQ(rows[i].inSensor, expected[i].inSensor) << i;
            EXPECT_EQ(rows[i].checkable, expected[i].checkable) << i;
            if (rows[i].checkable) {
                EXPECT_EQ(rows[i].state, expected[i].state) << i;
            }
        }
        const std::vector<std::uint8_t> ticked = dialog.ticked();
        const std::vector<std::uint8_t> wanted = c.levels == Qt::Checked
                                                     ? std::vector<std::uint8_t>{3, 4, 5, 8, 9}
                                                     : std::vector<std::uint8_t>{3, 8, 9};
        EXPECT_EQ(ticked, wanted);
    }
}

TEST(SettingsApplyDialog, WhatTheInstallerTicksIsWhatIsWritten) {
    ui::SettingsApplyDialog dialog(QStringLiteral("a.json"), fileOf(1234), sensorNumbered(5678),
                                   nullptr);
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("Table"));
    ASSERT_NE(table, nullptr);
    table->item(2, 0)->setCheckState(Qt::Unchecked);  // address off
    table->item(3, 0)->setCheckState(Qt::Checked);    // full level on
    // A read-only row cannot be ticked into a write, even by force.
    table->item(0, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(dialog.ticked(), (std::vector<std::uint8_t>{4, 8, 9}));
}

// A file whose full level is at or below its empty level has its two level rows marked and
// unticked, even for the sensor it was saved from; one unit apart is an ordinary pair.
TEST(SettingsApplyDialog, FileLevelsInTheWrongOrderAreMarkedAndUnticked) {
    const struct {
        std::int32_t full, empty;
        bool marked;
    } cases[] = {{300, 300, true}, {100, 300, true}, {301, 300, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.full);
        SettingsDocument file = fileOf(1234);
        file.values[4] = c.full;
        file.values[5] = c.empty;
        ui::SettingsApplyDialog dialog(QStringLiteral("a.json"), file, sensorNumbered(1234),
                                       nullptr);
        const auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("Table"));
        ASSERT_NE(table, nullptr);
        for (int row : {3, 4}) {
            EXPECT_EQ(table->item(row, 0)->checkState(), c.marked ? Qt::Unchecked : Qt::Checked);
            for (int column = 0; column < 3; ++column) {
                const QBrush background = table->item(row, column)->background();
                EXPECT_EQ(background.style() != Qt::NoBrush, c.marked) << row << "," << column;
                // Marked or not, the text stands out from its background.
                if (c.marked) {
                    EXPECT_NE(background.color(), table->item(row, column)->foreground().color());
                }
            }
        }
        EXPECT_EQ(table->item(2, 0)->background().style(), Qt::NoBrush);  // the address row
        const std::vector<std::uint8_t> wanted = c.marked
                                                     ? std::vector<std::uint8_t>{3, 8, 9}
                                                     : std::vector<std::uint8_t>{3, 4, 5, 8, 9};
        EXPECT_EQ(dialog.ticked(), wanted);
    }
}

// The dialog stays up while its choice is written: the line below the table says so, and
// nothing in it can be pressed until the writing is over.
TEST(SettingsApplyDialog, WritingHappensBeforeItClosesAndIsToldInItsStatusLine) {
    ui::SettingsApplyDialog dialog(QStringLiteral("a.json"), fileOf(1234), sensorNumbered(1234),
                                   nullptr);
    auto* status = dialog.findChild<QLabel*>(QStringLiteral("Status"));
    auto* write = dialog.findChild<QPushButton*>(QStringLiteral("WriteButton"));
    ASSERT_NE(status, nullptr);
    ASSERT_NE(write, nullptr);
    EXPECT_TRUE(status->text().isEmpty());
    std::vector<std::vector<std::uint8_t>> writes;
    QString shownMeanwhile;
    bool writeEnabledMeanwhile = true;
    dialog.setWriter([&](const std::vector<std::uint8_t>& chosen) {
        writes.push_back(chosen);
        shownMeanwhile = status->text();
        writeEnabledMeanwhile = write->isEnabled();
        EXPECT_TRUE(dialog.isVisible());
    });
    dialog.show();
    write->click();
    dialog.accept();  // a second accept does not write again
    EXPECT_EQ(writes, (std::vector<std::vector<std::uint8_t>>{{3, 4, 5, 8, 9}}));
    EXPECT_TRUE(shownMeanwhile.contains(QStringLiteral("Ждём ответа датчика")))
        << shownMeanwhile.toStdString();
    EXPECT_FALSE(writeEnabledMeanwhile);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(SettingsApplyDialog, SettingsButtonSitsOverTheHiddenMonitorButtonOutsideTheTabRound) {
    ui::Startup program;
    const testsupport::MainControls mc(program.mainWindow());
    EXPECT_FALSE(mc.Button12->isHidden());
    EXPECT_TRUE(mc.Button4->isHidden());
    EXPECT_EQ(mc.Button12->focusPolicy(), Qt::NoFocus);
    ASSERT_NE(mc.Button12->menu(), nullptr);
    QStringList entries;
    for (const QAction* action : mc.Button12->menu()->actions()) entries << action->text();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("Сохранить настройки…\tCtrl+Shift+S"),
                                    QStringLiteral("Применить настройки…\tCtrl+Shift+O")}));
    // The language switch's place beside it stays free.
    EXPECT_LE(mc.Button12->geometry().right(), 619);
}

}  // namespace
