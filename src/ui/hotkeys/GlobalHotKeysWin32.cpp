#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include "GlobalHotKeysBackend.h"

namespace {

class Win32Backend : public GlobalHotKeys::Backend, public QAbstractNativeEventFilter {
  public:
    Win32Backend(GlobalHotKeys& owner, QWidget* window) : owner_(owner), window_(window) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Win32Backend() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    int grab() override {
        hwnd_ = reinterpret_cast<HWND>(window_->winId());
        int accepted = 0;
        for (const auto& binding : GlobalHotKeys::kBindings) {
            // A key that another program holds is refused; it simply never arrives.
            if (RegisterHotKey(hwnd_, binding.id, 0, static_cast<UINT>(binding.virtualKey))) {
                ++accepted;
            }
        }
        return accepted;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY || msg->hwnd != hwnd_) return false;
        deliver(owner_, static_cast<int>(msg->wParam), HIWORD(msg->lParam));
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
