// What the windows do for the installer's hands: where a window goes on a screen smaller than
// its designed place, Return on a focused button, and a pasted number with a line break.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

#include "UiStyle.h"
#include "WindowFrame.h"

namespace {

TEST(FitOuterRect, KeepsMovesOrShrinksOnlyWhereTheScreenIsTooSmall) {
    const QRect laptop(0, 0, 1366, 768);
    const QRect monitor(574, 246, 800, 600);
    const struct {
        const char* what;
        QRect outer;
        QRect available;
        QRect expected;
    } cases[] = {
        {"fits: stays", monitor, QRect(0, 0, 1920, 1080), monitor},
        {"just fits at both edges", monitor, QRect(0, 0, 1374, 846), monitor},
        {"one pixel past both edges", monitor, QRect(0, 0, 1373, 845), {573, 245, 800, 600}},
        {"laptop: moved inside, size kept", monitor, laptop, {566, 168, 800, 600}},
        {"a panel at the top", monitor, QRect(0, 30, 1366, 738), {566, 168, 800, 600}},
        {"left of the area", {-50, -20, 800, 600}, laptop, {0, 0, 800, 600}},
        {"a second screen to the right", monitor, QRect(1366, 0, 1366, 768), {1366, 168, 800, 600}},
        {"screen smaller than the window", monitor, QRect(0, 0, 640, 480), {0, 0, 640, 480}},
        {"only lower than the window", monitor, QRect(0, 0, 1366, 500), {566, 0, 800, 500}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::fitOuterRect(c.outer, c.available), c.expected) << c.what;
    }
}

TEST(PastedNumber, KeepsThePastedTextUpToItsFirstLineBreak) {
    const struct {
        const char* what;
        QString before;
        int cursor;
        QString pasted;
        QString expected;
    } cases[] = {
        {"a spreadsheet cell", "", 0, "14\n", "14"}, {"Windows line break", "", 0, "14\r\n", "14"},
        {"two cells", "", 0, "14\n15\n", "14"},      {"a lone carriage return", "", 0, "7\r8", "7"},
        {"into the middle", "19", 1, "4\n5", "149"}, {"at the end", "1", 1, "4\n", "14"},
        {"a break first", "12", 2, "\n3", "12"},     {"no break", "1", 1, "45", "145"},
    };
    ui::FlatLineEdit field;
    for (const auto& c : cases) {
        field.setText(c.before);
        field.setCursorPosition(c.cursor);
        QGuiApplication::clipboard()->setText(c.pasted);
        field.paste();
        EXPECT_EQ(field.text(), c.expected) << c.what;
    }
}

TEST(ReturnKey, PressesTheFocusedButtonOnceAsSpaceDoes) {
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Бак полный (F4)"), &window);
    button->setAutoDefault(false);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    button->setFocus();

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
        int clicks;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, false, 1},
        {Qt::Key_Enter, Qt::KeypadModifier, false, 1},
        {Qt::Key_Return, Qt::NoModifier, true, 0},  // held down: once only
        {Qt::Key_Return, Qt::ControlModifier, false, 0},
    };
    for (const auto& c : cases) {
        clicks = 0;
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, QString(), c.autoRepeat);
        QCoreApplication::sendEvent(button, &press);
        EXPECT_EQ(clicks, c.clicks) << c.key << " repeat " << c.autoRepeat;
    }
}

}  // namespace
