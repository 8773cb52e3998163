// The per-printer record of the user's values: which records survive, the stored forms of credentials,
// the hold mask, and what is loaded back.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/defaults.h"
#include "toolkits/headless/headless_toolkit.h"
#include "plugin/panel.h"
#include "support/aes_reference.h"
#include "support/panel_fixture.h"
#include "support/scratch.h"
#include "support/temp_ppd.h"

namespace {

using platform::Text;
using platform::UserDefaults;
using platform::plist::Array;
using platform::plist::Dict;
using platform::plist::Value;
using testsupport::repeat;

const std::string kModel = "Ondrix MX-4070";  // demo-filing.ppd

class UserPreferencesTest : public testsupport::PanelFixture {
 protected:
  UserDefaults store() { return UserDefaults(scratch() / "prefs"); }
  std::optional<Dict> domain(const std::string& queue = "Demo") {
    return store().persistentDomainForName("ondrix.mfp." + queue);
  }
  Dict record(const std::string& queue = "Demo") {
    const auto d = domain(queue);
    if (!d || !platform::plist::find(*d, "Job Handling")) return {};
    return *d->at("Job Handling").dict();
  }
  void storeDomain(const Dict& d, const std::string& queue = "Demo") {
    ASSERT_TRUE(store().setPersistentDomain(d, "ondrix.mfp." + queue));
  }
  std::string stored(const std::string& key, const std::string& queue = "Demo") {
    const Dict r = record(queue);
    const Value* v = platform::plist::find(r, key);
    return v && v->string() ? *v->string() : "<absent>";
  }

  void set(OndrixPrintPdeTarvel& panel, const std::string& name, const std::string& value) {
    EXPECT_TRUE(headless::set(control(panel, name), value)) << name;
  }

 private:
  // Mac Roman as the system encoding, whatever the machine's locale.
  testsupport::EnvOverride macRoman_{"LC_ALL", "C"};
};

TEST_F(UserPreferencesTest, FirstUseCreatesARecordOfModelAndReleaseAndLoadsNothing) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  EXPECT_EQ(panel.modelStringRef.utf8(), kModel);
  EXPECT_EQ(domain(), (Dict{{"Job Handling", Value(Dict{{"Model Name", kModel}, {"Release Number", "2.00"}})}}));
  EXPECT_EQ(panel.prefHoldButtonFlag, 0u);
  EXPECT_TRUE(panel.prefSuspendKeyStringRef.isNone());
  EXPECT_TRUE(panel.prefLoginNameStringRef.isNone());
  EXPECT_TRUE(panel.prefFolderNameStringRef.isNone());
  EXPECT_FALSE(panel.prefAuthenticationBooleanRef.has_value());
}

TEST_F(UserPreferencesTest, TheRecordSurvivesOnlyForTheSameModelAndRelease) {
  const struct {
    const char* name;
    std::optional<Value> model;
    std::optional<Value> release;
    bool kept;
  } cases[] = {
      {"same model and release", Value(kModel), Value("2.00"), true},
      {"other release", Value(kModel), Value("2.01"), false},
      {"release without its last digit", Value(kModel), Value("2.0"), false},
      {"release as a number", Value(kModel), Value(2.0), false},
      {"no release", Value(kModel), std::nullopt, false},
      {"model in other case", Value("ondrix MX-4070"), Value("2.00"), false},
      {"model with a trailing space", Value(kModel + " "), Value("2.00"), false},
      {"no model", std::nullopt, Value("2.00"), false},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string queue = "Q" + std::to_string(n++);
    Dict old{{"hold button", 1},
             {"pass code", "50CFC4F61FD346ECA9C548E808CA53A1"},
             {"address", "192.0.2.7"},
             {"files", Value(Array{Value(Dict{{"name", "Box"}})})}};
    if (c.model) old["Model Name"] = *c.model;
    if (c.release) old["Release Number"] = *c.release;
    storeDomain(Dict{{"Job Handling", Value(old)}, {"Other", "kept"}}, queue);

    OndrixPrintPdeTarvel& panel = makePanel(makeHost("demo-filing.ppd", queue));
    const auto d = domain(queue);
    ASSERT_TRUE(d.has_value()) << c.name;
    EXPECT_EQ(d->at("Other"), Value("kept")) << c.name;
    if (c.kept) {
      EXPECT_EQ(record(queue), old) << c.name;
      EXPECT_EQ(panel.prefHoldButtonFlag, 1u) << c.name;
      EXPECT_EQ(panel.prefSuspendKeyStringRef.utf8(), "50CFC4F61FD346ECA9C548E808CA53A1") << c.name;
      ASSERT_TRUE(panel.folderList.has_value()) << c.name;
      EXPECT_EQ(panel.folderList->size(), 1u) << c.name;
    } else {
      EXPECT_EQ(record(queue), (Dict{{"Model Name", kModel}, {"Release Number", "2.00"}})) << c.name;
      EXPECT_EQ(panel.prefHoldButtonFlag, 0u) << c.name;
      EXPECT_TRUE(panel.prefSuspendKeyStringRef.isNone()) << c.name;
      ASSERT_TRUE(panel.folderList.has_value()) << c.name;
      EXPECT_TRUE(panel.folderList->empty()) << c.name;
    }
  }
}

