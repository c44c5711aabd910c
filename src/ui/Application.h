#pragma once

#include <QApplication>
#include <QString>

namespace ui {

// The title of the taskbar entry, of every outcome message box and of the error box.
// The leading blank belongs to it.
QString applicationTitle();

// The error box text: the message, with a full stop appended when its last character has
// a higher code than the full stop ("...value" gets one, "...!" and "...." do not).
QString errorBoxText(const QString& message);

// Shows an error that escaped an event handler: error icon, one OK, application title.
void showErrorBox(const QString& message);

// Keeps every window at its designed pixel size at any screen density. Must run before
// the application object is constructed.
void fixPixelScale();

// The application object. Every event passes through notify(), so an exception escaping
// any handler is caught here instead of unwinding through Qt's event loop.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace ui
