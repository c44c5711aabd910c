// Run on a private X server at 96 and at 144 dots per inch (run-xvfb-at-dpi.sh): every window
// in Russian and in English, every text measured with its control's own font, alignment and
// wrapping. A text must lie inside its control, and may not reach into a neighbour it does
// not already reach into in Russian: the controls never move, so a longer translation has to
// be a shorter one.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTest>
#include <cstdio>
#include <string>
#include <vector>

#include "ConnectionController.h"
#include "ExchangeLogWindow.h"
#include "Language.h"
#include "MainWindowView.h"
#include "ReportWindow.h"
#include "SensorParams.h"
#include "SettingsApplyDialog.h"
#include "TankCalibrationWindow.h"
#include "Windows.h"

namespace {

struct Problem {
    std::string where;
    std::string what;
};

QString nameOf(const QWidget* w) {
    return w->window()->objectName() + QLatin1Char('/') + w->objectName() + QLatin1Char('#') +
           QString::number(reinterpret_cast<quintptr>(w) % 100000);
}

// Where the text of a control is drawn, in its parent's coordinates, and the room it has
// there; empty when the control shows no text this check understands.
struct TextPlace {
    QRect text;
    QRect room;
};

std::vector<TextPlace> textPlaces(QWidget* w) {
    std::vector<TextPlace> out;
    const QFontMetrics fm(w->font());
    const QPoint origin = w->pos();
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) return out;
        const QRect room = label->contentsRect();
        int flags = int(label->alignment());
        if (label->wordWrap()) flags |= Qt::TextWordWrap;
        out.push_back({fm.boundingRect(room, flags, label->text()).translated(origin),
                       room.translated(origin)});
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text().isEmpty()) return out;
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
        out.push_back({fm.boundingRect(room, Qt::AlignCenter | Qt::TextShowMnemonic, button->text())
                           .translated(origin),
                       room.translated(origin)});
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(check);
        opt.text = check->text();
        const QRect room = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, check);
        out.push_back({fm.boundingRect(room, Qt::AlignLeft | Qt::AlignVCenter, check->text())
                           .translated(origin),
                       room.translated(origin)});
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = combo->isEditable();
        const QRect room = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                          QStyle::SC_ComboBoxEditField, combo);
        // Every item, since any of them can be the one shown.
        for (int i = 0; i < combo->count(); ++i) {
            out.push_back(
                {fm.boundingRect(room, Qt::AlignLeft | Qt::AlignVCenter, combo->itemText(i))
                     .translated(origin),
                 room.translated(origin)});
        }
    }
    return out;
}

// The texts of one window that leave their control, and the neighbours they reach into.
int measure(QWidget* window, std::vector<Problem>& clipped, QSet<QString>& overlaps) {
    int texts = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !w->parentWidget()) continue;
        for (const TextPlace& place : textPlaces(w)) {
            ++texts;
            if (!place.room.contains(place.text)) {
                clipped.push_back(
                    {nameOf(w).toStdString(), "text " + std::to_string(place.text.width()) + "x" +
                                                  std::to_string(place.text.height()) +
                                                  " in room " + std::to_string(place.room.width()) +
                                                  "x" + std::to_string(place.room.height())});
            }
            for (QWidget* sibling :
                 w->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (sibling == w || !sibling->isVisibleTo(window)) continue;
                if (sibling->geometry().intersects(place.text)) {
                    overlaps.insert(w->objectName() + QLatin1String(" -> ") +
                                    sibling->objectName());
                }
            }
        }
    }
    return texts;
}

struct Measured {
    std::vector<Problem> clipped;
    QSet<QString> overlaps;
    int texts = 0;
};

