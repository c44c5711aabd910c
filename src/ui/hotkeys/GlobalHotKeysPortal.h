#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "GlobalHotKeysBackend.h"

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// The four keys bound through the desktop portal's GlobalShortcuts interface, the one way a
// Wayland client may have keys that work while another program has the focus: a session is
// created, the shortcuts are bound (the desktop may ask the user to confirm), and each
// activation of a shortcut arrives as a signal. Every step answers through a Request object's
// Response signal, so nothing here blocks the window while the user decides.
class PortalHotKeysBackend : public QObject, public GlobalHotKeys::Backend {
    Q_OBJECT
  public:
    PortalHotKeysBackend(GlobalHotKeys& owner, QWidget* window);
    // Closes the session, so the desktop drops the shortcuts with the program.
    ~PortalHotKeysBackend() override;

    int grab() override;

  private slots:
    void onResponse(uint response, const QVariantMap& results);
    void onActivated(const QDBusObjectPath& session, const QString& shortcutId,
                     qulonglong timestamp, const QVariantMap& options);
    void onSessionClosed();
    void onPortalVanished();

  private:
    enum class Stage { Idle, CreatingSession, Binding, Bound, Failed };

    void createSession();
    void bindShortcuts();
    // Sends a portal call whose answer comes as a Response on the request `token` names.
    void callWithRequest(const QString& method, const QVariantList& arguments,
                         const QString& token);
    void onCallFinished(QDBusPendingCallWatcher* watcher, const QString& expectedRequest);
    void watchRequest(const QString& path);
    void unwatchRequest();
    QString requestPathFor(const QString& token) const;
    QString parentWindow() const;
    void closeSession(bool waitForIt);
    // why: a marked text of context "GlobalHotKeys", its %1 filled with arg where it has one.
    void fail(const char* why, const QString& arg = QString());
    struct Reason {
        const char* text;
        QString arg;
    };
    static Reason describe(const QDBusError& error);

    GlobalHotKeys& owner_;
    QWidget* window_;
    QDBusConnection bus_;
    Stage stage_ = Stage::Idle;
    QString requestPath_;
    QString sessionPath_;
    QDBusServiceWatcher* portalWatcher_ = nullptr;
};
