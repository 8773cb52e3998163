// The road to the printer: a throw-away CUPS server owned by the test, a queue whose filter records the
// job options it receives, and the stand-in dialog submitting a job through it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/host_runner.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::RunResult;

const std::string kPrefix = "ondrix.print.PrintSettings.";

class ThrowawayCups : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0 || !fs::exists("/usr/sbin/cupsd") || !fs::exists("/usr/sbin/lpadmin"))
      GTEST_SKIP() << "needs root and cups-daemon/cups-client";
    for (const char* d : {"etc", "spool", "log", "cache", "state", "tmp", "bin/filter"}) fs::create_directories(base_ / d);
    // cups-exec lives in daemon/: without it no filter starts.
    fs::copy("/usr/lib/cups/backend", base_ / "bin" / "backend", fs::copy_options::recursive);
    fs::copy("/usr/lib/cups/daemon", base_ / "bin" / "daemon", fs::copy_options::recursive);
    std::ofstream(base_ / "etc" / "cupsd.conf") << "Listen " << socket().string()
                                                << "\nBrowsing Off\nLogLevel warn\n<Location />\nOrder allow,deny\n"
                                                   "Allow all\n</Location>\n";
    std::ofstream(base_ / "etc" / "cups-files.conf")
        << "ServerRoot " << (base_ / "etc").string() << "\nRequestRoot " << (base_ / "spool").string()
        << "\nStateDir " << (base_ / "state").string() << "\nCacheDir " << (base_ / "cache").string()
        << "\nTempDir " << (base_ / "tmp").string() << "\nErrorLog " << (base_ / "log/error_log").string()
        << "\nAccessLog " << (base_ / "log/access_log").string() << "\nPageLog "
        << (base_ / "log/page_log").string() << "\nServerBin " << (base_ / "bin").string()
        << "\nDataDir /usr/share/cups\nFileDevice Yes\nUser lp\nGroup lp\n";
    // printf, not echo: dash's echo mangles backslashes.
    std::ofstream(base_ / "bin/filter/record-options")
        << "#!/bin/sh\nprintf '%s\\n' \"$5\" > " << (base_ / "options.txt").string() << "\ncat\n";
    ASSERT_EQ(std::system(("chmod -R 755 " + (base_ / "bin").string()).c_str()), 0);
    chmod(base_.c_str(), 0777);  // the filter runs as lp

    // The demo model's PPD with the recording filter for plain text.
    std::string ppd = readFile(fs::path(ONDRIX_RESOURCE_DIR) / "ppd" / "demo-filing.ppd");
    const auto firstLineEnd = ppd.find('\n');
    ppd.insert(firstLineEnd + 1, "*cupsFilter: \"text/plain 0 record-options\"\n");
    std::ofstream(base_ / "test.ppd") << ppd;

    cupsd_ = fork();
    if (cupsd_ == 0) {
      execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (base_ / "etc/cupsd.conf").c_str(), "-s",
            (base_ / "etc/cups-files.conf").c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 100 && !fs::exists(socket()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(fs::exists(socket())) << readFile(base_ / "log/error_log");
    const RunResult added = testsupport::runProgram(
        "/usr/sbin/lpadmin", {"-p", "Test", "-E", "-v", "file:/dev/null", "-P", (base_ / "test.ppd").string()}, env());
    ASSERT_EQ(added.status, 0) << added.err;
  }

  void TearDown() override {
    if (cupsd_ > 0) {
      kill(cupsd_, SIGTERM);
      int status = 0;
      waitpid(cupsd_, &status, 0);
    }
  }

  fs::path socket() const { return base_ / "sock"; }
  std::map<std::string, std::string> env() const {
    return {{"CUPS_SERVER", socket().string()}, {"XDG_CONFIG_HOME", (base_ / "config").string()},
            {"XDG_RUNTIME_DIR", (base_ / "tmp").string()}};
  }

  // Under /tmp whatever TMPDIR says: the filter runs as lp and must reach the folder.
  testsupport::ScratchDir scratch_{"ondrix-cups", "/tmp"};
  const fs::path base_ = scratch_.path();
  pid_t cupsd_ = -1;
};

