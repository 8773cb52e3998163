// The enabling rules, grouped by rule, on the pop-up layout, the radio layout and a layout with controls
// missing. Each case sets the controls the rule reads, puts the rule's own control in the opposite state,
// runs the rule and reads the outcome.
#include <string>
#include <utility>
#include <vector>

#include "ui/hilite.h"
#include "ui/ui_fixture.h"

namespace {

using uitest::UiFixture;
using Rule = void (OndrixPrintPdeTarvel::*)();
using Panel = OndrixPrintPdeTarvel;

enum class Outcome { enabled, disabled, dimmed, undimmed };

struct RuleCase {
  const char* model;                                       // which layout
  std::vector<std::pair<std::string, std::string>> state;  // control name -> value
  Rule rule;
  const char* control;
  Outcome outcome;
};

// Folders behind the pop-up: index 3 open, 4 protected, 5 without a "password" value.
FolderList demoFolders() {
  return FolderList{uitest::folder("Open", false), uitest::folder("Locked", true),
                    FolderEntry{.name = "Plain", .dir = false, .add = false}};
}

class RulesTest : public UiFixture {
 protected:
  // Builds the folder items so that pop-up indexes 3 to 5 can be chosen.
  Panel& panelFor(const char* model) {
    Panel& panel = makeViewedPanel(model);
    panel.folderList = demoFolders();
    panel.makeFolderPopup();
    return panel;
  }

  void preset(Panel& panel, const char* control, Outcome outcome) {
    ui::Control& c = get(panel, control);
    switch (outcome) {
      case Outcome::enabled: c.setEnabled(false); break;
      case Outcome::disabled: c.setEnabled(true); break;
      case Outcome::dimmed: ui::myTarvelHilite(field(panel, control), false); break;
      case Outcome::undimmed: ui::myTarvelHilite(field(panel, control), true); break;
    }
  }

  void expectOutcome(Panel& panel, const char* control, Outcome outcome) {
    const toolkits::Description f = facts(panel, control);
    const bool input = f.tag != 0;
    switch (outcome) {
      case Outcome::enabled: EXPECT_TRUE(f.enabled); break;
      case Outcome::disabled: EXPECT_FALSE(f.enabled); break;
      case Outcome::dimmed:
        EXPECT_TRUE(f.dimmed);
        if (input) {
          EXPECT_FALSE(f.editable || f.selectable);
        }
        break;
      case Outcome::undimmed:
        EXPECT_FALSE(f.dimmed);
        if (input) {
          EXPECT_TRUE(f.editable && f.selectable);
        }
        break;
    }
  }

  void run(const std::vector<RuleCase>& cases) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const RuleCase& c = cases[i];
      SCOPED_TRACE("case " + std::to_string(i) + ": " + c.control + " on " + c.model);
      Panel& panel = panelFor(c.model);
      for (const auto& [name, value] : c.state) put(panel, name, value);
      preset(panel, c.control, c.outcome);
      (panel.*c.rule)();
      expectOutcome(panel, c.control, c.outcome);
    }
  }
};

constexpr const char* k4 = uitest::kFilingModel;     // pop-up form
constexpr const char* k5 = uitest::kDirectoryModel;  // radio form
using O = Outcome;

TEST_F(RulesTest, RetentionMode) {
  run({
      {k4, {{"retentionCheckBox", "1"}}, &Panel::suspendMatrixEnabled, "suspendMatrix", O::enabled},
      {k4, {{"retentionCheckBox", "0"}}, &Panel::suspendMatrixEnabled, "suspendMatrix", O::disabled},
      {k5, {{"retentionCheckBox", "1"}}, &Panel::suspendMatrixEnabled, "suspendMatrix", O::enabled},
  });
}

