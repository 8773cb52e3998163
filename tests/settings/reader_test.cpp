// The print-settings reader: what the panel shows for stored settings and held preferences, damaged
// values, and the values the writer produced coming back exactly.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/defaults.h"
#include "toolkits/headless/headless_toolkit.h"
#include "plugin/panel.h"
#include "support/aes_reference.h"
#include "support/panel_fixture.h"
#include "support/scratch.h"

namespace {

using platform::Text;
using platform::plist::Array;
using platform::plist::Dict;
using platform::plist::Value;
using testsupport::base64Form;
using testsupport::hexForm;
using testsupport::repeat;
using testsupport::upperHex;

const char* const kHoldButtons[] = {"suspendKeyButton",     "loginNameButton",  "passwordButton",
                                    "userNameButton",       "jobNameButton",    "folderPasswordButton",
                                    "userNumberButton",     "accountNumberButton", "folderNameButton"};

// The account the reader falls back to: short name and the first field of the full name.
struct Account {
  std::string name, fullName;
};
Account account() {
  const passwd* pw = ::getpwuid(::getuid());
  Account a{pw->pw_name, pw->pw_gecos ? pw->pw_gecos : ""};
  a.fullName = a.fullName.substr(0, a.fullName.find(','));
  if (a.fullName.empty()) a.fullName = a.name;
  return a;
}

class ReaderTest : public testsupport::PanelFixture {
 protected:
  struct Job {
    OndrixPrintPdeTarvel& panel;
    testsupport::FakeHost& host;
  };

  // A built panel for the PPD; the record, when given, is stored as the queue's preferences first.
  Job makeJob(const std::string& ppd = "demo-filing.ppd", const std::optional<Dict>& record = std::nullopt,
              const std::string& queue = "Demo") {
    if (record) {
      const std::string model = ppd == "demo-directory.ppd" ? "Ondrix MX-8090" : "Ondrix MX-4070";
      Dict full{{"Model Name", Value(model)}, {"Release Number", "2.00"}};
      for (const auto& [k, v] : *record) full[k] = v;
      EXPECT_TRUE(platform::UserDefaults(scratch() / "prefs")
                      .setPersistentDomain(Dict{{"Job Handling", Value(full)}}, "ondrix.mfp." + queue));
    }
    auto host = makeHost(ppd, queue);
    OndrixPrintPdeTarvel& panel = makePanel(host);
    panel.panelView();
    return {panel, *host};
  }

  static void put(Job& job, const std::string& name, const std::optional<std::string>& value) {
    job.host.settings.setValue("ondrix.print.PrintSettings." + name, value);
  }
  void set(Job& job, const std::string& name, const std::string& value) {
    EXPECT_TRUE(headless::set(control(job.panel, name), value)) << name << " = " << value;
  }
  toolkits::Description facts(Job& job, const std::string& name) {
    return headless::describe(control(job.panel, name));
  }
  std::string text(Job& job, const std::string& name) { return facts(job, name).stringValue.value_or("<none>"); }
  long state(Job& job, const std::string& name) { return facts(job, name).state.value_or(-9); }
  long row(Job& job, const std::string& name) { return facts(job, name).selectedRow.value_or(-9); }
  long item(Job& job, const std::string& name) { return facts(job, name).selectedIndex.value_or(-9); }

  // The held-state of every hold button the layout has, as a mask.
  std::uint32_t heldMask(Job& job) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < std::size(kHoldButtons); ++i) {
      if (job.panel.nib()->controlNamed(kHoldButtons[i]) && state(job, kHoldButtons[i]) == 1) mask |= 1u << i;
    }
    return mask;
  }

  static void read(Job& job) { job.panel.getNonPPDSettingsFromPrintSettings(); }

 private:
  // Mac Roman as the system encoding, whatever the machine's locale.
  testsupport::EnvOverride macRoman_{"LC_ALL", "C"};
};

