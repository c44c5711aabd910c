#pragma once

#include <memory>

#include "GlobalHotKeys.h"

// One per window system; the factory returns none where no global grab is possible.
class GlobalHotKeys::Backend {
  public:
    virtual ~Backend() = default;
    // Returns the number of grabs the window system accepted, or -1 if it cannot grab.
    virtual int grab() = 0;

    static std::unique_ptr<Backend> create(GlobalHotKeys& owner, QWidget* window);

  protected:
    static void deliver(GlobalHotKeys& owner, int id, int virtualKey) {
        emit owner.activated(id, virtualKey);
    }
};
