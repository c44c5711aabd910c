// The windows opened from the menu band: modality, one hot-key window, texts and layouts.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "MainControls.h"
#include "MainWindowLayout.h"
#include "TestSupport.h"
#include "Windows.h"

namespace {

// The next widget the Tab key would reach from `w`.
QWidget* nextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next && next != w;
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && !next->focusProxy()) return next;
    }
    return nullptr;
}

class Menu : public ::testing::Test {
  protected:
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm1& f = *w.form1;
    const testsupport::MainControls mc{f};
    void SetUp() override {
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    }
};

int visibleHotKeyWindows() {
    int n = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("TForm5") && top->isVisible()) ++n;
    }
    return n;
}

TEST_F(Menu, HotKeyHelpOpenedTwiceStaysOneInFront) {
    mc.Button8->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.form5));
    EXPECT_FALSE(w.form5->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // the main window stays usable

    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    mc.Button8->click();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.form5));
    EXPECT_EQ(visibleHotKeyWindows(), 1);
    EXPECT_EQ(mc.Form5, w.form5);

    // Closing only hides; the next opening shows the same window.
    w.form5->close();
    EXPECT_FALSE(w.form5->isVisible());
    mc.Button8->click();
    EXPECT_TRUE(w.form5->isVisible());
    EXPECT_EQ(visibleHotKeyWindows(), 1);
}

TEST_F(Menu, AboutWindowIsModalAndReused) {
    for (int round = 0; round < 2; ++round) {
        bool seen = false;
        QWidget* modal = nullptr;
        testsupport::whenModal([&](QWidget* m) { modal = m; }, &seen);
        mc.Button7->click();  // returns when the about window is closed
        EXPECT_TRUE(seen);
        EXPECT_EQ(modal, w.form3);
        EXPECT_FALSE(w.form3->isVisible());
        EXPECT_EQ(w.form3->Label2->text(),
                  QStringLiteral("С уважением, команда разработчиков \"Бриндолекс\""));
    }
}

TEST_F(Menu, EscapeAndEnterDoNotCloseTheAboutWindow) {
    bool seen = false;
    bool stillOpen = false;
    testsupport::whenModal(
        [&](QWidget* m) {
            QTest::keyClick(m, Qt::Key_Escape);
            QTest::keyClick(m, Qt::Key_Return);
            stillOpen = m->isVisible();
        },
        &seen);
    mc.Button7->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(stillOpen);
}

TEST_F(Menu, TwoButtonsNamedDopolnitelnoOpenDifferentDialogs) {
    // Nothing connected yet: the main window's levels are empty, the dialog's boxes hold "0"
    // until it copies them.
    ASSERT_EQ(w.form2->LEVELMAX->text(), QStringLiteral("0"));
    bool seen = false;
    QWidget* modal = nullptr;
    QString max, min;
    testsupport::whenModal(
        [&](QWidget* m) {
            modal = m;
            max = w.form2->LEVELMAX->text();
            min = w.form2->LEVELMIN->text();
        },
        &seen);
    mc.Button6->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(modal, w.form2);
    EXPECT_EQ(max, mc.LEVELMAX->text());
    EXPECT_EQ(max, QString());
    EXPECT_EQ(min, QString());

    testsupport::whenModal([&](QWidget* m) { modal = m; }, &seen);
    mc.Button9->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(modal, w.form6);
}

TEST_F(Menu, HiddenMonitorButtonStillOpensTheMonitorModally) {
    bool seen = false;
    QWidget* modal = nullptr;
    testsupport::whenModal([&](QWidget* m) { modal = m; }, &seen);
    mc.Button4->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(modal, w.form4);
}

TEST_F(Menu, CtrlShiftLOpensTheMonitorWhileTheMainWindowIsActive) {
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    ASSERT_FALSE(mc.Button4->isVisible());
    bool seen = false;
    QWidget* modal = nullptr;
    testsupport::whenModal([&](QWidget* m) { modal = m; }, &seen);
    // Typed into the address box, which has the focus at start: the box must not take it.
    QTest::keySequence(mc.LLS_ADRESS, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    EXPECT_TRUE(seen);
    EXPECT_EQ(modal, w.form4);
    EXPECT_FALSE(w.form4->isVisible());  // closed again by the helper
    EXPECT_EQ(mc.LLS_ADRESS->text(), QString());

    // Without Shift, or with only Shift, nothing opens.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::SHIFT | Qt::Key_L)}) {
        testsupport::whenModal([&](QWidget*) {}, &seen, 300);
        QTest::keySequence(&f, keys);
        QTest::qWait(350);
        EXPECT_FALSE(seen) << keys.toString().toStdString();
    }
}

