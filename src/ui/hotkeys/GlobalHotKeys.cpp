#include "GlobalHotKeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QStringList>
#include <QWidget>
#include <cstdio>
#include <iterator>

#include "GlobalHotKeysBackend.h"
#include "HotKeyTable.h"

namespace {

using namespace dut::config;

const QList<int> kAllIds(std::begin(kHotKeyIds), std::end(kHotKeyIds));

QString keyNames(const QList<int>& ids) {
    QStringList names;
    // Their names also tell the user which keys act only in the window.
    for (const auto& hotKey : hotkeys::kHotKeys) {
        if (ids.contains(hotKey.id)) names << QKeySequence(hotKey.key).toString();
    }
    return names.join(QStringLiteral(", "));
}

QString notGlobalSentence(const QList<int>& ids, const char* why, const QString& arg) {
    QString reason = QCoreApplication::translate("GlobalHotKeys", why);
    if (!arg.isEmpty()) reason = reason.arg(arg);
    return QCoreApplication::translate("GlobalHotKeys",
                                       "Горячие клавиши %1 работают только в окне программы: %2.")
        .arg(keyNames(ids), reason);
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
    grabsAccepted_ = hotkeys::kHotKeyCount;
    mode_ = Mode::ApplicationShortcut;
}

void GlobalHotKeys::installApplicationShortcuts(const QList<int>& ids) {
    // The keys as the application's own shortcuts, where nothing global is to be had.
    for (const auto& key : hotkeys::kHotKeys) {
        if (!ids.contains(key.id) || appShortcuts_.contains(key.id)) continue;
        auto* shortcut = new QShortcut(QKeySequence(key.key), window_);
        shortcut->setContext(Qt::ApplicationShortcut);
        const int id = key.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { emit activated(id); });
        appShortcuts_.insert(id, shortcut);
    }
}

void GlobalHotKeys::backendBound(const QList<int>& ids) {
    if (ids.isEmpty()) {
        backendRefused(QT_TRANSLATE_NOOP("GlobalHotKeys",
                                         "портал рабочего стола не назначил ни одной клавиши"),
                       QString());
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
        reportNotGlobal(
            leftInWindow,
            QT_TRANSLATE_NOOP("GlobalHotKeys", "портал рабочего стола назначил не все клавиши"),
            QString());
    }
}

void GlobalHotKeys::backendRefused(const char* why, const QString& arg) {
    installApplicationShortcuts(kAllIds);
    grabsAccepted_ = static_cast<int>(appShortcuts_.size());
    mode_ = Mode::ApplicationShortcut;
    reportNotGlobal(kAllIds, why, arg);
}

void GlobalHotKeys::reportNotGlobal(const QList<int>& ids, const char* why, const QString& arg) {
    reasonIds_ = ids;
    reasonWhy_ = why;
    reasonArg_ = arg;
    const QString sentence = notGlobalSentence(ids, why, arg);
    if (sentence == notGlobalReason_) return;
    notGlobalReason_ = sentence;
    const QByteArray line = sentence.toUtf8() + '\n';
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
    emit notGlobal(sentence);
}

void GlobalHotKeys::retranslate() {
    if (!reasonWhy_) return;
    const QString sentence = notGlobalSentence(reasonIds_, reasonWhy_, reasonArg_);
    if (sentence == notGlobalReason_) return;
    // The terminal heard the reason once already; only the window's text changes language.
    notGlobalReason_ = sentence;
    emit notGlobal(sentence);
}
