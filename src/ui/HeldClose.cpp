#include "HeldClose.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QThread>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ResponsiveLineWait.h"

#if defined(Q_OS_WIN)
#include <windows.h>
#else
#include <xcb/xcb.h>

#include <QGuiApplication>
#endif

namespace ui {

namespace {

// How often a held close looks whether the handler has returned.
constexpr int kRetryMs = 10;

constexpr char kHoldsNoCommand[] = "dutHoldsNoCommand";

#if !defined(Q_OS_WIN)
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

bool isDeleteWindow(const xcb_generic_event_t* event, xcb_window_t window) {
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (message->format != 32 || message->window != window) return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return false;
    static const xcb_atom_t protocols = internAtom(x11->connection(), "WM_PROTOCOLS");
    static const xcb_atom_t deleteWindow = internAtom(x11->connection(), "WM_DELETE_WINDOW");
    return message->type == protocols && message->data.data32[0] == deleteWindow;
}
#endif

}  // namespace

HeldClose::HeldClose(QWidget& window, ResponsiveLineWait& lineWait)
    : QObject(&window), window_(window), lineWait_(lineWait) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &HeldClose::retry);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

HeldClose::~HeldClose() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool HeldClose::handlerRunning() const {
    // The application's own loop is level 1; any deeper loop belongs to a handler that waits
    // on the line, on a box or on a modal window.
    return QThread::currentThread()->loopLevel() > 1 || lineWait_.busy() ||
           QApplication::activeModalWidget() != nullptr;
}

bool HeldClose::holdIfBusy() {
    if (!handlerRunning()) return false;
    hold();
    return true;
}

void HeldClose::hold() {
    pending_ = true;
    if (!retry_.isActive()) retry_.start();
}

void HeldClose::holdsNoCommand(QWidget& window) {
    window.setProperty(kHoldsNoCommand, true);
}

void HeldClose::endProgram() {
    answerBoxes_ = true;
    // Before the application's loop has begun, a close could not end it: held until it runs.
    if (QThread::currentThread()->loopLevel() == 0) {
        hold();
    } else if (!holdIfBusy()) {
        window_.close();
    }
}

bool HeldClose::closeWhatHolds() {
    // Never in the middle of an exchange: the window's handler is waiting for it.
    if (lineWait_.busy()) return false;
    if (answerBoxes_) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
            return true;
        }
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == &window_) return false;
    if (!answerBoxes_ && !modal->property(kHoldsNoCommand).toBool()) return false;
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box && box->escapeButton()) {
        box->escapeButton()->click();  // exactly what Escape would choose
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
    return true;
}

void HeldClose::retry() {
    if (answerBoxes_ && QThread::currentThread()->loopLevel() == 0) return;
    if (closeWhatHolds() || handlerRunning()) return;
    retry_.stop();
    window_.close();
}

bool HeldClose::blockedByModal() const {
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != &window_;
}

bool HeldClose::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) {
    if (!window_.testAttribute(Qt::WA_WState_Created) || !blockedByModal()) return false;
#if defined(Q_OS_WIN)
    if (eventType != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_CLOSE || msg->hwnd != reinterpret_cast<HWND>(window_.winId())) {
        return false;
    }
    if (result) *result = 0;
#else
    (void)result;
    if (eventType != "xcb_generic_event_t") return false;
    if (!isDeleteWindow(static_cast<const xcb_generic_event_t*>(message),
                        static_cast<xcb_window_t>(window_.winId()))) {
        return false;
    }
#endif
    hold();
    return true;
}

}  // namespace ui
