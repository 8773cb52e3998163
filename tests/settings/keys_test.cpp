// The writer's key table against the writer itself: every key a save can write is listed exactly once,
// as secret or public; every family reaches its last listed member; and every key whose value follows
// from a credential or a name is secret, so that a queue set up from the table hides all of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "plugin/panel.h"
#include "settings/keys.h"
#include "support/panel_fixture.h"

namespace {

using testsupport::repeat;

// "Tue, 5 Mar 2024 09:07:03 +0530" and "Wed, 6 Mar 2024 10:08:04 +0100" as stored.
const std::string kSpoolTime = "5475652C2035204D617220323032342030393A30373A3033202B30353330";
const std::string kOtherSpoolTime = "5765642C2036204D617220323032342031303A30383A3034202B30313030";

const char* const kDemoModels[] = {"demo-filing.ppd", "demo-nofiling.ppd", "demo-printsystem.ppd",
                                   "demo-directory.ppd"};

// Inputs at the limits of what the writer keeps, so that each family is as long as it can become.
const std::map<std::string, std::string> kLongest = {
    {"suspendKeyEditText", "12345678"},
    {"loginNameEditText", repeat("L", 1600)},
    {"passwordEditText", repeat("p", 200)},
    {"userNumberEditText", "87654321"},
    {"accountNumberEditText", "13579"},
    {"userNameEditText", repeat("U", 200)},
    {"jobNameEditText", repeat("J", 500)},
    {"folderPasswordEditText", "24680"},
    {"folderNameEditText", repeat("F", 1529)},
};

class KeyTableTest : public testsupport::PanelFixture {
 protected:
  // One save of a fresh panel of the model with retention on (a custom folder where the model names one
  // by text), the given field values, and the authentication choice; the keys and values written.
  std::map<std::string, std::string> save(const std::string& model, const std::map<std::string, std::string>& fields,
                                          const std::string& spoolTime) {
    auto host = makeHost(model);
    host->settings.setValue(std::string(settingskeys::kPrefix) + "spoolTime", spoolTime);
    OndrixPrintPdeTarvel& panel = makePanel(host);
    panel.panelView();
    std::map<std::string, std::string> values = fields;
    values["retentionCheckBox"] = "1";
    values["suspendMatrix"] = "0";
    values["folderSelectionMatrix"] = "2";
    values["authenticationRadioButton"] = "1";
    for (const auto& [name, value] : values) {
      ui::Control* c = panel.nib()->controlNamed(name);
      if (c) {
        EXPECT_TRUE(headless::set(*c, value)) << name;
      }
    }
    panel.writeNonPPDSettingsToPrintSettings();
    EXPECT_TRUE(panel.lastSaveWrote);
    return {host->settings.values().begin(), host->settings.values().end()};
  }
};

TEST_F(KeyTableTest, EveryKeyTheWriterWritesIsListedOnceAndFamiliesEndWhereListed) {
  const std::vector<std::string> secret = settingskeys::keyNames(true);
  const std::vector<std::string> open = settingskeys::keyNames(false);
  std::set<std::string> listed;
  for (const auto* names : {&secret, &open})
    for (const std::string& name : *names) EXPECT_TRUE(listed.insert(name).second) << name << " listed twice";

  std::set<std::string> written;
  for (const char* model : kDemoModels) {
    SCOPED_TRACE(model);
    for (const auto& [key, value] : save(model, kLongest, kSpoolTime)) {
      EXPECT_TRUE(listed.count(key)) << key << " is written but neither secret nor public";
      written.insert(key);
    }
  }
  // A family listed longer than the writer makes it would name keys no job has; shorter is caught above.
  for (const settingskeys::Key& key : settingskeys::writerKeys()) {
    const std::string last = std::string(settingskeys::kPrefix) + std::string(key.name) +
                             (key.members > 0 ? std::to_string(key.members) : "");
    EXPECT_TRUE(written.count(last)) << last << " is listed but never written";
  }
}

// Keys whose values differ between a job with credentials and names and one without carry them: each must
// be secret. The spool time is secret too, being the key of every spool-key value.
TEST_F(KeyTableTest, EveryKeyThatCarriesACredentialOrNameIsSecret) {
  const std::vector<std::string> secretNames = settingskeys::keyNames(true);
  const std::set<std::string> secret(secretNames.begin(), secretNames.end());
  const std::map<std::string, std::string> typical = {
      {"suspendKeyEditText", "4711"},   {"loginNameEditText", "operator"}, {"passwordEditText", "pa55word"},
      {"userNumberEditText", "42"},     {"accountNumberEditText", "777"}, {"userNameEditText", "Erika"},
      {"jobNameEditText", "Report"},    {"folderPasswordEditText", "99"},  {"folderNameEditText", "Team"},
  };
  for (const char* model : kDemoModels) {
    SCOPED_TRACE(model);
    for (const auto& fields : {typical, kLongest}) {
      // Two spool times: keys derived from it change too.
      const auto with = save(model, fields, kSpoolTime);
      std::map<std::string, std::string> blank = fields;
      for (auto& [name, value] : blank)
        if (name != "folderNameEditText") value.clear();
      const auto without = save(model, blank, kOtherSpoolTime);
      std::set<std::string> keys;
      for (const auto* values : {&with, &without})
        for (const auto& entry : *values) keys.insert(entry.first);
      for (const std::string& key : keys) {
        const auto a = with.find(key);
        const auto b = without.find(key);
        const bool same = a != with.end() && b != without.end() && a->second == b->second;
        if (!same) {
          EXPECT_TRUE(secret.count(key)) << key << " carries a credential or name but is public";
        }
      }
    }
  }
  EXPECT_TRUE(secret.count(std::string(settingskeys::kPrefix) + "spoolTime"));
}

}  // namespace
