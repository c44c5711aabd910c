#include "Application.h"

#include <QMessageBox>
#include <exception>

#include "MessageBox.h"
#include "ReturnKey.h"

namespace ui {

QString applicationTitle() {
    return QStringLiteral(" Brindolex DUT configurator v1.0");
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + QLatin1Char('.');
    }
    return message;
}

void showErrorBox(const QString& message) {
    QMessageBox box(QMessageBox::Critical, applicationTitle(), errorBoxText(message),
                    QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    execMessageBox(box);
}

void fixPixelScale() {
    // The layouts are drawn in device pixels and must not grow with the screen density:
    // no device pixel ratio from Xft.dpi or the monitor, and no user scale factors either.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_USE_PHYSICAL_DPI");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Floor);
}

void setProgramIdentity() {
    // Not the display name: Qt appends that to every window caption on X11, and the
    // main window's caption must read exactly as designed. These two place the settings and
    // the data folder: ~/.config/Brindolex/dut-configurator.conf and
    // ~/.local/share/Brindolex/dut-configurator/ on Linux.
    QCoreApplication::setOrganizationName(QStringLiteral("Brindolex"));
    QCoreApplication::setApplicationName(QStringLiteral("dut-configurator"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.brindolex.dut_configurator"));
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setProgramIdentity();
    installEventFilter(new ReturnPressesFocusedButton(this));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        showErrorBox(QStringLiteral("Unknown error"));
    }
    return false;
}

}  // namespace ui
