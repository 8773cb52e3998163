// Bundle: resource lookup and its bounds, the strings table through gettext, and the bundle of a library.
//
// Translations come from a catalogue each test compiles into its own temporary bundle, and the language is
// chosen with LANGUAGE under the C.UTF-8 locale (glibc ignores LANGUAGE only under plain "C"), so the
// results depend neither on the user's locale nor on the shipped catalogues.
#include "platform/bundle.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_bundle.h"

namespace {

namespace fs = std::filesystem;
using platform::Bundle;
using platform::Text;
using platform::operator""_t;
using testsupport::TempBundle;

constexpr const char* kDomain = "ondrix-test";

// Chooses the catalogue language for the test and restores the process's locale and LANGUAGE afterwards.
class TranslationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(language_.ready()); }
  void useLanguage(const char* language) const { language_.use(language); }

 private:
  testsupport::CatalogueLanguage language_;
};

TEST(Bundle, ResourceLookup) {
  TempBundle temp;
  temp.write("listfiles2.xml", "<request/>");
  temp.write("space.png", "");
  temp.write("notes", "plain");
  fs::create_directories(temp.resources() / "folder.xml");
  temp.write("../secret.xml", "outside");
  const Bundle bundle(temp.path());
  EXPECT_EQ(bundle.resourcePath(), temp.resources());

  struct Case {
    const char* name;
    const char* type;
    bool found;
  };
  const Case cases[] = {
      {"listfiles2", "xml", true},
      {"space", "png", true},
      {"notes", "", true},
      {"listfiles2.xml", "", true},
      {"listfiles2", "", false},
      {"listfiles2", "XML", false},
      {"missing", "xml", false},
      {"folder", "xml", false},  // a directory is no resource
      {"", "xml", false},
      {"../secret", "xml", false},
      {"../Resources/listfiles2", "xml", false},
      {"sub/listfiles2", "xml", false},
      {"listfiles2", "/xml", false},
      {"..", "", false},
  };
  for (const Case& c : cases) {
    const auto path = bundle.pathForResource(c.name, c.type);
    EXPECT_EQ(path.has_value(), c.found) << c.name << "." << c.type;
    if (path && c.found) {
      EXPECT_EQ(path->parent_path(), temp.resources()) << c.name << "." << c.type;
    }
  }
}

TEST(Bundle, ResourceContentsAreBounded) {
  TempBundle temp;
  const std::string request = std::string("<soap>\0\xFF</soap>", 15);
  temp.write("listfiles2.xml", request);
  temp.write("space.png", "");
  temp.write("limit.bin", "");
  temp.write("huge.bin", "");
  fs::resize_file(temp.resources() / "limit.bin", 16u << 20);
  fs::resize_file(temp.resources() / "huge.bin", (16u << 20) + 1);
  const Bundle bundle(temp.path());

  const auto contents = bundle.contentsOfResource("listfiles2", "xml");
  ASSERT_TRUE(contents.has_value());
  EXPECT_EQ(std::string(contents->begin(), contents->end()), request);

  // An empty file is an empty resource, not a missing one.
  const auto empty = bundle.contentsOfResource("space", "png");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());

  const auto limit = bundle.contentsOfResource("limit", "bin");
  ASSERT_TRUE(limit.has_value());
  EXPECT_EQ(limit->size(), 16u << 20);
  EXPECT_FALSE(bundle.contentsOfResource("huge", "bin").has_value());
  EXPECT_FALSE(bundle.contentsOfResource("missing", "xml").has_value());
}