TEST_F(RulesTest, RetentionPassCode) {
  const Rule label = &Panel::suspendKeyStaticTextEnabled;
  const Rule edit = &Panel::suspendKeyEditTextEnabled;
  const Rule hold = &Panel::suspendKeyButtonEnabled;
  run({
      // Label: dimmed with retention off or quick file chosen.
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "1"}}, label, "suspendKeyStaticText", O::undimmed},
      {k4, {{"retentionCheckBox", "0"}, {"folderSelectionPopup", "1"}}, label, "suspendKeyStaticText", O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "0"}}, label, "suspendKeyStaticText", O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "-1"}}, label, "suspendKeyStaticText", O::undimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "0"}}, label, "suspendKeyStaticText", O::dimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}}, label, "suspendKeyStaticText", O::undimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "-1"}}, label, "suspendKeyStaticText", O::undimmed},
      // Field: also dimmed while held.
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "1"}, {"suspendKeyButton", "0"}}, edit,
       "suspendKeyEditText", O::undimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "1"}, {"suspendKeyButton", "1"}}, edit,
       "suspendKeyEditText", O::dimmed},
      {k4, {{"retentionCheckBox", "0"}, {"folderSelectionPopup", "1"}, {"suspendKeyButton", "0"}}, edit,
       "suspendKeyEditText", O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "0"}, {"suspendKeyButton", "0"}}, edit,
       "suspendKeyEditText", O::dimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "0"}}, edit, "suspendKeyEditText", O::dimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "1"}}, edit, "suspendKeyEditText", O::undimmed},
      // Hold button: enabled with retention on and no quick file, held or not.
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "4"}, {"suspendKeyButton", "1"}}, hold,
       "suspendKeyButton", O::enabled},
      {k4, {{"retentionCheckBox", "0"}, {"folderSelectionPopup", "1"}}, hold, "suspendKeyButton", O::disabled},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "0"}}, hold, "suspendKeyButton", O::disabled},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "0"}}, hold, "suspendKeyButton", O::disabled},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}}, hold, "suspendKeyButton", O::enabled},
  });
}

TEST_F(RulesTest, FolderChoice) {
  run({
      {k4, {{"retentionCheckBox", "1"}}, &Panel::folderSelectionStaticTextEnabled, "folderSelectionStaticText",
       O::undimmed},
      {k4, {{"retentionCheckBox", "0"}}, &Panel::folderSelectionStaticTextEnabled, "folderSelectionStaticText",
       O::dimmed},
      {k5, {{"retentionCheckBox", "0"}}, &Panel::folderSelectionStaticTextEnabled, "folderSelectionStaticText",
       O::dimmed},
      {k4, {{"retentionCheckBox", "1"}}, &Panel::folderSelectionPopupEnabled, "folderSelectionPopup", O::enabled},
      {k4, {{"retentionCheckBox", "0"}}, &Panel::folderSelectionPopupEnabled, "folderSelectionPopup", O::disabled},
      {k5, {{"retentionCheckBox", "1"}}, &Panel::folderSelectionMatrixEnabled, "folderSelectionMatrix",
       O::enabled},
      {k5, {{"retentionCheckBox", "0"}}, &Panel::folderSelectionMatrixEnabled, "folderSelectionMatrix",
       O::disabled},
  });
}

TEST_F(RulesTest, FolderPassCode) {
  const Rule label = &Panel::folderPasswordStaticTextEnabled;
  const Rule edit = &Panel::folderPasswordEditTextEnabled;
  const Rule hold = &Panel::folderPasswordButtonEnabled;
  run({
      // Pop-up form: only a folder whose entry says "password" true brings the pass code into play.
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "4"}}, label, "folderPasswordStaticText",
       O::undimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "3"}}, label, "folderPasswordStaticText",
       O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "5"}}, label, "folderPasswordStaticText",
       O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "1"}}, label, "folderPasswordStaticText",
       O::dimmed},
      {k4, {{"retentionCheckBox", "0"}, {"folderSelectionPopup", "4"}}, label, "folderPasswordStaticText",
       O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "4"}, {"folderPasswordButton", "0"}}, edit,
       "folderPasswordEditText", O::undimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "4"}, {"folderPasswordButton", "1"}}, edit,
       "folderPasswordEditText", O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "3"}, {"folderPasswordButton", "0"}}, edit,
       "folderPasswordEditText", O::dimmed},
      {k4, {{"retentionCheckBox", "0"}, {"folderSelectionPopup", "4"}, {"folderPasswordButton", "0"}}, edit,
       "folderPasswordEditText", O::dimmed},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "4"}, {"folderPasswordButton", "1"}}, hold,
       "folderPasswordButton", O::enabled},
      {k4, {{"retentionCheckBox", "1"}, {"folderSelectionPopup", "5"}}, hold, "folderPasswordButton", O::disabled},
      {k4, {{"retentionCheckBox", "0"}, {"folderSelectionPopup", "4"}}, hold, "folderPasswordButton", O::disabled},
      // Radio form: the custom folder row brings it into play.
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}}, label, "folderPasswordStaticText",
       O::undimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "1"}}, label, "folderPasswordStaticText",
       O::dimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}, {"folderPasswordButton", "0"}}, edit,
       "folderPasswordEditText", O::undimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}, {"folderPasswordButton", "1"}}, edit,
       "folderPasswordEditText", O::dimmed},
      {k5, {{"retentionCheckBox", "0"}, {"folderSelectionMatrix", "2"}}, edit, "folderPasswordEditText",
       O::dimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}}, hold, "folderPasswordButton", O::enabled},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "0"}}, hold, "folderPasswordButton",
       O::disabled},
  });
}

