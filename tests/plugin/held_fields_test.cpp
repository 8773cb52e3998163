// The held-field table against the panel it describes: every row's padlock, held alone, stores its field
// and loads back that field alone, under its bit, on both layouts; together the bits make the mask; and
// every row's value and padlock come back from the print settings through its settings key.
#include "plugin/held_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "plugin/choices.h"
#include "support/panel_fixture.h"

namespace {

TEST(HeldFields, BitsAndKeysAreEachUsedOnce) {
  std::uint32_t all = 0;
  std::set<std::string> keys;
  for (const held::Field& f : held::kFields) {
    EXPECT_EQ(all & f.bit, 0u) << f.preferenceKey;
    all |= f.bit;
    EXPECT_TRUE(keys.insert(f.preferenceKey).second) << f.preferenceKey;
    EXPECT_EQ(&held::field(f.bit), &f);
  }
  EXPECT_EQ(all, 0x1FFu);
}

// Digits that every field takes, different in each row.
platform::Text ownValue(const held::Field& row) {
  return platform::Text::fromUtf8(std::to_string(1200 + (&row - held::kFields.data())));
}

class HeldFieldsPanel : public testsupport::PanelFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  // Calls check with each row and a fresh restored panel of the layout that has the row's field and
  // padlock; the layouts lack one or two of the fields.
  template <class Check>
  void forEachRow(Check check) {
    std::size_t walked = 0;
    for (const held::Field& row : held::kFields) {
      OndrixPrintPdeTarvel& panel = makeViewedPanel(GetParam());
      panel.restoreValuesAndReturnError(nullptr);
      if (!(panel.*row.button).present() || !(panel.*row.field).present()) continue;
      ++walked;
      check(row, panel);
    }
    EXPECT_GE(walked, 7u);
  }
};
INSTANTIATE_TEST_SUITE_P(Layouts, HeldFieldsPanel, ::testing::Values("demo-filing.ppd", "demo-directory.ppd"));

TEST_P(HeldFieldsPanel, EachPadlockAloneStoresAndLoadsItsFieldAlone) {
  forEachRow([](const held::Field& row, OndrixPrintPdeTarvel& panel) {
    // A value every stored form takes, in every field, every padlock off (the last round's stay held in
    // the store); then the one padlock on, and the login name's action, which captures the name while its
    // padlock holds it.
    for (const held::Field& other : held::kFields) {
      (panel.*other.field)->setStringValue(platform::Text::fromUtf8("1234"));
      (panel.*other.button)->setState(0);
    }
    (panel.*row.button)->setState(1);
    panel.loginNameButtonProc(nullptr);

    EXPECT_TRUE(panel.SaveUserPreference()) << row.preferenceKey;
    panel.GetUserPreference();
    EXPECT_EQ(panel.prefHoldButtonFlag, row.bit) << row.preferenceKey;
    for (const held::Field& other : held::kFields) {
      const platform::Text& loaded = panel.*other.held;
      if (&other == &row) EXPECT_FALSE(loaded.isNone() || loaded.isEmpty()) << row.preferenceKey;
      else EXPECT_TRUE(loaded.isNone()) << row.preferenceKey << " loaded " << other.preferenceKey;
    }
    EXPECT_EQ(held::holdMask(panel), row.bit);
  });
}

TEST_P(HeldFieldsPanel, EachFieldComesBackFromThePrintSettingsWithItsPadlock) {
  forEachRow([](const held::Field& row, OndrixPrintPdeTarvel& panel) {
    // Retention and a custom folder, so that the pass codes and the folder name are written at all.
    panel.retentionCheckBox->setState(1);
    panel.retentionCBoxProc(nullptr);
    panel.folderSelectionMatrix->selectCellAtRow(indexOf(FolderChoice::customFolder), 0);
    panel.folderSelectionMatrixProc(nullptr);
    panel.authenticationMatrix->selectCellAtRow(row.bit == kHoldUserNumber ? 1 : 0, 0);
    panel.authenticationMatrixProc(nullptr);
    // Every field filled with a value of its own (a directory-service model sends the login name as the
    // user name), one padlock on.
    for (const held::Field& other : held::kFields) (panel.*other.field)->setStringValue(ownValue(other));
    (panel.*row.button)->setState(1);
    (panel.*row.action)(nullptr);
    panel.writeNonPPDSettingsToPrintSettings();

    (panel.*row.button)->setState(0);
    (panel.*row.action)(nullptr);
    (panel.*row.field)->setStringValue(platform::Text::empty());
    panel.prefHoldButtonFlag = 0;
    panel.getNonPPDSettingsFromPrintSettings();
    EXPECT_EQ((panel.*row.button)->state(), 1) << row.preferenceKey;
    // A held login name lives in the panel while its field shows bullets.
    const platform::Text restored =
        row.bit == kHoldLoginName ? panel.loginNameStringRef : (panel.*row.field)->stringValue();
    EXPECT_EQ(restored.utf8(), ownValue(row).utf8()) << row.preferenceKey;
  });
}

}  // namespace
