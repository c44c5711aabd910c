#pragma once

#include <Qt>
#include <QtGlobal>
#include <iterator>

#include "HotKeys.h"

namespace hotkeys {

// The one table of the global hot keys: every backend takes its keys from here and maps the
// Qt key to its own code. The portal shows the caption in the desktop's binding dialog and
// settings, so the two calibration keys carry their buttons' captions (translated when bound).
struct HotKey {
    dut::config::HotKeyId id;
    Qt::Key key;
    const char* portalId;  // the shortcut's identifier towards the desktop portal
    const char* caption;
};

inline constexpr HotKey kHotKeys[] = {
    {dut::config::kHotKeyEmpty, Qt::Key_F1, "empty-tank",
     QT_TRANSLATE_NOOP("HotKeys", "Бак пустой (F1)")},
    {dut::config::kHotKeyFull, Qt::Key_F4, "full-tank",
     QT_TRANSLATE_NOOP("HotKeys", "Бак полный (F4)")},
    {dut::config::kHotKeyAddress1, Qt::Key_F9, "address-1",
     QT_TRANSLATE_NOOP("HotKeys", "Установить адрес 1")},
    {dut::config::kHotKeyAddress2, Qt::Key_F10, "address-2",
     QT_TRANSLATE_NOOP("HotKeys", "Установить адрес 2")},
};

inline constexpr int kHotKeyCount = static_cast<int>(std::size(kHotKeys));
static_assert(std::size(kHotKeys) == std::size(dut::config::kHotKeyIds),
              "every command identifier has its key");

// The window systems number their function keys in a row as Qt does: F1 is 0.
constexpr int functionKeyOffset(Qt::Key key) {
    return static_cast<int>(key) - static_cast<int>(Qt::Key_F1);
}
constexpr bool allFunctionKeys() {
    for (const auto& k : kHotKeys) {
        if (functionKeyOffset(k.key) < 0 || functionKeyOffset(k.key) > 23) return false;
    }
    return true;
}
static_assert(allFunctionKeys(), "the backends map function keys F1..F24 only");

}  // namespace hotkeys
