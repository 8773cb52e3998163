// Mistakes an admin's script can make, each told on stderr with its reason and the usage status, and
// none of them changing a file: not the job's settings, not the preferences.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/host_runner.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;

const std::string kPpdDir = std::string(ONDRIX_RESOURCE_DIR) + "/ppd/";
const std::string kOldSettings = "ondrix.print.PrintSettings.jobSuspend=1\n";

class HostMistakes : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "run");
    fs::create_directories(dir_ / "config");
    fs::create_directories(dir_ / "job");
    fs::permissions(dir_ / "run", fs::perms::owner_all);
    testsupport::writeFile(settings(), kOldSettings);
    testsupport::writeFile(dir_ / "job.txt", "text\n");
  }

  RunResult host(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
    env.emplace("XDG_CONFIG_HOME", (dir_ / "config").string());
    env.emplace("XDG_RUNTIME_DIR", (dir_ / "run").string());
    env.emplace("LC_ALL", "C.UTF-8");
    env.emplace("LANGUAGE", "");
    return testsupport::runProgram(ONDRIX_HOST_EXE, args, env);
  }

  // Every file of the preferences folder with its contents.
  std::map<std::string, std::string> preferences() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir_ / "config"))
      files[e.path().string()] = e.is_regular_file() ? testsupport::readFile(e.path()) : "";
    return files;
  }

  // The job folder holds the settings file as it was and nothing else; the preferences are as before.
  void expectNothingWritten(const std::string& what, const std::map<std::string, std::string>& before = {}) {
    EXPECT_EQ(testsupport::readFile(settings()), kOldSettings) << what;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "job"), fs::directory_iterator()), 1) << what;
    EXPECT_EQ(preferences(), before) << what;
  }

  fs::path settings() const { return dir_ / "job" / "job.settings"; }

  testsupport::ScratchDir scratch_{"ondrix-mistakes"};
  const fs::path dir_ = scratch_.path();
};

TEST_F(HostMistakes, CommandLineIsCheckedBeforeAnyStep) {
  testsupport::writeFile(dir_ / "not-a.ppd", "hello\n");
  fs::create_directories(dir_ / "no-bundle" / "Contents" / "Resources");
  struct Case {
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::string message;
  };
  const std::string missing = (dir_ / "missing").string();
  const std::string settingsOption = settings().string();
  const std::vector<Case> cases{
      {{"--print", missing}, {}, "cannot read the file to print " + missing + ": No such file or directory"},
      {{"--print", dir_.string()}, {}, "cannot read the file to print " + dir_.string() + ": it is a folder"},
      {{"--ppd", missing}, {}, "cannot read the PPD " + missing + ": Unable to open PPD file: No such file or directory"},
      {{"--ppd", (dir_ / "not-a.ppd").string()}, {}, ": Missing asterisk in column 1 on line 1"},
      {{"--bundle", (dir_ / "no-bundle").string()}, {}, "no plug-in bundle at " + (dir_ / "no-bundle").string()},
      {{"--cups", "Office"}, {{"CUPS_SERVER", missing}}, "cannot reach the CUPS scheduler at " + missing},
  };
  for (const Case& c : cases) {
    // A job that would print and store what the user held, had the command line been right.
    std::vector<std::string> args{"--settings", settingsOption};
    if (c.args.front() != "--print") args.insert(args.end(), {"--print", (dir_ / "job.txt").string()});
    args.insert(args.end(), c.args.begin(), c.args.end());
    for (const char* step : {"view", "restore", "click", "loginNameButton", "save", "print"}) args.push_back(step);
    const RunResult r = host(args, c.env);
    EXPECT_EQ(r.status, 2) << c.message << r.out << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.message;
    expectNothingWritten(c.message);
  }

  // A settings path that cannot be written: a folder (which used to leave "<folder>.tmp" beside it) and a
  // file in a folder that does not exist.
  for (const fs::path& bad : {dir_ / "job", dir_ / "job" / "missing" / "job.settings"}) {
    const RunResult r = host({"--settings", bad.string(), "view", "restore", "click", "loginNameButton", "save", "print"});
    EXPECT_EQ(r.status, 2) << bad << r.out;
    EXPECT_NE(r.err.find("cannot write the settings file " + bad.string() + ": "), std::string::npos) << r.err;
    expectNothingWritten(bad.string());
  }
  EXPECT_FALSE(fs::exists(dir_ / "job.tmp"));
}

