// The demo PPDs shipped in the bundle: each opens with libcups, carries the attributes the panel reads with
// the values it compares against, and passes cupstestppd where that program is installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/encoding.h"
#include "util/ppd_access.h"

namespace {

namespace fs = std::filesystem;

struct DemoPpd {
  const char* file;
  const char* modelName;
  const char* nickName;  // as libcups gives it: converted to UTF-8
  const char* languageEncoding;
  std::optional<std::string> documentFiling;
  std::optional<std::string> printSystem;
  std::optional<std::string> activeDirectory;
  std::optional<std::string> hddOption;
};

const DemoPpd kDemoPpds[] = {
    {"demo-filing.ppd", "Ondrix MX-4070", "Ondrix MX-4070 B\u00FCrodrucker", "UTF-8", "True", "False", "False",
     "True"},
    {"demo-nofiling.ppd", "Ondrix MX-2010", "Ondrix MX-2010 Imprimante s\u00E9rie", "ISOLatin1", "False",
     std::nullopt, std::nullopt, "False"},
    {"demo-printsystem.ppd", "Ondrix BP-70", "Ondrix BP-70", "ISOLatin1", "True", "True", std::nullopt, "True"},
    {"demo-directory.ppd", "Ondrix MX-8090", "Ondrix MX-8090", "ISOLatin1", "True", std::nullopt, "True", "True"},
};

fs::path sourcePpd(const char* file) { return fs::path(ONDRIX_SOURCE_DIR) / "resources" / "ppd" / file; }

TEST(DemoPpdTest, TheBundleCarriesEveryDemoPpd) {
  for (const DemoPpd& demo : kDemoPpds) {
    EXPECT_TRUE(fs::is_regular_file(fs::path(ONDRIX_RESOURCE_DIR) / "ppd" / demo.file)) << demo.file;
  }
}

TEST(DemoPpdTest, AttributesHoldTheValuesThePanelCompares) {
  for (const DemoPpd& demo : kDemoPpds) {
    SCOPED_TRACE(demo.file);
    ppd::FilePtr ppd = ppd::openFile(sourcePpd(demo.file).string());
    ASSERT_NE(ppd, nullptr);
    EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxDocumentFiling"), demo.documentFiling);
    EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxOndrixPrintSystem"), demo.printSystem);
    EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxActiveDirectory"), demo.activeDirectory);
    EXPECT_EQ(ppd::findAttrValue(ppd.get(), "KxHDDOption"), demo.hddOption);
    EXPECT_EQ(ppd::findAttrValue(ppd.get(), "LanguageEncoding"), demo.languageEncoding);

    // The model name is plain ASCII, so it decodes the same in every encoding the panel may pick.
    ASSERT_NE(ppd->modelname, nullptr);
    EXPECT_STREQ(ppd->modelname, demo.modelName);
    EXPECT_EQ(platform::createWithBytesNS(ppd->modelname, platform::kNSASCIIStringEncoding).utf8(),
              demo.modelName);
    ASSERT_NE(ppd->nickname, nullptr);
    EXPECT_STREQ(ppd->nickname, demo.nickName);

    // A page size the printing system can use, and choices for the kit to list.
    ppd_option_t* pageSize = ppd::findOption(ppd.get(), "PageSize");
    ASSERT_NE(pageSize, nullptr);
    EXPECT_GE(pageSize->num_choices, 2);
    EXPECT_NE(ppd::findChoice(pageSize, pageSize->defchoice), nullptr);
  }
}

TEST(DemoPpdTest, CupsTestPpdPasses) {
  const char* program = "/usr/bin/cupstestppd";
  if (!fs::exists(program)) GTEST_SKIP() << "cupstestppd is not installed";
  for (const DemoPpd& demo : kDemoPpds) {
    const std::string command = std::string(program) + " -q '" + sourcePpd(demo.file).string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
}

}  // namespace
