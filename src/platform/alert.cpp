#include "platform/alert.h"

#include "platform/host_services.h"

namespace platform {

void runInformationalAlertPanel(const Text& title, const Text& message, const Text& button) {
  if (AlertPresenter* presenter = hostServices().alerts) presenter->present(title, message, button);
}

}  // namespace platform
