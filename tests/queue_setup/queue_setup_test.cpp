// ondrix-queue-setup against a throw-away scheduler: a job with every credential set, read by another
// user, shows none of the secret keys while the filter still receives every key; the setup repeats
// without change and keeps the rest of cupsd.conf; --check tells a safe queue from a stock one; and each
// failure has its own exit status, with nothing changed.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "settings/keys.h"
#include "support/host_runner.h"
#include "support/throwaway_cups.h"

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::RunResult;
using testsupport::runProgram;

// Administration needs an administrator here, as in a stock cupsd.conf; the rest is for the test of
// settings kept.
const std::string kExtraConf =
    "<Location /admin/conf>\nAuthType Default\nRequire user @SYSTEM\n</Location>\n# kept as it is\nMaxJobs 321\n";

struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};

class QueueSetup : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!testsupport::ThrowawayCups::available()) return;
    cups_ = std::make_unique<testsupport::ThrowawayCups>();
    std::string why;
    // The stock queue's PPD, with the recording filter, serves the queues set up by the command too.
    if (!cups_->start(why, kExtraConf) ||
        !cups_->addRecordingQueue("Stock", fs::path(ONDRIX_RESOURCE_DIR) / "ppd" / "demo-filing.ppd", why)) {
      startFailure_ = why.empty() ? "the scheduler did not start" : why;
    }
  }
  static void TearDownTestSuite() { cups_.reset(); }

  void SetUp() override {
    if (!testsupport::ThrowawayCups::available()) GTEST_SKIP() << "needs root and cups-daemon/cups-client";
    ASSERT_TRUE(startFailure_.empty()) << startFailure_;
  }

  static RunResult setup(const std::vector<std::string>& args) {
    return runProgram(ONDRIX_QUEUE_SETUP_EXE, args, cups_->env());
  }
  static fs::path ppd() { return cups_->base() / "Stock.ppd"; }
  static std::string conf() { return readFile(cups_->base() / "etc" / "cupsd.conf"); }

  // The job's attributes as `user` reads them with Get-Job-Attributes, by name.
  static std::map<std::string, std::string> jobAttributesAs(int jobId, const std::string& user) {
    cupsSetServer(cups_->socket().c_str());
    cupsSetUser(user.c_str());
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, user.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "all");
    const std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"));
    EXPECT_LE(cupsLastError(), IPP_STATUS_OK_EVENTS_COMPLETE) << cupsLastErrorString();
    std::map<std::string, std::string> attributes;
    for (ipp_attribute_t* a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get())) {
      if (!ippGetName(a)) continue;
      std::string value(2048, '\0');
      value.resize(ippAttributeString(a, value.data(), value.size()));
      attributes[ippGetName(a)] = value;
    }
    cupsSetUser(nullptr);
    return attributes;
  }

  static std::unique_ptr<testsupport::ThrowawayCups> cups_;
  static std::string startFailure_;
};
std::unique_ptr<testsupport::ThrowawayCups> QueueSetup::cups_;
std::string QueueSetup::startFailure_;

