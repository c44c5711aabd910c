#pragma once

// The main window of the whole program over the simulated sensor on a pseudo-terminal, for the
// tests that drive it through its handlers, ticks and hot keys.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <cstdint>
#include <string>
#include <vector>

#include "AppContext.h"
#include "Application.h"
#include "BoxHook.h"
#include "FastSensor.h"
#include "GlobalHotKeys.h"
#include "MainControls.h"
#include "PtySensor.h"
#include "RunningProgram.h"
#include "SensorRequests.h"
#include "TestSupport.h"
#include "UiStyle.h"
#include "Windows.h"

namespace wiring {

inline const QColor kGreen{0, 128, 0};
inline const QColor kRed{255, 0, 0};

using testsupport::kRead;
using testsupport::kWrite;
using testsupport::Request;

inline QColor textColour(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

class ConnectionWiring : public ::testing::Test, protected testsupport::RunningProgram {
  protected:
    void SetUp() override {
        sim::PtySensorOptions options = testsupport::fastSensorOptions();
        link = QDir::tempPath().toStdString() + "/dut-wiring-" +
               std::to_string(QCoreApplication::applicationPid()) + "-" +
               std::to_string(reinterpret_cast<std::uintptr_t>(this));
        options.linkPath = link;
        sensor = std::make_unique<sim::PtySensor>(options);
        ASSERT_TRUE(sensor->start());
        sensor->freezeRaw(true);
        sensor->setParam(0, 1000);
        sensor->setParam(3, 17);
        sensor->setParam(4, 3210);
        sensor->setParam(5, 150);
        sensor->setParam(7, 4321);
        sensor->setParam(10, 13);

        // The tests drive the ticks themselves, one at a time.
        startProgram([this] { c().Timer2->stop(); });
    }

    void TearDown() override {
        program.reset();
        sensor->stop();
    }

    std::vector<Request> requests() const { return testsupport::requestsSeenBy(*sensor); }

    // Chooses the simulator's device from the list, as with the arrow key on the box.
    void choosePort() {
        c().COMSelect->clear();
        c().COMSelect->addItem(QString::fromStdString(sensor->devicePath()));
        c().COMSelect->setCurrentIndex(-1);
        c().COMSelect->setFocus();
        QTest::keyClick(c().COMSelect, Qt::Key_Down);
    }

    void tick(int times = 1) {
        for (int i = 0; i < times; ++i) f().Timer2Timer();
    }

    // Every box shown from here on, answered with OK.
    std::vector<testsupport::RecordedBox> boxes;
    std::unique_ptr<testsupport::BoxHook> recordBoxes() {
        return std::make_unique<testsupport::BoxHook>(testsupport::recordInto(boxes));
    }

    std::string link;
    std::unique_ptr<sim::PtySensor> sensor;
};

}  // namespace wiring
