// The stand-in dialog run as a user runs it: one process per dialog, print settings in a file,
// preferences in a private configuration folder.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>

#include "support/host_runner.h"
#include "support/scratch.h"

namespace {

using testsupport::RunResult;

constexpr const char* kUri = "ipp://192.0.2.7:631/ipp/print";
const std::string kPrefix = "ondrix.print.PrintSettings.";

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "run");
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
  }

  RunResult host(const std::string& ppd, std::vector<std::string> steps, std::vector<std::string> options = {}) {
    std::vector<std::string> args{"--ppd", ppdPath(ppd), "--device-uri", kUri, "--settings", settingsFile()};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), steps.begin(), steps.end());
    return testsupport::runProgram(ONDRIX_HOST_EXE, args,
                                   {{"XDG_CONFIG_HOME", (dir_ / "config").string()},
                                    {"XDG_RUNTIME_DIR", (dir_ / "run").string()},
                                    {"LC_ALL", "C.UTF-8"}, {"LANGUAGE", ""}});
  }
  static std::string ppdPath(const std::string& name) { return std::string(ONDRIX_RESOURCE_DIR) + "/ppd/" + name; }
  std::string settingsFile() const { return (dir_ / "job.settings").string(); }

  std::map<std::string, std::string> settings() const {
    std::map<std::string, std::string> out;
    std::ifstream in(settingsFile());
    for (std::string line; std::getline(in, line);) {
      const auto eq = line.find('=');
      if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
  }
  void newJob() { std::filesystem::remove(settingsFile()); }

  static nlohmann::json dumpOf(const RunResult& r) {
    for (const auto& line : testsupport::linesOf(r.out))
      if (!line.empty() && line.front() == '{') return nlohmann::json::parse(line);
    ADD_FAILURE() << "no dump in: " << r.out << r.err;
    return nlohmann::json::object();
  }

  testsupport::ScratchDir scratch_{"ondrix-e2e"};
  const std::filesystem::path dir_ = scratch_.path();
};

TEST_F(Host, DumpShowsEachDemoModel) {
  struct Case {
    const char* ppd;
    int filing, printSystem, directory;
    const char* model;
  };
  const Case cases[] = {{"demo-filing.ppd", 1, 0, 0, "Ondrix MX-4070"},
                        {"demo-nofiling.ppd", 0, 0, 0, "Ondrix MX-2010"},
                        {"demo-printsystem.ppd", 1, 1, 0, "Ondrix BP-70"},
                        {"demo-directory.ppd", 1, 0, 1, "Ondrix MX-8090"}};
  for (const Case& c : cases) {
    const RunResult r = host(c.ppd, {"dump"});
    ASSERT_EQ(r.status, 0) << c.ppd << r.err;
    const nlohmann::json d = dumpOf(r);
    EXPECT_EQ(d["document_filing_model"], c.filing) << c.ppd;
    EXPECT_EQ(d["ondrix_print_system"], c.printSystem) << c.ppd;
    EXPECT_EQ(d["active_directory"], c.directory) << c.ppd;
    EXPECT_EQ(d["mfpURL"], "192.0.2.7");
    EXPECT_EQ(d["preferenceName"], "ondrix.mfp.Demo");
    EXPECT_EQ(d["modelStringRef"], c.model);
  }
}

