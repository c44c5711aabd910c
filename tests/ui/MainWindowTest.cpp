// The main window as the user sees it: places, sizes, texts, looks, tab order, scrolling.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLegend>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "MainWindowLayout.h"
#include "Windows.h"

namespace {

class MainWindow : public ::testing::Test {
  protected:
    ui::Windows w = ui::createWindows();
    TForm1& f = *w.form1;
};

TEST_F(MainWindow, EveryControlAtItsPlaceWithItsText) {
    for (const ControlLayout& c : mainWindowLayout()) {
        QWidget* control = c.get(f);
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->objectName(), QString::fromLatin1(c.name));
        EXPECT_EQ(control->geometry(), c.geometry) << c.name;
        if (c.text) {
            EXPECT_EQ(shownText(control), withQtBreaks(*c.text)) << c.name;
        }
    }
}

TEST_F(MainWindow, LookAlikeLettersAreKept) {
    // Cyrillic "СОМ" in the heading, Latin "COM" in the instructions.
    EXPECT_TRUE(f.Label4->text().contains(QString::fromUtf8("\u0421\u041e\u041c-")));
    EXPECT_TRUE(f.Label3->text().contains(QStringLiteral("COM порт")));
    EXPECT_TRUE(
        f.Label7->text().contains(QString::fromUtf8("\u0441\u043e"
                                                    "c\u0442\u043e\u044f\u0442\u044c")));
    EXPECT_TRUE(f.Label8->text().contains(QString::fromUtf8("C\u043b\u0435\u0439\u0442\u0435")));
}

TEST_F(MainWindow, PanelControlsLieInsideTheirPanels) {
    const struct {
        QWidget* child;
        ui::Panel* panel;
    } cases[] = {{f.Label13, f.Panel5}, {f.Button9, f.Panel5}, {f.Button8, f.Panel5},
                 {f.Button4, f.Panel5}, {f.Button7, f.Panel5}, {f.Label4, f.Panel1},
                 {f.Label5, f.Panel2},  {f.Label1, f.Panel3},  {f.Label2, f.Panel4}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.child->parentWidget(), c.panel->inside()) << qPrintable(c.child->objectName());
        // Inside means within the 1-pixel frame.
        EXPECT_EQ(c.child->mapTo(c.panel, QPoint(0, 0)), c.child->pos() + QPoint(1, 1));
    }
}

