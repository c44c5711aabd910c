#pragma once

#include "Notifier.h"

class QWidget;

namespace ui {

// The configurator's outcome and confirmation boxes, shown over the given window.
class QtNotifier : public dut::config::Notifier {
  public:
    explicit QtNotifier(QWidget* parent) : parent_(parent) {}
    void showMessage(const std::string& text) override;
    bool confirm(const std::string& text) override;
    bool ask(const std::string& text) override;

  private:
    QWidget* parent_;
};

}  // namespace ui
