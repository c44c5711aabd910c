#include "WindowFrame.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QShowEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace ui {

QRect fitOuterRect(const QRect& outer, const QRect& available) {
    if (!available.isValid()) return outer;
    const QSize size = outer.size().boundedTo(available.size());
    const int x = std::clamp(outer.x(), available.left(), available.right() + 1 - size.width());
    const int y = std::clamp(outer.y(), available.top(), available.bottom() + 1 - size.height());
    return {QPoint(x, y), size};
}

namespace {

QMargins frameOf(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// While the window manager reparents a window, Qt can briefly hold its client and frame
// positions in different coordinates; such a "frame" is no frame.
bool known(const QMargins& frame) {
    constexpr int kWidest = 100;
    for (int side : {frame.left(), frame.top(), frame.right(), frame.bottom()}) {
        if (side < 0 || side > kWidest) return false;
    }
    return !frame.isNull();
}

QSize sizeOf(const QMargins& frame) {
    return {frame.left() + frame.right(), frame.top() + frame.bottom()};
}

// The frame a window manager draws around the program's windows, read from one already shown.
QMargins frameOfAnotherWindow(const QWidget* except) {
    const QWidget* parent = except->parentWidget() ? except->parentWidget()->window() : nullptr;
    if (parent && parent->isVisible() && known(frameOf(parent))) return frameOf(parent);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != except && other->isVisible() && known(frameOf(other))) return frameOf(other);
    }
    return {};
}

class OuterFrameKeeper : public QObject {
  public:
    OuterFrameKeeper(QWidget* window, QSize outer, bool fitScreen)
        : QObject(window), outer_(outer), fitScreen_(fitScreen) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            // Before the window is mapped: the window manager reads the transient parent and the
            // size from the first request.
            keepTransient(window);
            pending_ = true;
            apply(window, true);
        } else if (pending_ && event->type() == QEvent::Move && window->isVisible()) {
            // The moves while the window manager frames the window pass through positions
            // relative to the frame; only the size is corrected on them.
            apply(window, false);
        }
        return false;
    }

  private:
    static void keepTransient(QWidget* window) {
        QWidget* parent = window->parentWidget();
        QWindow* handle = window->windowHandle();
        if (!parent || !handle) return;
        QWindow* parentHandle = parent->window()->windowHandle();
        if (parentHandle && handle->transientParent() != parentHandle) {
            handle->setTransientParent(parentHandle);
        }
    }

    void apply(QWidget* window, bool atShow) {
        const QMargins own = frameOf(window);
        const bool ownKnown = window->isVisible() && known(own);
        const QMargins frame = ownKnown ? own : frameOfAnotherWindow(window);
        QRect fitted(window->pos(), outer_);
        if (atShow && fitScreen_) {
            const QScreen* screen = QGuiApplication::screenAt(fitted.center());
            if (!screen) screen = window->screen();
            if (screen) fitted = fitOuterRect(fitted, screen->availableGeometry());
            size_ = fitted.size();
        }
        const QSize client = size_ - sizeOf(frame);
        if (window->size() != client) window->resize(client);
        if (atShow && fitScreen_ && fitted.topLeft() != window->pos()) {
            // Once the window is framed, its position is the frame's; before, Qt takes it as
            // the client's, so the frame that stands in for the window's own goes around it.
            window->move(ownKnown ? fitted.topLeft()
                                  : fitted.topLeft() + QPoint(frame.left(), frame.top()));
        }
        // Once the window's own frame has been used, the user's moves and sizes are theirs.
        if (ownKnown) pending_ = false;
    }

    QSize outer_;
    QSize size_ = outer_;  // the outer size at this opening: smaller on a smaller screen
    bool fitScreen_;
    bool pending_ = false;
};
void keepOuter(QWidget* window, QSize outer, bool fitScreen) {
    // Until any frame is known the client takes the whole designed size.
    window->resize(outer);
    window->installEventFilter(new OuterFrameKeeper(window, outer, fitScreen));
}

}  // namespace

void setOuterSize(QWidget* window, int w, int h) {
    keepOuter(window, QSize(w, h), false);
}

void setOuterPlace(QWidget* window, int x, int y, int w, int h) {
    window->move(x, y);
    keepOuter(window, QSize(w, h), true);
}

}  // namespace ui