TEST_F(ThrowawayCups, FilterReceivesEveryKeyTheWriterProduced) {
  std::ofstream(base_ / "job.txt") << "Hello, printer.\n";
  const std::string longLogin(300, 'L');  // its Base64 families span two and more numbered keys
  const RunResult r = testsupport::runProgram(
      ONDRIX_HOST_EXE,
      {"--cups", "Test", "--print", (base_ / "job.txt").string(), "--settings", (base_ / "job.settings").string(),
       "--job-name", "Quarterly report", "view", "restore", "click", "retentionCheckBox", "type", "suspendKeyEditText",
       "1234", "type", "loginNameEditText", longLogin, "type", "passwordEditText", "s3cret", "save", "print"},
      env());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("job=Test-"), std::string::npos) << r.out;

  const fs::path recorded = base_ / "options.txt";
  for (int i = 0; i < 200 && !fs::exists(recorded); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(fs::exists(recorded)) << readFile(base_ / "log/error_log");
  std::map<std::string, std::string> received;
  std::istringstream words(readFile(recorded));
  for (std::string word; words >> word;) {
    const auto eq = word.find('=');
    if (eq != std::string::npos) received[word.substr(0, eq)] = word.substr(eq + 1);
  }

  std::ifstream settings(base_ / "job.settings");
  int keys = 0;
  for (std::string line; std::getline(settings, line);) {
    const auto eq = line.find('=');
    ASSERT_NE(eq, std::string::npos);
    const std::string key = line.substr(0, eq);
    ASSERT_EQ(key.rfind(kPrefix, 0), 0u) << key;
    EXPECT_EQ(received[key], line.substr(eq + 1)) << key;
    ++keys;
  }
  EXPECT_GT(keys, 0);
  for (const char* key : {"spoolTime", "filing", "folderPath", "jobSuspend", "jobSuspendKey", "jobSuspend2Key",
                          "loginName11", "loginName12", "password", "password2", "userName", "jobName", "holdButton"})
    EXPECT_TRUE(received.count(kPrefix + key)) << key;
  EXPECT_EQ(received[kPrefix + "jobSuspend"], "2");
  EXPECT_EQ(received[kPrefix + "filing"], "2");
}

// A queue the scheduler lacks is named as such, not as a scheduler out of reach (nor the other way round,
// see host_mistakes_test), before anything is written.
TEST_F(ThrowawayCups, UnknownQueueIsToldApartFromAnUnreachableScheduler) {
  const RunResult r = testsupport::runProgram(
      ONDRIX_HOST_EXE, {"--cups", "NoSuchQueue", "--settings", (base_ / "job.settings").string(), "view", "save"}, env());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the CUPS scheduler at " + socket().string() + " has no queue \"NoSuchQueue\""),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(base_ / "job.settings"));
  EXPECT_FALSE(fs::exists(base_ / "config"));
}

TEST(CupsUnavailable, SubmitFailureIsReportedAndSettingsKept) {
  const testsupport::ScratchDir scratch("ondrix-nocups");
  const fs::path& dir = scratch.path();
  std::ofstream(dir / "job.txt") << "text\n";
  const RunResult r = testsupport::runProgram(
      ONDRIX_HOST_EXE,
      {"--ppd", std::string(ONDRIX_RESOURCE_DIR) + "/ppd/demo-printsystem.ppd", "--print", (dir / "job.txt").string(),
       "--settings", (dir / "job.settings").string(), "view", "restore", "select", "authenticationMatrix", "1", "type",
       "userNumberEditText", "4711", "save", "print"},
      {{"CUPS_SERVER", (dir / "no-such-socket").string()}, {"XDG_CONFIG_HOME", (dir / "config").string()},
       {"XDG_RUNTIME_DIR", dir.string()}});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("shouldPrint=YES"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("error: CUPS did not take the job"), std::string::npos) << r.out;
  EXPECT_NE(readFile(dir / "job.settings").find(kPrefix + "userNumber=04711"), std::string::npos);
}

}  // namespace
