#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "GlobalHotKeys.h"

// One per window system. The factories return none where that system cannot grab at all.
class GlobalHotKeys::Backend {
  public:
    // grab() returns this when the answer comes later, through bound() or refused().
    static constexpr int kPending = -2;

    virtual ~Backend() = default;
    // Returns the number of grabs the window system accepted, -1 if it cannot grab, or
    // kPending.
    virtual int grab() = 0;

    // X11 passive grabs or Win32 RegisterHotKey, whichever this build has.
    static std::unique_ptr<Backend> createNative(GlobalHotKeys& owner, QWidget* window);
#ifndef Q_OS_WIN
    // The desktop portal's GlobalShortcuts interface on the session bus.
    static std::unique_ptr<Backend> createPortal(GlobalHotKeys& owner, QWidget* window);
#endif

  protected:
    static void deliver(GlobalHotKeys& owner, int id) {
        emit owner.activated(id);
    }
    // The identifiers the window system took; the others fall back to in-app shortcuts.
    static void bound(GlobalHotKeys& owner, const QList<int>& ids) {
        owner.backendBound(ids);
    }
    // No key is global; `why` finishes the sentence "... because ...", for the user: a
    // marked text of context "GlobalHotKeys", its %1 filled with arg where it has one.
    static void refused(GlobalHotKeys& owner, const char* why, const QString& arg = QString()) {
        owner.backendRefused(why, arg);
    }
};
