// The same step scripts on the headless controls (ondrix-pde-host) and on real Qt widgets (the engine's
// Qt hands, as ondrix-print-dialog --steps runs them): every printed line, the exit status and the job's
// print settings must be the same.
#include <gtest/gtest.h>

#include <fstream>

#include "support/dump_filter.h"
#include "support/host_runner.h"
#include "support/scratch.h"
#include "support/sim_process.h"

namespace {

using testsupport::RunResult;

constexpr const char* kUri = "ipp://192.0.2.7:631/ipp/print";
// One job time for both runs: the pass codes' digests and the per-job key depend on it.
constexpr const char* kSpoolTime =
    "ondrix.print.PrintSettings.spoolTime=5475652C20382044656320323032362031333A31343A3134202B30303030\n";

struct Script {
  const char* name;
  const char* ppd;
  std::vector<std::string> steps;
};

// The scripts of the command-line host's own end-to-end tests, each ending in a dump, plus the user
// operations they do not reach (paste, clear, pop-up and tab choices, refused keys).
const std::vector<Script>& scripts() {
  static const std::vector<Script> all{
      {"demo models", "demo-filing.ppd", {"dump"}},
      {"no filing", "demo-nofiling.ppd", {"view", "restore", "dump", "select", "tabView", "1", "dump"}},
      {"default steps", "demo-filing.ppd", {}},
      {"print system refused", "demo-printsystem.ppd", {"view", "restore", "save", "print", "dump"}},
      {"print system by user number", "demo-printsystem.ppd",
       {"view", "restore", "select", "authenticationMatrix", "1", "type", "userNumberEditText", "47x11", "save",
        "print", "dump"}},
      {"held values", "demo-filing.ppd",
       {"view", "restore", "click", "retentionCheckBox", "type", "suspendKeyEditText", "1234", "click",
        "suspendKeyButton", "type", "loginNameEditText", "alice", "click", "loginNameButton", "type",
        "passwordEditText", "pw", "click", "passwordButton", "type", "accountNumberEditText", "77", "click",
        "accountNumberButton", "set", "userNameEditText", "Alice Example", "click", "userNameButton", "set",
        "jobNameEditText", "Ledger", "click", "jobNameButton", "type", "userNumberEditText", "99", "dump", "save",
        "summary", "print", "dump"}},
      {"directory service", "demo-directory.ppd", {"view", "restore", "save", "print", "summary", "dump"}},
      {"edits and choices", "demo-filing.ppd",
       {"view", "restore", "click", "retentionCheckBox", "type", "suspendKeyEditText", "123456789", "paste",
        "folderPasswordEditText", "12ab", "paste", "folderPasswordEditText", "4321", "select", "suspendMatrix", "2",
        "dump", "clear", "suspendKeyEditText", "select", "folderSelectionPopup", "1", "select", "tabView", "2",
        "type", "passwordEditText", "p\u00e4ss w\u00f6rd \U0001F600", "click", "loginNameButton", "type",
        "loginNameEditText", "bob", "click", "loginNameButton", "dump", "save", "summary", "print"}},
  };
  return all;
}

class Parity : public ::testing::Test {
 protected:
  struct Run {
    RunResult result;
    std::string settings;
  };

  Run run(const std::string& program, const std::string& ppd, std::vector<std::string> steps,
          const std::string& language = "") {
    const std::filesystem::path dir = scratch_.path() / std::to_string(runs_++);
    std::filesystem::create_directories(dir / "run");
    std::filesystem::permissions(dir / "run", std::filesystem::perms::owner_all);
    const std::string settings = (dir / "job.settings").string();
    std::ofstream(settings) << kSpoolTime;
    std::vector<std::string> args{"--ppd", std::string(ONDRIX_RESOURCE_DIR) + "/ppd/" + ppd, "--device-uri", uri_,
                                  "--settings", settings, "--steps"};
    args.insert(args.end(), steps.begin(), steps.end());
    Run out;
    out.result = testsupport::runProgram(program, args,
                                         {{"XDG_CONFIG_HOME", (dir / "config").string()},
                                          {"XDG_RUNTIME_DIR", (dir / "run").string()},
                                          {"LC_ALL", "C.UTF-8"},
                                          {"LANGUAGE", language},
                                          {"QT_QPA_PLATFORM", "offscreen"}});
    out.settings = testsupport::readFile(settings);
    return out;
  }

  void expectSame(const Script& s, const std::string& language = "") {
    const Run headless = run(ONDRIX_HOST_EXE, s.ppd, s.steps, language);
    const Run qt = run(ONDRIX_QT_STEPS_EXE, s.ppd, s.steps, language);
    EXPECT_EQ(headless.result.status, qt.result.status) << s.name << "\n" << qt.result.err;
    EXPECT_EQ(testsupport::withoutToolkitOnlyFacts(headless.result.out),
              testsupport::withoutToolkitOnlyFacts(qt.result.out))
        << s.name << " " << language;
    EXPECT_EQ(headless.settings, qt.settings) << s.name;
    EXPECT_EQ(headless.result.err, "") << s.name;
  }

  testsupport::ScratchDir scratch_{"ondrix-parity"};
  int runs_ = 0;
  std::string uri_ = kUri;
};

TEST_F(Parity, EveryScriptPrintsTheSameOnBothToolkits) {
  for (const Script& s : scripts()) expectSame(s);
}

// The folder query runs through the Qt run loop on the Qt side: the same folders reach the same pop-up.
TEST_F(Parity, FetchedFoldersAreTheSameOnBothToolkits) {
  testsupport::SimProcess sim({"--folder", "Sales", "--folder", "Legal:protected", "--folder", "Design"});
  ASSERT_GT(sim.port(), 0);
  expectSame({"folder query", "demo-filing.ppd",
              {"view", "restore", "click", "retentionCheckBox", "set", "printersAddressEditText", sim.address(),
               "click", "getFolderNameButton", "select", "folderSelectionPopup", "4", "type",
               "folderPasswordEditText", "0042", "dump", "save", "print"}});
}

// Titles, labels, the summary and the alert come from the strings table on both toolkits.
TEST_F(Parity, TranslatedPanelsAreTheSame) {
  const Script translated{"translated", "demo-printsystem.ppd", {"view", "restore", "summary", "print", "dump"}};
  for (const std::string language : {"de", "ja"}) {
    expectSame(translated, language);
    EXPECT_EQ(run(ONDRIX_QT_STEPS_EXE, translated.ppd, translated.steps, language).result.out.find("Please confirm"),
              std::string::npos)
        << language << ": the alert is not translated";
  }
}

TEST_F(Parity, UsageErrorsAreTheSame) {
  for (const Script& s : std::vector<Script>{{"unknown control", "demo-filing.ppd", {"click", "noSuchControl"}},
                                             {"bad number", "demo-filing.ppd", {"view", "select", "tabView", "x"}},
                                             {"not a field", "demo-filing.ppd", {"view", "type", "tabView", "1"}}}) {
    const Run headless = run(ONDRIX_HOST_EXE, s.ppd, s.steps);
    const Run qt = run(ONDRIX_QT_STEPS_EXE, s.ppd, s.steps);
    EXPECT_EQ(headless.result.status, 2) << s.name;
    EXPECT_EQ(qt.result.status, 2) << s.name;
    EXPECT_EQ(testsupport::withoutToolkitOnlyFacts(headless.result.out),
              testsupport::withoutToolkitOnlyFacts(qt.result.out))
        << s.name;
  }
}

}  // namespace
