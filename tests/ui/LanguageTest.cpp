// The two languages inside the program: the texts the Qt-free layers compose, shown by the
// windows in either language (Russian byte for byte as composed), and a change of language
// reaching the open windows' state texts at once.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QRegularExpression>
#include <cerrno>
#include <sstream>
#include <string>
#include <vector>

#include "BoxHook.h"
#include "CalibrationCommands.h"
#include "CalibrationTable.h"
#include "CommandLine.h"
#include "ConnectionController.h"
#include "HotKeyTable.h"
#include "Language.h"
#include "LevelCorrectionDialog.h"
#include "MainWindowView.h"
#include "PortOpenAdvice.h"
#include "QtNotifier.h"
#include "TableCsv.h"
#include "TableSession.h"
#include "Translated.h"
#include "Windows.h"

namespace {

const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));

// Sets the language for one test and puts Russian back after it, as the other tests expect.
class InLanguage {
  public:
    explicit InLanguage(ui::Language language) { set(language); }
    ~InLanguage() { set(ui::Language::Russian); }
    static void set(ui::Language language) {
        ui::applyLanguage(language);
        QCoreApplication::processEvents();  // the LanguageChange events
    }
};

std::vector<std::vector<const char*>> allPieceLists() {
    return {dut::config::ConnectionController::statusTexts(),
            dut::config::CalibrationCommands::messageTexts(),
            dut::config::LevelCorrectionDialog::messageTexts(),
            dut::tank::CalibrationTable::texts(),
            dut::tank::csvImportTexts(),
            dut::tank::sessionReadTexts()};
}

// Texts as the logic composes them: pieces with numbers, names and line breaks between.
const std::vector<std::pair<std::string, QString>> kComposed = {
    {"Подключение\r\nустановлено\r\nДУТ № 1234\r\nВесия:5",
     QStringLiteral("Connection\nestablished\nSensor No. 1234\nVersion:5")},
    {"Нет\r\nсоединения!\r\nс датчиком", QStringLiteral("No\nconnection!\nto the sensor")},
    {"ВНИМАНИЕ!\rГраница верхнего уровня будет изменена на 4300 единиц.\rГраница нижнего "
     "уровня будет изменена на -5 единиц.\rПродолжаем ?",
     QStringLiteral("ATTENTION!\rThe upper level limit will be changed to 4300 units.\rThe "
                    "lower level limit will be changed to -5 units.\rContinue?")},
    {"уровень ниже, чем у строки 3, хотя топливо доливали",
     QStringLiteral("level below that of row 3, although fuel was added")},
    {"Литры строки 12 стали бы меньше нуля.",
     QStringLiteral("The litres of row 12 would fall below zero.")},
    {"литры не число: \"абв\"", QStringLiteral("the litres are not a number: \"абв\"")},
};

TEST(Language, RussianComposedTextsPassUnchangedByteForByte) {
    InLanguage russian(ui::Language::Russian);
    for (const auto& [text, english] : kComposed) {
        EXPECT_EQ(ui::translatedCore(text).toStdString(), text);
    }
    for (const auto& list : allPieceLists()) {
        for (const char* piece : list)
            EXPECT_EQ(ui::translatedCore(std::string(piece)).toStdString(), piece);
    }
}

TEST(Language, EnglishLeavesNoRussianPieceBehind) {
    InLanguage english(ui::Language::English);
    for (const auto& [text, translation] : kComposed) {
        EXPECT_EQ(ui::translatedCore(text), translation) << text;
    }
    for (const auto& list : allPieceLists()) {
        for (const char* piece : list) {
            EXPECT_FALSE(ui::translatedCore(std::string(piece)).contains(kCyrillic)) << piece;
        }
    }
}

TEST(Language, HotKeyCaptionsForTheDesktopPortalAreTranslated) {
    // The portal shows these in its binding dialog, in the language of the moment of binding.
    InLanguage english(ui::Language::English);
    QStringList captions;
    for (const auto& key : hotkeys::kHotKeys) {
        captions << QCoreApplication::translate("HotKeys", key.caption);
    }
    EXPECT_EQ(captions,
              QStringList({QStringLiteral("Tank empty (F1)"), QStringLiteral("Tank full (F4)"),
                           QStringLiteral("Set address 1"), QStringLiteral("Set address 2")}));
}

TEST(Language, OutcomeBoxesSpeakTheChosenLanguage) {
    std::vector<testsupport::RecordedBox> boxes;
    testsupport::BoxHook hook(testsupport::recordInto(boxes));
    ui::QtNotifier notifier(nullptr);
    for (const ui::Language language : {ui::Language::English, ui::Language::Russian}) {
        InLanguage in(language);
        notifier.showMessage(dut::config::CalibrationCommands::messageTexts().front());
    }
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Full tank level set!"));
    EXPECT_EQ(boxes[1].text, QStringLiteral("Максимальный уровень установлен!"));
}