TEST_F(ReaderTest, EmptySettingsGiveTheDefaults) {
  Job job = makeJob();
  job.host.settings.setJobName(Text::fromUtf8("Quarterly report"));
  read(job);
  EXPECT_EQ(state(job, "retentionCheckBox"), 0);
  EXPECT_EQ(row(job, "suspendMatrix"), 0);
  EXPECT_EQ(item(job, "folderSelectionPopup"), 1);
  EXPECT_EQ(row(job, "authenticationMatrix"), 0);
  for (const char* field : {"suspendKeyEditText", "loginNameEditText", "passwordEditText", "userNumberEditText",
                            "accountNumberEditText", "folderPasswordEditText"}) {
    EXPECT_EQ(text(job, field), "") << field;
  }
  EXPECT_EQ(text(job, "userNameEditText"), account().fullName);
  EXPECT_EQ(text(job, "jobNameEditText"), "Quarterly report");
  EXPECT_EQ(heldMask(job), 0u);

  // A job without a name of its own leaves the field empty.
  job.host.settings.setJobName(Text());
  read(job);
  EXPECT_EQ(text(job, "jobNameEditText"), "");
}

TEST_F(ReaderTest, DirectoryServiceModelsRetainAndLogInAsTheSystemUser) {
  Job job = makeJob("demo-directory.ppd");
  read(job);
  EXPECT_EQ(state(job, "retentionCheckBox"), 1);
  EXPECT_EQ(row(job, "suspendMatrix"), 0);
  EXPECT_EQ(text(job, "loginNameEditText"), account().name);
  EXPECT_EQ(row(job, "folderSelectionMatrix"), 1);

  // Whatever mode was stored.
  put(job, "jobSuspend", "3");
  read(job);
  EXPECT_EQ(row(job, "suspendMatrix"), 0);
}

TEST_F(ReaderTest, RetentionModesSelectTheirRows) {
  const struct {
    std::optional<std::string> stored;
    long checkBox;
    long row;
  } cases[] = {
      {"2", 1, 0}, {"1", 1, 1}, {"3", 1, 2}, {"0", 0, 0}, {"9", 0, 0}, {"", 0, 0}, {"13", 1, 1}, {std::nullopt, 0, 0},
  };
  Job job = makeJob();
  for (const auto& c : cases) {
    put(job, "jobSuspend", c.stored);
    read(job);
    EXPECT_EQ(state(job, "retentionCheckBox"), c.checkBox) << c.stored.value_or("absent");
    EXPECT_EQ(row(job, "suspendMatrix"), c.row) << c.stored.value_or("absent");
  }
}

TEST_F(ReaderTest, CredentialsComeBackAsTyped) {
  const struct {
    const char* key;
    const char* field;
    std::string stored;
    std::string expected;
  } cases[] = {
      {"jobSuspend2Key", "suspendKeyEditText", hexForm("7", 16), "7"},
      {"jobSuspend2Key", "suspendKeyEditText", hexForm("12345678", 16), "12345678"},
      {"password2", "passwordEditText", hexForm("secret", 32), "secret"},
      // One block exactly: the all-zero second block is not decrypted into stray bytes.
      {"password2", "passwordEditText", hexForm("0123456789abcdef", 32), "0123456789abcdef"},
      {"password2", "passwordEditText", hexForm("0123456789abcdefg", 32), "0123456789abcdefg"},
      {"password2", "passwordEditText", hexForm(repeat("p", 32), 32), repeat("p", 32)},
      {"userNumber2", "userNumberEditText", hexForm("0042", 16), "0042"},
      {"accountNumber2", "accountNumberEditText", hexForm("12345", 16), "12345"},
      {"folderPassword2", "folderPasswordEditText", hexForm("99", 16), "99"},
      {"folderPassword2", "folderPasswordEditText", hexForm(repeat("9", 16), 16), repeat("9", 16)},
      // Lower-case digits are still whole hex.
      {"userNumber2", "userNumberEditText", "d5b76e4f40e7ad9f8b3f2a3b0d4f9eb0", "<decrypts>"},
  };
  Job job = makeJob();
  put(job, "jobSuspend", "2");
  for (const auto& c : cases) {
    // The user number belongs to user-number authentication, the password to login.
    put(job, "Authentication", std::string(c.key) == "userNumber2" ? "0" : "1");
    put(job, c.key, c.stored);
    read(job);
    if (c.expected == "<decrypts>") {
      EXPECT_NE(text(job, c.field), "") << c.key;
    } else {
      EXPECT_EQ(text(job, c.field), c.expected) << c.key << " " << c.stored;
    }
  }
}