TEST_F(RulesTest, FolderPassCodeWithoutAUsableListEntry) {
  // No folder list at all: the pass code stays out of play whatever the pop-up shows.
  Panel& panel = panelFor(k4);
  put(panel, "retentionCheckBox", "1");
  put(panel, "folderSelectionPopup", "4");
  panel.folderList.reset();
  panel.folderPasswordButtonEnabled();
  panel.folderPasswordEditTextEnabled();
  EXPECT_FALSE(facts(panel, "folderPasswordButton").enabled);
  EXPECT_TRUE(facts(panel, "folderPasswordEditText").dimmed);

  // An item whose list entry is gone (the list shrank without a rebuild) counts as unprotected.
  panel.folderList = FolderList{uitest::folder("Open", false)};
  panel.folderPasswordButtonEnabled();
  EXPECT_FALSE(facts(panel, "folderPasswordButton").enabled);
  panel.folderList = FolderList{uitest::folder("Open", false), uitest::folder("Locked", true)};
  panel.folderPasswordButtonEnabled();
  EXPECT_TRUE(facts(panel, "folderPasswordButton").enabled);

  // A "password" that is no boolean protects nothing.
  panel.folderList =
      FolderList{uitest::folder("Open", false), folders::entryFromStored({{"name", "Odd"}, {"password", "YES"}})};
  panel.folderPasswordButtonEnabled();
  EXPECT_FALSE(facts(panel, "folderPasswordButton").enabled);
}

TEST_F(RulesTest, FolderName) {
  const Rule edit = &Panel::folderNameEditTextEnabled;
  const Rule hold = &Panel::folderNameButtonEnabled;
  run({
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}, {"folderNameButton", "0"}}, edit,
       "folderNameEditText", O::undimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}, {"folderNameButton", "1"}}, edit,
       "folderNameEditText", O::dimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "1"}}, edit, "folderNameEditText", O::dimmed},
      {k5, {{"retentionCheckBox", "0"}, {"folderSelectionMatrix", "2"}}, edit, "folderNameEditText", O::dimmed},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "2"}, {"folderNameButton", "1"}}, hold,
       "folderNameButton", O::enabled},
      {k5, {{"retentionCheckBox", "1"}, {"folderSelectionMatrix", "0"}}, hold, "folderNameButton", O::disabled},
      {k5, {{"retentionCheckBox", "0"}, {"folderSelectionMatrix", "2"}}, hold, "folderNameButton", O::disabled},
  });
}