TEST_F(UserPreferencesTest, HeldCredentialsAreStoredInTheirForms) {
  using testsupport::base64Form;
  using testsupport::hexForm;
  const std::string digits20 = "12345678901234567890";
  const std::string login300 = repeat("abcdefghij", 30);
  const struct {
    const char* name;
    const char* field;
    const char* button;
    const char* key;
    std::string input;
    std::string expected;
  } cases[] = {
      {"pass code", "suspendKeyEditText", "suspendKeyButton", "pass code", "1234",
       "50CFC4F61FD346ECA9C548E808CA53A1"},
      {"pass code keeps 16 characters", "suspendKeyEditText", "suspendKeyButton", "pass code", digits20,
       hexForm(digits20.substr(0, 16), 16)},
      {"pass code stops before what Mac Roman lacks", "suspendKeyEditText", "suspendKeyButton", "pass code",
       "12\xE6\x97\xA5" "34", hexForm("12", 16)},
      {"pass code whose first character Mac Roman lacks", "suspendKeyEditText", "suspendKeyButton", "pass code",
       "\xE6\x97\xA5" "1", ""},
      {"empty pass code", "suspendKeyEditText", "suspendKeyButton", "pass code", "", ""},
      {"short password ends in a zero block", "passwordEditText", "passwordButton", "user password", "secret",
       "F6BBBCCA6EC02EE52C822E0BFBE7088E" + std::string(32, '0')},
      {"password of 20 characters", "passwordEditText", "passwordButton", "user password", digits20,
       hexForm(digits20, 32)},
      {"password keeps 32 characters", "passwordEditText", "passwordButton", "user password", repeat(digits20, 2),
       hexForm(repeat(digits20, 2).substr(0, 32), 32)},
      {"empty password", "passwordEditText", "passwordButton", "user password", "", ""},
      {"user number keeps 16 characters", "userNumberEditText", "userNumberButton", "user number",
       "12345678901234567", hexForm("1234567890123456", 16)},
      {"account number", "accountNumberEditText", "accountNumberButton", "account number", "98765",
       hexForm("98765", 16)},
      {"folder pass code", "folderPasswordEditText", "folderPasswordButton", "folder pass code", "1234",
       "50CFC4F61FD346ECA9C548E808CA53A1"},
      {"folder pass code keeps its first block", "folderPasswordEditText", "folderPasswordButton",
       "folder pass code", digits20, hexForm(digits20.substr(0, 16), 16)},
      {"folder pass code that is not ASCII", "folderPasswordEditText", "folderPasswordButton", "folder pass code",
       "12\xC3\xA9", ""},
      {"folder pass code over 255 characters", "folderPasswordEditText", "folderPasswordButton",
       "folder pass code", std::string(256, '1'), ""},
      {"folder pass code of 255 characters", "folderPasswordEditText", "folderPasswordButton",
       "folder pass code", std::string(255, '1'), hexForm(std::string(16, '1'), 16)},
  };
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  for (const auto& c : cases) {
    set(panel, c.field, c.input);
    set(panel, c.button, "1");
    ASSERT_TRUE(panel.SaveUserPreference()) << c.name;
    EXPECT_EQ(stored(c.key), c.expected) << c.name;
  }

  // The held login name is the captured one, not the bullets in its field.
  const struct {
    const char* name;
    std::string captured;
    std::string expected;
  } logins[] = {
      {"login name", "alice", "DGMgcLjOpsGUF0V6nhTO0A=="},
      {"login name keeps 255 bytes", login300, base64Form(login300.substr(0, 255))},
      {"empty captured login name", "", ""},
  };
  for (const auto& c : logins) {
    set(panel, "loginNameButton", "1");
    panel.loginNameStringRef = Text::fromUtf8(c.captured);
    set(panel, "loginNameEditText", repeat("\xE2\x80\xA2", c.captured.size()));
    ASSERT_TRUE(panel.SaveUserPreference()) << c.name;
    EXPECT_EQ(stored("user login name"), c.expected) << c.name;
  }
  // 255 bytes of plaintext make 256 bytes of ciphertext.
  EXPECT_EQ(testsupport::fromBase64(base64Form(login300.substr(0, 255))).size(), 256u);
}