TEST_F(HostMistakes, StepsThatDoNotFitTheLayoutStopTheRun) {
  struct Case {
    std::string ppd;
    std::vector<std::string> steps;
    std::string message;
  };
  const std::vector<Case> cases{
      {"demo-filing.ppd", {"click", "retentionCheckBox", "view"}, "step \"click\" comes before the controls exist"},
      {"demo-filing.ppd", {"controls"}, "step \"controls\" comes before the controls exist"},
      {"demo-filing.ppd", {"view", "select", "suspendMatrix", "3"}, "it has 3 choices, numbered from 0"},
      {"demo-filing.ppd", {"view", "select", "folderSelectionPopup", "-1"}, "choices, numbered from 0"},
      {"demo-filing.ppd", {"view", "select", "loginNameEditText", "0"}, "loginNameEditText has nothing to select"},
      {"demo-directory.ppd", {"view", "type", "userNumberEditText", "12"}, "layout has no control userNumberEditText"},
  };
  // The panel stores its printer's record when it is first made; a mistake in a later step changes nothing.
  // Each model has a queue of its own, as each printer has.
  for (const char* ppd : {"demo-filing.ppd", "demo-directory.ppd"})
    ASSERT_EQ(host({"--ppd", kPpdDir + ppd, "--queue", ppd, "name"}).status, 0);
  const auto before = preferences();
  for (const Case& c : cases) {
    std::vector<std::string> args{"--ppd",      kPpdDir + c.ppd, "--queue", c.ppd, "--settings", settings().string(),
                                  "restore", "click", "retentionCheckBox"};
    // The first step before the layout exists is the script's own first step.
    if (c.steps.front() != "view") args.resize(6);
    args.insert(args.end(), c.steps.begin(), c.steps.end());
    args.push_back("save");
    const RunResult r = host(args);
    EXPECT_EQ(r.status, 2) << c.message << r.out << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    expectNothingWritten(c.message, before);
  }
}

// Preferences that cannot be stored are said once; the panel goes on as ever: no alert, the job prints,
// and the job's settings are the user's alone.
TEST_F(HostMistakes, UnwritablePreferencesWarnOnceAndPrintingGoesOn) {
  testsupport::writeFile(dir_ / "not-a-folder", "");
  fs::remove(settings());
  const RunResult r =
      host({"--settings", settings().string(), "view", "restore", "type", "loginNameEditText", "alice", "click",
            "loginNameButton", "click", "jobNameButton", "save", "print", "print"},
           {{"XDG_CONFIG_HOME", (dir_ / "not-a-folder").string()}});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "shouldPrint=YES\nshouldPrint=YES\n");
  EXPECT_EQ(testsupport::linesOf(r.err).size(), 1u) << r.err;
  EXPECT_NE(r.err.find("cannot store the preferences in " + (dir_ / "not-a-folder").string()), std::string::npos);
  struct stat info {};
  ASSERT_EQ(stat(settings().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(HostMistakes, ControlsListsEveryControlOfTheLayoutWithItsKind) {
  const RunResult four = host({"--ppd", kPpdDir + "demo-filing.ppd", "view", "controls"});
  const RunResult five = host({"--ppd", kPpdDir + "demo-directory.ppd", "view", "controls"});
  ASSERT_EQ(four.status, 0) << four.err;
  ASSERT_EQ(five.status, 0) << five.err;
  for (const char* line : {"control: folderSelectionPopup popUpButton", "control: loginNameButton holdButton",
                           "control: suspendKeyEditText textField", "control: userNumberRadioButton radioButton"})
    EXPECT_NE(four.out.find(std::string(line) + "\n"), std::string::npos) << line << four.out;
  EXPECT_NE(five.out.find("control: folderSelectionMatrix matrix\n"), std::string::npos) << five.out;
  EXPECT_EQ(five.out.find("userNumberEditText"), std::string::npos);
}

}  // namespace
