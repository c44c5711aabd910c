// The main window as the user sees it: places, sizes, texts, looks, tab order, scrolling.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLegend>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <stdexcept>

#include "MainControls.h"
#include "MainWindowLayout.h"
#include "MainWindowView.h"
#include "Windows.h"

namespace {

class MainWindow : public ::testing::Test {
  protected:
    ui::Startup program;
    ui::Windows& w = program.windows();
    TForm1& f = *w.form1;
    const testsupport::MainControls mc{f};
};

TEST_F(MainWindow, EveryControlAtItsPlaceWithItsText) {
    for (const ControlLayout& c : mainWindowLayout()) {
        QWidget* control = c.get(f);
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->objectName(), QString::fromLatin1(c.name));
        EXPECT_EQ(control->geometry(), c.geometry()) << c.name;
        if (c.text) {
            EXPECT_EQ(shownText(control), withQtBreaks(*c.text)) << c.name;
        }
    }
}

TEST_F(MainWindow, EveryPlaceOfTheTableHoldsItsControl) {
    EXPECT_EQ(ui::mainWindowPlaces().size(), mainWindowLayout().size());
    for (const ui::ControlPlace& place : ui::mainWindowPlaces()) {
        const auto* control = mc.Content->findChild<QWidget*>(QString::fromLatin1(place.name));
        ASSERT_NE(control, nullptr) << place.name;
        EXPECT_EQ(control->geometry(), place.geometry) << place.name;
    }
    EXPECT_THROW(ui::mainWindowPlace("NoSuchControl"), std::logic_error);
}

TEST_F(MainWindow, LookAlikeLettersAreKept) {
    // Cyrillic "СОМ" in the heading, Latin "COM" in the instructions.
    EXPECT_TRUE(mc.Label4->text().contains(QString::fromUtf8("\u0421\u041e\u041c-")));
    EXPECT_TRUE(mc.Label3->text().contains(QStringLiteral("COM порт")));
    EXPECT_TRUE(
        mc.Label7->text().contains(QString::fromUtf8("\u0441\u043e"
                                                     "c\u0442\u043e\u044f\u0442\u044c")));
    EXPECT_TRUE(mc.Label8->text().contains(QString::fromUtf8("C\u043b\u0435\u0439\u0442\u0435")));
}

