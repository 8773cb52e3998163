// A built program running beside the test (a long-running agent): its output goes to files that the test
// reads while it runs; it is stopped with SIGTERM, as a session's end stops it, when the object goes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/host_runner.h"
#include "support/scratch.h"

namespace testsupport {

class BackgroundProgram {
 public:
  // Starts program with args; extraEnv entries override the current environment.
  BackgroundProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& extraEnv) {
    pid_ = spawnProgram(program, args, extraEnv, outFile(), errFile());
  }
  ~BackgroundProgram() { stop(); }
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  // Stops the program (SIGTERM) and returns its exit status, -1 when it did not exit normally.
  int stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, &status_, 0);
      pid_ = -1;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

  std::string out() const { return readFile(outFile()); }
  std::string err() const { return readFile(errFile()); }

  // Waits up to about twenty seconds for the output to hold text; true when it does.
  bool waitForOutput(const std::string& text) const {
    for (int i = 0; i < 200; ++i) {
      if (out().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

 private:
  std::filesystem::path outFile() const { return scratch_.path() / "out"; }
  std::filesystem::path errFile() const { return scratch_.path() / "err"; }

  ScratchDir scratch_{"ondrix-background"};
  pid_t pid_ = -1;
  int status_ = 0;
};

}  // namespace testsupport