TEST_F(ReaderTest, DamagedValuesCountAsAbsent) {
  const std::string pass = hexForm("1234", 16);
  const struct {
    const char* name;
    const char* key;
    std::string stored;
    const char* field;
    const char* button;
    std::string expected;
  } cases[] = {
      {"pass code not hex", "jobSuspend2Key", "ZZ" + pass.substr(2), "suspendKeyEditText", "suspendKeyButton", ""},
      {"pass code of 31 digits", "jobSuspend2Key", pass.substr(1), "suspendKeyEditText", "suspendKeyButton", ""},
      {"pass code of 64 digits", "jobSuspend2Key", pass + pass, "suspendKeyEditText", "suspendKeyButton", ""},
      {"password of 32 digits", "password2", pass, "passwordEditText", "passwordButton", ""},
      {"password with a space", "password2", hexForm("secret", 32).replace(10, 1, " "), "passwordEditText",
       "passwordButton", ""},
      {"user number of 33 digits", "userNumber2", pass + "0", "userNumberEditText", "userNumberButton", ""},
      {"account number of 30 digits", "accountNumber2", pass.substr(2), "accountNumberEditText",
       "accountNumberButton", ""},
      {"folder pass code not hex", "folderPassword2", std::string(32, 'G'), "folderPasswordEditText",
       "folderPasswordButton", ""},
      {"login name of 15 cipher bytes", "loginName11", testsupport::base64(testsupport::Bytes(15, 1)),
       "loginNameEditText", "loginNameButton", ""},
      {"login name not a multiple of four", "loginName11", base64Form("alice").substr(1), "loginNameEditText",
       "loginNameButton", ""},
      {"login name with a foreign character", "loginName11", base64Form("alice").replace(3, 1, "*"),
       "loginNameEditText", "loginNameButton", ""},
      {"login name too much padding", "loginName11", base64Form("alice").substr(0, 20) + "====",
       "loginNameEditText", "loginNameButton", ""},
      {"non-ASCII value", "jobSuspend2Key", "\xC3\xA9" + pass.substr(2), "suspendKeyEditText", "suspendKeyButton",
       ""},
      {"user name of odd length", "userName", "4A6", "userNameEditText", "userNameButton", account().fullName},
      {"job name not hex", "jobName", "4A6Q", "jobNameEditText", "jobNameButton", "Own name"},
  };
  for (const auto& c : cases) {
    Job job = makeJob();
    job.host.settings.setJobName(Text::fromUtf8("Own name"));
    put(job, "jobSuspend", "2");
    put(job, "holdButton", "511");  // a damaged value is no value to hold
    put(job, c.key, c.stored);
    read(job);
    EXPECT_EQ(text(job, c.field), c.expected) << c.name;
    if (std::string(c.button) != "loginNameButton") {
      EXPECT_EQ(state(job, c.button), 0) << c.name;
    }
  }

  // A damaged custom folder path leaves the main folder chosen.
  Job job = makeJob();
  put(job, "filing", "3");
  put(job, "folderPath", "41424");
  read(job);
  EXPECT_EQ(item(job, "folderSelectionPopup"), 1);
}

TEST_F(ReaderTest, LoginNameComesFromOneOrTwoParts) {
  const struct {
    const char* name;
    std::string login;
  } cases[] = {
      {"short", "alice"},
      {"Base64 of 236 characters fits the first part", repeat("a", 170)},
      {"Base64 over 254 characters needs the second part", repeat("b", 200)},
      {"255 characters", repeat("c", 255)},
  };
  Job job = makeJob();
  for (const auto& c : cases) {
    const std::string coded = base64Form(c.login);
    put(job, "loginName11", coded.substr(0, 254));
    put(job, "loginName12", coded.size() > 254 ? std::optional(coded.substr(254)) : std::nullopt);
    read(job);
    EXPECT_EQ(text(job, "loginNameEditText"), c.login) << c.name;
  }
  // A second part without a first is not used.
  put(job, "loginName11", std::nullopt);
  put(job, "loginName12", base64Form("alice"));
  read(job);
  EXPECT_EQ(text(job, "loginNameEditText"), "");
}

