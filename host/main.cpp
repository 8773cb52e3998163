// ondrix-pde-host: a scriptable command-line print dialog. It loads the panel's bundle the way a print
// dialog does, drives the panel on headless controls through the given steps and prints one line per
// answer.
#include "engine/engine.h"
#include "headless_actions.h"
#include "platform/runloop.h"
#include "toolkits/headless/headless_toolkit.h"

int main(int argc, char** argv) {
  headless::HeadlessToolkit toolkit;
  platform::RunLoop runLoop;
  host::HeadlessActions actions;
  host::Frontend frontend{toolkit, runLoop, actions, "ondrix-pde-host"};
  return host::runCommandLine(argc, argv, frontend);
}