TEST_F(Menu, CtrlShiftLInAnotherWindowOpensNoMonitor) {
    mc.Button8->click();  // the hot-key help, a window of its own
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == w.form5; }, 5000));
    bool seen = false;
    testsupport::whenModal([&](QWidget*) {}, &seen, 300);
    QTest::keySequence(w.form5, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    QTest::qWait(350);
    EXPECT_FALSE(seen);
    EXPECT_FALSE(w.form4->isVisible());
    w.form5->close();
}

TEST(InfoWindows, HotKeyHelpText) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    EXPECT_EQ(
        w.form5->Label1->text(),
        withQtBreaks(QStringLiteral(
            "Для удобства, при монтаже ДУТа, Вы можете использовать горячие клавиши\r\n  \r\nF1    "
            "- Установить уровень пустого бака\r\nF4    - Установить уровень полного бака\r\nF9    "
            "- Установить сетевой адрес №1\r\nF10  - Установить сетевой адрес №2\r\n  \r\nДанные "
            "клавиши работают при запущенной программе в любом режиме (в фокусе или не в "
            "фокусе)\r\n   \r\nПосле нажатия на горячую клавишу программа выдаст сообщение о "
            "выполненной операции. Данное сообщение можно закрыть клавишей \"Пробел\".")));
    EXPECT_EQ(w.form5->Label1->geometry(), QRect(192, 8, 353, 185));
    EXPECT_TRUE(w.form5->Label1->wordWrap());
    EXPECT_EQ(w.form5->Image1->geometry(), QRect(24, 40, 153, 129));
    EXPECT_EQ(w.form5->Image1->pixmap().size(), QSize(128, 128));
    // The numero sign, not "N" and "o".
    EXPECT_TRUE(w.form5->Label1->text().contains(QString::fromUtf8("\u21161")));
}

TEST(InfoWindows, AboutTexts) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm3& a = *w.form3;
    EXPECT_EQ(
        a.Label1->text(),
        withQtBreaks(QStringLiteral(
            "Программа разработана специалистами \"Бриндолекс\" для Вашего удобства и комфорта при "
            "программированиии наших датчиков.\r\nПрограмма является бесплатной. Распространение "
            "данной программы не запрещается, а даже приветствуется.")));
    EXPECT_EQ(a.Label1->geometry(), QRect(80, 16, 324, 121));
    EXPECT_EQ(a.Label1->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(a.Image1->geometry(), QRect(184, 120, 128, 128));
    EXPECT_EQ(a.Label2->pos(), QPoint(96, 264));
    EXPECT_TRUE(a.Label2->font().bold());
    EXPECT_EQ(a.Label3->text(), QStringLiteral("Наши контакты (на всякий случай):"));
    EXPECT_TRUE(a.Label3->font().bold());
    const struct {
        QLabel* label;
        int top;
        const char* caption;
    } contacts[] = {{a.Label4, 336, "Адрес: "},
                    {a.Label5, 352, "Тел.: "},
                    {a.Label6, 368, "E-mail: "},
                    {a.Label7, 384, "Сайт: "}};
    for (const auto& c : contacts) {
        EXPECT_EQ(c.label->pos(), QPoint(16, c.top));
        EXPECT_TRUE(c.label->text().startsWith(QString::fromUtf8(c.caption)));
        EXPECT_GT(c.label->text().size(), QString::fromUtf8(c.caption).size());
        // Sized to its text: nothing is cut off.
        EXPECT_GE(c.label->width(), c.label->fontMetrics().horizontalAdvance(c.label->text()));
    }
    // The picture's top rows are drawn over the statement.
    EXPECT_EQ(a.childAt(QPoint(250, 130)), a.Image1);
}

