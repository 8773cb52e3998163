// Runs a built program as a user would: arguments, environment additions, its standard output and exit
// status. Each test gets its own configuration and runtime folders, so preferences and the reply file
// stay private to it.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/scratch.h"

extern char** environ;

namespace testsupport {

struct RunResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Starts program with args, its standard input /dev/null and its output in outFile and errFile, which the
// child opens itself; extraEnv entries override the current environment. The child's pid, or -1.
inline pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& extraEnv, const std::string& outFile,
                          const std::string& errFile) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    if (!extraEnv.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
  }
  for (const auto& [k, v] : extraEnv) env.push_back(k + "=" + v);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Runs program with args to its end; extraEnv entries override the current environment.
inline RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::map<std::string, std::string>& extraEnv = {}) {
  // The program's output goes to files the child opens itself in a private folder.
  const ScratchDir scratch("ondrix-run");
  const std::string outFile = (scratch.path() / "out").string();
  const std::string errFile = (scratch.path() / "err").string();
  RunResult result;
  if (const pid_t pid = spawnProgram(program, args, extraEnv, outFile, errFile); pid > 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  result.out = readFile(outFile);
  result.err = readFile(errFile);
  return result;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace testsupport
