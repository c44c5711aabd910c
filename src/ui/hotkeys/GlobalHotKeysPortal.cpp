#include "GlobalHotKeysPortal.h"

#include <QCoreApplication>

#include "HotKeyTable.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QKeySequence>
#include <QList>
#include <QRandomGenerator>
#include <QWidget>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// The preferred trigger in the freedesktop shortcuts syntax: a key's portable name.
QString trigger(Qt::Key key) {
    return QKeySequence(key).toString(QKeySequence::PortableText);
}

// One element of the portal's a(sa{sv}) shortcut lists.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

}  // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace {

void registerTypes() {
    static const bool once = [] {
        // A slot is connected to a bus signal by the names of its parameter types, and Qt
        // knows a type by name only once it is registered. Nothing else in the program
        // registers the object path before the Activated signal is connected; unregistered,
        // the connection fails and every activation is lost.
        qRegisterMetaType<QDBusObjectPath>();
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        return true;
    }();
    (void)once;
}

// Unique and not guessable, as the portal asks of request and session tokens.
QString newToken() {
    return QStringLiteral("dut_%1").arg(QRandomGenerator::global()->generate());
}

}  // namespace

PortalHotKeysBackend::PortalHotKeysBackend(GlobalHotKeys& owner, QWidget* window)
    : owner_(owner), window_(window), bus_(QDBusConnection::sessionBus()) {
    registerTypes();
}

PortalHotKeysBackend::~PortalHotKeysBackend() {
    if (!requestPath_.isEmpty() && bus_.isConnected()) {
        // A binding dialog still open goes with the program.
        QDBusMessage close = QDBusMessage::createMethodCall(
            kService, requestPath_, kRequestInterface, QStringLiteral("Close"));
        bus_.send(close);
        unwatchRequest();
    }
    closeSession(true);
}

int PortalHotKeysBackend::grab() {
    if (stage_ != Stage::Idle) return kPending;
    if (!bus_.isConnected()) {
        fail(QT_TRANSLATE_NOOP("GlobalHotKeys", "нет сеансовой шины D-Bus"));
        return kPending;
    }
    portalWatcher_ =
        new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(portalWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            &PortalHotKeysBackend::onPortalVanished);
    // Keys bound without a way to hear them would be taken from the window for nothing.
    if (!bus_.connect(kService, kPath, kShortcutsInterface, QStringLiteral("Activated"), this,
                      SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)))) {
        fail(QT_TRANSLATE_NOOP("GlobalHotKeys",
                               "программа не может принимать сигналы портала рабочего стола"));
        return kPending;
    }
    createSession();
    return kPending;
}

void PortalHotKeysBackend::createSession() {
    stage_ = Stage::CreatingSession;
    const QString token = newToken();
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), newToken()}};
    callWithRequest(QStringLiteral("CreateSession"), {options}, token);
}

void PortalHotKeysBackend::bindShortcuts() {
    stage_ = Stage::Binding;
    QList<PortalShortcut> shortcuts;
    for (const auto& entry : hotkeys::kHotKeys) {
        shortcuts.append({QString::fromLatin1(entry.portalId),
                          {{QStringLiteral("description"),
                            QCoreApplication::translate("HotKeys", entry.caption)},
                           {QStringLiteral("preferred_trigger"), trigger(entry.key)}}});
    }
    const QString token = newToken();
    const QVariantMap options{{QStringLiteral("handle_token"), token}};
    callWithRequest(QStringLiteral("BindShortcuts"),
                    {QVariant::fromValue(QDBusObjectPath(sessionPath_)),
                     QVariant::fromValue(shortcuts), parentWindow(), options},
                    token);
}

void PortalHotKeysBackend::callWithRequest(const QString& method, const QVariantList& arguments,
                                           const QString& token) {
    // Listening before the call, on the path the portal will use, so that no answer is
    // missed however fast it comes.
    const QString expected = requestPathFor(token);
    watchRequest(expected);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kShortcutsInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, expected](QDBusPendingCallWatcher* finished) {
                onCallFinished(finished, expected);
            });
}

void PortalHotKeysBackend::onCallFinished(QDBusPendingCallWatcher* watcher,
                                          const QString& expectedRequest) {
    watcher->deleteLater();
    if (stage_ == Stage::Failed) return;
    QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        unwatchRequest();
        {
            const Reason why = describe(reply.error());
            fail(why.text, why.arg);
        }
        return;
    }
    // The Response may have come, and the next call gone out, before this reply is seen: only
    // a request still awaited here is followed. An older portal names the request after its
    // own fashion.
    const QString handle = reply.value().path();
    if (requestPath_ == expectedRequest && !handle.isEmpty() && handle != expectedRequest) {
        watchRequest(handle);
    }
}