TEST_F(ReaderTest, HoldMaskOfTheSettingsHoldsStoredValues) {
  Job job = makeJob();
  put(job, "holdButton", "3");
  put(job, "jobSuspend", "2");
  put(job, "jobSuspend2Key", hexForm("1234", 16));
  put(job, "loginName11", base64Form("alice"));
  put(job, "userName", upperHex("Jane"));
  read(job);
  EXPECT_EQ(job.panel.presetHoldButtonFlag, 3u);
  EXPECT_EQ(state(job, "suspendKeyButton"), 1);
  // The held login name is kept in the panel and its field masked.
  EXPECT_EQ(state(job, "loginNameButton"), 1);
  EXPECT_EQ(job.panel.loginNameStringRef.utf8(), "alice");
  EXPECT_EQ(text(job, "loginNameEditText"), repeat("\xE2\x80\xA2", 5));
  EXPECT_EQ(state(job, "userNameButton"), 0);

  // The login-name bit holds even without a stored name; the user-name bit needs a name.
  put(job, "holdButton", "10");
  put(job, "loginName11", std::nullopt);
  put(job, "userName", std::nullopt);
  read(job);
  EXPECT_EQ(state(job, "loginNameButton"), 1);
  EXPECT_EQ(state(job, "userNameButton"), 0);
  EXPECT_EQ(state(job, "suspendKeyButton"), 0);
  put(job, "userName", upperHex("Jane"));
  read(job);
  EXPECT_EQ(state(job, "userNameButton"), 1);

  // An absent mask keeps the last one read.
  put(job, "holdButton", std::nullopt);
  read(job);
  EXPECT_EQ(job.panel.presetHoldButtonFlag, 10u);
}

TEST_F(ReaderTest, HeldPreferencesWinOnceThenTheSettings) {
  const Dict record{
      {"hold button", 0x1FF},
      {"authentication", false},
      {"pass code", hexForm("1111", 16)},
      {"user login name", base64Form("held-login")},
      {"user password", hexForm("0123456789abcdef", 32)},
      {"user number", hexForm("2222", 16)},
      {"account number", hexForm("3333", 16)},
      {"user name", "Held \"User\""},
      {"job name", "Held job"},
      {"folder pass code", ""},
      {"folder name", "Held folder"},
  };
  Job job = makeJob("demo-filing.ppd", record);
  EXPECT_EQ(job.panel.prefHoldButtonFlag, 0x1FFu);
  put(job, "jobSuspend", "2");
  put(job, "jobSuspend2Key", hexForm("9999", 16));
  put(job, "Authentication", "1");
  put(job, "loginName11", base64Form("settings-login"));
  put(job, "password2", hexForm("settings-pw", 32));
  put(job, "userNumber2", hexForm("8888", 16));
  put(job, "accountNumber2", hexForm("7777", 16));
  put(job, "userName", upperHex("Settings User"));
  put(job, "jobName", upperHex("Settings job"));
  put(job, "folderPassword2", hexForm("66", 16));

  read(job);
  EXPECT_EQ(text(job, "suspendKeyEditText"), "1111");
  EXPECT_EQ(job.panel.loginNameStringRef.utf8(), "held-login");
  EXPECT_EQ(text(job, "passwordEditText"), "0123456789abcdef");
  EXPECT_EQ(text(job, "userNumberEditText"), "2222");
  EXPECT_EQ(text(job, "accountNumberEditText"), "3333");
  EXPECT_EQ(text(job, "userNameEditText"), "Held \"User\"");
  EXPECT_EQ(text(job, "jobNameEditText"), "Held job");
  EXPECT_EQ(text(job, "folderPasswordEditText"), "");  // held but empty
  EXPECT_EQ(row(job, "authenticationMatrix"), 1);       // the held choice
  EXPECT_EQ(heldMask(job), 0x0FFu);  // the pop-up layout has no folder-name button
  // Each bit is consumed; the folder-name bit only by the radio form.
  EXPECT_EQ(job.panel.prefHoldButtonFlag, 0x100u);

  read(job);
  EXPECT_EQ(text(job, "suspendKeyEditText"), "9999");
  EXPECT_EQ(text(job, "loginNameEditText"), "settings-login");
  EXPECT_EQ(text(job, "passwordEditText"), "settings-pw");
  EXPECT_EQ(text(job, "userNumberEditText"), "");  // login authentication clears the user number
  EXPECT_EQ(text(job, "accountNumberEditText"), "7777");
  EXPECT_EQ(text(job, "userNameEditText"), "Settings User");
  EXPECT_EQ(text(job, "jobNameEditText"), "Settings job");
  EXPECT_EQ(text(job, "folderPasswordEditText"), "66");
  EXPECT_EQ(row(job, "authenticationMatrix"), 0);
  EXPECT_EQ(heldMask(job), 0u);
}

