#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QShortcut;
class QWidget;

// The four system-wide keys of the configurator: F1 (empty tank), F4 (full tank),
// F9 (address 1) and F10 (address 2), with identifiers 1 to 4. On X11 and Windows they
// arrive while another program has the focus; on Wayland the desktop portal binds them if
// it can. Where nothing global is to be had they act while the configurator has the focus,
// and notGlobalReason() says why.
class GlobalHotKeys : public QObject {
    Q_OBJECT
  public:
    enum class Mode {
        None,
        X11Grab,
        Win32Hotkey,
        PortalPending,  // asked the desktop portal, no answer yet
        PortalShortcut,
        ApplicationShortcut,
    };

    explicit GlobalHotKeys(QWidget* window);
    ~GlobalHotKeys() override;

    // Claims the keys. A key that another client already holds is skipped, never fatal.
    void registerAll();
    Mode mode() const { return mode_; }
    // How many (key, modifier) combinations the window system accepted; for the portal,
    // how many shortcuts it bound.
    int grabsAccepted() const { return grabsAccepted_; }
    // Empty while the keys are global; otherwise a sentence for the user.
    QString notGlobalReason() const { return notGlobalReason_; }
    // Says the reason again in the current language (notGlobal), where there is one.
    void retranslate();

    // X11 grabs see no key that goes to a native Wayland window, so an X11 client in a
    // Wayland session needs the portal as much as a native one.
    static bool runsOnWayland(const QString& platformName, const QString& sessionType);

    class Backend;

  signals:
    // The window system's hot-key event, by the identifier the key is registered under
    // (dut::config::HotKeyId).
    void activated(int id);
    // Some or all of the keys act only while the configurator has the focus. Sent once.
    void notGlobal(const QString& reason);

  private:
    void installApplicationShortcuts(const QList<int>& ids);
    // Asynchronous backends report here once the window system has answered.
    void backendBound(const QList<int>& ids);
    // why: a marked text of context "GlobalHotKeys", its %1 filled with arg where it has one.
    void backendRefused(const char* why, const QString& arg);
    void reportNotGlobal(const QList<int>& ids, const char* why, const QString& arg);

    QWidget* window_;
    Mode mode_ = Mode::None;
    int grabsAccepted_ = 0;
    QString notGlobalReason_;
    QList<int> reasonIds_;
    const char* reasonWhy_ = nullptr;
    QString reasonArg_;
    QHash<int, QShortcut*> appShortcuts_;  // owned by the window
    std::unique_ptr<Backend> backend_;

    friend class Backend;
};