void PortalHotKeysBackend::onResponse(uint response, const QVariantMap& results) {
    unwatchRequest();
    if (stage_ == Stage::CreatingSession) {
        if (response != 0) {
            fail(QT_TRANSLATE_NOOP("GlobalHotKeys",
                                   "портал рабочего стола не открыл сеанс (ответ %1)"),
                 QString::number(response));
            return;
        }
        // Documented as an object path but sent as a string; either is taken.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        sessionPath_ = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                            : handle.toString();
        if (sessionPath_.isEmpty()) {
            fail(QT_TRANSLATE_NOOP("GlobalHotKeys", "портал рабочего стола не открыл сеанс"));
            return;
        }
        bus_.connect(kService, sessionPath_, kSessionInterface, QStringLiteral("Closed"), this,
                     SLOT(onSessionClosed()));
        bindShortcuts();
        return;
    }
    if (stage_ != Stage::Binding) return;
    if (response == 1) {
        fail(QT_TRANSLATE_NOOP("GlobalHotKeys",
                               "назначение клавиш отклонено в окне портала рабочего стола"));
        return;
    }
    if (response != 0) {
        fail(QT_TRANSLATE_NOOP("GlobalHotKeys",
                               "портал рабочего стола отказал в назначении клавиш"));
        return;
    }
    QList<int> ids;
    if (results.contains(QStringLiteral("shortcuts"))) {
        QList<PortalShortcut> taken;
        results.value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> taken;
        for (const PortalShortcut& shortcut : taken) {
            for (const auto& entry : hotkeys::kHotKeys) {
                if (shortcut.id == QLatin1String(entry.portalId)) ids.append(entry.id);
            }
        }
    } else {
        // A success that lists nothing back names no refusal either.
        for (const auto& entry : hotkeys::kHotKeys) ids.append(entry.id);
    }
    if (ids.isEmpty()) {
        closeSession(false);
        stage_ = Stage::Failed;
    } else {
        stage_ = Stage::Bound;
    }
    bound(owner_, ids);
}

void PortalHotKeysBackend::onActivated(const QDBusObjectPath& session, const QString& shortcutId,
                                       qulonglong, const QVariantMap&) {
    if (stage_ != Stage::Bound || session.path() != sessionPath_) return;
    for (const auto& entry : hotkeys::kHotKeys) {
        if (shortcutId == QLatin1String(entry.portalId)) {
            deliver(owner_, entry.id);
            return;
        }
    }
}

void PortalHotKeysBackend::onSessionClosed() {
    if (stage_ == Stage::Failed) return;
    sessionPath_.clear();
    fail(QT_TRANSLATE_NOOP("GlobalHotKeys", "портал рабочего стола закрыл сеанс"));
}

void PortalHotKeysBackend::onPortalVanished() {
    if (stage_ == Stage::Failed) return;
    unwatchRequest();
    sessionPath_.clear();
    fail(QT_TRANSLATE_NOOP("GlobalHotKeys", "служба портала рабочего стола завершилась"));
}

void PortalHotKeysBackend::watchRequest(const QString& path) {
    unwatchRequest();
    requestPath_ = path;
    bus_.connect(kService, requestPath_, kRequestInterface, QStringLiteral("Response"), this,
                 SLOT(onResponse(uint, QVariantMap)));
}

void PortalHotKeysBackend::unwatchRequest() {
    if (requestPath_.isEmpty()) return;
    bus_.disconnect(kService, requestPath_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    requestPath_.clear();
}

QString PortalHotKeysBackend::requestPathFor(const QString& token) const {
    QString sender = bus_.baseService();
    sender.remove(0, sender.startsWith(QLatin1Char(':')) ? 1 : 0);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QString PortalHotKeysBackend::parentWindow() const {
    // An X11 window is named by its id. A Wayland surface would need an exported handle
    // that Qt does not offer; the portal then shows its dialog without a parent.
    if (QGuiApplication::platformName() == QLatin1String("xcb") && window_) {
        return QStringLiteral("x11:%1").arg(window_->winId(), 0, 16);
    }
    return {};
}

void PortalHotKeysBackend::closeSession(bool waitForIt) {
    if (sessionPath_.isEmpty()) return;
    const QString path = sessionPath_;
    sessionPath_.clear();
    if (!bus_.isConnected()) return;
    bus_.disconnect(kService, path, kSessionInterface, QStringLiteral("Closed"), this,
                    SLOT(onSessionClosed()));
    QDBusMessage close =
        QDBusMessage::createMethodCall(kService, path, kSessionInterface, QStringLiteral("Close"));
    if (waitForIt) {
        // At exit a message only queued might never leave the process: bounded wait.
        bus_.call(close, QDBus::Block, 2000);
    } else {
        bus_.asyncCall(close);
    }
}

void PortalHotKeysBackend::fail(const char* why, const QString& arg) {
    closeSession(false);
    stage_ = Stage::Failed;
    refused(owner_, why, arg);
}

PortalHotKeysBackend::Reason PortalHotKeysBackend::describe(const QDBusError& error) {
    switch (error.type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::NoServer:
            return {
                QT_TRANSLATE_NOOP("GlobalHotKeys",
                                  "служба портала рабочего стола (xdg-desktop-portal) не найдена"),
                {}};
        case QDBusError::UnknownMethod:
        case QDBusError::UnknownInterface:
        case QDBusError::UnknownObject:
            return {QT_TRANSLATE_NOOP("GlobalHotKeys",
                                      "портал рабочего стола не умеет назначать глобальные клавиши "
                                      "(нет интерфейса GlobalShortcuts)"),
                    {}};
        case QDBusError::NoReply:
        case QDBusError::Timeout:
        case QDBusError::TimedOut:
            return {QT_TRANSLATE_NOOP("GlobalHotKeys", "портал рабочего стола не отвечает"), {}};
        case QDBusError::AccessDenied:
            return {QT_TRANSLATE_NOOP("GlobalHotKeys", "портал рабочего стола отказал в доступе"),
                    {}};
        default:
            return {QT_TRANSLATE_NOOP("GlobalHotKeys", "ошибка портала рабочего стола %1"),
                    error.name()};
    }
}

std::unique_ptr<GlobalHotKeys::Backend> GlobalHotKeys::Backend::createPortal(GlobalHotKeys& owner,
                                                                             QWidget* window) {
    return std::make_unique<PortalHotKeysBackend>(owner, window);
}