// Whatever the preference file holds, the dialog opens and the dump is valid JSON.
TEST_F(Host, DumpNeverAbortsOnWhatThePreferenceFileHolds) {
  std::filesystem::create_directories(dir_ / "config" / "ondrix-pde");
  std::ofstream(dir_ / "config" / "ondrix-pde" / "ondrix.mfp.Demo.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>Job Handling</key><dict>"
         "<key>Model Name</key><string>Ondrix MX-4070</string><key>Release Number</key><string>2.00</string>"
         "<key>hold button</key><integer>511</integer><key>user name</key><string>\xff\xfe</string>"
         "<key>folder name</key><string>\xc3</string><key>files</key><array>"
         "<dict><key>name</key><string>Sa\xffles</string><key>password</key><true/></dict>"
         "<dict><key>name</key><integer>7</integer><key>odd</key><string>\xff</string></dict>"
         "</array></dict></dict></plist>";
  const RunResult r = host("demo-filing.ppd", {"view", "restore", "dump"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json d = dumpOf(r);
  ASSERT_TRUE(d["folderList"].is_array());
  ASSERT_EQ(d["folderList"].size(), 2u);
  EXPECT_EQ(d["folderList"][0]["name"], "Sa\xef\xbf\xbdles");
}

TEST_F(Host, UsageErrorsExitWithTwo) {
  const RunResult otherType = host("demo-filing.ppd", {"dump"}, {"--type", "PageSetup"});
  EXPECT_EQ(otherType.status, 2);
  EXPECT_NE(otherType.err.find("no panel"), std::string::npos);
  EXPECT_EQ(host("demo-filing.ppd", {"click", "noSuchControl"}).status, 2);
  EXPECT_EQ(host("demo-filing.ppd", {"frobnicate"}).status, 2);
  EXPECT_EQ(host("demo-filing.ppd", {"select", "folderSelectionPopup"}).status, 2);
  EXPECT_EQ(testsupport::runProgram(ONDRIX_HOST_EXE, {"--ppd", "/nonexistent.ppd", "dump"}).status, 2);
  std::ofstream(settingsFile()) << "no equals sign here\n";
  EXPECT_EQ(host("demo-filing.ppd", {"dump"}).status, 2);
}

TEST_F(Host, DefaultStepsWriteTheJobsKeys) {
  const RunResult r = host("demo-filing.ppd", {}, {"--job-name", "Report"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "shouldPrint=YES\n");
  const auto s = settings();
  EXPECT_EQ(s.at(kPrefix + "jobSuspend"), "0");
  EXPECT_EQ(s.at(kPrefix + "filing"), "0");
  EXPECT_EQ(s.at(kPrefix + "holdButton"), "0");
  EXPECT_EQ(s.at(kPrefix + "jobName"), "5265706F7274");  // "Report"
  EXPECT_TRUE(s.count(kPrefix + "spoolTime"));
}

TEST_F(Host, PrintSystemRefusesWithoutAuthentication) {
  const RunResult refused = host("demo-printsystem.ppd", {"view", "restore", "save", "print"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("alert: Information | Please confirm the following setting items.\\nLogin Name\\nUser "
                             "Number | OK\nshouldPrint=NO"),
            std::string::npos)
      << refused.out;
  // Refused printing stores no preferences: the record holds only what creation wrote.
  std::ifstream prefs(dir_ / "config" / "ondrix-pde" / "ondrix.mfp.Demo.plist");
  const std::string stored((std::istreambuf_iterator<char>(prefs)), std::istreambuf_iterator<char>());
  EXPECT_EQ(stored.find("hold button"), std::string::npos);

  newJob();
  const RunResult approved = host("demo-printsystem.ppd", {"view", "restore", "select", "authenticationMatrix", "1",
                                                           "type", "userNumberEditText", "4711", "save", "print"});
  EXPECT_EQ(approved.status, 0) << approved.out;
  EXPECT_EQ(settings().at(kPrefix + "userNumber"), "04711");
}

TEST_F(Host, HeldValuesComeBackInTheNextDialog) {
  const RunResult first = host(
      "demo-filing.ppd",
      {"view", "restore", "click", "retentionCheckBox", "type", "suspendKeyEditText", "1234", "click", "suspendKeyButton",
       "type", "loginNameEditText", "alice", "click", "loginNameButton", "type", "passwordEditText", "pw",
       "click", "passwordButton", "type", "accountNumberEditText", "77", "click", "accountNumberButton",
       "set", "userNameEditText", "Alice Example", "click", "userNameButton", "set", "jobNameEditText", "Ledger",
       "click", "jobNameButton", "type", "userNumberEditText", "99", "save", "print"});
  ASSERT_EQ(first.status, 0) << first.out << first.err;

  newJob();
  const nlohmann::json d = dumpOf(host("demo-filing.ppd", {"view", "restore", "dump"}));
  const auto& c = d["controls"];
  EXPECT_EQ(c["suspendKeyEditText"]["stringValue"], "1234");
  EXPECT_EQ(c["suspendKeyButton"]["state"], 1);
  EXPECT_EQ(c["loginNameEditText"]["stringValue"], "\u2022\u2022\u2022\u2022\u2022");
  EXPECT_EQ(c["loginNameButton"]["state"], 1);
  EXPECT_EQ(c["passwordEditText"]["stringValue"], "pw");
  EXPECT_EQ(c["accountNumberEditText"]["stringValue"], "77");
  EXPECT_EQ(c["userNameEditText"]["stringValue"], "Alice Example");
  EXPECT_EQ(c["jobNameEditText"]["stringValue"], "Ledger");
  EXPECT_EQ(c["jobNameButton"]["state"], 1);
  // The user number was not held: it does not come back.
  EXPECT_EQ(c["userNumberEditText"]["stringValue"], "");
  EXPECT_EQ(c["userNumberButton"]["state"], 0);
}

TEST_F(Host, DirectoryServiceModelUsesTheAccountName) {
  const RunResult r = host("demo-directory.ppd", {"view", "restore", "save", "print", "dump"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json d = dumpOf(r);
  EXPECT_EQ(d["controls"]["retentionCheckBox"]["state"], 1);  // retention is always on there
  const std::string login = d["controls"]["loginNameEditText"]["stringValue"];
  EXPECT_FALSE(login.empty());
  const auto s = settings();
  // The user name keys carry the login name.
  std::string hex;
  for (unsigned char ch : login) {
    const char* digits = "0123456789ABCDEF";
    hex += digits[ch >> 4];
    hex += digits[ch & 15];
  }
  EXPECT_EQ(s.at(kPrefix + "userName"), hex);
}

TEST_F(Host, ModelWithoutFilingHidesTheFilingControls) {
  const nlohmann::json d = dumpOf(host("demo-nofiling.ppd", {"view", "restore", "dump"}));
  EXPECT_EQ(d["controls"]["filingBox"]["hidden"], true);
  EXPECT_EQ(d["controls"]["folderSelectionPopup"]["hidden"], true);
  EXPECT_EQ(d["controls"]["tabView"]["tabs"].size(), 2u);
}

}  // namespace
