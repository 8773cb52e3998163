// The control actions as a user drives them: consistency of the choices, clearing of released fields,
// the login-name mask, and where the keyboard focus ends.
#include <string>
#include <vector>

#include "ui/ui_fixture.h"

namespace {

using platform::operator""_t;
using uitest::folder;
using uitest::UiFixture;
using Panel = OndrixPrintPdeTarvel;

constexpr const char* k4 = uitest::kFilingModel;     // pop-up form
constexpr const char* k5 = uitest::kDirectoryModel;  // radio form

// Pop-up items: 3 "Open", 4 "Locked" (protected).
constexpr long kOpenFolder = 3;
constexpr long kLockedFolder = 4;

class ActionsTest : public UiFixture {
 protected:
  // A built panel with retention switched on by the user and the demo folders in the pop-up.
  Panel& retainingPanel(const char* model) {
    Panel& panel = makeViewedPanel(model);
    panel.folderList = FolderList{folder("Open", false), folder("Locked", true)};
    panel.makeFolderPopup();
    EXPECT_TRUE(headless::click(get(panel, "retentionCheckBox")));
    EXPECT_EQ(panel.retentionCheckBox->state(), 1);
    return panel;
  }

  bool dimmed(Panel& panel, const char* name) {
    const toolkits::Description f = facts(panel, name);
    return f.dimmed && !f.editable && !f.selectable;
  }
  bool undimmed(Panel& panel, const char* name) {
    const toolkits::Description f = facts(panel, name);
    return !f.dimmed && f.editable && f.selectable;
  }

