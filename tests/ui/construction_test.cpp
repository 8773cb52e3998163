// Building the panel from its layout: pruning for the model, localisation, filters, padlocks, address.
#include <optional>
#include <string>
#include <vector>

#include "ui/ui_fixture.h"
#include "util/icons.h"

namespace {

using platform::operator""_t;
using uitest::UiFixture;

class ConstructionTest : public UiFixture {};

const std::vector<std::string> kFolderPassCodeControls{"folderPasswordStaticText", "folderPasswordEditText",
                                                       "folderPasswordButton"};

TEST_F(ConstructionTest, ModelDecidesTabsAndGroups) {
  struct Case {
    const char* model;
    std::vector<std::string> tabs;
    bool filingHidden;
    bool folderPassCodeHidden;
  };
  const std::vector<std::string> two{"Retention and Filing", "Authentication and Job ID"};
  const std::vector<std::string> three{"Retention and Filing", "Authentication and Job ID", "Printer"};
  const Case cases[] = {
      {uitest::kFilingModel, three, false, false},
      {uitest::kDirectoryModel, three, false, false},
      // Without filing the box goes, and with it everything inside it.
      {uitest::kNoFilingModel, two, true, true},
      {uitest::kPrintSystemModel, two, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    OndrixPrintPdeTarvel& panel = makeViewedPanel(c.model);
    ASSERT_EQ(panel.hasInited, 1);
    const toolkits::Description tabs = facts(panel, "tabView");
    EXPECT_EQ(tabs.tabLabels, c.tabs);
    EXPECT_EQ(tabs.selectedIndex, 0);
    EXPECT_EQ(facts(panel, "filingBox").hidden, c.filingHidden);
    for (const std::string& name : kFolderPassCodeControls) EXPECT_EQ(facts(panel, name).hidden, c.folderPassCodeHidden) << name;
    // The pass code of retention is no filing control.
    EXPECT_FALSE(facts(panel, "suspendKeyEditText").hidden);
  }
}

TEST_F(ConstructionTest, TwoTabItemsAreKeptWhateverTheModel) {
  for (const char* model : {uitest::kFilingModel, uitest::kNoFilingModel, uitest::kPrintSystemModel}) {
    SCOPED_TRACE(model);
    OndrixPrintPdeTarvel& panel = panelWithLayout(uitest::testLayout("ui_partial_layout.ui"), model);
    const toolkits::Description tabs = facts(panel, "tabView");
    // Localised: the words after the colon go.
    EXPECT_EQ(tabs.tabLabels, (std::vector<std::string>{"Retention and Filing:", "Authentication and Job ID"}));
    EXPECT_EQ(tabs.selectedIndex, 0);
  }
}

TEST_F(ConstructionTest, LocalisesEveryKindOfText) {
  OndrixPrintPdeTarvel& panel = panelWithLayout(uitest::testLayout("ui_partial_layout.ui"));
  EXPECT_EQ(facts(panel, "retentionCheckBox").title, "Retention:");              // check box
  EXPECT_EQ(facts(panel, "holdOnlyRadioButton").title, "Hold Only:");            // radio cell
  EXPECT_EQ(text(panel, "folderPasswordStaticText"), "Folder Pass Code:");      // label
  const toolkits::Description popup = facts(panel, "folderSelectionPopup");    // pop-up items
  ASSERT_EQ(popup.items.size(), 2u);
  EXPECT_EQ(popup.items[0].title, "Quick File:");
  EXPECT_EQ(popup.items[1].title, "Main Folder");
  // Input fields are no labels: their text is left alone.
  EXPECT_EQ(text(panel, "jobNameEditText"), "");

  // The real layout's texts are keys already and come back as they are.
  OndrixPrintPdeTarvel& real = makeViewedPanel(uitest::kFilingModel);
  EXPECT_EQ(facts(real, "suspendBox").title, "Retention Mode");
  EXPECT_EQ(text(real, "suspendKeyStaticText"), "Pass Code:");
  EXPECT_EQ(facts(real, "getFolderNameButton").title, "Get Folder Names");
}

TEST_F(ConstructionTest, SecondCallChangesNothing) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kFilingModel);
  put(panel, "suspendKeyStaticText", "Pass Code: changed");
  panel.chasingArrow->setHidden(false);
  panel.folderList = FolderList{uitest::folder("Sales", false)};
  OndrixPrintPdeTarvel& pruned = makeViewedPanel(uitest::kNoFilingModel);
  pruned.filingBox->setHidden(false);

  panel.initializeUI();
  pruned.initializeUI();

  EXPECT_EQ(text(panel, "suspendKeyStaticText"), "Pass Code: changed");
  EXPECT_FALSE(facts(panel, "chasingArrow").hidden);
  EXPECT_EQ(facts(panel, "folderSelectionPopup").items.size(), 2u);
  EXPECT_EQ(facts(panel, "tabView").tabLabels.size(), 3u);
  EXPECT_FALSE(facts(pruned, "filingBox").hidden);
  EXPECT_EQ(facts(pruned, "tabView").tabLabels.size(), 2u);
}

