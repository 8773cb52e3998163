// The road to the printer: a throw-away CUPS server owned by the test, a queue whose filter records the
// job options it receives, and the stand-in dialog submitting a job through it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "support/host_runner.h"
#include "support/scratch.h"
#include "support/throwaway_cups.h"

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::RunResult;

const std::string kPrefix = "ondrix.print.PrintSettings.";

class ThrowawayCups : public testsupport::RecordingCupsTest {
 protected:
  std::map<std::string, std::string> env() const { return cups_.env(); }
  fs::path socket() const { return cups_.socket(); }

  const fs::path base_ = cups_.base();
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

  std::map<std::string, std::string> received = cups_.takeRecordedOptions();
  ASSERT_FALSE(received.empty()) << cups_.errorLog();

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
