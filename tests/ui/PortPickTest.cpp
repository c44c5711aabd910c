// What the user does with the port box and whether it connects: only choosing an item does;
// opening the list, Escape, and a typed name (even one that matches an item) leave the line
// alone until the automatic reconnect.

#include <QAbstractItemView>
#include <functional>
#include <ostream>

#include "WiringFixture.h"

namespace {

using namespace wiring;

class PortPick;

struct PortGesture {
    const char* name;
    bool connectedBefore;  // the sensor's item was picked before the gesture
    bool connects;
    std::function<void(PortPick&, const QString& port)> act;
};

void PrintTo(const PortGesture& gesture, std::ostream* out) {
    *out << gesture.name;
}

class PortPick : public ConnectionWiring, public ::testing::WithParamInterface<PortGesture> {
  public:
    using ConnectionWiring::c;

    // Each opening of the list finds the simulator's device among the refreshed items.
    void offerTheSensorInTheList() {
        const QString port = QString::fromStdString(sensor->devicePath());
        QObject::connect(c().COMSelect, &ui::PortComboBox::dropDown, c().COMSelect,
                         [this, port] { c().COMSelect->addItem(port); });
    }
    void openList() {
        c().COMSelect->setFocus();
        c().COMSelect->showPopup();
        QTest::qWait(QApplication::doubleClickInterval() + 50);  // a release that soon is ignored
        ASSERT_TRUE(c().COMSelect->view()->isVisible());
    }
    void arrowOnTheClosedBox(const QString& port) {
        c().COMSelect->addItem(port);
        c().COMSelect->setCurrentIndex(-1);
        c().COMSelect->setFocus();
        QTest::keyClick(c().COMSelect, Qt::Key_Down);
    }
    void typeMatchingName(const QString& port) {
        c().COMSelect->addItem(port);
        c().COMSelect->setCurrentIndex(-1);
        c().COMSelect->setFocus();
        QTest::keyClicks(c().COMSelect->lineEdit(), port);
    }
    QAbstractItemView* list() { return c().COMSelect->view(); }
    QModelIndex sensorItem(const QString& port) {
        const int row = c().COMSelect->findText(port);
        return list()->model()->index(row, 0);
    }
};

const PortGesture kGestures[] = {
    {"OpenTheListWhileConnectedAndEscape", true, false,
     [](PortPick& t, const QString&) {
         t.openList();
         QTest::keyClick(t.list(), Qt::Key_Escape);
     }},
    {"OpenTheListWithANameThatMatchesAndEscape", false, false,
     [](PortPick& t, const QString& port) {
         t.c().COMSelect->setEditText(port);
         t.openList();
         QTest::keyClick(t.list(), Qt::Key_Escape);
     }},
    {"TypeAMatchingNameAndLeaveTheBox", false, false,
     [](PortPick& t, const QString& port) {
         t.typeMatchingName(port);
         t.c().LLS_ADRESS->setFocus();
     }},
    {"TypeAMatchingNameAndPressReturn", false, false,
     [](PortPick& t, const QString& port) {
         t.typeMatchingName(port);
         QTest::keyClick(t.c().COMSelect->lineEdit(), Qt::Key_Return);
     }},
    {"ClickAnItemOfTheOpenList", false, true,
     [](PortPick& t, const QString& port) {
         t.openList();
         const QRect item = t.list()->visualRect(t.sensorItem(port));
         QTest::mouseClick(t.list()->viewport(), Qt::LeftButton, {}, item.center());
     }},
    {"ReturnOnAnItemOfTheOpenList", false, true,
     [](PortPick& t, const QString& port) {
         t.openList();
         t.list()->setCurrentIndex(t.sensorItem(port));
         QTest::keyClick(t.list(), Qt::Key_Return);
     }},
    {"ArrowOnTheClosedBox", false, true,
     [](PortPick& t, const QString& port) { t.arrowOnTheClosedBox(port); }},
    {"ClickTheSameItemAgainWhileConnected", true, true,
     [](PortPick& t, const QString& port) {
         t.openList();
         const QRect item = t.list()->visualRect(t.sensorItem(port));
         QTest::mouseClick(t.list()->viewport(), Qt::LeftButton, {}, item.center());
     }},
};

TEST_P(PortPick, ConnectsOnlyOnAChoiceOfAnItem) {
    const QString port = QString::fromStdString(sensor->devicePath());
    if (GetParam().connectedBefore) {
        arrowOnTheClosedBox(port);
        ASSERT_TRUE(program->context().state.linkFlag);
        // An address typed and not yet written, which a connect would overwrite.
        c().LLS_ADRESS->setText(QStringLiteral("99"));
    }
    const std::size_t before = requests().size();
    offerTheSensorInTheList();
    GetParam().act(*this, port);
    QTest::qWait(50);  // anything queued by the gesture runs

    const std::size_t sent = requests().size() - before;
    if (GetParam().connects) {
        EXPECT_EQ(sent, 5u);
        EXPECT_EQ(c().LLS_ADRESS->text(), QStringLiteral("17"));
    } else {
        EXPECT_EQ(sent, 0u);
        EXPECT_EQ(program->context().state.linkFlag, GetParam().connectedBefore);
        if (GetParam().connectedBefore) EXPECT_EQ(c().LLS_ADRESS->text(), QStringLiteral("99"));
    }
    // The name stays in the box for the automatic reconnect either way.
    EXPECT_EQ(c().COMSelect->currentText(), port);
}

INSTANTIATE_TEST_SUITE_P(Gestures, PortPick, ::testing::ValuesIn(kGestures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