TEST_F(UserPreferencesTest, ReleasedCredentialsAreStoredEmptyAndClearTextsAsTyped) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  const struct {
    const char* field;
    const char* key;
    std::string typed;
    std::string expected;
  } fields[] = {
      {"suspendKeyEditText", "pass code", "1234", ""},
      {"loginNameEditText", "user login name", "alice", ""},
      {"passwordEditText", "user password", "secret", ""},
      {"userNumberEditText", "user number", "1234", ""},
      {"accountNumberEditText", "account number", "98765", ""},
      {"folderPasswordEditText", "folder pass code", "1234", ""},
      {"userNameEditText", "user name", "Jane Doe", "Jane Doe"},
      {"jobNameEditText", "job name", "Report\t\"Q3\"", "Report\t\"Q3\""},
  };
  // A stored secret from an earlier, held save must not outlive the release.
  for (const auto& f : fields) set(panel, f.field, f.typed);
  for (const char* button : {"suspendKeyButton", "loginNameButton", "passwordButton", "userNumberButton",
                             "accountNumberButton", "folderPasswordButton", "userNameButton", "jobNameButton"}) {
    set(panel, button, "1");
  }
  panel.loginNameStringRef = Text::fromUtf8("alice");
  ASSERT_TRUE(panel.SaveUserPreference());
  EXPECT_NE(stored("user password"), "");

  for (const char* button : {"suspendKeyButton", "loginNameButton", "passwordButton", "userNumberButton",
                             "accountNumberButton", "folderPasswordButton", "userNameButton", "jobNameButton"}) {
    set(panel, button, "0");
  }
  panel.loginNameStringRef = Text();
  set(panel, "authenticationMatrix", "1");
  ASSERT_TRUE(panel.SaveUserPreference());
  for (const auto& f : fields) EXPECT_EQ(stored(f.key), f.expected) << f.key;
  EXPECT_EQ(record().at("hold button"), Value(0));
  EXPECT_EQ(record().at("authentication"), Value(false));

  // Nothing was held, so nothing is loaded; the authentication choice always is.
  panel.GetUserPreference();
  EXPECT_EQ(panel.prefHoldButtonFlag, 0u);
  EXPECT_TRUE(panel.prefPasswordStringRef.isNone());
  EXPECT_TRUE(panel.prefUserNameStringRef.isNone());
  EXPECT_EQ(panel.prefAuthenticationBooleanRef, std::optional<bool>(false));
}

TEST_F(UserPreferencesTest, TheHoldMaskHasOneBitPerHeldButtonAndSelectsWhatIsLoaded) {
  const struct {
    const char* ppd;
    std::uint32_t allHeld;  // the layout's hold buttons
  } layouts[] = {
      // The pop-up layout has no folder-name field; the directory layout no user name or number.
      {"demo-filing.ppd", 0x0FF},
      {"demo-directory.ppd", 0x1FF & ~0x008u & ~0x040u},
  };
  const char* buttons[] = {"suspendKeyButton",    "loginNameButton",      "passwordButton",
                           "userNameButton",      "jobNameButton",        "folderPasswordButton",
                           "userNumberButton",    "accountNumberButton",  "folderNameButton"};
  for (const auto& l : layouts) {
    OndrixPrintPdeTarvel& panel = makePanel(makeHost(l.ppd, l.ppd));
    panel.panelView();
    for (const char* button : buttons) {
      if (panel.nib()->controlNamed(button)) set(panel, button, "1");
    }
    for (const char* field : {"suspendKeyEditText", "passwordEditText", "userNumberEditText",
                              "accountNumberEditText", "userNameEditText", "jobNameEditText",
                              "folderPasswordEditText", "folderNameEditText"}) {
      if (panel.nib()->controlNamed(field)) set(panel, field, "1234");
    }
    panel.loginNameStringRef = Text::fromUtf8("alice");
    ASSERT_TRUE(panel.SaveUserPreference()) << l.ppd;
    EXPECT_EQ(record(l.ppd).at("hold button"), Value(static_cast<int>(l.allHeld))) << l.ppd;

    // Each held value comes back exactly as stored.
    panel.GetUserPreference();
    EXPECT_EQ(panel.prefHoldButtonFlag, l.allHeld) << l.ppd;
    EXPECT_EQ(panel.prefSuspendKeyStringRef.utf8(), stored("pass code", l.ppd)) << l.ppd;
    EXPECT_EQ(panel.prefLoginNameStringRef.utf8(), "DGMgcLjOpsGUF0V6nhTO0A==") << l.ppd;
    EXPECT_EQ(panel.prefPasswordStringRef.utf8(), stored("user password", l.ppd)) << l.ppd;
    EXPECT_EQ(panel.prefJobNameStringRef.utf8(), "1234") << l.ppd;
    EXPECT_EQ(panel.prefFolderPassStringRef.utf8(), "50CFC4F61FD346ECA9C548E808CA53A1") << l.ppd;
  }
}