// Every window of the program in the given language, with the texts that change while it
// runs (the connection status) shown in each of their forms.
Measured measureAll(ui::Language language) {
    ui::applyLanguage(language);
    QCoreApplication::processEvents();
    Measured m;
    ui::Startup program;
    ui::Windows& w = program.windows();
    w.form1->openExchangeLog();
    w.form1->Button10Click();
    w.form1->ReportButtonClick();
    // The settings file's dialog with a row of every kind: another sensor, a value that
    // differs, one the sensor did not give.
    dut::settings::SettingsDocument document{1234, "2026-12-10T10:00:00", {}};
    dut::settings::SensorReading reading{4321, {}};
    for (const std::uint8_t p :
         {dut::param::kNetworkAddress, dut::param::kFullLevel, dut::param::kEmptyLevel,
          dut::param::kOutputResolution, dut::param::kOutputInterval, dut::param::kVersion}) {
        document.values[p] = p == dut::param::kOutputResolution ? 100 : 10;
        reading.values[p] =
            p == dut::param::kEmptyLevel ? std::nullopt : std::optional<std::int32_t>(20);
    }
    ui::SettingsApplyDialog settingsDialog(QStringLiteral("sensor-1234-2026-12-10.json"), document,
                                           reading, w.form1.get());
    std::vector<QWidget*> windows = {w.form1.get(),
                                     w.form2,
                                     w.form3,
                                     w.form4,
                                     w.form5,
                                     w.form6,
                                     w.form1->tankWindow(),
                                     w.form1->exchangeLog(),
                                     w.form1->reportWindow(),
                                     &settingsDialog};
    for (QWidget* window : windows) window->show();
    for (QWidget* window : windows) EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();

    const auto& s = dut::config::ConnectionController::statusTexts();
    const std::vector<std::string> statuses = {
        s[0], s[1], std::string(s[2]) + "2147483647" + s[3] + "65535", s[4]};
    ui::MainWindowView view(*w.form1);
    for (const std::string& status : statuses) {
        view.setStatus(status, dut::config::StatusColour::Green);
        m.texts += measure(w.form1.get(), m.clipped, m.overlaps);
    }
    for (QWidget* window : windows) {
        if (window != w.form1.get()) m.texts += measure(window, m.clipped, m.overlaps);
    }
    ui::applyLanguage(ui::Language::Russian);
    return m;
}

std::string listed(const std::vector<Problem>& problems) {
    std::string out;
    for (const Problem& p : problems) out += "\n  " + p.where + ": " + p.what;
    return out;
}

TEST(TranslationFit, ScreenHasTheDensityAsked) {
    const double dpi = qEnvironmentVariableIntValue("DUT_EXPECTED_DPI");
    ASSERT_GT(dpi, 0.0);
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    EXPECT_DOUBLE_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), dpi);
}

TEST(TranslationFit, EveryTextLiesInsideItsControlInBothLanguages) {
    const Measured russian = measureAll(ui::Language::Russian);
    const Measured english = measureAll(ui::Language::English);
    // The main window alone has some twenty texts; a count far below means nothing was seen.
    EXPECT_GT(russian.texts, 150);
    EXPECT_EQ(english.texts, russian.texts);
    std::printf("%d texts measured in each language\n", english.texts);
    EXPECT_TRUE(russian.clipped.empty()) << "Russian:" << listed(russian.clipped);
    EXPECT_TRUE(english.clipped.empty()) << "English:" << listed(english.clipped);
    for (const QString& overlap : english.overlaps) {
        EXPECT_TRUE(russian.overlaps.contains(overlap))
            << "in English only: " << overlap.toStdString();
    }
}

TEST(TranslationFit, EnglishReallyDiffersFromRussian) {
    // Without the compiled translation both runs above would measure the same Russian texts.
    ui::applyLanguage(ui::Language::English);
    {
        ui::Startup program;
        const auto* button =
            program.mainWindow().findChild<QPushButton*>(QStringLiteral("Button8"));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QStringLiteral("Hot keys"));
    }
    ui::applyLanguage(ui::Language::Russian);
}

}  // namespace