TEST_F(QueueSetup, AnotherUserReadsNoSecretKeyAndTheFilterGetsEveryKey) {
  const RunResult stock = setup({"--check", "Stock"});
  EXPECT_EQ(stock.status, 1) << stock.out << stock.err;
  EXPECT_NE(stock.out.find("Stock: not safe: its policy \"default\" shows"), std::string::npos) << stock.out;

  const std::string before = conf();
  const RunResult first = setup({"Office", "--device-uri", "file:/dev/null", "--ppd", ppd().string()});
  ASSERT_EQ(first.status, 0) << first.out << first.err << cups_->errorLog();
  const std::string after = conf();
  // Without a default policy in the file the new one goes last: everything before it is the old file.
  EXPECT_TRUE(after.starts_with(before)) << after;
  EXPECT_NE(after.find("<Policy ondrix-private>", before.size()), std::string::npos);
  const RunResult second = setup({"Office", "--device-uri", "file:/dev/null", "--ppd", ppd().string()});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(conf(), after);
  const RunResult check = setup({"--check", "Office"});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_EQ(check.out, "Office: safe: its policy \"ondrix-private\" keeps every secret job option private\n");

  // A job with every credential and name set, printed through the panel.
  std::ofstream(cups_->base() / "job.txt") << "Hello, printer.\n";
  const RunResult printed = runProgram(
      ONDRIX_HOST_EXE,
      {"--cups", "Office", "--print", (cups_->base() / "job.txt").string(), "--settings",
       (cups_->base() / "job.settings").string(), "--job-name", "Payroll", "view", "restore", "click",
       "retentionCheckBox", "type", "suspendKeyEditText", "1234", "type", "loginNameEditText", std::string(300, 'L'),
       "type", "passwordEditText", "s3cret", "type", "userNumberEditText", "4711", "type", "accountNumberEditText",
       "777", "type", "userNameEditText", "Erika", "type", "folderPasswordEditText", "99", "save", "print"},
      cups_->env());
  ASSERT_EQ(printed.status, 0) << printed.out << printed.err;
  const auto at = printed.out.find("job=Office-");
  ASSERT_NE(at, std::string::npos) << printed.out;
  const int jobId = std::stoi(printed.out.substr(at + 11));

  std::map<std::string, std::string> settings;
  std::ifstream lines(cups_->base() / "job.settings");
  for (std::string line; std::getline(lines, line);)
    settings[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
  const std::vector<std::string> secretNames = settingskeys::keyNames(true);
  const std::set<std::string> secret(secretNames.begin(), secretNames.end());
  std::size_t secretWritten = 0;
  for (const auto& entry : settings) secretWritten += secret.count(entry.first);
  EXPECT_GE(secretWritten, 20u);

  const auto received = cups_->takeRecordedOptions();
  const auto asOwner = jobAttributesAs(jobId, "root");
  const auto asAlice = jobAttributesAs(jobId, "alice");
  ASSERT_FALSE(asAlice.empty());
  for (const auto& [key, value] : settings) {
    SCOPED_TRACE(key);
    EXPECT_EQ(received.count(key) ? received.at(key) : "(none)", value);
    EXPECT_TRUE(asOwner.count(key));
    EXPECT_EQ(asAlice.count(key), secret.count(key) ? 0u : 1u);
  }
  for (const char* own : {"job-name", "job-originating-user-name"}) EXPECT_FALSE(asAlice.count(own)) << own;
}

TEST_F(QueueSetup, AskEveryJobHoldsEachJob) {
  const RunResult made =
      setup({"Held", "--device-uri", "file:/dev/null", "--ppd", ppd().string(), "--ask-every-job"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("every job waits"), std::string::npos) << made.out;
  std::ofstream(cups_->base() / "held.txt") << "Wait.\n";
  const RunResult sent = runProgram("/usr/bin/lp", {"-d", "Held", (cups_->base() / "held.txt").string()}, cups_->env());
  ASSERT_EQ(sent.status, 0) << sent.err;
  const auto at = sent.out.find("Held-");
  ASSERT_NE(at, std::string::npos) << sent.out;
  const auto job = jobAttributesAs(std::stoi(sent.out.substr(at + 5)), "root");
  EXPECT_EQ(job.count("job-state") ? job.at("job-state") : "", "pending-held");
  EXPECT_EQ(job.count("job-hold-until") ? job.at("job-hold-until") : "", "indefinite");
  EXPECT_EQ(setup({"--check", "Held"}).status, 0);
}

// Every failure is told apart by its status and message, before anything is changed.
TEST_F(QueueSetup, FailuresHaveTheirOwnStatusAndChangeNothing) {
  struct Case {
    const char* what;
    std::vector<std::string> command;  // the program first
    std::map<std::string, std::string> env;
    int status;
    const char* message;
  };
  const std::string exe = ONDRIX_QUEUE_SETUP_EXE;
  const std::vector<std::string> setUpNever = {"Never", "--device-uri", "file:/dev/null", "--ppd", ppd().string()};
  std::vector<std::string> asNobody = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", exe};
  asNobody.insert(asNobody.end(), setUpNever.begin(), setUpNever.end());
  std::vector<std::string> noScheduler = {exe};
  noScheduler.insert(noScheduler.end(), setUpNever.begin(), setUpNever.end());
  const Case cases[] = {
      {"no queue", {exe, "--device-uri", "file:/dev/null", "--ppd", ppd().string()}, {}, 2, "which queue?"},
      {"both model and PPD", {exe, "Never", "--device-uri", "file:/dev/null", "--model", "x", "--ppd", "y"}, {}, 2,
       "one of them"},
      {"check with more", {exe, "--check", "Never", "--ask-every-job"}, {}, 2, "only the queue"},
      {"unknown option", {exe, "--force"}, {}, 2, "unknown option --force"},
      {"unreadable PPD", {exe, "Never", "--device-uri", "file:/dev/null", "--ppd", "/nonexistent.ppd"}, {}, 5,
       "cannot read the PPD /nonexistent.ppd"},
      {"no PPD at all", {exe, "Never", "--device-uri", "file:/dev/null", "--ppd", "/etc/hostname"}, {}, 5, "is no PPD"},
      // This scheduler cannot list models at all (no drivers): the model cannot be used either way.
      {"unknown model", {exe, "Never", "--device-uri", "file:/dev/null", "--model", "ondrix/none.ppd"}, {}, 5,
       "asking for the model \"ondrix/none.ppd\""},
      {"not an administrator", asNobody, {}, 4, "reading cupsd.conf needs a CUPS administrator"},
      {"no scheduler", noScheduler, {{"CUPS_SERVER", (cups_->base() / "no-socket").string()}}, 3,
       "cannot reach the CUPS scheduler at"},
      {"refused device", {exe, "Never", "--device-uri", "nosuch:/x", "--ppd", ppd().string()}, {}, 6,
       "setting up the queue \"Never\""},
      {"check of a missing queue", {exe, "--check", "Never"}, {}, 1, "has no queue \"Never\""},
  };
  const std::string before = conf();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::map<std::string, std::string> env = cups_->env();
    for (const auto& [name, value] : c.env) env[name] = value;
    const RunResult r = runProgram(c.command.front(), {c.command.begin() + 1, c.command.end()}, env);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.message), std::string::npos) << r.out << r.err;
    EXPECT_EQ(conf(), before);
    const RunResult never = setup({"--check", "Never"});
    EXPECT_NE(never.out.find("has no queue \"Never\""), std::string::npos) << never.out << never.err;
  }
}

}  // namespace
