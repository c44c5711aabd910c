#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include "GlobalHotKeysBackend.h"
#include "HotKeyTable.h"

namespace {

UINT nativeKey(Qt::Key key) {
    return static_cast<UINT>(VK_F1 + hotkeys::functionKeyOffset(key));
}

// Only a key that matches its own registration counts: the identifier and the key both.
bool registered(int id, UINT virtualKey) {
    for (const auto& key : hotkeys::kHotKeys) {
        if (key.id == id && nativeKey(key.key) == virtualKey) return true;
    }
    return false;
}

class Win32Backend : public GlobalHotKeys::Backend, public QAbstractNativeEventFilter {
  public:
    Win32Backend(GlobalHotKeys& owner, QWidget* window) : owner_(owner), window_(window) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Win32Backend() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    int grab() override {
        hwnd_ = reinterpret_cast<HWND>(window_->winId());
        int accepted = 0;
        for (const auto& key : hotkeys::kHotKeys) {
            // A key that another program holds is refused; it simply never arrives.
            if (RegisterHotKey(hwnd_, key.id, 0, nativeKey(key.key))) {
                ++accepted;
            }
        }
        return accepted;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY || msg->hwnd != hwnd_) return false;
        const int id = static_cast<int>(msg->wParam);
        if (registered(id, HIWORD(msg->lParam))) deliver(owner_, id);
        return true;
    }

  private:
    GlobalHotKeys& owner_;
    QWidget* window_;
    HWND hwnd_ = nullptr;
};

}  // namespace

std::unique_ptr<GlobalHotKeys::Backend> GlobalHotKeys::Backend::createNative(GlobalHotKeys& owner,
                                                                             QWidget* window) {
    return std::make_unique<Win32Backend>(owner, window);
}