TEST(Dialogs, LevelCorrectionLayoutAndTabOrder) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm2& d = *w.form2;
    EXPECT_EQ(d.Label3->text(),
              withQtBreaks(QStringLiteral(
                  "\r\n1. В этом окне можно в ручную ввести значения полного и пустого бака.")));
    EXPECT_EQ(d.Label3->geometry(), QRect(0, 0, d.width(), 33));
    EXPECT_EQ(d.Label1->pos(), QPoint(98, 61));
    EXPECT_EQ(d.Label1->text(), QStringLiteral("Полный бак:"));
    EXPECT_EQ(d.Label2->pos(), QPoint(104, 89));
    EXPECT_EQ(d.Label2->text(), QStringLiteral("Пустой бак:"));
    EXPECT_EQ(d.LEVELMAX->geometry(), QRect(168, 56, 121, 19));
    EXPECT_EQ(d.LEVELMIN->geometry(), QRect(168, 88, 121, 19));
    EXPECT_EQ(d.LEVELMAX->text(), QStringLiteral("0"));
    EXPECT_EQ(d.LEVELMIN->text(), QStringLiteral("0"));
    EXPECT_EQ(d.Button2->geometry(), QRect(296, 56, 129, 19));
    EXPECT_EQ(d.Button2->text(), QStringLiteral("Установить"));
    EXPECT_EQ(d.Button3->geometry(), QRect(296, 88, 129, 19));
    EXPECT_EQ(d.Button3->text(), QStringLiteral("Установть"));
    EXPECT_EQ(d.Button1->geometry(), QRect(104, 144, 321, 19));
    EXPECT_EQ(d.Button1->text(), QStringLiteral("Расширить границы уровней на 5 %"));
    EXPECT_EQ(nextTabStop(d.LEVELMAX), d.Button2);
    EXPECT_EQ(nextTabStop(d.Button2), d.LEVELMIN);
    EXPECT_EQ(nextTabStop(d.LEVELMIN), d.Button3);
    EXPECT_EQ(nextTabStop(d.Button3), d.Button1);
    // The heading follows the window's width.
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.resize(700, 246);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.Label3->width(), 700);
}

TEST(Dialogs, MonitorLayout) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm4& m = *w.form4;
    EXPECT_EQ(m.StringGrid1->geometry(), QRect(8, 8, 769, 185));
    EXPECT_EQ(m.StringGrid1->columnCount(), 1);
    EXPECT_EQ(m.StringGrid1->rowCount(), 5);
    EXPECT_EQ(m.StringGrid1->columnWidth(0), 306);
    EXPECT_EQ(m.StringGrid1->rowHeight(4), 35);
    EXPECT_EQ(m.StringGrid1->font().pixelSize(), 13);
    EXPECT_TRUE(m.StringGrid1->font().bold());
    EXPECT_EQ(m.StringGrid1->selectionMode(), QAbstractItemView::NoSelection);
    EXPECT_EQ(m.StringGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(m.StringGrid1->horizontalHeader()->defaultSectionSize(), 50);
    EXPECT_EQ(
        m.Label9->text(),
        withQtBreaks(QStringLiteral(
            "Монитор работы LLS - предназначен для анализа пакетов LLS проходящих между терминалом "
            "и ДУТами\r\nС помощью монитора работы LLS можно:\r\n   1. легко диагностировать "
            "неполадки;\r\n   2. ускорить и повысить качество тарировки бака.\r\n ")));
    EXPECT_EQ(
        m.Label10->text(),
        withQtBreaks(QStringLiteral(
            "Как это работает?\r\n   1. В таблице, в реальном времени, происходит отображение "
            "запросов терминала  к ДУМам и  их ответов.\r\n   2. Поля таблицы:\r\n          Адрес "
            "LLS - отображает адреса которые опрашивает терминал.\r\n          Запрос уровня "
            "топлива - зеленым отмечается колонка с адресом, по которому терминал производит "
            "опрос.\r\n          Ответ на запрос - текущий уровень показаний ДУТа. Красная ячейка "
            "- нет ответа ДУТа.\r\n          Число одинаковых подряд ответов - здесь ведется "
            "подсчет ответов с одинаковым (не отличающимся от предыдущего) уровнем.\r\n          "
            "Уровень стабилен - отмечается зеленым если прошло 5 и более одинаковых ответов, т.е. "
            "уровень топлива стабилизировался.\r\n   ")));
    EXPECT_EQ(
        m.Label11->text(),
        withQtBreaks(QStringLiteral(
            "ТАРИРОВКА   \r\n1. Ждем пока в таблице позеленеет \"Уровень стабилен\" для нашего "
            "ДУТа.\r\n2. Заливаем в бак порцию топлива .\r\n3. Повторяем пункты №1 и №2 до "
            "заполнения бака до верхнего уровня.\r\n   \r\nСигнализатор \"Уровень стабилен\" - "
            "гарантирует что терминал опросил ДУТ и получил стабильные данные уровня топлива для "
            "передачи их на сервер (для дальнейшей обработки и составлении таблицы "
            "тарировки).\r\nТеперь Вы точно будете знать когда стабилизировался уровень топлива, и "
            "можно заливать следующую порцию.\r\nМы считаем, что данная функция значительно "
            "сэкономит Ваше время при тарировке бака.\r\n   \r\nКнопка \"Очистить\" сбрасывает "
            "накопленную статистику и очищает таблицу.")));
    EXPECT_EQ(m.Label9->geometry(), QRect(184, 192, 593, 73));
    EXPECT_EQ(m.Label10->geometry(), QRect(184, 253, 593, 148));
    EXPECT_EQ(m.Label11->geometry(), QRect(184, 396, 593, 157));
    EXPECT_EQ(m.Image1->geometry(), QRect(8, 232, 153, 145));
    EXPECT_EQ(m.Image1->pixmap().size(), QSize(128, 128));
    EXPECT_EQ(m.GroupBox1->geometry(), QRect(8, 384, 169, 169));
    EXPECT_EQ(m.GroupBox1->title(), QStringLiteral(" Статистика "));
    const struct {
        QLabel* label;
        QPoint pos;
        const char* text;
    } stats[] = {{m.Label5, {16, 24}, "Запросы терминала:"}, {m.Label1, {127, 25}, "Label1"},
                 {m.Label6, {16, 48}, "Ответы ДУТов:"},      {m.Label2, {102, 49}, "Label2"},
                 {m.Label7, {16, 72}, "Не распознал:"},      {m.Label3, {100, 72}, "Label3"},
                 {m.Label8, {16, 96}, "Всего пакетов:"},     {m.Label4, {96, 97}, "Label4"}};
    for (const auto& s : stats) {
        EXPECT_EQ(s.label->parentWidget(), m.GroupBox1);
        EXPECT_EQ(s.label->pos(), s.pos) << s.text;
        EXPECT_EQ(s.label->text(), QString::fromUtf8(s.text));
    }
    EXPECT_EQ(m.Button1->geometry(), QRect(54, 128, 75, 25));
    EXPECT_EQ(m.Button1->text(), QStringLiteral("Очистить"));
}

