// What the host hands to the platform layer: the toolkit that loads layouts, its run loop and the way it
// shows alerts. The plug-in never picks a toolkit itself, so a Qt host can give real widgets to it.
#pragma once

namespace ui {
class Toolkit;
}

namespace platform {

class RunLoop;
class AlertPresenter;

struct HostServices {
  ui::Toolkit* toolkit = nullptr;
  RunLoop* runLoop = nullptr;
  AlertPresenter* alerts = nullptr;
};

void setHostServices(const HostServices& services);
const HostServices& hostServices();

}  // namespace platform
