// The device's folder list in the per-printer record: loaded at creation, stored after each query.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/defaults.h"
#include "toolkits/headless/headless_toolkit.h"
#include "plugin/panel.h"
#include "support/panel_fixture.h"

namespace {

using platform::UserDefaults;
using platform::plist::Array;
using platform::plist::Dict;
using platform::plist::Value;

const std::string kModel = "Ondrix MX-4070";  // demo-filing.ppd

Dict storedFolder(const std::string& name, bool password) {
  return Dict{{"name", Value(name)}, {"password", Value(password)}, {"dir", Value(false)}, {"add", Value(false)}};
}

FolderEntry folder(const std::string& name, bool password) {
  return FolderEntry{.name = name, .password = password, .dir = false, .add = false};
}

// The stored form of a list, spelled out field by field.
Value storedList(const FolderList& list) {
  Array files;
  for (const FolderEntry& entry : list) {
    Dict stored;
    if (entry.name) stored["name"] = Value(*entry.name);
    if (entry.password) stored["password"] = Value(*entry.password);
    if (entry.dir) stored["dir"] = Value(*entry.dir);
    if (entry.add) stored["add"] = Value(*entry.add);
    files.emplace_back(std::move(stored));
  }
  return Value(std::move(files));
}

class FolderPreferencesTest : public testsupport::PanelFixture {
 protected:
  UserDefaults store() { return UserDefaults(scratch() / "prefs"); }
  void storeRecord(const Dict& extra) {
    Dict record{{"Model Name", kModel}, {"Release Number", "2.00"}};
    for (const auto& [key, value] : extra) record[key] = value;
    const Dict stored{{"Job Handling", Value(record)}, {"Other", "kept"}};
    ASSERT_TRUE(store().setPersistentDomain(stored, "ondrix.mfp.Demo"));
  }
  Dict domain() { return store().persistentDomainForName("ondrix.mfp.Demo").value_or(Dict{}); }
  Dict record() {
    const Dict d = domain();
    const Value* r = platform::plist::find(d, "Job Handling");
    return r && r->dict() ? *r->dict() : Dict{};
  }
};

TEST_F(FolderPreferencesTest, CreationLoadsTheStoredListInOrder) {
  const Array three{Value(storedFolder("Zeta", true)), Value(storedFolder("Alpha", false)),
                    Value(storedFolder("Mid", false))};
  const struct {
    const char* name;
    std::optional<Value> files;
    FolderList expected;
  } cases[] = {
      {"no list yet", std::nullopt, {}},
      {"three entries", Value(three), {folder("Zeta", true), folder("Alpha", false), folder("Mid", false)}},
      {"empty list", Value(Array{}), {}},
      {"entries that are no folders are skipped", Value(Array{Value("x"), Value(storedFolder("A", true)), Value(3)}),
       {folder("A", true)}},
      {"a list of the wrong type", Value("files"), {}},
  };
  for (const auto& c : cases) {
    Dict extra;
    if (c.files) extra["files"] = *c.files;
    storeRecord(extra);
    OndrixPrintPdeTarvel& panel = makePanel(makeHost());
    ASSERT_TRUE(panel.folderList.has_value()) << c.name;
    EXPECT_EQ(*panel.folderList, c.expected) << c.name;
  }
}

// The file is the user's to edit and may be damaged: a field of the wrong type reads as an absent field,
// and a name that is not UTF-8 is never handed on as it is.
TEST_F(FolderPreferencesTest, StoredEntriesOfTheWrongShapeReadAsAbsentFields) {
  const Dict wrongTypes{{"name", Value(7)}, {"password", Value("true")}, {"dir", Value(1)},
                        {"add", Value(platform::plist::Data{1})}, {"extra", Value("x")}};
  const Dict badName{{"name", Value(std::string("Sa\xffles\xc3"))}, {"password", Value(true)}};
  storeRecord({{"files", Value(Array{Value(wrongTypes), Value(badName), Value(storedFolder("Legal", true))})}});

  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  ASSERT_TRUE(panel.folderList.has_value());
  const FolderEntry repaired{.name = std::string("Sa\xef\xbf\xbdles\xef\xbf\xbd"), .password = true};
  EXPECT_EQ(*panel.folderList, (FolderList{FolderEntry{}, repaired, folder("Legal", true)}));
}

// Entries the panel wrote are taken whole, any other is repaired field by field; either way a name loads
// as its round trip through a text gives it, and only boolean flags and known keys stay.
TEST(FolderEntries, EveryStoredNameLoadsAsItsTextGivesIt) {
  const std::string names[] = {"",
                               "Plain",
                               "Ünïcode 日本",
                               "emoji \xf0\x9f\x98\x80",
                               std::string("nul\0in", 6),
                               "nonchar \xef\xbf\xbe",
                               "overlong \xc0\xaf",
                               "surrogate \xed\xa0\x80",
                               "beyond \xf4\x90\x80\x80",
                               "cut \xe6\x97",
                               "lone \x80",
                               "\xff"};
  const Dict others[] = {{},
                         {{"password", Value(true)}, {"dir", Value(false)}, {"add", Value(false)}},
                         {{"password", Value(1)}, {"dir", Value(true)}},
                         {{"add", Value(true)}, {"extra", Value("x")}}};
  for (const auto& name : names) {
    for (const auto& other : others) {
      Dict stored = other;
      stored["name"] = Value(name);
      Dict expected{{"name", Value(platform::Text::fromUtf8(name).utf8())}};
      for (const auto& [key, value] : other) {
        if (value.boolean()) expected[key] = value;
      }
      const FolderEntry entry = folders::entryFromStored(stored);
      EXPECT_EQ(folders::toStored(entry), expected) << name << " with " << other.size() << " others";
      // The save's unchanged-list check must agree with comparing the stored forms.
      EXPECT_EQ(folders::isStoredAs(stored, entry), stored == expected) << name << " with " << other.size();
      EXPECT_TRUE(folders::isStoredAs(expected, entry)) << name << " with " << other.size() << " others";
    }
  }
}

TEST_F(FolderPreferencesTest, APanelWithoutRecordOrDomainKeepsItsList) {
  auto host = makeHost();
  host->constraintHandling = false;  // no PPD, no domain
  OndrixPrintPdeTarvel& panel = makePanel(host);
  EXPECT_FALSE(panel.folderList.has_value());
  panel.folderList = FolderList{folder("Mine", false)};
  panel.GetFolderPreference();
  EXPECT_EQ(panel.folderList, (FolderList{folder("Mine", false)}));
  EXPECT_FALSE(panel.SaveFolderPreference());
}

TEST_F(FolderPreferencesTest, SavingStoresTheAddressAndReplacesTheListWhole) {
  const struct {
    const char* name;
    std::string address;
    std::optional<FolderList> list;
    Value expectedFiles;
  } cases[] = {
      {"new list replaces the old", "192.0.2.7", FolderList{folder("B", true), folder("A", false)},
       Value(Array{Value(storedFolder("B", true)), Value(storedFolder("A", false))})},
      {"empty list replaces the old", "", FolderList{}, Value(Array{})},
      {"no list leaves the stored one", "host.example", std::nullopt, Value(Array{Value(storedFolder("Old", false))})},
  };
  for (const auto& c : cases) {
    storeRecord(Dict{{"files", Value(Array{Value(storedFolder("Old", false))})},
                     {"address", "old address"},
                     {"user name", "Jane"},
                     {"hold button", 8}});
    OndrixPrintPdeTarvel& panel = makeViewedPanel();
    headless::set(control(panel, "printersAddressEditText"), c.address);
    panel.folderList = c.list;
    ASSERT_TRUE(panel.SaveFolderPreference()) << c.name;
    const Dict r = record();
    EXPECT_EQ(r.at("address"), Value(c.address)) << c.name;
    EXPECT_EQ(r.at("files"), c.expectedFiles) << c.name;
    // The user's values and the rest of the domain stay.
    EXPECT_EQ(r.at("user name"), Value("Jane")) << c.name;
    EXPECT_EQ(r.at("hold button"), Value(8)) << c.name;
    EXPECT_EQ(r.at("Model Name"), Value(kModel)) << c.name;
    EXPECT_EQ(domain().at("Other"), Value("kept")) << c.name;
  }
}

// A save compares the list with the stored one before it copies anything: an equal list and address are
// not written again, and a list that differs in any field of any entry is.
TEST_F(FolderPreferencesTest, OnlyAListThatDiffersIsWritten) {
  const FolderList stored{folder("A", true), folder("B", false)};
  FolderList flagged = stored;
  flagged[1].dir = true;
  const struct {
    const char* name;
    FolderList list;
    bool written;
  } cases[] = {
      {"the same list", stored, false},
      {"one flag differs", flagged, true},
      {"one entry more", FolderList{folder("A", true), folder("B", false), folder("C", false)}, true},
      {"the same entries in another order", FolderList{folder("B", false), folder("A", true)}, true},
  };
  for (const auto& c : cases) {
    storeRecord(Dict{{"files", storedList(stored)}, {"address", "a"}});
    OndrixPrintPdeTarvel& panel = makeViewedPanel();
    headless::set(control(panel, "printersAddressEditText"), "a");
    panel.folderList = c.list;
    const auto writes = UserDefaults::writeCount();
    ASSERT_TRUE(panel.SaveFolderPreference()) << c.name;
    EXPECT_EQ(UserDefaults::writeCount(), writes + (c.written ? 1 : 0)) << c.name;
    EXPECT_EQ(record().at("files"), storedList(c.list)) << c.name;
  }
}

TEST_F(FolderPreferencesTest, ASavedListComesBackInTheNextPanel) {
  OndrixPrintPdeTarvel& first = makeViewedPanel();
  first.folderList = FolderList{folder("Ünïcode 日本", true), folder("Plain", false)};
  ASSERT_TRUE(first.SaveFolderPreference());
  OndrixPrintPdeTarvel& second = makePanel(makeHost());
  EXPECT_EQ(second.folderList, first.folderList);
}

TEST_F(FolderPreferencesTest, ResetForAnotherModelDropsTheList) {
  storeRecord(Dict{{"files", Value(Array{Value(storedFolder("Old", false))})}, {"address", "a"}});
  OndrixPrintPdeTarvel& panel = makePanel(makeHost("demo-nofiling.ppd"));
  ASSERT_TRUE(panel.folderList.has_value());
  EXPECT_TRUE(panel.folderList->empty());
  EXPECT_EQ(platform::plist::find(record(), "files"), nullptr);
  EXPECT_EQ(platform::plist::find(record(), "address"), nullptr);
}

}  // namespace