TEST_F(ReaderTest, AHeldFolderNameFillsTheRadioForm) {
  Job job = makeJob("demo-directory.ppd", Dict{{"hold button", 0x100}, {"folder name", "Held folder"}});
  read(job);
  EXPECT_EQ(text(job, "folderNameEditText"), "Held folder");
  EXPECT_EQ(state(job, "folderNameButton"), 1);
  EXPECT_EQ(job.panel.prefHoldButtonFlag, 0u);
}

// A button the user held before the restore is released when neither the settings nor the preferences
// hold the folder name.
TEST_F(ReaderTest, WithoutAFolderNameHoldTheFolderNameIsReleased) {
  Job job = makeJob("demo-directory.ppd", Dict{{"hold button", 0x001}, {"folder name", "Held folder"}});
  set(job, "folderNameButton", "1");
  put(job, "holdButton", "0");
  put(job, "jobSuspend", "2");
  put(job, "filing", "3");
  put(job, "folderPath", upperHex("Sales"));
  read(job);
  EXPECT_EQ(text(job, "folderNameEditText"), "Sales");
  EXPECT_EQ(state(job, "folderNameButton"), 0);
}

TEST_F(ReaderTest, CustomFoldersAreFoundInTheDevicesList) {
  const Dict record{{"files", Value(Array{Value(Dict{{"name", "Alpha"}, {"password", false}}),
                                          Value(Dict{{"name", "Beta"}, {"password", true}})})}};
  const struct {
    const char* ppd;
    std::string folder;
    const char* control;
    long expected;
  } cases[] = {
      {"demo-filing.ppd", "Beta", "folderSelectionPopup", 4},
      {"demo-filing.ppd", "Gone", "folderSelectionPopup", 1},
      {"demo-directory.ppd", "Gone", "folderSelectionMatrix", 2},
  };
  int n = 0;
  for (const auto& c : cases) {
    Job job = makeJob(c.ppd, record, "F" + std::to_string(n++));
    put(job, "jobSuspend", "2");
    put(job, "filing", "3");
    put(job, "folderPath", upperHex(c.folder));
    read(job);
    EXPECT_EQ(c.control == std::string("folderSelectionPopup") ? item(job, c.control) : row(job, c.control),
              c.expected)
        << c.folder;
    EXPECT_EQ(job.panel.folderNameStringRef.utf8(), c.folder);
    if (job.panel.nib()->controlNamed("folderNameEditText")) {
      EXPECT_EQ(text(job, "folderNameEditText"), c.folder);
    }
  }

  // Quick file, and anything else meaning no choice.
  Job job = makeJob("demo-filing.ppd", record, "Q");
  put(job, "jobSuspend", "1");
  for (const auto& [filing, expected] : std::vector<std::pair<std::string, long>>{{"1", 0}, {"2", 1}, {"3", 1}}) {
    put(job, "filing", filing);
    put(job, "folderPath", std::nullopt);
    read(job);
    EXPECT_EQ(item(job, "folderSelectionPopup"), expected) << filing;
  }
}