// The few texts written in English (they follow the system's own reason, or serve a terminal)
// are Russian in the Russian windows, English in the English ones.
TEST(Language, TextsWrittenInEnglishFollowTheLanguageToo) {
    const std::string reason = dut::config::portOpenReason(
        "/dev/ttyUSB0", dut::config::openErrorExplanation("Permission denied",
                                                          dut::config::posixOpenAdvice(EACCES)));
    const struct {
        ui::Language language;
        QString reason;
        std::string complaint;
        const char* usageStart;
    } rows[] = {
        {ui::Language::English,
         QStringLiteral("Cannot open /dev/ttyUSB0: Permission denied. Add your user to the "
                        "dialout group (uucp on Arch) and log in again."),
         "unknown option '--x'",
         "Usage: brindolex-dut-configurator [--trace FILE] [--lang ru|en] [PORT]\n"},
        {ui::Language::Russian,
         QStringLiteral("Не удаётся открыть /dev/ttyUSB0: Permission denied. Добавьте своего "
                        "пользователя в группу dialout (uucp в Arch) и войдите в систему заново."),
         "неизвестный параметр '--x'",
         "Запуск: brindolex-dut-configurator [--trace ФАЙЛ] [--lang ru|en] [ПОРТ]\n"},
    };
    for (const auto& row : rows) {
        InLanguage in(row.language);
        EXPECT_EQ(ui::translatedCore(reason), row.reason);
        std::ostringstream out, err;
        EXPECT_EQ(ui::answerWithoutWindow(ui::parseCommandLine({"--x"}), out, err), 2);
        EXPECT_EQ(err.str(),
                  "brindolex-dut-configurator: " + row.complaint + "\n" + ui::usageText());
        EXPECT_EQ(ui::usageText().rfind(row.usageStart, 0), 0u);
        // Every line of the usage fits a terminal of 80 columns, counted in characters.
        for (const QString& line : QString::fromStdString(ui::usageText()).split(u'\n'))
            EXPECT_LE(line.size(), 80) << line.toStdString();
    }
}

TEST(Language, OpenWindowsChangeTheirTextsAndStateAtOnce) {
    ui::Startup program;
    TForm1& main = program.mainWindow();
    auto* status = main.findChild<QLabel*>(QStringLiteral("ConnectStatusText"));
    auto* hotKeys = main.findChild<QPushButton*>(QStringLiteral("Button8"));
    auto* languageSwitch = main.findChild<QPushButton*>(QStringLiteral("LanguageSwitch"));
    auto* intervals = program.windows().form6->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    auto* monitorGrid =
        program.windows().form4->findChild<QAbstractItemView*>(QStringLiteral("StringGrid1"));
    auto* monitorClear =
        program.windows().form4->findChild<QPushButton*>(QStringLiteral("Button1"));
    ASSERT_TRUE(status && hotKeys && languageSwitch && intervals && monitorGrid && monitorClear);
    const auto monitorHeading = [monitorGrid] {
        return monitorGrid->model()->index(0, 0).data().toString();
    };
    EXPECT_EQ(status->text(), QStringLiteral("Нет соединения с датчиком"));

    // The status the connection last said, not the window's first text, comes back.
    ui::MainWindowView view(main);
    view.setStatus("Нет\r\nсоединения!\r\nс датчиком", dut::config::StatusColour::Red);
    {
        InLanguage english(ui::Language::English);
        EXPECT_EQ(status->text(), QStringLiteral("No\nconnection!\nto the sensor"));
        EXPECT_EQ(hotKeys->text(), QStringLiteral("Hot keys"));
        EXPECT_EQ(languageSwitch->text(), QStringLiteral("RU"));
        EXPECT_EQ(intervals->itemText(0), QStringLiteral("Off"));
        EXPECT_EQ(monitorHeading(), QStringLiteral("LLS address"));
        EXPECT_EQ(monitorClear->text(), QStringLiteral("Clear"));
        EXPECT_EQ(program.windows().form2->windowTitle(),
                  QStringLiteral("Manual correction of Full and Empty"));
    }
    EXPECT_EQ(status->text(), QStringLiteral("Нет\nсоединения!\nс датчиком"));
    EXPECT_EQ(hotKeys->text(), QStringLiteral("Горячие клавиши"));
    EXPECT_EQ(languageSwitch->text(), QStringLiteral("EN"));
    EXPECT_EQ(intervals->itemText(0), QStringLiteral("Выключена"));
    EXPECT_EQ(monitorHeading(), QStringLiteral("Адрес LLS"));
    EXPECT_EQ(monitorClear->text(), QStringLiteral("Очистить"));

    // The status tooltip, kept as composed, follows a later change too.
    view.setStatusReason("Cannot open COM3: Another program holds the port.");
    EXPECT_EQ(status->toolTip(),
              QStringLiteral("Не удаётся открыть COM3: Порт занят другой программой."));
    {
        InLanguage english(ui::Language::English);
        EXPECT_EQ(status->toolTip(),
                  QStringLiteral("Cannot open COM3: Another program holds the port."));
    }
}

TEST(Language, ChoiceFromCodesAndTheDesktop) {
    EXPECT_EQ(ui::languageFromCode("ru"), ui::Language::Russian);
    EXPECT_EQ(ui::languageFromCode("en"), ui::Language::English);
    for (const char* other : {"", "EN", "de", "english", "ru "}) {
        EXPECT_FALSE(ui::languageFromCode(other).has_value()) << other;
    }
    const struct {
        QStringList uiLanguages;
        ui::Language expected;
    } desktops[] = {
        {{QStringLiteral("en-US")}, ui::Language::English},
        {{QStringLiteral("en-GB"), QStringLiteral("ru-RU")}, ui::Language::English},
        {{QStringLiteral("ru-RU"), QStringLiteral("en-US")}, ui::Language::Russian},
        {{QStringLiteral("de-DE")}, ui::Language::Russian},
        {{QStringLiteral("C")}, ui::Language::Russian},
        {{}, ui::Language::Russian},
    };
    for (const auto& d : desktops) {
        EXPECT_EQ(ui::systemLanguage(d.uiLanguages), d.expected)
            << d.uiLanguages.join(QLatin1Char(',')).toStdString();
    }
    // The command line wins over everything else.
    EXPECT_EQ(ui::startupLanguage(ui::Language::English), ui::Language::English);
    EXPECT_EQ(ui::startupLanguage(ui::Language::Russian), ui::Language::Russian);
}

}  // namespace
