// The record's read-modify-write as every save does it: under the domain's lock.
#include "prefs/preference_domain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/defaults.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using platform::Text;
using platform::UserDefaults;
using platform::plist::Dict;
using testsupport::ScratchDir;
using testsupport::writeFile;

// A writer killed between making its temporary file and renaming it leaves the file behind, holding a copy
// of the record; the next save holds the lock, so no one else is writing that domain, and clears them away.
TEST(PreferenceDomain, ASaveRemovesTheDomainsStaleTemporaryFiles) {
  ScratchDir dir;
  UserDefaults::setStandardFolderForTesting(dir.path());
  const std::vector<std::string> stale{".ondrix.mfp.Q.plist.AbC123", ".ondrix.mfp.Q.plist.zzzzzz"};
  // Another domain's, a longer domain name's, not a temporary name, a damaged file kept for the user.
  const std::vector<std::string> others{".ondrix.mfp.Q2.plist.AbC123", ".ondrix.mfp.Q.plist.plist.AbC123",
                                        ".ondrix.mfp.Q.plist.AbC1234", "ondrix.mfp.Q.plist.corrupt-1"};
  for (const auto& name : stale) writeFile(dir.path() / name, "copy of the record");
  for (const auto& name : others) writeFile(dir.path() / name, "not ours");

  ASSERT_TRUE(prefs::updateRecord(Text::fromUtf8("ondrix.mfp.Q"), [](Dict& record) { record["a"] = 1; }));
  for (const auto& name : stale) EXPECT_FALSE(fs::exists(dir.path() / name)) << name;
  for (const auto& name : others) EXPECT_TRUE(fs::exists(dir.path() / name)) << name;
  const auto record = prefs::loadRecord(Text::fromUtf8("ondrix.mfp.Q"));
  ASSERT_TRUE(record);
  EXPECT_EQ(*record, (Dict{{"a", 1}}));
  UserDefaults::setStandardFolderForTesting({});
}

}  // namespace
