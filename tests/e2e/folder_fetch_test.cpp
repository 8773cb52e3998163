// Fetching the printer's folders through the stand-in dialog, against the simulated folder service.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/host_runner.h"
#include "support/scratch.h"
#include "support/sim_process.h"

namespace {

class FolderFetch : public ::testing::Test {
 protected:
  nlohmann::json dump(const std::vector<std::string>& steps) {
    std::vector<std::string> args{"--device-uri", "ipp://127.0.0.1:631/ipp/print"};
    args.insert(args.end(), steps.begin(), steps.end());
    args.push_back("dump");
    const testsupport::RunResult r = testsupport::runProgram(
        ONDRIX_HOST_EXE, args,
        {{"XDG_CONFIG_HOME", (dir_.path() / "config").string()}, {"XDG_RUNTIME_DIR", dir_.path().string()}});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const auto& line : testsupport::linesOf(r.out))
      if (!line.empty() && line.front() == '{') return nlohmann::json::parse(line);
    ADD_FAILURE() << r.out << r.err;
    return nlohmann::json::object();
  }

  testsupport::ScratchDir dir_{"ondrix-fetch"};
};

TEST_F(FolderFetch, FoldersReachThePopUpAndTheNextDialog) {
  testsupport::SimProcess sim({"--folder", "Sales", "--folder", "Legal:protected", "--folder", "Design"});
  ASSERT_GT(sim.port(), 0);

  const nlohmann::json fetched = dump({"view", "restore", "click", "retentionCheckBox", "set",
                                       "printersAddressEditText", sim.address(), "click", "getFolderNameButton"});
  ASSERT_EQ(fetched["folderList"].size(), 3u);
  EXPECT_EQ(fetched["folderList"][1]["name"], "Legal");
  EXPECT_EQ(fetched["folderList"][1]["password"], true);
  const auto& items = fetched["controls"]["folderSelectionPopup"]["items"];
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[2]["separator"], true);
  EXPECT_EQ(items[3]["title"], "Sales");
  EXPECT_EQ(items[4]["image"], "changes-prevent");
  EXPECT_EQ(items[5]["image"], "space.png");

  // A new dialog for the same queue offers the stored folders without asking the printer.
  const nlohmann::json next = dump({"view"});
  EXPECT_EQ(next["folderList"].size(), 3u);
  EXPECT_EQ(next["controls"]["folderSelectionPopup"]["items"].size(), 6u);
}

}  // namespace