TEST_F(MainWindow, PanelControlsLieInsideTheirPanels) {
    const struct {
        QWidget* child;
        ui::Panel* panel;
    } cases[] = {{mc.Label13, mc.Panel5}, {mc.Button9, mc.Panel5}, {mc.Button8, mc.Panel5},
                 {mc.Button4, mc.Panel5}, {mc.Button7, mc.Panel5}, {mc.Label4, mc.Panel1},
                 {mc.Label5, mc.Panel2},  {mc.Label1, mc.Panel3},  {mc.Label2, mc.Panel4}};
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
    EXPECT_EQ(colour(mc.Panel5, QPalette::Window), QColor(193, 218, 244));
    for (QWidget* panel : {mc.Panel1, mc.Panel2, mc.Panel3, mc.Panel4}) {
        EXPECT_EQ(colour(panel, QPalette::Window), QColor(192, 220, 192));
    }
    EXPECT_EQ(colour(mc.Content, QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(colour(mc.ConnectStatusText, QPalette::Window), QColor(240, 251, 255));
    EXPECT_EQ(colour(mc.ConnectStatusText, QPalette::WindowText), QColor(255, 0, 0));
    for (QWidget* box : {mc.LEVELMIN, mc.LEVELMAX, mc.Edit1, mc.Label11}) {
        EXPECT_EQ(colour(box, QPalette::Window), QColor(240, 251, 255));
        EXPECT_TRUE(box->autoFillBackground());
    }

    const struct {
        QWidget* w;
        int pixels;
        bool bold;
    } fonts[] = {{mc.Label13, 13, true},
                 {mc.Label4, 13, true},
                 {mc.Label5, 13, true},
                 {mc.Label1, 13, true},
                 {mc.Label2, 13, true},
                 {mc.Label12, 13, true},
                 {mc.ConnectStatusText, 13, true},
                 {mc.LEVELMIN, 11, true},
                 {mc.LEVELMAX, 11, true},
                 {mc.Edit1, 11, true},
                 {mc.Label11, 11, true},
                 {mc.Label3, 11, false},
                 {mc.Label9, 11, false},
                 {mc.Button2, 11, false},
                 {mc.LLS_ADRESS, 11, false},
                 {mc.COMSelect, 11, false}};
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
    // Between "Горячие клавиши" and the hidden monitor button: the band's own colour.
    EXPECT_EQ(at(mc.Panel5, QPoint(530, 12)), QColor(193, 218, 244));
    EXPECT_EQ(at(mc.Panel1, QPoint(5, 12)), QColor(192, 220, 192));
    EXPECT_EQ(at(mc.ConnectStatusText, QPoint(4, 60)), QColor(240, 251, 255));
    EXPECT_EQ(at(mc.LEVELMIN, QPoint(4, 9)), QColor(240, 251, 255));
    EXPECT_EQ(at(mc.Content, QPoint(750, 560 - 10)), QColor(Qt::white));
    // Some of the status text is drawn in pure red.
    const QImage status = mc.ConnectStatusText->grab().toImage();
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
    QPalette pal = mc.LLS_ADRESS->palette();
    pal.setColor(QPalette::Base, QColor(255, 255, 0));
    mc.LLS_ADRESS->setPalette(pal);
    const QImage shot = mc.LLS_ADRESS->grab().toImage();
    const auto rgb = [&](int x, int y) { return shot.pixel(x, y) & 0xffffff; };
    EXPECT_EQ(rgb(mc.LLS_ADRESS->width() - 5, mc.LLS_ADRESS->height() / 2), 0xffff00u);
    // A one-pixel frame, not a sunken bevel: the corner pixel is the frame colour.
    EXPECT_NE(rgb(0, 0), 0xffff00u);
    EXPECT_EQ(rgb(1, 1), 0xffff00u);
}

TEST_F(MainWindow, StatusBoxIsACentredFramedBox) {
    QLabel* s = mc.ConnectStatusText;
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
    EXPECT_FALSE(mc.Button1->isVisible());
    EXPECT_FALSE(mc.Button4->isVisible());
    for (QWidget* b :
         {mc.Button2, mc.Button3, mc.Button5, mc.Button6, mc.Button7, mc.Button8, mc.Button9}) {
        EXPECT_TRUE(b->isVisible()) << qPrintable(b->objectName());
        EXPECT_TRUE(b->isEnabled()) << qPrintable(b->objectName());
    }
}

TEST_F(MainWindow, WindowedControlsLieAboveLabelsAndPictures) {
    const auto topAt = [&](QPoint p) { return mc.Content->childAt(p); };
    // Right end of Label3 under Label6 and the status box.
    EXPECT_EQ(topAt(QPoint(600, 100)), mc.ConnectStatusText);
    // Button6 over Label9's first line.
    EXPECT_EQ(topAt(QPoint(600, 400)), mc.Button6);
    // Bottom rows of Image1 under Panel2.
    QWidget* atImageBottom = topAt(QPoint(50, 145));
    EXPECT_TRUE(atImageBottom == mc.Panel2 || mc.Panel2->isAncestorOf(atImageBottom));
}

TEST_F(MainWindow, ChartIsAPlainRedLineWithoutDecoration) {
    EXPECT_EQ(mc.Chart->series().size(), 1);
    EXPECT_EQ(mc.Series1->pen().color(), QColor(255, 0, 0));
    EXPECT_FALSE(mc.Series1->pointsVisible());
    EXPECT_FALSE(mc.Series1->pointLabelsVisible());
    EXPECT_FALSE(mc.Chart->legend()->isVisible());
    EXPECT_TRUE(mc.Chart->title().isEmpty());
    for (QAbstractAxis* axis : mc.Chart->axes()) EXPECT_FALSE(axis->isVisible());
    EXPECT_DOUBLE_EQ(mc.LeftAxis->min(), 13);
    EXPECT_DOUBLE_EQ(mc.LeftAxis->max(), 580);
    EXPECT_EQ(mc.Chart1->rubberBand(), QChartView::NoRubberBand);
    EXPECT_FALSE(mc.Chart1->isInteractive());
    EXPECT_EQ(mc.Series1->count(), 0);
    EXPECT_EQ(mc.ProgressBar1->minimum(), 0);
    EXPECT_EQ(mc.ProgressBar1->maximum(), 4095);
    EXPECT_EQ(mc.ProgressBar1->value(), 0);
}

TEST_F(MainWindow, PollingTimerRunsEvery200ms) {
    EXPECT_TRUE(mc.Timer2->isActive());
    EXPECT_EQ(mc.Timer2->interval(), 200);
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
    EXPECT_EQ(focused(), mc.LLS_ADRESS);

    const std::vector<QWidget*> round = {mc.COMSelect, mc.Button2, mc.Button3,
                                         mc.Button5,   mc.Button6, mc.Button7,
                                         mc.Button8,   mc.Button9, mc.LLS_ADRESS};
    for (QWidget* expected : round) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(focused(), expected)
            << "expected " << qPrintable(expected->objectName()) << ", got "
            << qPrintable(focused() ? focused()->objectName() : "none");
    }

    // Disabled buttons drop out of the round.
    for (QWidget* b : {mc.Button2, mc.Button3, mc.Button5, mc.Button6}) b->setEnabled(false);
    mc.LLS_ADRESS->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focused(), mc.COMSelect);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focused(), mc.Button7);
}