TEST_F(RulesTest, Authentication) {
  run({
      // Login chosen (row 0).
      {k4, {{"authenticationMatrix", "0"}}, &Panel::loginNameStaticTextEnabled, "loginNameStaticText", O::undimmed},
      {k4, {{"authenticationMatrix", "0"}, {"loginNameButton", "0"}}, &Panel::loginNameEditTextEnabled,
       "loginNameEditText", O::undimmed},
      {k4, {{"authenticationMatrix", "0"}, {"loginNameButton", "1"}}, &Panel::loginNameEditTextEnabled,
       "loginNameEditText", O::dimmed},
      {k4, {{"authenticationMatrix", "0"}, {"loginNameButton", "1"}}, &Panel::loginNameButtonEnabled,
       "loginNameButton", O::enabled},
      {k4, {{"authenticationMatrix", "0"}}, &Panel::passwordStaticTextEnabled, "passwordStaticText", O::undimmed},
      {k4, {{"authenticationMatrix", "0"}, {"passwordButton", "0"}}, &Panel::passwordEditTextEnabled,
       "passwordEditText", O::undimmed},
      {k4, {{"authenticationMatrix", "0"}, {"passwordButton", "1"}}, &Panel::passwordEditTextEnabled,
       "passwordEditText", O::dimmed},
      {k4, {{"authenticationMatrix", "0"}}, &Panel::passwordButtonEnabled, "passwordButton", O::enabled},
      {k4, {{"authenticationMatrix", "0"}, {"userNumberButton", "0"}}, &Panel::userNumberEditTextEnabled,
       "userNumberEditText", O::dimmed},
      {k4, {{"authenticationMatrix", "0"}}, &Panel::userNumberButtonEnabled, "userNumberButton", O::disabled},
      // User number chosen (row 1), and no selection, which counts as user number.
      {k4, {{"authenticationMatrix", "1"}}, &Panel::loginNameStaticTextEnabled, "loginNameStaticText", O::dimmed},
      {k4, {{"authenticationMatrix", "-1"}}, &Panel::loginNameStaticTextEnabled, "loginNameStaticText", O::dimmed},
      {k4, {{"authenticationMatrix", "1"}}, &Panel::loginNameEditTextEnabled, "loginNameEditText", O::dimmed},
      {k4, {{"authenticationMatrix", "1"}}, &Panel::loginNameButtonEnabled, "loginNameButton", O::disabled},
      {k4, {{"authenticationMatrix", "-1"}}, &Panel::passwordButtonEnabled, "passwordButton", O::disabled},
      {k4, {{"authenticationMatrix", "1"}}, &Panel::passwordStaticTextEnabled, "passwordStaticText", O::dimmed},
      {k4, {{"authenticationMatrix", "1"}}, &Panel::passwordEditTextEnabled, "passwordEditText", O::dimmed},
      {k4, {{"authenticationMatrix", "1"}, {"userNumberButton", "0"}}, &Panel::userNumberEditTextEnabled,
       "userNumberEditText", O::undimmed},
      {k4, {{"authenticationMatrix", "-1"}, {"userNumberButton", "0"}}, &Panel::userNumberEditTextEnabled,
       "userNumberEditText", O::undimmed},
      {k4, {{"authenticationMatrix", "1"}, {"userNumberButton", "1"}}, &Panel::userNumberEditTextEnabled,
       "userNumberEditText", O::dimmed},
      {k4, {{"authenticationMatrix", "1"}, {"userNumberButton", "1"}}, &Panel::userNumberButtonEnabled,
       "userNumberButton", O::enabled},
      // The radio form offers login only.
      {k5, {{"authenticationMatrix", "0"}}, &Panel::loginNameEditTextEnabled, "loginNameEditText", O::undimmed},
      {k5, {{"authenticationMatrix", "-1"}}, &Panel::passwordEditTextEnabled, "passwordEditText", O::dimmed},
  });
}

TEST_F(RulesTest, HeldFieldsOnly) {
  run({
      {k4, {{"userNameButton", "1"}}, &Panel::userNameEditTextEnabled, "userNameEditText", O::dimmed},
      {k4, {{"userNameButton", "0"}}, &Panel::userNameEditTextEnabled, "userNameEditText", O::undimmed},
      {k4, {{"jobNameButton", "1"}}, &Panel::jobNameEditTextEnabled, "jobNameEditText", O::dimmed},
      {k5, {{"jobNameButton", "0"}}, &Panel::jobNameEditTextEnabled, "jobNameEditText", O::undimmed},
      {k4, {{"accountNumberButton", "1"}}, &Panel::accountNumberEditTextEnabled, "accountNumberEditText",
       O::dimmed},
      {k5, {{"accountNumberButton", "0"}}, &Panel::accountNumberEditTextEnabled, "accountNumberEditText",
       O::undimmed},
      // Retention and authentication play no part here.
      {k4, {{"retentionCheckBox", "0"}, {"authenticationMatrix", "1"}, {"jobNameButton", "0"}},
       &Panel::jobNameEditTextEnabled, "jobNameEditText", O::undimmed},
  });

  // The account number's hold button has a rule that leaves it alone.
  for (bool enabled : {false, true}) {
    Panel& panel = panelFor(k4);
    panel.accountNumberButton->setEnabled(enabled);
    panel.accountNumberButtonEnabled();
    EXPECT_EQ(facts(panel, "accountNumberButton").enabled, enabled);
  }
}

