// The outcome message box and the confirmation box: their look, and the keys that close
// them in a real modal loop.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "Application.h"
#include "BoxHook.h"
#include "MessageBox.h"
#include "TestSupport.h"
#include "UiStyle.h"

namespace {

TEST(MessageBox, TitleNoIconOneOkButtonWrappedText) {
    int calls = 0;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        ++calls;
        EXPECT_EQ(box.windowTitle(), QStringLiteral(" Brindolex DUT configurator v1.0"));
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.buttons().size(), 1);
        QAbstractButton* ok = box.button(QMessageBox::Ok);
        EXPECT_NE(ok, nullptr);
        if (ok) {
            EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        }
        EXPECT_EQ(box.defaultButton(), ok);
        EXPECT_EQ(box.escapeButton(), ok);
        EXPECT_EQ(testsupport::boxText(&box),
                  ui::displayText(QStringLiteral("Сбой установки.\r\nПопробуйте еще раз.")));
        EXPECT_EQ(box.text(), QStringLiteral("Сбой установки.\nПопробуйте еще раз."));
        return int(QMessageBox::Ok);
    });
    ui::showMessage(nullptr, QStringLiteral("Сбой установки.\r\nПопробуйте еще раз."));
    EXPECT_EQ(calls, 1);
}

TEST(MessageBox, WarningBoxAnswersOkOrCancel) {
    for (int answer : {int(QMessageBox::Ok), int(QMessageBox::Cancel)}) {
        testsupport::BoxHook hook([&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), QStringLiteral("Warning"));
            EXPECT_EQ(box.icon(), QMessageBox::Warning);
            EXPECT_EQ(box.buttons().size(), 2);
            EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Ok));
            EXPECT_EQ(box.escapeButton(), box.button(QMessageBox::Cancel));
            return answer;
        });
        EXPECT_EQ(ui::confirmWarning(nullptr, QStringLiteral("ВНИМАНИЕ!\rПродолжаем ?")),
                  answer == int(QMessageBox::Ok));
    }
}

// Runs the box's real modal loop, presses `key` once the box is up and reports which
// button closed it and where the box stood.
struct KeyRun {
    QString closedBy;
    QPoint centre;
    bool closed = false;
    bool answeredYes = false;
};

enum class Kind { Message, Warning, Question };

KeyRun pressInRealBox(Qt::Key key, Kind kind) {
    KeyRun run;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        bool seen = false;
        testsupport::whenModal(
            [&](QWidget* modal) {
                run.centre = modal->frameGeometry().center();
                // Keys go to the active window, as a user's would.
                modal->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(modal, 10000));
                EXPECT_EQ(modal, &box);
                QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
                QTest::keyClick(target, key);
                run.closed = !modal->isVisible();
            },
            &seen);
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        run.closedBy = clicked ? clicked->text() : QString();
        return clicked ? int(box.standardButton(clicked)) : int(QMessageBox::NoButton);
    });
    switch (kind) {
        case Kind::Warning:
            ui::confirmWarning(nullptr, QStringLiteral("Продолжаем ?"));
            break;
        case Kind::Question:
            run.answeredYes = ui::askYesNo(nullptr, QStringLiteral("Записать ?"));
            break;
        case Kind::Message:
            ui::showMessage(nullptr, QStringLiteral("Максимальный уровень установлен!"));
    }
    return run;
}

TEST(MessageBox, EnterSpaceAndEscapeAllPressOk) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape}) {
        const KeyRun run = pressInRealBox(key, Kind::Message);
        EXPECT_TRUE(run.closed) << "key " << key;
        EXPECT_EQ(run.closedBy, QStringLiteral("OK")) << "key " << key;
    }
}

TEST(MessageBox, BoxStandsInTheScreenCentre) {
    const KeyRun run = pressInRealBox(Qt::Key_Return, Kind::Message);
    const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((run.centre - screen).manhattanLength(), 2);
}

TEST(MessageBox, LongTextIsWrappedWithinTheScreen) {
    QString text;
    for (int i = 0; i < 60; ++i) text += QStringLiteral("Сбой установки уровня. ");
    bool wrapped = false;
    int width = 0;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        bool seen = false;
        testsupport::whenModal(
            [&](QWidget* modal) {
                auto* label = modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                wrapped = label && label->wordWrap();
                width = modal->width();
            },
            &seen);
        box.exec();
        return int(QMessageBox::Ok);
    });
    ui::showMessage(nullptr, text);
    EXPECT_TRUE(wrapped);
    EXPECT_GT(width, 0);
    EXPECT_LT(width, QGuiApplication::primaryScreen()->availableGeometry().width());
}

TEST(MessageBox, WarningBoxEscapeCancelsEnterConfirms) {
    EXPECT_EQ(pressInRealBox(Qt::Key_Escape, Kind::Warning).closedBy, QStringLiteral("Cancel"));
    EXPECT_EQ(pressInRealBox(Qt::Key_Return, Kind::Warning).closedBy, QStringLiteral("OK"));
}

// The question about a step rarely meant: a key pressed out of habit answers "Нет"; only a
// deliberate "Да" (its shortcut or a click) goes on.
TEST(MessageBox, QuestionBoxEnterAndEscapeBothAnswerNo) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        const KeyRun run = pressInRealBox(key, Kind::Question);
        EXPECT_TRUE(run.closed) << "key " << key;
        EXPECT_EQ(run.closedBy, QStringLiteral("Нет")) << "key " << key;
        EXPECT_FALSE(run.answeredYes) << "key " << key;
    }
    testsupport::BoxHook hook([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), ui::applicationTitle());
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        EXPECT_EQ(box.text(), QStringLiteral("Полный 200\nПустой 200"));
        return int(QMessageBox::Yes);
    });
    EXPECT_TRUE(ui::askYesNo(nullptr, QStringLiteral("Полный 200\rПустой 200")));
}

}  // namespace
