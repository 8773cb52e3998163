#include <gtest/gtest.h>

#include "platform/defaults.h"
#include "support/panel_fixture.h"

namespace {

using platform::Text;

constexpr const char* kHoldKey = "ondrix.print.PrintSettings.holdButton";
constexpr const char* kUserNumberKey = "ondrix.print.PrintSettings.userNumber";

class PanelProtocol : public testsupport::PanelFixture {
 protected:
  void setText(OndrixPrintPdeTarvel& panel, const std::string& name, const std::string& value) {
    ASSERT_TRUE(headless::set(control(panel, name), value)) << name;
  }
  // Whether SaveUserPreference has written the job-handling record's values for the demo queue.
  bool preferencesSaved() {
    auto* defaults = platform::UserDefaults::standardUserDefaults();
    if (!defaults) return false;
    auto domain = defaults->persistentDomainForName("ondrix.mfp.Demo");
    if (!domain) return false;
    const platform::plist::Value* record = platform::plist::find(*domain, "Job Handling");
    return record && record->dict() && platform::plist::find(*record->dict(), "hold button");
  }
};

TEST_F(PanelProtocol, NameKindAndOptionKeys) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  const Text name = panel.panelName();
  EXPECT_EQ(name, Text::fromUtf8("Job Handling"));  // tests run untranslated
  EXPECT_EQ(panel.panelName(), name);
  EXPECT_EQ(panel.panelKind(), Text::fromUtf8("ondrix.print.pde.tarvel.JobControlKind"));
  EXPECT_TRUE(panel.supportedPPDOptionKeys().empty());
  EXPECT_TRUE(panel.shouldHide());
  EXPECT_TRUE(panel.shouldShowHelp());
}

TEST_F(PanelProtocol, LayoutIsLoadedOncePerModel) {
  OndrixPrintPdeTarvel& filing = makePanel(makeHost("demo-filing.ppd"));
  ui::View* view = filing.panelView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(filing.panelView(), view);
  EXPECT_TRUE(filing.folderSelectionPopup.present());
  EXPECT_FALSE(filing.folderSelectionMatrix.present());

  OndrixPrintPdeTarvel& directory = makePanel(makeHost("demo-directory.ppd"));
  ASSERT_NE(directory.panelView(), nullptr);
  EXPECT_TRUE(directory.folderSelectionMatrix.present());  // only the directory-service layout has it
}

TEST_F(PanelProtocol, PrintWithoutViewRestoresAndSaves) {
  auto host = makeHost();
  OndrixPrintPdeTarvel& panel = makePanel(host);
  EXPECT_TRUE(panel.shouldPrint());
  EXPECT_NE(panel.panelView(), nullptr);
  EXPECT_EQ(panel.callRestoreValuesFunction, 1);
  EXPECT_EQ(panel.callSaveValuesFunction, 1);
  EXPECT_TRUE(host->settings.getValue(kHoldKey).has_value());
  EXPECT_TRUE(preferencesSaved());
}

TEST_F(PanelProtocol, SaveBeforeControlsExistDoesNotCountAsDone) {
  auto host = makeHost();
  OndrixPrintPdeTarvel& panel = makePanel(host);
  panel.saveValuesAndReturnError(nullptr);  // no controls yet: nothing written
  EXPECT_EQ(panel.callSaveValuesFunction, 1);
  EXPECT_FALSE(host->settings.getValue(kHoldKey).has_value());
  EXPECT_TRUE(panel.shouldPrint());
  EXPECT_TRUE(host->settings.getValue(kHoldKey).has_value());
}

TEST_F(PanelProtocol, PrintSystemNeedsALoginNameOrUserNumber) {
  auto host = makeHost("demo-printsystem.ppd");
  OndrixPrintPdeTarvel& panel = makePanel(host);
  panel.restoreValuesAndReturnError(nullptr);
  panel.saveValuesAndReturnError(nullptr);

  // Login chosen, nothing typed.
  EXPECT_FALSE(panel.shouldPrint());
  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_EQ(alerts.shown[0].title, "Information");
  EXPECT_EQ(alerts.shown[0].message, "Please confirm the following setting items.\nLogin Name\nUser Number");
  EXPECT_EQ(alerts.shown[0].button, "OK");
  EXPECT_FALSE(preferencesSaved());

  // A held login name shows bullets but is known to the panel.
  headless::typeText(*panel.loginNameEditText.get(), Text::fromUtf8("alice"));
  headless::click(control(panel, "loginNameButton"));
  EXPECT_EQ(panel.loginNameEditText->stringValue().length(), 5u);
  EXPECT_TRUE(panel.shouldPrint());
  EXPECT_EQ(alerts.shown.size(), 1u);
  EXPECT_TRUE(preferencesSaved());
}

TEST_F(PanelProtocol, PrintSystemTakesATypedLoginName) {
  auto host = makeHost("demo-printsystem.ppd");
  OndrixPrintPdeTarvel& panel = makePanel(host);
  panel.restoreValuesAndReturnError(nullptr);
  headless::typeText(*panel.loginNameEditText.get(), Text::fromUtf8("alice"));
  ASSERT_EQ(panel.loginNameButton->state(), 0);
  EXPECT_TRUE(panel.shouldPrint());
  EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(PanelProtocol, UserNumberChoiceChecksTheUserNumberOnly) {
  auto host = makeHost("demo-printsystem.ppd");
  OndrixPrintPdeTarvel& panel = makePanel(host);
  panel.restoreValuesAndReturnError(nullptr);
  setText(panel, "loginNameEditText", "alice");
  headless::select(control(panel, "authenticationMatrix"), 1);
  setText(panel, "loginNameEditText", "alice");
  EXPECT_FALSE(panel.shouldPrint());
  EXPECT_EQ(alerts.shown.size(), 1u);

  // The corrected field reaches the job although the host does not save again.
  headless::typeText(*panel.userNumberEditText.get(), Text::fromUtf8("4711"));
  EXPECT_TRUE(panel.shouldPrint());
  EXPECT_EQ(host->settings.getValue(kUserNumberKey), "04711");
}

TEST_F(PanelProtocol, ModelsWithoutThePrintSystemAreNeverRefused) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost("demo-filing.ppd"));
  EXPECT_TRUE(panel.shouldPrint());
  EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(PanelProtocol, WithoutPrintSettingsNothingIsWrittenOrStored) {
  auto host = makeHost();
  host->hasSettings = false;
  OndrixPrintPdeTarvel& panel = makePanel(host);
  EXPECT_TRUE(panel.restoreValuesAndReturnError(nullptr));
  EXPECT_TRUE(panel.saveValuesAndReturnError(nullptr));
  EXPECT_EQ(panel.hasInited, 1);
  EXPECT_TRUE(panel.shouldPrint());
  EXPECT_FALSE(preferencesSaved());
}

}  // namespace
