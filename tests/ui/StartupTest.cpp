// Start-up: the six windows, their order, captions, sizes and icons; the error box of
// the event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "Application.h"
#include "BoxHook.h"
#include "MainControls.h"
#include "TestSupport.h"
#include "Windows.h"

namespace {

TEST(Startup, WindowsAreCreatedHiddenInTheirFixedOrder) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    // Children keep the order in which they were created.
    std::vector<QString> order;
    for (QObject* child : w.form1->children()) {
        if (child->inherits("TForm2") || child->inherits("TForm3") || child->inherits("TForm4") ||
            child->inherits("TForm5") || child->inherits("TForm6")) {
            order.push_back(QString::fromLatin1(child->metaObject()->className()));
        }
    }
    EXPECT_EQ(order, (std::vector<QString>{"TForm2", "TForm3", "TForm4", "TForm5", "TForm6"}));
    for (QWidget* form : std::initializer_list<QWidget*>{w.form1.get(), w.form2, w.form3, w.form4,
                                                         w.form5, w.form6}) {
        EXPECT_TRUE(form->isWindow()) << form->metaObject()->className();
        EXPECT_FALSE(form->isVisible()) << form->metaObject()->className();
    }
    EXPECT_EQ(testsupport::MainControls(*w.form1).Form2, w.form2);
    EXPECT_EQ(testsupport::MainControls(*w.form1).Form3, w.form3);
    EXPECT_EQ(testsupport::MainControls(*w.form1).Form4, w.form4);
    EXPECT_EQ(testsupport::MainControls(*w.form1).Form5, w.form5);
    EXPECT_EQ(testsupport::MainControls(*w.form1).Form6, w.form6);
}

TEST(Startup, CaptionsAndDesignedSizes) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    struct Expect {
        QWidget* form;
        QString caption;
        QSize size;
    };
    const double s6 = w.form6->scale();
    const Expect expected[] = {
        {w.form1.get(), QStringLiteral("Brindolex DUT configurator v1.3"), {800, 600}},
        {w.form2, QStringLiteral("Ручная корректировка Полного и Пустого"), {525, 246}},
        {w.form3, QStringLiteral("О Программе Brindolex DUT configurator v1.2"), {511, 444}},
        {w.form4, QStringLiteral("Монитор работы LLS"), {800, 600}},
        {w.form5, QStringLiteral("Горячие клавиши"), {622, 247}},
        {w.form6,
         QStringLiteral("Дополнительные параметры"),
         {int(std::lround(487 * s6)), int(std::lround(350 * s6))}},
    };
    for (const Expect& e : expected) {
        EXPECT_EQ(e.form->windowTitle(), e.caption);
        // Without a window manager there is no frame: the client takes the outer size.
        EXPECT_EQ(e.form->size(), e.size) << e.caption.toStdString();
    }
    EXPECT_EQ(w.form4->pos(), QPoint(574, 246));
}

TEST(Startup, WindowIconsComeFromTheirPictures) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    const auto sizes = [](QWidget* form) { return form->windowIcon().availableSizes(); };
    const QList<QSize> app = {{48, 48}, {32, 32}, {16, 16}};
    for (QWidget* form : std::initializer_list<QWidget*>{w.form1.get(), w.form5, w.form6}) {
        for (const QSize& size : app) {
            EXPECT_TRUE(sizes(form).contains(size)) << form->metaObject()->className();
        }
    }
    EXPECT_EQ(sizes(w.form2), (QList<QSize>{{92, 92}}));  // the step 3 picture
    EXPECT_EQ(sizes(w.form4), (QList<QSize>{{92, 92}}));  // the step 4 picture
    EXPECT_EQ(sizes(w.form3), (QList<QSize>{{128, 128}}));
    // The about window's icon is its picture.
    EXPECT_EQ(
        w.form3->windowIcon().pixmap(128, 128).toImage().convertToFormat(QImage::Format_ARGB32),
        w.form3->Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32));
}

TEST(ErrorBox, FullStopOnlyAfterCharactersAboveTheFullStop) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
        {"Порт не найден", "Порт не найден."},
        {"Готово!", "Готово!"},  // '!' sorts before '.'
        {"Done.", "Done."},
        {"range 0-", "range 0-"},  // '-' is just below '.'
        {"path a/", "path a/."},   // '/' is just above '.'
        {"1", "1."},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::errorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
            << c.message;
    }
}

class Throwing : public QObject {
  public:
    int handled = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("'x1' is not a valid integer value");
        if (e->type() == QEvent::User + 1) {
            ++handled;
            return true;
        }
        return QObject::event(e);
    }
};

TEST(ErrorBox, EscapedExceptionIsShownAndTheLoopGoesOn) {
    QList<QMessageBox*> boxes;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        icon = box.icon();
        buttons = int(box.buttons().size());
        boxes.append(&box);
        return int(QMessageBox::Ok);
    });

    Throwing target;
    QEvent boom(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &boom));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(title, QStringLiteral(" Brindolex DUT configurator v1.0"));
    EXPECT_EQ(text, QStringLiteral("'x1' is not a valid integer value."));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);

    // A throwing timer handler inside the running loop is caught the same way, and the
    // loop keeps delivering events afterwards.
    QTimer::singleShot(0, &target, [] { throw std::runtime_error("Готово!"); });
    QCoreApplication::postEvent(&target, new QEvent(QEvent::Type(QEvent::User + 1)));
    for (int i = 0; i < 100 && (boxes.size() < 2 || target.handled == 0); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(boxes.size(), 2);
    EXPECT_EQ(text, QStringLiteral("Готово!"));
    EXPECT_EQ(target.handled, 1);
}

TEST(ErrorBox, ThrowingClickHandlerLeavesTheWindowUsable) {
    ui::Startup program;
    ui::Windows& w = program.windows();
    w.form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.form1.get()));
    QStringList shown;
    testsupport::BoxHook hook([&](QMessageBox& box) {
        shown << box.text();
        return int(QMessageBox::Ok);
    });
    // A button of its own: the window's handlers stop their errors before Qt sees them, and
    // this is about what escapes anyway.
    auto* probe =
        new QPushButton(QStringLiteral("probe"), testsupport::MainControls(*w.form1).Content);
    probe->setGeometry(0, 0, 60, 20);
    probe->show();
    QObject::connect(probe, &QPushButton::clicked,
                     [] { throw std::runtime_error("'' is not a valid integer value"); });
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(probe, Qt::LeftButton);
        EXPECT_FALSE(probe->isDown());
    }
    EXPECT_EQ(shown, QStringList({QStringLiteral("'' is not a valid integer value."),
                                  QStringLiteral("'' is not a valid integer value.")}));
    // Other controls still take input.
    testsupport::MainControls(*w.form1).LLS_ADRESS->setFocus();
    QTest::keyClicks(testsupport::MainControls(*w.form1).LLS_ADRESS, QStringLiteral("12"));
    EXPECT_EQ(testsupport::MainControls(*w.form1).LLS_ADRESS->text(), QStringLiteral("12"));
}

}  // namespace