TEST(Dialogs, OutputSettingsItemsAndScaling) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm6& o = *w.form6;
    const double s = o.scale();
    const auto px = [s](int v) { return int(std::lround(v * s)); };
    EXPECT_EQ(o.Label1->text(), QStringLiteral("Разрядность выхода LLS:"));
    EXPECT_EQ(o.Label2->text(), QStringLiteral("Переодическая выдача данных:"));
    EXPECT_EQ(o.Label1->pos(), QPoint(px(16), px(16)));
    EXPECT_EQ(o.ComboBox1->pos(), QPoint(px(152), px(12)));
    EXPECT_EQ(o.ComboBox1->width(), px(145));
    EXPECT_EQ(o.ComboBox2->pos(), QPoint(px(192), px(48)));
    EXPECT_EQ(o.font().pixelSize(), px(11));
    EXPECT_FALSE(o.ComboBox1->isEditable());
    EXPECT_FALSE(o.ComboBox2->isEditable());
    ASSERT_EQ(o.ComboBox1->count(), 2);
    EXPECT_EQ(o.ComboBox1->itemText(0), QStringLiteral("12 Бит (0..4095)"));
    EXPECT_EQ(o.ComboBox1->itemText(1), QStringLiteral("10 Бит (0..1023)"));
    const QStringList periods = {"Выключена", "10 сек", "20 сек", "30 сек", "40 сек", "50 сек",
                                 "1 мин",     "2 мин",  "3 мин",  "4 мин",  "5 мин"};
    ASSERT_EQ(o.ComboBox2->count(), periods.size());
    for (int i = 0; i < periods.size(); ++i) EXPECT_EQ(o.ComboBox2->itemText(i), periods[i]);
    EXPECT_EQ(o.ComboBox1->currentIndex(), 0);
    EXPECT_EQ(o.ComboBox2->currentIndex(), 0);
    EXPECT_EQ(nextTabStop(o.ComboBox1), o.ComboBox2);
}

TEST(Dialogs, TypingIntoTheResolutionListOpensItWithoutPicking) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm6& o = *w.form6;
    o.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&o));
    // Showing without a sensor disables both lists; the keys are what is tested here.
    o.ComboBox1->setEnabled(true);
    o.ComboBox2->setEnabled(true);
    QTest::keyClick(o.ComboBox1, Qt::Key_1);
    EXPECT_TRUE(o.ComboBox1->view()->isVisible());
    EXPECT_EQ(o.ComboBox1->currentIndex(), 0);
    o.ComboBox1->hidePopup();
    // The period list keeps the toolkit's ordinary behaviour.
    QTest::keyClick(o.ComboBox2, Qt::Key_Down);
    EXPECT_EQ(o.ComboBox2->currentIndex(), 1);
    EXPECT_FALSE(o.ComboBox2->view()->isVisible());
}

}  // namespace
