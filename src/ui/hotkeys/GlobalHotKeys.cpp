#include "GlobalHotKeys.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QStringList>
#include <QWidget>
#include <cstdio>

#include "GlobalHotKeysBackend.h"

namespace {

const QList<int> kAllIds = {1, 2, 3, 4};

Qt::Key qtKeyOf(int virtualKey) {
    switch (virtualKey) {
        case GlobalHotKeys::VkF1:
            return Qt::Key_F1;
        case GlobalHotKeys::VkF4:
            return Qt::Key_F4;
        case GlobalHotKeys::VkF9:
            return Qt::Key_F9;
        default:
            return Qt::Key_F10;
    }
}

QString keyNames(const QList<int>& ids) {
    QStringList names;
    for (const auto& binding : GlobalHotKeys::kBindings) {
        if (ids.contains(binding.id)) {
            names << QKeySequence(qtKeyOf(binding.virtualKey)).toString();
        }
    }
    return names.join(QStringLiteral(", "));
}

QString notGlobalSentence(const QList<int>& ids, const QString& why) {
    return QStringLiteral("Горячие клавиши %1 работают только в окне программы: %2.")
        .arg(keyNames(ids), why);
}

}  // namespace

GlobalHotKeys::GlobalHotKeys(QWidget* window) : QObject(window), window_(window) {}

GlobalHotKeys::~GlobalHotKeys() = default;

bool GlobalHotKeys::runsOnWayland(const QString& platformName, const QString& sessionType) {
    // The plugin key may carry a variant: "wayland-egl", "wayland-brcm", ...
    if (platformName == QLatin1String("wayland") ||
        platformName.startsWith(QLatin1String("wayland-"))) {
        return true;
    }
    return platformName == QLatin1String("xcb") && sessionType == QLatin1String("wayland");
}

void GlobalHotKeys::registerAll() {
    if (mode_ != Mode::None) return;
#ifndef Q_OS_WIN
    if (runsOnWayland(QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"))) {
        // The portal may wait for the user's confirmation; meanwhile the keys work in the
        // window, and those the portal binds leave it.
        installApplicationShortcuts(kAllIds);
        mode_ = Mode::PortalPending;
        backend_ = Backend::createPortal(*this, window_);
        backend_->grab();
        return;
    }
#endif
    backend_ = Backend::createNative(*this, window_);
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
    installApplicationShortcuts(kAllIds);
    grabsAccepted_ = 4;
    mode_ = Mode::ApplicationShortcut;
}

void GlobalHotKeys::installApplicationShortcuts(const QList<int>& ids) {
    for (const auto& binding : kBindings) {
        if (!ids.contains(binding.id) || appShortcuts_.contains(binding.id)) continue;
        auto* shortcut = new QShortcut(QKeySequence(qtKeyOf(binding.virtualKey)), window_);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, binding] { emit activated(binding.id, binding.virtualKey); });
        appShortcuts_.insert(binding.id, shortcut);
    }
}

void GlobalHotKeys::backendBound(const QList<int>& ids) {
    if (ids.isEmpty()) {
        backendRefused(QStringLiteral("портал рабочего стола не назначил ни одной клавиши"));
        return;
    }
    mode_ = Mode::PortalShortcut;
    grabsAccepted_ = static_cast<int>(ids.size());
    QList<int> leftInWindow;
    for (int id : kAllIds) {
        if (!ids.contains(id)) {
            leftInWindow << id;
        } else if (QShortcut* shortcut = appShortcuts_.take(id)) {
            delete shortcut;
        }
    }
    if (!leftInWindow.isEmpty()) {
        reportNotGlobal(notGlobalSentence(
            leftInWindow, QStringLiteral("портал рабочего стола назначил не все клавиши")));
    }
}

void GlobalHotKeys::backendRefused(const QString& why) {
    installApplicationShortcuts(kAllIds);
    grabsAccepted_ = static_cast<int>(appShortcuts_.size());
    mode_ = Mode::ApplicationShortcut;
    reportNotGlobal(notGlobalSentence(kAllIds, why));
}

void GlobalHotKeys::reportNotGlobal(const QString& sentence) {
    if (sentence == notGlobalReason_) return;
    notGlobalReason_ = sentence;
    const QByteArray line = sentence.toUtf8() + '\n';
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
    emit notGlobal(sentence);
}
