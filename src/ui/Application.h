#pragma once

#include <QApplication>
#include <QString>
#include <exception>

namespace ui {

// Names the program's settings (QSettings) and its desktop entry.
void setProgramIdentity();

// The title of the taskbar entry, of every outcome message box and of the error box.
// The leading blank belongs to it.
QString applicationTitle();

// The error box text: the message, with a full stop appended when its last character has
// a higher code than the full stop ("...value" gets one, "...!" and "...." do not).
QString errorBoxText(const QString& message);

// Shows an error that escaped an event handler: error icon, one OK, application title.
void showErrorBox(const QString& message);

// Runs the work of an event handler that can fail (a port list that cannot be read, a text
// that is not a number) and shows its error in the error box. Qt's own event delivery is not
// exception-safe: a mouse release unwound by an exception leaves Qt's event state behind, so
// these handlers stop their errors before Qt sees them. notify() remains the net for the rest.
template <typename Handler>
void reportErrors(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showErrorBox(QString::fromUtf8(error.what()));
    }
}

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
