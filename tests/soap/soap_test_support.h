// Servers and surroundings for the folder-service tests: the simulator as a child process, an in-process
// loopback server, a private scratch folder and environment values restored after each test.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/runloop.h"
#include "soap/soap_client.h"

extern char** environ;

namespace soaptest {

inline std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// ondrix-mfp-sim started with the given switches on a port of its choosing; stopped with the object.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> switches) {
    std::vector<std::string> args = {ONDRIX_SIM_EXE, "--port", "0", "--max-seconds", "120"};
    args.insert(args.end(), switches.begin(), switches.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const bool spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (!spawned) pid_ = -1;

    // The first line names the port; give the simulator a few seconds to get there.
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (pid_ > 0 && line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
      char c[64];
      const ssize_t n = read(out[0], c, sizeof c);
      if (n <= 0) break;
      line.append(c, static_cast<std::size_t>(n));
    }
    close(out[0]);
    if (line.starts_with("port=")) port_ = std::atoi(line.c_str() + 5);
  }

  ~SimProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  int port() const { return port_; }
  // The printer address as a user would type it.
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// An httplib server on 127.0.0.1 at a free port, serving on its own thread until destroyed. Routes are
// added through server() before start().
class LoopbackServer {
 public:
  httplib::Server& server() { return server_; }

  void start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // A stop before the server runs would be lost and leave the thread listening for ever.
    for (int i = 0; i < 5000 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(server_.is_running());
  }

  ~LoopbackServer() { stop(); }

  void stop() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }

  int port() const { return port_; }
  std::string url(const std::string& path = "/ondrix-mfp-srv") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

// Sets an environment value (none unsets it) and puts the old one back at the end of the scope.
class EnvOverride {
 public:
  EnvOverride(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    set(value);
  }
  ~EnvOverride() { set(old_); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  void set(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_, value->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> old_;
};

// A fresh folder, 0700, removed at the end of the scope.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/ondrix-soap-test-XXXXXX";
    if (const char* dir = mkdtemp(pattern)) path_ = dir;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A run loop that counts its turns.
class CountingRunLoop : public platform::RunLoop {
 public:
  void runFor(std::chrono::milliseconds) override { ++turns; }
  int turns = 0;
};

// A context that counts failure reports.
class CountingContext : public SOAPClientCallback {
 public:
  void recieveEndCallback() override { ++calls; }
  int calls = 0;
};

}  // namespace soaptest
