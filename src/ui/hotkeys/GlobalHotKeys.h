#pragma once

#include <QObject>
#include <memory>

class QWidget;

// The four system-wide keys of the configurator: F1 (empty tank), F4 (full tank),
// F9 (address 1) and F10 (address 2), with identifiers 1 to 4. On X11 and Windows they
// arrive while another program has the focus; where the window system allows no global
// grab (a Wayland session, for one) they act while the configurator has the focus.
class GlobalHotKeys : public QObject {
    Q_OBJECT
  public:
    enum VirtualKey { VkF1 = 112, VkF4 = 115, VkF9 = 120, VkF10 = 121 };
    struct Binding {
        int id;
        int virtualKey;
    };
    static constexpr Binding kBindings[4] = {{1, VkF1}, {2, VkF4}, {3, VkF9}, {4, VkF10}};

    enum class Mode { None, X11Grab, Win32Hotkey, ApplicationShortcut };

    explicit GlobalHotKeys(QWidget* window);
    ~GlobalHotKeys() override;

    // Claims the keys. A key that another client already holds is skipped, never fatal.
    void registerAll();
    Mode mode() const { return mode_; }
    // How many (key, modifier) combinations the window system accepted.
    int grabsAccepted() const { return grabsAccepted_; }

    class Backend;

  signals:
    // The window system's hot-key event: identifier and virtual-key code.
    void activated(int id, int virtualKey);

  private:
    void installApplicationShortcuts();

    QWidget* window_;
    Mode mode_ = Mode::None;
    int grabsAccepted_ = 0;
    std::unique_ptr<Backend> backend_;

    friend class Backend;
};