TEST_F(TranslationTest, StringsTable) {
  TempBundle temp;
  temp.addCatalogue("de",
                    "msgid \"Information\"\nmsgstr \"Hinweis\"\n\n"
                    "msgid \"Pass Code\"\nmsgstr \"Kenncode\"\n\n"
                    "msgid \"Please confirm the following setting items.\\nLogin Name\\nUser Number%@\"\n"
                    "msgstr \"Bitte folgende Einstellungen prüfen.\\nAnmeldename\\nBenutzernummer%@\"\n",
                    kDomain);
  temp.addCatalogue("ja", "msgid \"Information\"\nmsgstr \"情報\"\n", kDomain);
  const Bundle bundle(temp.path(), kDomain);

  struct Case {
    const char* language;
    Text key;
    Text value;
    Text expected;
  };
  const Case cases[] = {
      {"de", "Information"_t, Text::empty(), "Hinweis"_t},
      {"de", "Information"_t, "Default"_t, "Hinweis"_t},
      {"de", "Pass Code"_t, Text(), "Kenncode"_t},
      {"de", "Please confirm the following setting items.\nLogin Name\nUser Number%@"_t, Text::empty(),
       "Bitte folgende Einstellungen prüfen.\nAnmeldename\nBenutzernummer%@"_t},
      {"ja", "Information"_t, Text::empty(), "情報"_t},
      // No translation: the value when there is one, else the key.
      {"de", "Job Handling"_t, Text::empty(), "Job Handling"_t},
      {"de", "Job Handling"_t, "Auftrag"_t, "Auftrag"_t},
      {"ja", "Pass Code"_t, Text(), "Pass Code"_t},
      {"de", "information"_t, Text::empty(), "information"_t},
      {"fr", "Information"_t, Text::empty(), "Information"_t},
      // Keys gettext must not see: the empty key names the catalogue header, a zero character cuts it.
      {"de", Text::empty(), Text::empty(), Text::empty()},
      {"de", Text::empty(), "Default"_t, "Default"_t},
      {"de", Text(), Text(), Text::empty()},
      {"de", Text::fromUtf16(std::u16string(u"Information\0x", 13)), Text::empty(),
       Text::fromUtf16(std::u16string(u"Information\0x", 13))},
  };
  for (const Case& c : cases) {
    useLanguage(c.language);
    const Text result = bundle.localizedStringForKey(c.key, c.value);
    EXPECT_EQ(result, c.expected) << c.language << " " << c.key.utf8() << " -> " << result.utf8();
    EXPECT_FALSE(result.isNone()) << c.language << " " << c.key.utf8();
  }
}

TEST_F(TranslationTest, BundlesSharingADomainKeepTheirOwnCatalogues) {
  TempBundle first("First.plugin");
  TempBundle second("Second.plugin");
  first.addCatalogue("de", "msgid \"OK\"\nmsgstr \"Gut\"\n", kDomain);
  second.addCatalogue("de", "msgid \"OK\"\nmsgstr \"Einverstanden\"\n", kDomain);
  const Bundle a(first.path(), kDomain);
  const Bundle b(second.path(), kDomain);
  useLanguage("de");

  // Alternating, so that each lookup must rebind the domain.
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(a.localizedStringForKey("OK"_t), "Gut"_t) << round;
    EXPECT_EQ(b.localizedStringForKey("OK"_t), "Einverstanden"_t) << round;
  }
}

TEST(Bundle, BundlePathOfLibrary) {
  struct Case {
    const char* library;
    const char* bundle;  // nullptr: none
  };
  const Case cases[] = {
      {"/opt/x/OndrixJobHandling.plugin/Contents/Linux/libondrix-pde.so", "/opt/x/OndrixJobHandling.plugin"},
      {"/b/Other/Contents/Linux/libx.so", "/b/Other"},
      {"/b/Other.plugin/Contents/Linux/libx.so.2", nullptr},
      {"/b/Other.plugin/Contents/MacOS/libx.so", nullptr},
      {"/b/Other.plugin/Linux/libx.so", nullptr},
      {"/b/Other.plugin/contents/Linux/libx.so", nullptr},
      {"/usr/lib/libx.so", nullptr},
      {"/Contents/Linux/libx.so", nullptr},
      {"Contents/Linux/libx.so", nullptr},
      {"/usr/bin/platform_bundle_test", nullptr},
  };
  for (const Case& c : cases) {
    const auto bundle = Bundle::bundlePathOfLibrary(c.library);
    EXPECT_EQ(bundle.has_value(), c.bundle != nullptr) << c.library;
    if (bundle && c.bundle) {
      EXPECT_EQ(*bundle, fs::path(c.bundle)) << c.library;
    }
  }
}

TEST(Bundle, BundleContainingAnAddress) {
  // This program is no bundle.
  EXPECT_EQ(Bundle::bundleContaining(reinterpret_cast<const void*>(&Bundle::bundlePathOfLibrary)), nullptr);
  EXPECT_EQ(Bundle::bundleContaining(nullptr), nullptr);

  // The built plug-in is: its one visible entry point lies in its bundle's library.
  const fs::path library = fs::path(ONDRIX_BUNDLE_DIR) / "Contents" / "Linux" / "libondrix-pde.so";
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  void* entry = dlsym(handle, "OndrixPDEPlugInCreate");
  ASSERT_NE(entry, nullptr);
  const auto bundle = Bundle::bundleContaining(entry);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(bundle->bundlePath(), fs::canonical(ONDRIX_BUNDLE_DIR));
  EXPECT_EQ(bundle->resourcePath(), fs::canonical(ONDRIX_BUNDLE_DIR) / "Contents" / "Resources");
  dlclose(handle);
}

}  // namespace