TEST_F(RulesTest, FocusFollowsTheLastInputFieldTouched) {
  Panel& panel = panelFor(k4);
  put(panel, "authenticationMatrix", "0");
  panel.loginNameEditTextEnabled();
  EXPECT_EQ(focus(panel), "loginNameEditText");
  panel.passwordEditTextEnabled();
  EXPECT_EQ(focus(panel), "passwordEditText");
  // The login choice ends on the user-number rule, which dims its field and drops the focus.
  panel.userNumberEditTextEnabled();
  EXPECT_EQ(focus(panel), "");
  // Labels never take or drop it.
  panel.passwordEditTextEnabled();
  panel.loginNameStaticTextEnabled();
  put(panel, "authenticationMatrix", "1");
  panel.passwordStaticTextEnabled();
  EXPECT_EQ(focus(panel), "passwordEditText");
}

TEST_F(RulesTest, MissingControlsAreSkipped) {
  // Present: retention, the pop-up, the pass-code and credential fields, two hold buttons. Absent: the
  // authentication matrix (reads as login), the folder matrix and most hold buttons (read as released).
  Panel& panel = panelWithLayout(uitest::testLayout("ui_partial_layout.ui"));
  panel.folderList = demoFolders();
  panel.makeFolderPopup();
  put(panel, "retentionCheckBox", "1");
  put(panel, "folderSelectionPopup", "4");

  const Rule all[] = {
      &Panel::suspendMatrixEnabled, &Panel::suspendKeyStaticTextEnabled, &Panel::suspendKeyEditTextEnabled,
      &Panel::suspendKeyButtonEnabled, &Panel::folderSelectionStaticTextEnabled, &Panel::folderSelectionPopupEnabled,
      &Panel::folderPasswordStaticTextEnabled, &Panel::folderPasswordEditTextEnabled,
      &Panel::folderPasswordButtonEnabled, &Panel::folderSelectionMatrixEnabled, &Panel::folderNameEditTextEnabled,
      &Panel::folderNameButtonEnabled, &Panel::loginNameStaticTextEnabled, &Panel::loginNameEditTextEnabled,
      &Panel::loginNameButtonEnabled, &Panel::passwordStaticTextEnabled, &Panel::passwordEditTextEnabled,
      &Panel::passwordButtonEnabled, &Panel::userNumberEditTextEnabled, &Panel::userNumberButtonEnabled,
      &Panel::userNameEditTextEnabled, &Panel::jobNameEditTextEnabled, &Panel::accountNumberEditTextEnabled,
      &Panel::accountNumberButtonEnabled,
  };
  for (Rule rule : all) (panel.*rule)();

  struct Expected {
    const char* control;
    Outcome outcome;
  };
  const Expected expected[] = {
      {"suspendMatrix", O::enabled},
      {"suspendKeyEditText", O::undimmed},      // no hold button: released
      {"folderSelectionPopup", O::enabled},
      {"folderPasswordStaticText", O::undimmed},
      {"folderPasswordEditText", O::undimmed},  // protected folder, no hold button
      {"loginNameEditText", O::undimmed},       // no matrix: login
      {"loginNameButton", O::enabled},
      {"passwordEditText", O::undimmed},
      {"userNumberEditText", O::dimmed},
      {"userNameEditText", O::undimmed},
      {"accountNumberEditText", O::undimmed},
      {"jobNameEditText", O::undimmed},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.control);
    expectOutcome(panel, e.control, e.outcome);
  }

  // Without any layout every rule finds nothing to do.
  Panel& bare = makePanel(makeHost(k4));
  bare.initializeUI();
  for (Rule rule : all) (bare.*rule)();
  EXPECT_EQ(bare.nib(), nullptr);
}

}  // namespace