TEST_F(MainWindow, ScrollBarsOnlyBelowTheControlsExtent) {
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const auto bars = [&] {
        QCoreApplication::processEvents();
        return std::make_pair(mc.ScrollBox->horizontalScrollBar()->isVisible(),
                              mc.ScrollBox->verticalScrollBar()->isVisible());
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
    EXPECT_EQ(mc.Content->pos(), QPoint(0, 0));
    EXPECT_EQ(mc.Content->size(), QSize(761, 554));
    EXPECT_EQ(mc.Button6->geometry(), QRect(594, 396, 91, 20));
}

TEST_F(MainWindow, PortListAnnouncesItsDropDownBeforeOpening) {
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    int itemsWhenAnnounced = -1;
    QObject::connect(mc.COMSelect, &ui::PortComboBox::dropDown, [&] {
        itemsWhenAnnounced = mc.COMSelect->count();
        mc.COMSelect->addItem(QStringLiteral("/dev/ttyUSB0"));
    });
    EXPECT_EQ(mc.COMSelect->count(), 0);
    mc.COMSelect->showPopup();
    // The window's own handler has already filled in this machine's ports, if any.
    EXPECT_GE(itemsWhenAnnounced, 0);
    // The list that opens already holds what the handlers put in.
    EXPECT_EQ(mc.COMSelect->view()->model()->rowCount(), itemsWhenAnnounced + 1);
    mc.COMSelect->hidePopup();
    EXPECT_TRUE(mc.COMSelect->isEditable());
}

}  // namespace

namespace {

// The port box shows the device paths as before; what the system knows of each adapter is its
// tooltip, and an entry with nothing known has none.
TEST_F(MainWindow, PortItemsKeepThePathAndCarryTheAdapterAsTooltip) {
    ui::MainWindowView view(f);
    auto* box = mc.COMSelect;
    box->setEditText("/dev/ttyUSB9");
    view.setPortItems({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0"},
                      {"FT232R USB UART, FTDI\n/dev/serial/by-id/usb-FTDI-if00-port0", ""});
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "/dev/ttyUSB0");
    EXPECT_EQ(box->itemData(0, Qt::ToolTipRole).toString(),
              "FT232R USB UART, FTDI\n/dev/serial/by-id/usb-FTDI-if00-port0");
    EXPECT_FALSE(box->itemData(1, Qt::ToolTipRole).isValid());
    EXPECT_FALSE(box->itemData(2, Qt::ToolTipRole).isValid());
    EXPECT_EQ(box->currentText(), "/dev/ttyUSB9");
    EXPECT_EQ(view.portText(), "/dev/ttyUSB9");
    view.setPortText("/dev/pts/7");
    EXPECT_EQ(view.portText(), "/dev/pts/7");
}

}  // namespace
