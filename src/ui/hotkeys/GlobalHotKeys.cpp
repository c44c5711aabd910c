#include "GlobalHotKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include "GlobalHotKeysBackend.h"

GlobalHotKeys::GlobalHotKeys(QWidget* window) : QObject(window), window_(window) {}

GlobalHotKeys::~GlobalHotKeys() = default;

void GlobalHotKeys::registerAll() {
    if (mode_ != Mode::None) return;
    backend_ = Backend::create(*this, window_);
    if (backend_) {
        const int accepted = backend_->grab();
        if (accepted >= 0) {
            grabsAccepted_ = accepted;
#ifdef Q_OS_WIN
            mode_ = Mode::Win32Hotkey;
#else
            mode_ = Mode::X11Grab;
#endif
            return;
        }
        backend_.reset();
    }
    installApplicationShortcuts();
}

void GlobalHotKeys::installApplicationShortcuts() {
    static const Qt::Key keys[4] = {Qt::Key_F1, Qt::Key_F4, Qt::Key_F9, Qt::Key_F10};
    for (int i = 0; i < 4; ++i) {
        auto* shortcut = new QShortcut(QKeySequence(keys[i]), window_);
        shortcut->setContext(Qt::ApplicationShortcut);
        const Binding binding = kBindings[i];
        connect(shortcut, &QShortcut::activated, this,
                [this, binding] { emit activated(binding.id, binding.virtualKey); });
        ++grabsAccepted_;
    }
    mode_ = Mode::ApplicationShortcut;
}
