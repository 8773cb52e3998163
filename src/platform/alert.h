// Modal informational alerts (NSRunInformationalAlertPanel). The host decides how an alert is shown.
#pragma once

#include "platform/text.h"

namespace platform {

class AlertPresenter {
 public:
  virtual ~AlertPresenter() = default;
  // Shows the alert and returns when the user has dismissed it.
  virtual void present(const Text& title, const Text& message, const Text& button) = 0;
};

// Shows an alert through the host's presenter; without one, nothing is shown.
void runInformationalAlertPanel(const Text& title, const Text& message, const Text& button);

}  // namespace platform