  // Every fact of every control, to show that an action changed nothing.
  std::vector<std::string> snapshot(Panel& panel) {
    std::vector<std::string> lines;
    for (ui::Control* c : headless::controlsOf(*nibOf(panel))) {
      const toolkits::Description f = headless::describe(*c);
      std::string line = f.name + " " + f.stringValue.value_or("-") + " " + f.title.value_or("-") + " " +
                         std::to_string(f.state.value_or(-9)) + " " + std::to_string(f.selectedRow.value_or(-9)) +
                         " " + std::to_string(f.selectedIndex.value_or(-9)) + " " + std::to_string(f.enabled) +
                         std::to_string(f.dimmed) + std::to_string(f.editable) + std::to_string(f.selectable) +
                         std::to_string(f.hidden) + std::to_string(f.focused) + " " +
                         std::to_string(f.items.size());
      lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(ActionsTest, RetentionOffDimsFilingAndPassCodes) {
  struct Case {
    const char* model;
    bool held;
  };
  for (const Case& c : {Case{k4, false}, Case{k4, true}, Case{k5, false}, Case{k5, true}}) {
    SCOPED_TRACE(std::string(c.model) + (c.held ? " held" : " released"));
    Panel& panel = retainingPanel(c.model);
    // Quick file chosen, retention mode 2, values in every filing field.
    if (c.model == k4) {
      ASSERT_TRUE(headless::select(get(panel, "folderSelectionPopup"), 0));
    } else {
      ASSERT_TRUE(headless::select(get(panel, "folderSelectionMatrix"), 0));
    }
    put(panel, "suspendMatrix", "2");
    put(panel, "suspendKeyEditText", "1234");
    put(panel, "folderPasswordEditText", "5678");
    if (c.model == k5) put(panel, "folderNameEditText", "Sales");
    for (const char* button : {"suspendKeyButton", "folderPasswordButton", "folderNameButton"})
      if (find(panel, button)) put(panel, button, c.held ? "1" : "0");
    put(panel, "loginNameEditText", "ann");

    ASSERT_TRUE(headless::click(get(panel, "retentionCheckBox")));

    // Back to the first mode, off quick file.
    EXPECT_EQ(facts(panel, "suspendMatrix").selectedRow, 0);
    if (c.model == k4) {
      EXPECT_EQ(facts(panel, "folderSelectionPopup").selectedIndex, 1);
    } else {
      EXPECT_EQ(facts(panel, "folderSelectionMatrix").selectedRow, 1);
    }
    // Released values go, held ones stay.
    EXPECT_EQ(text(panel, "suspendKeyEditText"), c.held ? "1234" : "");
    EXPECT_EQ(text(panel, "folderPasswordEditText"), c.held ? "5678" : "");
    if (c.model == k5) {
      EXPECT_EQ(text(panel, "folderNameEditText"), c.held ? "Sales" : "");
    }
    // Every filing and pass-code control is out of play.
    for (const char* name : {"suspendKeyStaticText", "suspendKeyEditText", "folderSelectionStaticText",
                             "folderPasswordStaticText", "folderPasswordEditText"})
      EXPECT_TRUE(facts(panel, name).dimmed) << name;
    for (const char* name : {"suspendMatrix", "suspendKeyButton", "folderPasswordButton"})
      EXPECT_FALSE(facts(panel, name).enabled) << name;
    if (c.model == k4) {
      EXPECT_FALSE(facts(panel, "folderSelectionPopup").enabled);
    } else {
      EXPECT_FALSE(facts(panel, "folderSelectionMatrix").enabled);
      EXPECT_FALSE(facts(panel, "folderNameButton").enabled);
      EXPECT_TRUE(dimmed(panel, "folderNameEditText"));
    }
    // Authentication and job ID are no business of retention.
    EXPECT_EQ(text(panel, "loginNameEditText"), "ann");
    EXPECT_TRUE(undimmed(panel, "loginNameEditText"));
    EXPECT_TRUE(undimmed(panel, "jobNameEditText"));
    EXPECT_EQ(focus(panel), "");

    // Switching back on changes no value and only brings the controls back.
    ASSERT_TRUE(headless::click(get(panel, "retentionCheckBox")));
    EXPECT_EQ(facts(panel, "suspendMatrix").selectedRow, 0);
    EXPECT_TRUE(facts(panel, "suspendMatrix").enabled);
    EXPECT_EQ(text(panel, "suspendKeyEditText"), c.held ? "1234" : "");
    EXPECT_EQ(undimmed(panel, "suspendKeyEditText"), !c.held);
  }
}

// Only quick file needs retention; a custom folder stays chosen, in either form.
TEST_F(ActionsTest, RetentionOffKeepsACustomFolder) {
  for (const char* model : {k4, k5}) {
    SCOPED_TRACE(model);
    Panel& panel = retainingPanel(model);
    const bool popUp = model == k4;
    const char* choice = popUp ? "folderSelectionPopup" : "folderSelectionMatrix";
    ASSERT_TRUE(headless::select(get(panel, choice), popUp ? kOpenFolder : 2));
    ASSERT_TRUE(headless::click(get(panel, "retentionCheckBox")));
    const toolkits::Description f = facts(panel, choice);
    EXPECT_EQ(popUp ? f.selectedIndex : f.selectedRow, popUp ? kOpenFolder : 2);
  }
}

TEST_F(ActionsTest, QuickFileForcesHoldOnlyAndDropsThePassCode) {
  struct Case {
    const char* model;
    const char* startRow;
    bool held;
  };
  const Case cases[] = {{k4, "0", false}, {k4, "2", false}, {k4, "2", true}, {k4, "1", false},
                        {k5, "0", false}, {k5, "2", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " row " + c.startRow + (c.held ? " held" : ""));
    Panel& panel = retainingPanel(c.model);
    const char* folderControl = c.model == k4 ? "folderSelectionPopup" : "folderSelectionMatrix";
    put(panel, folderControl, "1");
    put(panel, "suspendMatrix", c.startRow);
    put(panel, "suspendKeyEditText", "4321");
    put(panel, "suspendKeyButton", c.held ? "1" : "0");

    ASSERT_TRUE(headless::select(get(panel, folderControl), 0));

    EXPECT_EQ(facts(panel, "suspendMatrix").selectedRow, 1);
    EXPECT_EQ(text(panel, "suspendKeyEditText"), c.held ? "4321" : "");
    EXPECT_TRUE(dimmed(panel, "suspendKeyEditText"));
    EXPECT_TRUE(facts(panel, "suspendKeyStaticText").dimmed);
    EXPECT_FALSE(facts(panel, "suspendKeyButton").enabled);

    // The main folder brings the pass code back, unless it is held.
    ASSERT_TRUE(headless::select(get(panel, folderControl), 1));
    EXPECT_FALSE(facts(panel, "suspendKeyStaticText").dimmed);
    EXPECT_EQ(undimmed(panel, "suspendKeyEditText"), !c.held);
    EXPECT_TRUE(facts(panel, "suspendKeyButton").enabled);
  }
}

TEST_F(ActionsTest, RetentionModeOtherThanHoldOnlyLeavesQuickFile) {
  struct Case {
    const char* model;
    long row;
    long folderAfter;
  };
  const Case cases[] = {{k4, 0, 1}, {k4, 2, 1}, {k4, 1, 0}, {k5, 2, 1}, {k5, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " row " + std::to_string(c.row));
    Panel& panel = retainingPanel(c.model);
    const char* folderControl = c.model == k4 ? "folderSelectionPopup" : "folderSelectionMatrix";
    ASSERT_TRUE(headless::select(get(panel, folderControl), 0));
    ASSERT_EQ(facts(panel, "suspendMatrix").selectedRow, 1);

    ASSERT_TRUE(headless::select(get(panel, "suspendMatrix"), c.row));

    const toolkits::Description f = facts(panel, folderControl);
    EXPECT_EQ(c.model == k4 ? f.selectedIndex : f.selectedRow, c.folderAfter);
    EXPECT_EQ(facts(panel, "suspendMatrix").selectedRow, c.row);
  }
}

// In the radio form, a retention mode other than hold only moves only quick file, to the main folder, and
// the move is the folder action's own: a folder name and pass code that are not held go with it.
TEST_F(ActionsTest, RetentionModeMovesOnlyQuickFileInTheRadioForm) {
  struct Case {
    long folderRow;
    long retentionRow;
    bool held;
    long folderAfter;
    bool cleared;
  };
  const Case cases[] = {{0, 0, false, 1, true}, {0, 2, false, 1, true}, {0, 2, true, 1, false},
                        {1, 0, false, 1, false}, {2, 0, false, 2, false}, {2, 2, false, 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("folder row " + std::to_string(c.folderRow) + ", retention row " + std::to_string(c.retentionRow) +
                 (c.held ? ", held" : ""));
    Panel& panel = retainingPanel(k5);
    ASSERT_TRUE(headless::select(get(panel, "folderSelectionMatrix"), c.folderRow));
    ASSERT_TRUE(headless::select(get(panel, "suspendMatrix"), 1));
    put(panel, "folderNameButton", c.held ? "1" : "0");
    put(panel, "folderPasswordButton", c.held ? "1" : "0");
    put(panel, "folderNameEditText", "Sales");
    put(panel, "folderPasswordEditText", "77");

    ASSERT_TRUE(headless::select(get(panel, "suspendMatrix"), c.retentionRow));

    EXPECT_EQ(facts(panel, "folderSelectionMatrix").selectedRow, c.folderAfter);
    EXPECT_EQ(text(panel, "folderNameEditText"), c.cleared ? "" : "Sales");
    EXPECT_EQ(text(panel, "folderPasswordEditText"), c.cleared ? "" : "77");
  }
}

TEST_F(ActionsTest, ProtectedFolderInThePopUpBringsTheFolderPassCode) {
  Panel& panel = retainingPanel(k4);
  put(panel, "folderPasswordEditText", "99");

  ASSERT_TRUE(headless::select(get(panel, "folderSelectionPopup"), kLockedFolder));
  EXPECT_TRUE(undimmed(panel, "folderPasswordEditText"));
  EXPECT_FALSE(facts(panel, "folderPasswordStaticText").dimmed);
  EXPECT_TRUE(facts(panel, "folderPasswordButton").enabled);
  EXPECT_EQ(focus(panel), "folderPasswordEditText");

  // Another folder takes it out of play but keeps the value: the pop-up clears nothing.
  ASSERT_TRUE(headless::select(get(panel, "folderSelectionPopup"), kOpenFolder));
  EXPECT_TRUE(dimmed(panel, "folderPasswordEditText"));
  EXPECT_FALSE(facts(panel, "folderPasswordButton").enabled);
  EXPECT_EQ(text(panel, "folderPasswordEditText"), "99");
  EXPECT_EQ(focus(panel), "");

  // Held, the protected folder leaves the field locked and the hold button free to release.
  put(panel, "folderPasswordButton", "1");
  ASSERT_TRUE(headless::select(get(panel, "folderSelectionPopup"), kLockedFolder));
  EXPECT_TRUE(dimmed(panel, "folderPasswordEditText"));
  EXPECT_TRUE(facts(panel, "folderPasswordButton").enabled);
  ASSERT_TRUE(headless::click(get(panel, "folderPasswordButton")));
  EXPECT_TRUE(undimmed(panel, "folderPasswordEditText"));
  EXPECT_EQ(focus(panel), "folderPasswordEditText");
}

TEST_F(ActionsTest, FolderRowsInTheRadioForm) {
  struct Case {
    long row;
    bool held;
    bool customInPlay;  // folder name and folder pass code usable
    bool cleared;
  };
  const Case cases[] = {{2, false, true, false}, {1, false, false, true}, {0, false, false, true},
                        {1, true, false, false}, {2, true, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.row) + (c.held ? " held" : ""));
    Panel& panel = retainingPanel(k5);
    ASSERT_TRUE(headless::select(get(panel, "folderSelectionMatrix"), 2));
    put(panel, "folderPasswordEditText", "77");
    put(panel, "folderNameEditText", "Sales");
    put(panel, "folderPasswordButton", c.held ? "1" : "0");
    put(panel, "folderNameButton", c.held ? "1" : "0");
    clearFocus(panel);

    ASSERT_TRUE(headless::select(get(panel, "folderSelectionMatrix"), c.row));

    EXPECT_EQ(text(panel, "folderPasswordEditText"), c.cleared ? "" : "77");
    EXPECT_EQ(text(panel, "folderNameEditText"), c.cleared ? "" : "Sales");
    EXPECT_EQ(facts(panel, "folderNameButton").enabled, c.customInPlay);
    EXPECT_EQ(facts(panel, "folderPasswordButton").enabled, c.customInPlay);
    const bool fieldsOpen = c.customInPlay && !c.held;
    EXPECT_EQ(undimmed(panel, "folderNameEditText"), fieldsOpen);
    EXPECT_EQ(undimmed(panel, "folderPasswordEditText"), fieldsOpen);
    // The folder name is the last field the action's rules touch.
    EXPECT_EQ(focus(panel), fieldsOpen ? "folderNameEditText" : "");
  }
}

TEST_F(ActionsTest, AuthenticationChoiceClearsTheOtherAndPlacesTheFocus) {
  struct Case {
    long row;
    bool loginHeld, passwordHeld, numberHeld;
    std::string login, password, number;
    std::string focus;
  };
  const Case cases[] = {
      {1, false, false, false, "", "", "42", "userNumberEditText"},
      {1, true, true, false, "ann", "pw", "42", "userNumberEditText"},
      {1, false, false, true, "", "", "42", ""},
      {0, false, false, false, "ann", "pw", "", "loginNameEditText"},
      {0, true, false, false, "ann", "pw", "", "passwordEditText"},
      {0, true, true, true, "ann", "pw", "42", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.row) + " holds " + std::to_string(c.loginHeld) +
                 std::to_string(c.passwordHeld) + std::to_string(c.numberHeld));
    Panel& panel = makeViewedPanel(k4);
    put(panel, "authenticationMatrix", c.row == 0 ? "1" : "0");
    put(panel, "loginNameEditText", "ann");
    put(panel, "passwordEditText", "pw");
    put(panel, "userNumberEditText", "42");
    put(panel, "loginNameButton", c.loginHeld ? "1" : "0");
    put(panel, "passwordButton", c.passwordHeld ? "1" : "0");
    put(panel, "userNumberButton", c.numberHeld ? "1" : "0");

    ASSERT_TRUE(headless::select(get(panel, "authenticationMatrix"), c.row));

    EXPECT_EQ(text(panel, "loginNameEditText"), c.login);
    EXPECT_EQ(text(panel, "passwordEditText"), c.password);
    EXPECT_EQ(text(panel, "userNumberEditText"), c.number);
    EXPECT_EQ(focus(panel), c.focus);
    EXPECT_EQ(facts(panel, "loginNameButton").enabled, c.row == 0);
    EXPECT_EQ(facts(panel, "userNumberButton").enabled, c.row == 1);
  }
}

TEST_F(ActionsTest, HeldLoginNameIsMaskedAndForgottenOnRelease) {
  struct Case {
    std::string typed;
    std::size_t bullets;
  };
  const Case cases[] = {{"abcdef", 6}, {"", 0}, {"a\xF0\x9F\x98\x80", 3}};  // one unit per UTF-16 unit
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Panel& panel = makeViewedPanel(k4);
    headless::typeText(field(panel, "loginNameEditText"), platform::Text::fromUtf8(c.typed));

    ASSERT_TRUE(headless::click(get(panel, "loginNameButton")));
    EXPECT_EQ(field(panel, "loginNameEditText").stringValue(),
              platform::Text::fromUtf16(std::u16string(c.bullets, u'\u2022')));
    EXPECT_EQ(panel.loginNameStringRef, platform::Text::fromUtf8(c.typed));
    EXPECT_FALSE(panel.loginNameStringRef.isNone());
    EXPECT_EQ(panel.loginNameLockFlag, 1);
    EXPECT_TRUE(dimmed(panel, "loginNameEditText"));
    EXPECT_EQ(focus(panel), "");

    // A second hold while masked does not take the bullets for the name.
    panel.loginNameButtonProc(panel.loginNameButton.get());
    EXPECT_EQ(panel.loginNameStringRef, platform::Text::fromUtf8(c.typed));
    EXPECT_EQ(field(panel, "loginNameEditText").stringValue().length(), c.bullets);

    ASSERT_TRUE(headless::click(get(panel, "loginNameButton")));
    EXPECT_EQ(text(panel, "loginNameEditText"), "");
    EXPECT_TRUE(panel.loginNameStringRef.isNone());
    EXPECT_EQ(panel.loginNameLockFlag, 0);
    EXPECT_EQ(panel.loginNameUnLockFlag, 0);
    EXPECT_TRUE(undimmed(panel, "loginNameEditText"));
    EXPECT_EQ(focus(panel), "loginNameEditText");
  }
}

TEST_F(ActionsTest, ReleasedLoginNameStaysDimmedUnderUserNumber) {
  Panel& panel = makeViewedPanel(k4);
  put(panel, "loginNameEditText", "ann");
  put(panel, "loginNameButton", "1");
  put(panel, "authenticationMatrix", "1");
  panel.loginNameButtonProc(nullptr);
  ASSERT_EQ(text(panel, "loginNameEditText"), "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2");

  put(panel, "loginNameButton", "0");
  panel.loginNameButtonProc(nullptr);
  EXPECT_EQ(text(panel, "loginNameEditText"), "");
  EXPECT_TRUE(dimmed(panel, "loginNameEditText"));
}

TEST_F(ActionsTest, HoldButtonsLockTheirField) {
  struct Case {
    const char* model;
    const char* button;
    const char* field;
  };
  const Case cases[] = {
      {k4, "suspendKeyButton", "suspendKeyEditText"},   {k4, "folderPasswordButton", "folderPasswordEditText"},
      {k5, "folderNameButton", "folderNameEditText"},   {k4, "passwordButton", "passwordEditText"},
      {k4, "userNumberButton", "userNumberEditText"},   {k4, "userNameButton", "userNameEditText"},
      {k4, "jobNameButton", "jobNameEditText"},         {k4, "accountNumberButton", "accountNumberEditText"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    Panel& panel = retainingPanel(c.model);
    // Put each field in play: a protected folder, the custom folder row, the user-number choice.
    const bool inPlay = c.model == k4 ? headless::select(get(panel, "folderSelectionPopup"), kLockedFolder)
                                      : headless::select(get(panel, "folderSelectionMatrix"), 2);
    ASSERT_TRUE(inPlay);
    if (std::string(c.button) == "userNumberButton") {
      ASSERT_TRUE(headless::select(get(panel, "authenticationMatrix"), 1));
    }
    put(panel, c.field, "123");

    ASSERT_TRUE(headless::click(get(panel, c.button)));
    EXPECT_TRUE(dimmed(panel, c.field));
    EXPECT_EQ(focus(panel), "");
    ASSERT_TRUE(headless::click(get(panel, c.button)));
    EXPECT_TRUE(undimmed(panel, c.field));
    EXPECT_EQ(focus(panel), c.field);
    // Holding and releasing keeps the value; only the login name is forgotten.
    EXPECT_EQ(text(panel, c.field), "123");
  }
}

TEST_F(ActionsTest, ActionsWithoutEffectChangeNothing) {
  using Proc = void (Panel::*)(ui::Control*);
  const Proc inert[] = {&Panel::suspendKeyETextProc,  &Panel::folderPasswordETextProc, &Panel::loginNameETextProc,
                        &Panel::passwordETextProc,    &Panel::userNumberETextProc,     &Panel::userNameETextProc,
                        &Panel::jobNameETextProc,     &Panel::accountNumberETextProc,  &Panel::printersAddressButtonProc,
                        &Panel::tabProc};
  Panel& panel = retainingPanel(k4);
  put(panel, "folderSelectionPopup", "0");
  put(panel, "suspendKeyEditText", "12");
  put(panel, "authenticationMatrix", "1");
  put(panel, "loginNameEditText", "ann");
  const std::vector<std::string> before = snapshot(panel);
  for (Proc proc : inert) (panel.*proc)(nullptr);
  ASSERT_TRUE(headless::select(get(panel, "tabView"), 2));
  ASSERT_TRUE(headless::select(get(panel, "tabView"), 0));
  EXPECT_EQ(snapshot(panel), before);
}

TEST_F(ActionsTest, MissingControlsNeitherCrashNorAct) {
  // The partial layout has no authentication or folder matrix and no hold button for the pass codes,
  // the password, the user number, the account number or the job name.
  Panel& panel = panelWithLayout(uitest::testLayout("ui_partial_layout.ui"));
  put(panel, "userNumberEditText", "42");
  put(panel, "suspendKeyEditText", "12");
  put(panel, "suspendMatrix", "2");
  put(panel, "accountNumberEditText", "5");
  panel.accountNumberEditText->setEditable(false);

  panel.authenticationMatrixProc(nullptr);     // absent matrix: stops at once
  panel.folderSelectionMatrixProc(nullptr);    // absent matrix: would otherwise read as quick file
  panel.accountNumberButtonProc(nullptr);      // absent hold button: its rule does not run
  EXPECT_EQ(text(panel, "userNumberEditText"), "42");
  EXPECT_EQ(text(panel, "suspendKeyEditText"), "12");
  EXPECT_EQ(facts(panel, "suspendMatrix").selectedRow, 2);
  EXPECT_FALSE(facts(panel, "accountNumberEditText").editable);

  // Retention off still works with what is there, and clears the unheld pass codes.
  put(panel, "folderPasswordEditText", "34");
  ASSERT_TRUE(headless::click(get(panel, "retentionCheckBox")));
  ASSERT_TRUE(headless::click(get(panel, "retentionCheckBox")));
  EXPECT_EQ(text(panel, "suspendKeyEditText"), "");
  EXPECT_EQ(text(panel, "folderPasswordEditText"), "");
  EXPECT_EQ(facts(panel, "suspendMatrix").selectedRow, 0);

  // Without any layout every action finds nothing to do.
  using Proc = void (Panel::*)(ui::Control*);
  const Proc all[] = {
      &Panel::retentionCBoxProc,      &Panel::suspendKeyMatrixProc,   &Panel::folderSelectionPopUpButtonProc,
      &Panel::folderSelectionMatrixProc, &Panel::authenticationMatrixProc, &Panel::loginNameButtonProc,
      &Panel::suspendKeyButtonProc,   &Panel::folderPasswordButtonProc, &Panel::folderNameButtonProc,
      &Panel::passwordButtonProc,     &Panel::userNumberButtonProc,   &Panel::userNameButtonProc,
      &Panel::jobNameButtonProc,      &Panel::accountNumberButtonProc,
  };
  Panel& bare = makePanel(makeHost(k4));
  bare.initializeUI();
  for (Proc proc : all) (bare.*proc)(nullptr);
  EXPECT_TRUE(bare.loginNameStringRef.isNone());
  EXPECT_EQ(bare.loginNameLockFlag, 0);
}

}  // namespace
