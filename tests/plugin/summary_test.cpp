#include <gtest/gtest.h>

#include "support/panel_fixture.h"

namespace {

using platform::Text;

std::map<std::string, std::string> lines(const SummaryInfo& info) {
  std::map<std::string, std::string> out;
  for (const auto& [title, value] : info) out[title.utf8()] = value.utf8();
  return out;
}

class Summary : public testsupport::PanelFixture {};

TEST_F(Summary, EmptyBeforeTheControlsExist) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  EXPECT_TRUE(panel.summaryInfo().empty());
}

TEST_F(Summary, RetentionOffShowsOneRetentionLine) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  panel.restoreValuesAndReturnError(nullptr);
  headless::set(control(panel, "userNameEditText"), "Alice Example");
  headless::set(control(panel, "jobNameEditText"), "Report");
  EXPECT_EQ(lines(panel.summaryInfo()), (std::map<std::string, std::string>{
                                            {"Retention", "Off"}, {"User Name", "Alice Example"}, {"Job Name", "Report"}}));
}

TEST_F(Summary, RetentionOnNamesFolderAndMode) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  panel.restoreValuesAndReturnError(nullptr);
  headless::click(control(panel, "retentionCheckBox"));
  headless::select(control(panel, "suspendMatrix"), 2);
  auto summary = lines(panel.summaryInfo());
  EXPECT_EQ(summary["Retention"], "On");
  EXPECT_EQ(summary["Store In"], "Main Folder");
  EXPECT_EQ(summary["Retention Mode"], "Proof and Hold");

  headless::select(control(panel, "folderSelectionPopup"), 0);
  summary = lines(panel.summaryInfo());
  EXPECT_EQ(summary["Store In"], "Quick File");
  EXPECT_EQ(summary["Retention Mode"], "Hold Only");  // quick file forces its retention mode
}

TEST_F(Summary, NoCredentialEverAppears) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  panel.restoreValuesAndReturnError(nullptr);
  headless::click(control(panel, "retentionCheckBox"));
  const std::map<std::string, std::string> secrets{{"suspendKeyEditText", "90210"}, {"loginNameEditText", "zlogin"},
                                                   {"passwordEditText", "zsecret"}, {"accountNumberEditText", "55555"},
                                                   {"folderPasswordEditText", "31337"}};
  for (const auto& [name, value] : secrets) headless::set(control(panel, name), value);
  for (const auto& [title, value] : lines(panel.summaryInfo())) {
    for (const auto& [name, secret] : secrets) {
      EXPECT_EQ(title.find(secret), std::string::npos) << name;
      EXPECT_EQ(value.find(secret), std::string::npos) << name;
    }
  }
}

TEST_F(Summary, DirectoryServiceModelsShowTheJobNameOnly) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost("demo-directory.ppd"));
  panel.restoreValuesAndReturnError(nullptr);
  headless::set(control(panel, "jobNameEditText"), "Minutes");
  EXPECT_EQ(lines(panel.summaryInfo()), (std::map<std::string, std::string>{{"Job Name", "Minutes"}}));
}

}  // namespace
