// The held-field table against the panel it describes: every row's padlock, held alone, stores its field
// and loads back that field alone, under its bit, on both layouts; together the bits make the mask.
#include "plugin/held_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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

class HeldFieldsPanel : public testsupport::PanelFixture, public ::testing::WithParamInterface<const char*> {};
INSTANTIATE_TEST_SUITE_P(Layouts, HeldFieldsPanel, ::testing::Values("demo-filing.ppd", "demo-directory.ppd"));

TEST_P(HeldFieldsPanel, EachPadlockAloneStoresAndLoadsItsFieldAlone) {
  std::size_t walked = 0;
  for (const held::Field& row : held::kFields) {
    OndrixPrintPdeTarvel& panel = makeViewedPanel(GetParam());
    panel.restoreValuesAndReturnError(nullptr);
    if (!(panel.*row.button).present() || !(panel.*row.field).present()) continue;
    ++walked;
    // A value every stored form takes, in every field, every padlock off (the last round's stay held in
    // the store); then the one padlock on, and the login name's action, which captures the name while its
    // padlock holds it.
    for (const held::Field& other : held::kFields) {
      (panel.*other.field)->setStringValue(platform::Text::fromUtf8("1234"));
      (panel.*other.button)->setState(0);
    }
    (panel.*row.button)->setState(1);
    panel.loginNameButtonProc(nullptr);

    ASSERT_TRUE(panel.SaveUserPreference()) << row.preferenceKey;
    panel.GetUserPreference();
    EXPECT_EQ(panel.prefHoldButtonFlag, row.bit) << row.preferenceKey;
    for (const held::Field& other : held::kFields) {
      const platform::Text& loaded = panel.*other.held;
      if (&other == &row) EXPECT_FALSE(loaded.isNone() || loaded.isEmpty()) << row.preferenceKey;
      else EXPECT_TRUE(loaded.isNone()) << row.preferenceKey << " loaded " << other.preferenceKey;
    }
    EXPECT_EQ(held::holdMask(panel), row.bit);
  }
  EXPECT_GE(walked, 7u);  // the layouts lack one or two of the fields
}

}  // namespace