TEST_F(ReaderTest, AuthenticationRows) {
  const struct {
    std::optional<std::string> stored;
    long row;
  } cases[] = {{std::nullopt, 0}, {"1", 0}, {"0", 1}, {"", 1}, {"2", 1}};
  Job job = makeJob();
  for (const auto& c : cases) {
    put(job, "Authentication", c.stored);
    read(job);
    EXPECT_EQ(row(job, "authenticationMatrix"), c.row) << c.stored.value_or("absent");
  }
}

// The writer's values, read back by the reader, give what was typed.
TEST_F(ReaderTest, WhatTheWriterStoresComesBackExactly) {
  const std::string longFolder = repeat("Folder-", 30);  // 210 bytes, over 127
  // Main folder: quick file would take the pass code out of play. Row 1: user-number authentication.
  const struct {
    const char* field;
    std::string typed;
    std::string expected;
    const char* authenticationRow;
  } fields[] = {
      {"suspendKeyEditText", "7", "7", "0"},
      {"passwordEditText", "0123456789abcdef", "0123456789abcdef", "0"},
      {"passwordEditText", repeat("p", 40), repeat("p", 32), "0"},
      {"userNumberEditText", "0042", "0042", "1"},
      {"accountNumberEditText", "12345678", "12345", "0"},
      {"folderPasswordEditText", "99", "99", "0"},
      {"userNameEditText", "Tab\there \"quoted\"", "Tab\there \"quoted\"", "0"},
      {"jobNameEditText", "Line\nbreak", "Line\nbreak", "0"},
  };
  for (const auto& f : fields) {
    Job job = makeJob();
    set(job, "retentionCheckBox", "1");
    set(job, "suspendMatrix", "0");
    set(job, "folderSelectionPopup", "1");
    set(job, "authenticationMatrix", f.authenticationRow);
    set(job, f.field, f.typed);
    job.panel.writeNonPPDSettingsToPrintSettings();
    set(job, f.field, "changed");
    read(job);
    EXPECT_EQ(text(job, f.field), f.expected) << f.field << " " << f.typed;
  }

  // Login names of every length the writer keeps, the long ones over two keys.
  for (const std::string& login : {std::string("alice"), repeat("L", 200), repeat("M", 255), repeat("N", 300)}) {
    Job job = makeJob();
    set(job, "loginNameEditText", login);
    job.panel.writeNonPPDSettingsToPrintSettings();
    set(job, "loginNameEditText", "changed");
    read(job);
    EXPECT_EQ(text(job, "loginNameEditText"), login.substr(0, 255)) << login.size();
  }

  // Custom folder names over 127 bytes, from the device's list and from the radio form's field.
  const Dict record{{"files", Value(Array{Value(Dict{{"name", longFolder}, {"password", false}})})}};
  {
    Job job = makeJob("demo-filing.ppd", record, "Long");
    set(job, "retentionCheckBox", "1");
    set(job, "folderSelectionPopup", "3");
    job.panel.writeNonPPDSettingsToPrintSettings();
    set(job, "folderSelectionPopup", "1");
    read(job);
    EXPECT_EQ(item(job, "folderSelectionPopup"), 3);
    EXPECT_EQ(job.panel.folderNameStringRef.utf8(), longFolder);
  }
  {
    Job job = makeJob("demo-directory.ppd");
    set(job, "retentionCheckBox", "1");
    set(job, "folderSelectionMatrix", "2");
    set(job, "folderNameEditText", longFolder);
    job.panel.writeNonPPDSettingsToPrintSettings();
    set(job, "folderNameEditText", "changed");
    read(job);
    EXPECT_EQ(row(job, "folderSelectionMatrix"), 2);
    EXPECT_EQ(text(job, "folderNameEditText"), longFolder);
  }

  // The hold buttons.
  {
    Job job = makeJob();
    set(job, "suspendKeyEditText", "1");
    set(job, "passwordEditText", "pw");
    set(job, "userNameEditText", "Jane");
    set(job, "jobNameEditText", "Job");
    for (const char* button : {"suspendKeyButton", "passwordButton", "userNameButton", "jobNameButton"})
      set(job, button, "1");
    set(job, "retentionCheckBox", "1");
    job.panel.writeNonPPDSettingsToPrintSettings();
    for (const char* button : kHoldButtons)
      if (job.panel.nib()->controlNamed(button)) set(job, button, "0");
    read(job);
    EXPECT_EQ(heldMask(job), kHoldSuspendKey | kHoldPassword | kHoldUserName | kHoldJobName);
  }
}

