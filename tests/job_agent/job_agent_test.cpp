// ondrix-job-agent against a throw-away CUPS server whose queues hold every job: a job printed by another
// program waits, the agent completes it with the keys the command-line host writes for the same steps, and
// leaves alone what is not the user's to complete; a running agent follows new jobs across a restart of the
// scheduler, and two agents complete a job once.
#include <gtest/gtest.h>

#include <cups/cups.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/cups_jobs.h"
#include "support/background_program.h"
#include "support/host_runner.h"
#include "support/scratch.h"
#include "support/throwaway_cups.h"

namespace {

namespace fs = std::filesystem;
using testsupport::runProgram;
using testsupport::RunResult;

const std::string kPrefix = "ondrix.print.PrintSettings.";
constexpr int kHeld = 4, kCancelled = 7, kCompleted = 9;
// The choices of a user in the panel, as steps of the command-line host.
const std::vector<std::string> kChoices{
    "view",  "restore", "click", "retentionCheckBox", "type", "suspendKeyEditText", "1234", "type", "loginNameEditText",
    "alice", "save",    "print"};

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class JobAgent : public ::testing::Test {
 protected:
  // One scheduler for the group: a held Ondrix queue and a held queue of another maker's model.
  static void SetUpTestSuite() {
    if (!testsupport::ThrowawayCups::available()) return;
    cups_ = new testsupport::ThrowawayCups;
    std::string why;
    const fs::path demo = fs::path(ONDRIX_RESOURCE_DIR) / "ppd" / "demo-filing.ppd";
    std::string plain = testsupport::readFile(demo);
    for (std::size_t at; (at = plain.find("Ondrix")) != std::string::npos;) plain.replace(at, 6, "Acme");
    for (std::size_t at; (at = plain.find("\n*Kx")) != std::string::npos;)
      plain.erase(at + 1, plain.find('\n', at + 1) - at);
    testsupport::writeFile(cups_->base() / "plain.ppd", plain);
    ready_ = cups_->start(why) && cups_->addRecordingQueue("Test", demo, why) && cups_->holdEveryJob("Test", why) &&
             cups_->addRecordingQueue("Plain", cups_->base() / "plain.ppd", why) && cups_->holdEveryJob("Plain", why);
    if (!ready_) setUpError_ = why;
  }
  static void TearDownTestSuite() {
    delete cups_;
    cups_ = nullptr;
  }

  void SetUp() override {
    if (!cups_) GTEST_SKIP() << "needs root and cups-daemon/cups-client";
    ASSERT_TRUE(ready_) << setUpError_;
    fs::create_directories(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);
    cupsSetServer(cups_->socket().c_str());
    connection_ = std::make_unique<platform::cups::JobConnection>("root", kPrefix);
  }

  // The agent's surroundings: the test's scheduler, a private runtime folder, one session.
  std::map<std::string, std::string> env(const std::string& session = "1") const {
    auto e = cups_->env();
    e["XDG_RUNTIME_DIR"] = runtime_.string();
    e["XDG_SESSION_ID"] = session;
    return e;
  }

  // Prints a file as another program would, with lp's extra arguments; the job's id, 0 when lp failed.
  int submit(const std::vector<std::string>& lpArgs) {
    const fs::path file = cups_->base() / "letter.txt";
    testsupport::writeFile(file, "Dear printer,\n");
    const RunResult r = runProgram("/usr/bin/lp", plus(lpArgs, {file.string()}), cups_->env());
    const auto dash = r.out.find("Test-") != std::string::npos ? r.out.find("Test-") + 5 : r.out.find("Plain-") + 6;
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? std::stoi(r.out.substr(dash)) : 0;
  }

  platform::cups::Job job(int id) {
    std::string error;
    const auto found = connection_->job(id, error);
    EXPECT_TRUE(found) << error;
    return found.value_or(platform::cups::Job{});
  }
  // Waits (some seconds) until the job has the state; true when it has. The first request after a restart
  // of the scheduler finds the connection dead and makes a new one.
  bool waitForState(int id, int state) {
    for (int i = 0; i < 200; ++i) {
      std::string error;
      if (const auto found = connection_->job(id, error); found && found->state == state) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  static testsupport::ThrowawayCups* cups_;
  static bool ready_;
  static std::string setUpError_;
  fs::path runtime_ = cups_ ? cups_->base() / ("run-" + std::to_string(::getpid())) : fs::path();
  std::unique_ptr<platform::cups::JobConnection> connection_;
};

testsupport::ThrowawayCups* JobAgent::cups_ = nullptr;
bool JobAgent::ready_ = false;
std::string JobAgent::setUpError_;

TEST_F(JobAgent, HeldJobIsReleasedWithTheHostsKeysAndItsOwnName) {
  const int id = submit({"-d", "Test", "-t", "Quarterly report"});
  EXPECT_EQ(job(id).state, kHeld);
  EXPECT_EQ(job(id).holdUntil, "indefinite");

  const RunResult agent = runProgram(ONDRIX_JOB_AGENT_EXE, plus({"--once", "--steps"}, kChoices), env());
  EXPECT_EQ(agent.status, 0) << agent.err;
  EXPECT_NE(agent.out.find("shouldPrint=YES\njob=Test-" + std::to_string(id) + " released\n"), std::string::npos)
      << agent.out << agent.err;
  const std::map<std::string, std::string> received = cups_->takeRecordedOptions();
  ASSERT_FALSE(received.empty()) << cups_->errorLog();

  // The command-line host, the same steps on the same queue and job name: the same keys reach the filter.
  const fs::path settings = cups_->base() / "host.settings";
  const RunResult host = runProgram(
      ONDRIX_HOST_EXE,
      plus({"--cups", "Test", "--settings", settings.string(), "--job-name", "Quarterly report"}, kChoices), env());
  ASSERT_EQ(host.status, 0) << host.err;
  std::map<std::string, std::string> written;
  for (const std::string& line : testsupport::linesOf(testsupport::readFile(settings)))
    written[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
  std::set<std::string> sent, expected;
  for (const auto& [key, value] : received)
    if (key.starts_with(kPrefix)) sent.insert(key);
  for (const auto& [key, value] : written) expected.insert(key);
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(received.at(kPrefix + "jobName"), written.at(kPrefix + "jobName"));
  EXPECT_EQ(received.at(kPrefix + "jobSuspend"), "2");
  EXPECT_TRUE(waitForState(id, kCompleted));
}

// One run of the agent meets every kind of job at once; only the user's own waiting job on an Ondrix
// queue is handed to the script.
TEST_F(JobAgent, OnlyTheUsersOwnWaitingJobsOnOndrixQueuesAreTouched) {
  struct Case {
    const char* what;
    std::vector<std::string> lp;
    bool touched;
  };
  const std::vector<Case> cases{
      {"another user's job", {"-d", "Test", "-U", "nobody"}, false},
      {"a job that went through a panel", {"-d", "Test", "-o", kPrefix + "spoolTime=3132"}, false},
      {"a job on another maker's queue", {"-d", "Plain"}, false},
      {"the user's own job", {"-d", "Test"}, true},
  };
  std::vector<int> ids;
  for (const Case& c : cases) ids.push_back(submit(c.lp));

  const RunResult agent = runProgram(ONDRIX_JOB_AGENT_EXE, {"--once", "--steps", "view", "restore", "cancel"}, env());
  EXPECT_EQ(agent.status, 0) << agent.err;
  std::vector<std::string> lines;
  for (const std::string& line : testsupport::linesOf(agent.out))
    if (line.starts_with("job=")) lines.push_back(line);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(job(ids[i]).state, cases[i].touched ? kCancelled : kHeld) << cases[i].what;
    if (cases[i].touched) {
      EXPECT_EQ(lines, std::vector<std::string>{"job=Test-" + std::to_string(ids[i]) + " cancelled"});
    }
  }
  // A job that is not the user's is never offered, so nothing is claimed.
  EXPECT_TRUE(fs::is_empty(runtime_ / "ondrix-pde"));
  std::string ignored;
  for (std::size_t i = 0; i + 1 < cases.size(); ++i) connection_->cancelJob(ids[i], ignored);
}

// A script that the panel refuses keeps the job held, and the next start offers it again. Its window step
// sees the panel in the window's frame, in the user's language, every tab title whole.
TEST_F(JobAgent, RefusedOrUnfinishedScriptKeepsTheJobForTheNextStart) {
  const int id = submit({"-d", "Test"});
  auto german = env();
  german["LC_ALL"] = "C.UTF-8";
  german["LANGUAGE"] = "de";
  const RunResult kept =
      runProgram(ONDRIX_JOB_AGENT_EXE, {"--once", "--steps", "view", "restore", "save", "window"}, german);
  EXPECT_NE(kept.out.find("job=Test-" + std::to_string(id) + " kept"), std::string::npos) << kept.out << kept.err;
  EXPECT_NE(kept.out.find("{\"window\":"), std::string::npos) << kept.out << kept.err;
  EXPECT_NE(kept.out.find("\"Authentifizierung und Auftrags-ID\""), std::string::npos) << kept.out;
  EXPECT_EQ(kept.out.find("\"whole\":false"), std::string::npos) << kept.out;
  EXPECT_EQ(job(id).state, kHeld);
  const RunResult again = runProgram(ONDRIX_JOB_AGENT_EXE, plus({"--once", "--steps"}, kChoices), env());
  EXPECT_NE(again.out.find("job=Test-" + std::to_string(id) + " released"), std::string::npos) << again.out;
  EXPECT_FALSE(cups_->takeRecordedOptions().empty());
  EXPECT_TRUE(waitForState(id, kCompleted));
}

TEST_F(JobAgent, RunningAgentCompletesNewJobsAcrossARestartOfTheScheduler) {
  testsupport::BackgroundProgram agent(ONDRIX_JOB_AGENT_EXE, plus({"--steps"}, kChoices), env("running"));
  for (int round = 0; round < 2; ++round) {
    const int id = submit({"-d", "Test", "-t", "round " + std::to_string(round)});
    const std::map<std::string, std::string> received = cups_->takeRecordedOptions();
    EXPECT_TRUE(received.count(kPrefix + "spoolTime")) << round << cups_->errorLog() << agent.err();
    EXPECT_TRUE(agent.waitForOutput("job=Test-" + std::to_string(id) + " released")) << agent.out();
    // A job cut off by the restart would print again and be taken for the next one.
    ASSERT_TRUE(waitForState(id, kCompleted));
    if (round == 0) {
      std::string why;
      ASSERT_TRUE(cups_->restart(why)) << why;
    }
  }
  // A second start in the same session leaves it to the running one.
  const RunResult second = runProgram(ONDRIX_JOB_AGENT_EXE, plus({"--steps"}, kChoices), env("running"));
  EXPECT_EQ(second.status, 0);
  EXPECT_NE(second.err.find("an agent runs in this session already"), std::string::npos) << second.err;
  EXPECT_EQ(agent.stop(), 0) << agent.err();
}

TEST_F(JobAgent, TwoAgentsCompleteAJobOnce) {
  testsupport::BackgroundProgram first(ONDRIX_JOB_AGENT_EXE, plus({"--steps"}, kChoices), env("first"));
  testsupport::BackgroundProgram second(ONDRIX_JOB_AGENT_EXE, plus({"--steps"}, kChoices), env("second"));
  const int id = submit({"-d", "Test"});
  EXPECT_FALSE(cups_->takeRecordedOptions().empty()) << cups_->errorLog();
  ASSERT_TRUE(waitForState(id, kCompleted));
  EXPECT_EQ(first.stop(), 0);
  EXPECT_EQ(second.stop(), 0);
  const std::string both = first.out() + second.out();
  const std::string line = "job=Test-" + std::to_string(id);
  ASSERT_NE(both.find(line + " released"), std::string::npos) << both;
  EXPECT_EQ(both.find(line), both.rfind(line)) << both;
}

// The command-line host's job went through the panel: the queue that holds every job prints it at once.
TEST_F(JobAgent, OurOwnHostsJobPrintsWithoutWaiting) {
  const fs::path file = cups_->base() / "own.txt";
  testsupport::writeFile(file, "From the panel.\n");
  const RunResult host = runProgram(
      ONDRIX_HOST_EXE, {"--cups", "Test", "--print", file.string(), "view", "restore", "save", "print"}, env());
  ASSERT_EQ(host.status, 0) << host.err;
  const std::map<std::string, std::string> received = cups_->takeRecordedOptions();
  EXPECT_TRUE(received.count(kPrefix + "spoolTime")) << cups_->errorLog();
}

// Without a scheduler a one-off run says so, once, and fails; a running agent would wait for it.
TEST(JobAgentWithoutScheduler, OnceSaysSoAndFails) {
  const testsupport::ScratchDir scratch("ondrix-agent-nocups");
  const RunResult r = runProgram(
      ONDRIX_JOB_AGENT_EXE, {"--once", "--steps", "view"},
      {{"CUPS_SERVER", (scratch.path() / "no-such-socket").string()}, {"XDG_RUNTIME_DIR", scratch.path().string()}});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "ondrix-job-agent: cannot reach the CUPS scheduler at " +
                       (scratch.path() / "no-such-socket").string() + "\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
