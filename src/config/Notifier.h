#pragma once

#include <string>

namespace dut::config {

// The modal boxes through which commands tell their outcome.
class Notifier {
  public:
    virtual ~Notifier() = default;

    // The outcome box: application title, no icon, one "OK" button. Returns when closed.
    virtual void showMessage(const std::string& text) = 0;
    // The "Warning" box with "OK" (default) and "Cancel" (also Escape or closing the box).
    // True only for OK.
    virtual bool confirm(const std::string& text) = 0;
    // The question box with "Да" and "Нет" (default; also Escape or closing the box), for a
    // step that is rarely meant. True only for "Да".
    virtual bool ask(const std::string& text) = 0;
};

}  // namespace dut::config