// Names the short key cuts or cannot carry come back whole from the UTF-8 family; names it carries
// whole come back from it with their control characters and quotes.
TEST_F(ReaderTest, UserAndJobNamesComeBackWhole) {
  const struct {
    const char* name;
    const char* field;
    std::string typed;
    std::string expected;
  } cases[] = {
      {"short ASCII", "userNameEditText", "Jane Doe", "Jane Doe"},
      {"quote and TAB kept", "userNameEditText", "Jane \"JD\"\tDoe", "Jane \"JD\"\tDoe"},
      {"longer than 32 characters", "userNameEditText", repeat("abcdefghij", 4), repeat("abcdefghij", 4)},
      {"Japanese on a Western system", "userNameEditText", "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E",
       "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E"},
      {"script change after Latin", "userNameEditText", "Jan \xE5\xB1\xB1\xE7\x94\xB0", "Jan \xE5\xB1\xB1\xE7\x94\xB0"},
      {"Mac Roman letters", "userNameEditText", "Ren\xC3\xA9\xC3\xA7", "Ren\xC3\xA9\xC3\xA7"},
      {"long job name", "jobNameEditText", repeat("Report ", 15), repeat("Report ", 15)},
      {"long job name with a line feed loses it", "jobNameEditText", "Line\n" + repeat("x", 90),
       "Line " + repeat("x", 90)},
      {"job name in Cyrillic", "jobNameEditText", "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82",
       "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82"},
  };
  for (const auto& c : cases) {
    Job job = makeJob();
    set(job, c.field, c.typed);
    job.panel.writeNonPPDSettingsToPrintSettings();
    set(job, c.field, "changed");
    read(job);
    EXPECT_EQ(text(job, c.field), c.expected) << c.name;
  }

  // Without a family (or with a damaged one) the short key's text stands; without a short key, the family's.
  const struct {
    const char* name;
    std::optional<std::string> shortKey;
    std::optional<std::string> family;
    std::string expected;
  } stored[] = {
      {"short key only", upperHex("Jane"), std::nullopt, "Jane"},
      {"damaged family", upperHex("Jane"), "4A6", "Jane"},
      {"family only", std::nullopt, upperHex("Jane Doe"), "Jane Doe"},
      {"family not UTF-8", upperHex("Jane"), upperHex("\xFF\xFE"), "Jane"},
  };
  for (const auto& s : stored) {
    Job job = makeJob();
    put(job, "userName", s.shortKey);
    put(job, "userName31", s.family);
    read(job);
    EXPECT_EQ(text(job, "userNameEditText"), s.expected) << s.name;
  }
}

TEST_F(ReaderTest, SendsTheGroupActionsSoTheRulesHold) {
  // Quick file with retention stored off: the final retention action moves the choice to the main folder.
  Job job = makeJob();
  put(job, "jobSuspend", "0");
  put(job, "filing", "1");
  read(job);
  EXPECT_EQ(item(job, "folderSelectionPopup"), 1);
  // Quick file with retention on forces the hold-only row.
  put(job, "jobSuspend", "2");
  read(job);
  EXPECT_EQ(item(job, "folderSelectionPopup"), 0);
  EXPECT_EQ(row(job, "suspendMatrix"), 1);
}

TEST_F(ReaderTest, NothingHappensWithoutPrintSettings) {
  Job job = makeJob();
  set(job, "passwordEditText", "kept");
  job.host.hasSettings = false;
  read(job);
  EXPECT_EQ(text(job, "passwordEditText"), "kept");
}

}  // namespace
