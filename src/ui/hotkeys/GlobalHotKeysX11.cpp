#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWidget>
#include <array>
#include <cstdlib>
#include <vector>

#include "GlobalHotKeysBackend.h"
#include "HotKeyTable.h"

namespace {

constexpr xcb_keysym_t kKeysymF1 = 0xffbe;  // F2 onwards follow it in a row
constexpr xcb_keysym_t kNumLock = 0xff7f;
constexpr xcb_keysym_t kScrollLock = 0xff14;

// Passive grabs on the root window: the keys reach us whichever window has the focus.
// A grab names exact modifiers, so every combination of the lock keys is grabbed too,
// otherwise NumLock or CapsLock being on would swallow the keys.
class X11Backend : public GlobalHotKeys::Backend, public QAbstractNativeEventFilter {
  public:
    X11Backend(GlobalHotKeys& owner, xcb_connection_t* connection)
        : owner_(owner), connection_(connection) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        symbols_ = xcb_key_symbols_alloc(connection_);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11Backend() override {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        // The server drops the grabs when the program ends; a window that goes earlier (a
        // test's) hands the keys back itself.
        ungrabAll();
        xcb_flush(connection_);
        if (symbols_) xcb_key_symbols_free(symbols_);
    }

    int grab() override {
        if (!symbols_) return -1;
        ungrabAll();
        const std::vector<std::uint16_t> modifierSets = lockCombinations();
        std::vector<xcb_void_cookie_t> cookies;
        for (std::size_t i = 0; i < keycodes_.size(); ++i) {
            keycodes_[i] =
                firstKeycode(kKeysymF1 + hotkeys::functionKeyOffset(hotkeys::kHotKeys[i].key));
            if (keycodes_[i] == 0) continue;
            for (std::uint16_t mods : modifierSets) {
                cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, mods, keycodes_[i],
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            }
        }
        // A key another client holds answers BadAccess: that grab is simply lost.
        int accepted = 0;
        for (const auto& cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
                std::free(error);
            } else {
                ++accepted;
            }
        }
        xcb_flush(connection_);
        return accepted;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            xcb_refresh_keyboard_mapping(symbols_, mapping);
            if (mapping->request != XCB_MAPPING_POINTER) grab();
            return false;
        }
        if (type != XCB_KEY_PRESS) return false;
        auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (press->event != root_) return false;
        for (std::size_t i = 0; i < keycodes_.size(); ++i) {
            if (keycodes_[i] != 0 && press->detail == keycodes_[i]) {
                deliver(owner_, hotkeys::kHotKeys[i].id);
                return true;
            }
        }
        return false;
    }

  private:
    xcb_keycode_t firstKeycode(xcb_keysym_t keysym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        if (!codes) return 0;
        const xcb_keycode_t code = codes[0] == XCB_NO_SYMBOL ? 0 : codes[0];
        std::free(codes);
        return code;
    }

    // The modifier bit that carries a lock key, found through the server's modifier map.
    std::uint16_t modifierFor(xcb_keysym_t keysym) {
        const xcb_keycode_t code = firstKeycode(keysym);
        if (code == 0) return 0;
        auto cookie = xcb_get_modifier_mapping(connection_);
        xcb_get_modifier_mapping_reply_t* reply =
            xcb_get_modifier_mapping_reply(connection_, cookie, nullptr);
        if (!reply) return 0;
        std::uint16_t mask = 0;
        const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
            for (int k = 0; k < perModifier; ++k) {
                if (map[modifier * perModifier + k] == code) {
                    mask = static_cast<std::uint16_t>(1u << modifier);
                    break;
                }
            }
        }
        std::free(reply);
        return mask;
    }

    std::vector<std::uint16_t> lockCombinations() {
        std::vector<std::uint16_t> locks = {XCB_MOD_MASK_LOCK};
        const std::uint16_t numLock = modifierFor(kNumLock);
        const std::uint16_t scrollLock = modifierFor(kScrollLock);
        if (numLock) locks.push_back(numLock);
        if (scrollLock && scrollLock != numLock) locks.push_back(scrollLock);
        std::vector<std::uint16_t> sets;
        for (unsigned subset = 0; subset < (1u << locks.size()); ++subset) {
            std::uint16_t mods = 0;
            for (std::size_t bit = 0; bit < locks.size(); ++bit) {
                if (subset & (1u << bit)) mods |= locks[bit];
            }
            sets.push_back(mods);
        }
        return sets;
    }

    void ungrabAll() {
        for (xcb_keycode_t code : keycodes_) {
            if (code != 0) xcb_ungrab_key(connection_, code, root_, XCB_MOD_MASK_ANY);
        }
        keycodes_.fill(0);
    }

    GlobalHotKeys& owner_;
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_key_symbols_t* symbols_ = nullptr;
    std::array<xcb_keycode_t, hotkeys::kHotKeyCount> keycodes_{};  // by table row
};

}  // namespace

std::unique_ptr<GlobalHotKeys::Backend> GlobalHotKeys::Backend::createNative(GlobalHotKeys& owner,
                                                                             QWidget*) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return nullptr;
    return std::make_unique<X11Backend>(owner, x11->connection());
}
