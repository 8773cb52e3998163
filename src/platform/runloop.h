// The host's run loop. A blocking wait on the main thread turns it between its own checks so that the host's
// events are served while a request is in flight. The headless host's run loop has nothing to serve.
#pragma once

#include <chrono>

namespace platform {

class RunLoop {
 public:
  virtual ~RunLoop() = default;
  // Serves pending events of the host for at most the given time and returns; may return earlier.
  virtual void runFor(std::chrono::milliseconds limit) { (void)limit; }
};

}  // namespace platform