TEST_F(MainWindow, ColoursAndFonts) {
    const auto colour = [](QWidget* w, QPalette::ColorRole role) {
        return w->palette().color(role);
    };
    EXPECT_EQ(colour(f.Panel5, QPalette::Window), QColor(193, 218, 244));
    for (QWidget* panel : {f.Panel1, f.Panel2, f.Panel3, f.Panel4}) {
        EXPECT_EQ(colour(panel, QPalette::Window), QColor(192, 220, 192));
    }
    EXPECT_EQ(colour(f.Content, QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(colour(f.ConnectStatusText, QPalette::Window), QColor(240, 251, 255));
    EXPECT_EQ(colour(f.ConnectStatusText, QPalette::WindowText), QColor(255, 0, 0));
    for (QWidget* box : {f.LEVELMIN, f.LEVELMAX, f.Edit1, f.Label11}) {
        EXPECT_EQ(colour(box, QPalette::Window), QColor(240, 251, 255));
        EXPECT_TRUE(box->autoFillBackground());
    }

    const struct {
        QWidget* w;
        int pixels;
        bool bold;
    } fonts[] = {{f.Label13, 13, true},
                 {f.Label4, 13, true},
                 {f.Label5, 13, true},
                 {f.Label1, 13, true},
                 {f.Label2, 13, true},
                 {f.Label12, 13, true},
                 {f.ConnectStatusText, 13, true},
                 {f.LEVELMIN, 11, true},
                 {f.LEVELMAX, 11, true},
                 {f.Edit1, 11, true},
                 {f.Label11, 11, true},
                 {f.Label3, 11, false},
                 {f.Label9, 11, false},
                 {f.Button2, 11, false},
                 {f.LLS_ADRESS, 11, false},
                 {f.COMSelect, 11, false}};
    for (const auto& c : fonts) {
        EXPECT_EQ(c.w->font().pixelSize(), c.pixels) << qPrintable(c.w->objectName());
        EXPECT_EQ(c.w->font().bold(), c.bold) << qPrintable(c.w->objectName());
        EXPECT_EQ(QFontInfo(c.w->font()).pixelSize(), c.pixels) << qPrintable(c.w->objectName());
    }
}

// The colours must reach the screen, not only the palette.
TEST_F(MainWindow, ColoursArePainted) {
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const QImage shot = f.grab().toImage();
    const auto at = [&](QWidget* w, QPoint p) { return QColor(shot.pixel(w->mapTo(&f, p))); };
    EXPECT_EQ(at(f.Panel5, QPoint(100, 12)), QColor(193, 218, 244));
    EXPECT_EQ(at(f.Panel1, QPoint(5, 12)), QColor(192, 220, 192));
    EXPECT_EQ(at(f.ConnectStatusText, QPoint(4, 60)), QColor(240, 251, 255));
    EXPECT_EQ(at(f.LEVELMIN, QPoint(4, 9)), QColor(240, 251, 255));
    EXPECT_EQ(at(f.Content, QPoint(750, 560 - 10)), QColor(Qt::white));
    // Some of the status text is drawn in pure red.
    const QImage status = f.ConnectStatusText->grab().toImage();
    int red = 0;
    for (int y = 0; y < status.height(); ++y) {
        for (int x = 0; x < status.width(); ++x) red += status.pixel(x, y) == qRgb(255, 0, 0);
    }
    EXPECT_GT(red, 20);
}

// The address field's background colour is changed while the program runs; its flat
// frame must not hide that.
TEST_F(MainWindow, AddressFieldShowsItsPaletteBackground) {
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QPalette pal = f.LLS_ADRESS->palette();
    pal.setColor(QPalette::Base, QColor(255, 255, 0));
    f.LLS_ADRESS->setPalette(pal);
    const QImage shot = f.LLS_ADRESS->grab().toImage();
    const auto rgb = [&](int x, int y) { return shot.pixel(x, y) & 0xffffff; };
    EXPECT_EQ(rgb(f.LLS_ADRESS->width() - 5, f.LLS_ADRESS->height() / 2), 0xffff00u);
    // A one-pixel frame, not a sunken bevel: the corner pixel is the frame colour.
    EXPECT_NE(rgb(0, 0), 0xffff00u);
    EXPECT_EQ(rgb(1, 1), 0xffff00u);
}

TEST_F(MainWindow, StatusBoxIsACentredFramedBox) {
    QLabel* s = f.ConnectStatusText;
    EXPECT_EQ(s->frameShape(), QFrame::Box);
    EXPECT_EQ(s->lineWidth(), 1);
    EXPECT_EQ(s->alignment(), Qt::AlignTop | Qt::AlignHCenter);
    EXPECT_TRUE(s->wordWrap());
    EXPECT_EQ(s->focusPolicy(), Qt::NoFocus);
    // Four lines of the connected text fit into the 69-pixel box.
    EXPECT_LE(4 * QFontMetrics(s->font()).lineSpacing() + 2, s->height());
}

TEST_F(MainWindow, HiddenButtonsStayHiddenWhenShown) {
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_FALSE(f.Button1->isVisible());
    EXPECT_FALSE(f.Button4->isVisible());
    for (QWidget* b :
         {f.Button2, f.Button3, f.Button5, f.Button6, f.Button7, f.Button8, f.Button9}) {
        EXPECT_TRUE(b->isVisible()) << qPrintable(b->objectName());
        EXPECT_TRUE(b->isEnabled()) << qPrintable(b->objectName());
    }
}

TEST_F(MainWindow, WindowedControlsLieAboveLabelsAndPictures) {
    const auto topAt = [&](QPoint p) { return f.Content->childAt(p); };
    // Right end of Label3 under Label6 and the status box.
    EXPECT_EQ(topAt(QPoint(600, 100)), f.ConnectStatusText);
    // Button6 over Label9's first line.
    EXPECT_EQ(topAt(QPoint(600, 400)), f.Button6);
    // Bottom rows of Image1 under Panel2.
    QWidget* atImageBottom = topAt(QPoint(50, 145));
    EXPECT_TRUE(atImageBottom == f.Panel2 || f.Panel2->isAncestorOf(atImageBottom));
}

TEST_F(MainWindow, ChartIsAPlainRedLineWithoutDecoration) {
    EXPECT_EQ(f.Chart->series().size(), 1);
    EXPECT_EQ(f.Series1->pen().color(), QColor(255, 0, 0));
    EXPECT_FALSE(f.Series1->pointsVisible());
    EXPECT_FALSE(f.Series1->pointLabelsVisible());
    EXPECT_FALSE(f.Chart->legend()->isVisible());
    EXPECT_TRUE(f.Chart->title().isEmpty());
    for (QAbstractAxis* axis : f.Chart->axes()) EXPECT_FALSE(axis->isVisible());
    EXPECT_DOUBLE_EQ(f.LeftAxis->min(), 13);
    EXPECT_DOUBLE_EQ(f.LeftAxis->max(), 580);
    EXPECT_EQ(f.Chart1->rubberBand(), QChartView::NoRubberBand);
    EXPECT_FALSE(f.Chart1->isInteractive());
    EXPECT_EQ(f.Series1->count(), 0);
    EXPECT_EQ(f.ProgressBar1->minimum(), 0);
    EXPECT_EQ(f.ProgressBar1->maximum(), 4095);
    EXPECT_EQ(f.ProgressBar1->value(), 0);
}

TEST_F(MainWindow, PollingTimerRunsEvery200ms) {
    EXPECT_TRUE(f.Timer2->isActive());
    EXPECT_EQ(f.Timer2->interval(), 200);
}

// The widget that holds the focus, with a combo box's editor counted as the combo box.
QWidget* focused() {
    QWidget* w = QApplication::focusWidget();
    if (w && w->parentWidget() && qobject_cast<QComboBox*>(w->parentWidget())) {
        return w->parentWidget();
    }
    return w;
}

TEST_F(MainWindow, FirstFocusAndTabOrder) {
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(focused(), f.LLS_ADRESS);

    const std::vector<QWidget*> round = {f.COMSelect, f.Button2, f.Button3, f.Button5,   f.Button6,
                                         f.Button7,   f.Button8, f.Button9, f.LLS_ADRESS};
    for (QWidget* expected : round) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(focused(), expected)
            << "expected " << qPrintable(expected->objectName()) << ", got "
            << qPrintable(focused() ? focused()->objectName() : "none");
    }

    // Disabled buttons drop out of the round.
    for (QWidget* b : {f.Button2, f.Button3, f.Button5, f.Button6}) b->setEnabled(false);
    f.LLS_ADRESS->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focused(), f.COMSelect);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focused(), f.Button7);
}