TEST_F(ConstructionTest, AddressFieldShowsTheHostOfANetworkDevice) {
  struct Case {
    std::optional<std::string> uri;
    std::string shown;
  };
  const Case cases[] = {
      {"ipp://192.0.2.7:631/ipp/print", "192.0.2.7"},
      {"socket://mfp.example:9100", "mfp.example"},
      {"lpd://10.0.0.5/queue", "10.0.0.5"},
      // No address: the layout's text stays.
      {"usb://Ondrix/MX-4070", "printer.local"},
      {std::nullopt, "printer.local"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri.value_or("(no URI)"));
    OndrixPrintPdeTarvel& panel =
        panelWithLayout(uitest::testLayout("ui_partial_layout.ui"), makeHost(uitest::kFilingModel, "Demo", c.uri));
    EXPECT_EQ(text(panel, "printersAddressEditText"), c.shown);
  }
}

TEST_F(ConstructionTest, ProgressIndicatorIsHidden) {
  OndrixPrintPdeTarvel& real = makeViewedPanel(uitest::kFilingModel);
  EXPECT_TRUE(facts(real, "chasingArrow").hidden);
  OndrixPrintPdeTarvel& partial = panelWithLayout(uitest::testLayout("ui_partial_layout.ui"));
  EXPECT_TRUE(facts(partial, "chasingArrow").hidden);
}

TEST_F(ConstructionTest, EveryHoldButtonShowsItsPadlocks) {
  const ui::ImageRef open = initWithSystemIconType(kIconTypeUnlocked);
  const ui::ImageRef closed = initWithSystemIconType(kIconTypeLocked);
  ASSERT_TRUE(open && closed);
  ASSERT_NE(open->name, closed->name);

  struct Case {
    const char* model;
    std::vector<std::string> buttons;
  };
  const Case cases[] = {
      {uitest::kFilingModel,
       {"suspendKeyButton", "folderPasswordButton", "loginNameButton", "passwordButton", "userNumberButton",
        "accountNumberButton", "userNameButton", "jobNameButton"}},
      {uitest::kDirectoryModel,
       {"suspendKeyButton", "folderPasswordButton", "folderNameButton", "loginNameButton", "passwordButton",
        "accountNumberButton", "jobNameButton"}},
  };
  for (const Case& c : cases) {
    OndrixPrintPdeTarvel& panel = makeViewedPanel(c.model);
    for (const std::string& name : c.buttons) {
      SCOPED_TRACE(std::string(c.model) + " " + name);
      const toolkits::Description button = facts(panel, name);
      EXPECT_EQ(button.image, open->name);
      EXPECT_EQ(button.alternateImage, closed->name);
    }
  }
}

TEST_F(ConstructionTest, FiltersGuardTheFieldsAsTyped) {
  struct Case {
    const char* field;
    std::string typed;
    std::string kept;
  };
  const std::string longName(80, 'n');
  const Case cases[] = {
      // Number fields: digits only, up to their maximum.
      {"suspendKeyEditText", "a12", "12"},
      {"suspendKeyEditText", "123456789", "12345678"},
      {"folderPasswordEditText", "9x 9", "99"},
      {"userNumberEditText", "\xEF\xBC\x91" "2", "2"},  // a full-width digit is no digit
      {"userNumberEditText", "1234567890", "12345678"},
      {"accountNumberEditText", "1234567", "12345"},
      // Password: any character, at most 31.
      {"passwordEditText", "P\xC3\xA4ss w0rd!-0123456789-0123456789", "P\xC3\xA4ss w0rd!-0123456789-012345678"},
      // Login name, user name, job name: anything, any length.
      {"loginNameEditText", "user@example " + longName, "user@example " + longName},
      {"userNameEditText", "Ann " + longName, "Ann " + longName},
      {"jobNameEditText", "report.pdf", "report.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " <- " + c.typed);
    OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kFilingModel);
    headless::typeText(field(panel, c.field), platform::Text::fromUtf8(c.typed));
    EXPECT_EQ(text(panel, c.field), c.kept);
  }
}

TEST_F(ConstructionTest, HiddenFolderPassCodeStillGetsItsFilter) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kPrintSystemModel);
  const ui::Formatter* filter = field(panel, "folderPasswordEditText").formatter();
  ASSERT_NE(filter, nullptr);
  EXPECT_FALSE(filter->isPartialStringValid("a"_t, {1, 0}, ""_t, {0, 0}));
  EXPECT_TRUE(filter->isPartialStringValid("1"_t, {1, 0}, ""_t, {0, 0}));
}

TEST_F(ConstructionTest, WithoutLayoutOnlyMarksTheBuild) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost(uitest::kFilingModel));
  panel.folderList = FolderList{uitest::folder("Sales", true)};
  panel.initializeUI();
  EXPECT_EQ(panel.hasInited, 1);
  EXPECT_EQ(panel.nib(), nullptr);
}

}  // namespace
