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
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry(*e);
      if (!extraEnv.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
    }
    for (const auto& [k, v] : extraEnv) env.push_back(k + "=" + v);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
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