TEST_F(MainWindow, ScrollBarsOnlyBelowTheControlsExtent) {
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const auto bars = [&] {
        QCoreApplication::processEvents();
        return std::make_pair(f.ScrollBox->horizontalScrollBar()->isVisible(),
                              f.ScrollBox->verticalScrollBar()->isVisible());
    };
    f.resize(800, 600);
    EXPECT_EQ(bars(), std::make_pair(false, false));
    f.resize(761, 554);
    EXPECT_EQ(bars(), std::make_pair(false, false));
    f.resize(760, 700);
    EXPECT_TRUE(bars().first);
    f.resize(900, 553);
    EXPECT_TRUE(bars().second);
    // Growing the window leaves every control where it was.
    f.resize(1200, 900);
    EXPECT_EQ(bars(), std::make_pair(false, false));
    EXPECT_EQ(f.Content->pos(), QPoint(0, 0));
    EXPECT_EQ(f.Content->size(), QSize(761, 554));
    EXPECT_EQ(f.Button6->geometry(), QRect(594, 396, 91, 20));
}

TEST_F(MainWindow, PortListAnnouncesItsDropDownBeforeOpening) {
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    int itemsWhenAnnounced = -1;
    QObject::connect(f.COMSelect, &ui::PortComboBox::dropDown, [&] {
        itemsWhenAnnounced = f.COMSelect->count();
        f.COMSelect->addItem(QStringLiteral("/dev/ttyUSB0"));
    });
    EXPECT_EQ(f.COMSelect->count(), 0);
    f.COMSelect->showPopup();
    // The window's own handler has already filled in this machine's ports, if any.
    EXPECT_GE(itemsWhenAnnounced, 0);
    // The list that opens already holds what the handlers put in.
    EXPECT_EQ(f.COMSelect->view()->model()->rowCount(), itemsWhenAnnounced + 1);
    f.COMSelect->hidePopup();
    EXPECT_TRUE(f.COMSelect->isEditable());
}

}  // namespace
