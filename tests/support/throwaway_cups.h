// A throw-away CUPS server owned by a test: its own folders under /tmp, a Unix socket, and queues whose
// filter records the job options it receives (the filter's fifth argument) in a file.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "support/host_runner.h"
#include "support/scratch.h"

namespace testsupport {

class ThrowawayCups {
 public:
  // Whether this machine can run one (root, cups-daemon and cups-client); tests skip otherwise.
  static bool available() {
    namespace fs = std::filesystem;
    return geteuid() == 0 && fs::exists("/usr/sbin/cupsd") && fs::exists("/usr/sbin/lpadmin");
  }

  ThrowawayCups() = default;
  ~ThrowawayCups() { stop(); }
  ThrowawayCups(const ThrowawayCups&) = delete;
  ThrowawayCups& operator=(const ThrowawayCups&) = delete;

  // Starts the server, `extraConf` appended to its cupsd.conf; false with the reason when it does not
  // come up.
  bool start(std::string& why, const std::string& extraConf = {}) {
    namespace fs = std::filesystem;
    for (const char* d : {"etc", "spool", "log", "cache", "state", "tmp", "bin/filter"})
      fs::create_directories(base_ / d);
    // cups-exec lives in daemon/: without it no filter starts.
    fs::copy("/usr/lib/cups/backend", base_ / "bin" / "backend", fs::copy_options::recursive);
    fs::copy("/usr/lib/cups/daemon", base_ / "bin" / "daemon", fs::copy_options::recursive);
    std::ofstream(base_ / "etc" / "cupsd.conf") << "Listen " << socket().string()
                                                << "\nBrowsing Off\nLogLevel warn\n<Location />\nOrder allow,deny\n"
                                                   "Allow all\n</Location>\n"
                                                << extraConf;
    std::ofstream(base_ / "etc" / "cups-files.conf")
        << "ServerRoot " << (base_ / "etc").string() << "\nRequestRoot " << (base_ / "spool").string()
        << "\nStateDir " << (base_ / "state").string() << "\nCacheDir " << (base_ / "cache").string()
        << "\nTempDir " << (base_ / "tmp").string() << "\nErrorLog " << (base_ / "log/error_log").string()
        << "\nAccessLog " << (base_ / "log/access_log").string() << "\nPageLog "
        << (base_ / "log/page_log").string() << "\nServerBin " << (base_ / "bin").string()
        << "\nDataDir /usr/share/cups\nFileDevice Yes\nUser lp\nGroup lp\n";
    // printf, not echo: dash's echo mangles backslashes. The copies come as the fourth argument.
    std::ofstream(base_ / "bin/filter/record-options")
        << "#!/bin/sh\nprintf 'copies=%s %s\\n' \"$4\" \"$5\" > " << recordFile().string() << "\ncat\n";
    if (std::system(("chmod -R 755 " + (base_ / "bin").string()).c_str()) != 0) return fail(why, "chmod failed");
    chmod(base_.c_str(), 0777);  // the filter runs as lp
    return launch(why);
  }

  // Stops the server and starts it again on the same folders, queues and jobs, as a restart does.
  bool restart(std::string& why) {
    stop();
    std::error_code ec;
    std::filesystem::remove(socket(), ec);
    return launch(why);
  }

  // Makes every new job of the queue wait until it is released (an administrator's setting for the job agent).
  bool holdEveryJob(const std::string& queue, std::string& why) {
    const RunResult set =
        runProgram("/usr/sbin/lpadmin", {"-p", queue, "-o", "job-hold-until-default=indefinite"}, env());
    return set.status == 0 || fail(why, set.err);
  }

 private:
  bool launch(std::string& why) {
    namespace fs = std::filesystem;
    pid_ = fork();
    if (pid_ == 0) {
      execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (base_ / "etc/cupsd.conf").c_str(), "-s",
            (base_ / "etc/cups-files.conf").c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 100 && !fs::exists(socket()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!fs::exists(socket())) return fail(why, readFile(base_ / "log/error_log"));
    return true;
  }

 public:
  // Starts the server with one recording queue named name for the demo filing model; false with the reason.
  bool startWithRecordingQueue(const std::string& name, std::string& why) {
    return start(why) &&
           addRecordingQueue(name, std::filesystem::path(ONDRIX_RESOURCE_DIR) / "ppd" / "demo-filing.ppd", why);
  }

  // Adds a queue named name with the demo model's PPD, its plain-text filter the recording one.
  bool addRecordingQueue(const std::string& name, const std::filesystem::path& demoPPD, std::string& why) {
    std::string ppd = readFile(demoPPD);
    ppd.insert(ppd.find('\n') + 1, "*cupsFilter: \"text/plain 0 record-options\"\n");
    const std::filesystem::path file = base_ / (name + ".ppd");
    std::ofstream(file) << ppd;
    const RunResult added =
        runProgram("/usr/sbin/lpadmin", {"-p", name, "-E", "-v", "file:/dev/null", "-P", file.string()}, env());
    return added.status == 0 || fail(why, added.err);
  }

  void stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }

  const std::filesystem::path& base() const { return base_; }
  std::filesystem::path socket() const { return base_ / "sock"; }
  // The environment of a client of this server, with private preferences and runtime folders.
  std::map<std::string, std::string> env() const {
    return {{"CUPS_SERVER", socket().string()}, {"XDG_CONFIG_HOME", (base_ / "config").string()},
            {"XDG_RUNTIME_DIR", (base_ / "tmp").string()}};
  }

  // Waits (some seconds) for the filter to record a job and returns its options by name, consuming the
  // record so that the next job's can be awaited; empty when none arrives.
  std::map<std::string, std::string> takeRecordedOptions() {
    namespace fs = std::filesystem;
    // The filter writes one line; until its end arrives the record is incomplete.
    std::string record;
    for (int i = 0; i < 200 && (record.empty() || record.back() != '\n'); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      record = readFile(recordFile());
    }
    std::map<std::string, std::string> received;
    std::istringstream words(record);
    for (std::string word; words >> word;) {
      const auto eq = word.find('=');
      if (eq != std::string::npos) received[word.substr(0, eq)] = word.substr(eq + 1);
    }
    std::error_code ec;
    fs::remove(recordFile(), ec);
    return received;
  }
  std::string errorLog() const { return readFile(base_ / "log/error_log"); }

 private:
  static bool fail(std::string& why, const std::string& message) {
    why = message;
    return false;
  }
  std::filesystem::path recordFile() const { return base_ / "options.txt"; }

  // Under /tmp whatever TMPDIR says: the filter runs as lp and must reach the folder.
  ScratchDir scratch_{"ondrix-cups", "/tmp"};
  const std::filesystem::path base_ = scratch_.path();
  pid_t pid_ = -1;
};

// A test with its own scheduler and a recording queue "Test" on the demo filing model; skipped where no
// scheduler can run.
class RecordingCupsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ThrowawayCups::available()) GTEST_SKIP() << "needs root and cups-daemon/cups-client";
    std::string why;
    ASSERT_TRUE(cups_.startWithRecordingQueue("Test", why)) << why;
  }

  ThrowawayCups cups_;
};

}  // namespace testsupport
