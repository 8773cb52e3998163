#include "util/ppd_encoding.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_ppd.h"
#include "util/ppd_access.h"

namespace {

TEST(PPDEncoding, LanguageEncodingTable) {
  // libcups reports "UTF-8" for every file it loads, so the table is checked on records made here.
  struct Case {
    const char* encoding;
    platform::NSStringEncoding expected;
  };
  const Case cases[] = {
      {nullptr, 30},       {"ISOLatin1", 5}, {"WindowsANSI", 12}, {"JIS83-RKSJ", 8}, {"UTF-8", 4},
      {"UTF8", 4},         {"utf-8", 30},    {"isolatin1", 30},   {"MacStandard", 30}, {"", 30},
  };
  for (const Case& c : cases) {
    ppd_file_t record{};
    record.lang_encoding = const_cast<char*>(c.encoding);
    EXPECT_EQ(getEncodingFromPPD(&record), c.expected) << (c.encoding ? c.encoding : "(none)");
  }
  EXPECT_EQ(getEncodingFromPPD(nullptr), 30u);
}

class SystemVersion : public ::testing::Test {
 protected:
  void TearDown() override {
    setSystemVersionFileForTesting("/System/Library/CoreServices/SystemVersion.plist");
    std::filesystem::remove(file_);
  }
  void write(const std::string& productVersion) {
    std::ofstream(file_) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                         << "<key>ProductVersion</key><string>" << productVersion << "</string></dict></plist>\n";
    setSystemVersionFileForTesting(file_);
  }
  std::filesystem::path file_ = std::filesystem::temp_directory_path() / ("ondrix-version-" + std::to_string(getpid()));
};

TEST_F(SystemVersion, ReleaseComparison) {
  struct Case {
    const char* version;
    bool leopardOrLater;
  };
  const Case cases[] = {{"10.4.11", false}, {"10.5", true},   {"11.0", true}, {"12.6.1", true},
                        {"10", false},      {"10.4.99", false}, {"9.9", false}, {" 10.6", true}};
  for (const Case& c : cases) {
    write(c.version);
    EXPECT_EQ(runningOnLeopardOrLater(), c.leopardOrLater) << c.version;
  }
}

TEST_F(SystemVersion, MissingPartsKeepTheirDefaults) {
  write("12");
  std::int32_t major = 1, minor = 2, micro = 3;
  get_system_version(&major, &minor, &micro);
  EXPECT_EQ(major, 12);
  EXPECT_EQ(minor, 2);
  EXPECT_EQ(micro, 3);

  setSystemVersionFileForTesting("/nonexistent/SystemVersion.plist");
  major = 7;
  get_system_version(&major, &minor, &micro);
  EXPECT_EQ(major, 7);
  EXPECT_FALSE(runningOnLeopardOrLater());
}

TEST(PPDAccess, FeatureAttributesAsLibcupsGivesThem) {
  testsupport::TempPPD ppdText("*KxDocumentFiling: False\n*KxHDDOption: \"True\"\n*KxActiveDirectory: \"\"\n");
  ppd::FilePtr ppd = ppd::openFile(ppdText.path());
  ASSERT_TRUE(ppd);
  EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxDocumentFiling"), "False");
  EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxHDDOption"), "True");
  EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxActiveDirectory"), "");
  EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxOndrixPrintSystem"), std::nullopt);
}

}  // namespace