TEST_F(UserPreferencesTest, FieldsTheLayoutLacksKeepTheirStoredValues) {
  storeDomain(Dict{{"Job Handling", Value(Dict{{"Model Name", kModel},
                                               {"Release Number", "2.00"},
                                               {"folder name", "Kept"},
                                               {"user login name", "OLD"}})}});
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  // Held with no captured name: the stored login name stays.
  set(panel, "loginNameButton", "1");
  panel.loginNameStringRef = Text();
  ASSERT_TRUE(panel.SaveUserPreference());
  EXPECT_EQ(stored("folder name"), "Kept");
  EXPECT_EQ(stored("user login name"), "OLD");
}

TEST_F(UserPreferencesTest, OnlyAnExactlyReadableMaskLoadsValues) {
  const struct {
    const char* name;
    std::optional<Value> mask;
    std::uint32_t expectedMask;
    bool passCodeLoaded;
    bool authenticationLoaded;
  } cases[] = {
      {"pass code bit", Value(1), 1, true, true},
      {"other bits only", Value(2), 2, false, true},
      {"negative mask holds every bit", Value(-1), 0xFFFFFFFFu, true, true},
      {"whole real", Value(3.0), 3, true, true},
      {"fractional real", Value(1.5), 0, false, false},
      {"beyond 32 bits", Value(std::int64_t{1} << 33 | 1), 0, false, false},
      {"a string", Value("1"), 0, false, false},
      {"no mask", std::nullopt, 0, false, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string queue = "M" + std::to_string(n++);
    Dict old{{"Model Name", kModel}, {"Release Number", "2.00"}, {"pass code", "ABC"}, {"authentication", true},
             {"user name", Value(7)}};
    if (c.mask) old["hold button"] = *c.mask;
    storeDomain(Dict{{"Job Handling", Value(old)}}, queue);
    OndrixPrintPdeTarvel& panel = makePanel(makeHost("demo-filing.ppd", queue));
    EXPECT_EQ(panel.prefHoldButtonFlag, c.expectedMask) << c.name;
    EXPECT_EQ(panel.prefSuspendKeyStringRef.isNone(), !c.passCodeLoaded) << c.name;
    EXPECT_EQ(panel.prefAuthenticationBooleanRef.has_value(), c.authenticationLoaded) << c.name;
    // A value of the wrong type is no value.
    EXPECT_TRUE(panel.prefUserNameStringRef.isNone()) << c.name;
  }
}

TEST_F(UserPreferencesTest, APanelWithoutDomainStoresNothing) {
  auto host = makeHost();
  host->constraintHandling = false;  // no PPD, so no domain name
  OndrixPrintPdeTarvel& panel = makePanel(host);
  EXPECT_TRUE(panel.preferenceName.isNone());
  panel.panelView();
  panel.CheckPreference();
  panel.GetUserPreference();
  EXPECT_FALSE(panel.SaveUserPreference());
  EXPECT_FALSE(panel.SaveFolderPreference());
  EXPECT_FALSE(std::filesystem::exists(scratch() / "prefs") && !std::filesystem::is_empty(scratch() / "prefs"));
}

TEST_F(UserPreferencesTest, APPDWithoutModelNameCountsAsTheEmptyName) {
  testsupport::TempPPD ppd("", "");
  auto host = std::make_shared<testsupport::FakeHost>(ppd.path(), "NoModel", std::nullopt);
  OndrixPrintPdeTarvel& first = makePanel(host);
  EXPECT_TRUE(first.modelStringRef.isNone());
  EXPECT_EQ(record("NoModel"), (Dict{{"Model Name", ""}, {"Release Number", "2.00"}}));

  // The record made for the nameless model is kept by the next panel.
  first.panelView();
  headless::set(control(first, "jobNameEditText"), "Kept");
  ASSERT_TRUE(first.SaveUserPreference());
  makePanel(host);
  EXPECT_EQ(stored("job name", "NoModel"), "Kept");
}

}  // namespace
