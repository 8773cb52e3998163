#include <gtest/gtest.h>

#include "plugin/plugin.h"
#include "support/panel_fixture.h"
#include "support/temp_ppd.h"

namespace {

using platform::Text;
using testsupport::FakeHost;
using testsupport::TempPPD;

class PanelCreation : public testsupport::PanelFixture {
 protected:
  OndrixPrintPdeTarvel& panelFor(const std::string& ppdLines, std::optional<std::string> uri = std::nullopt,
                                 const std::string& queue = "Q") {
    ppds_.push_back(std::make_unique<TempPPD>(ppdLines));
    auto host = std::make_shared<FakeHost>(ppds_.back()->path(), queue, std::move(uri));
    hosts_.push_back(host);
    return makePanel(host);
  }

 private:
  std::vector<std::unique_ptr<TempPPD>> ppds_;
  std::vector<std::shared_ptr<FakeHost>> hosts_;
};

TEST_F(PanelCreation, FactoryAnswersOnlyThePrintDialog) {
  OndrixPrintPdeTarvelPDEPlugIn plugIn;
  EXPECT_TRUE(plugIn.initWithBundle(bundle().get()));
  auto host = makeHost();

  auto first = plugIn.PDEPanelsForType(Text::fromUtf8(kPrintDialogType), host);
  auto second = plugIn.PDEPanelsForType(Text::fromUtf8(kPrintDialogType), host);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->size(), 1u);
  ASSERT_EQ(second->size(), 1u);
  EXPECT_NE(first->front(), second->front());

  for (const char* other : {"bdb091f4-e57f-11d3-b5cc-0050e4603277", "BDB091F4-E57F-11D3-B5CC-0050E4603278",
                            "PageSetupDialog", ""}) {
    auto panels = plugIn.PDEPanelsForType(Text::fromUtf8(other), host);
    ASSERT_TRUE(panels) << other;
    EXPECT_TRUE(panels->empty()) << other;
  }
  auto none = plugIn.PDEPanelsForType(Text(), host);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

TEST_F(PanelCreation, FeatureAttributesAreComparedExactly) {
  struct Case {
    std::string lines;
    int filing, printSystem, directory, hdd;
  };
  const Case cases[] = {
      {"", 1, 0, 0, 0},
      {"*KxDocumentFiling: True\n", 1, 0, 0, 0},
      {"*KxDocumentFiling: TRUE\n", 1, 0, 0, 0},
      {"*KxDocumentFiling: true\n", 0, 0, 0, 0},
      {"*KxDocumentFiling: False\n", 0, 0, 0, 0},
      {"*KxOndrixPrintSystem: False\n", 1, 0, 0, 0},
      {"*KxOndrixPrintSystem: FALSE\n", 1, 0, 0, 0},
      {"*KxOndrixPrintSystem: false\n", 1, 1, 0, 0},
      {"*KxOndrixPrintSystem: \"\"\n", 1, 1, 0, 0},
      {"*KxOndrixPrintSystem: True\n", 1, 1, 0, 0},
      {"*KxActiveDirectory: True\n*KxHDDOption: TRUE\n", 1, 0, 1, 1},
      {"*KxActiveDirectory: true\n*KxHDDOption: False\n", 1, 0, 0, 0},
      {"*KxActiveDirectory: Yes\n*KxHDDOption: 1\n", 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    OndrixPrintPdeTarvel& panel = panelFor(c.lines);
    EXPECT_EQ(panel.document_filing_model, c.filing) << c.lines;
    EXPECT_EQ(panel.ondrix_print_system, c.printSystem) << c.lines;
    EXPECT_EQ(panel.active_directory, c.directory) << c.lines;
    EXPECT_EQ(panel.ppdHDDOptionFlag, c.hdd) << c.lines;
  }
}

TEST_F(PanelCreation, PrinterAddressComesFromNetworkSchemesOnly) {
  struct Case {
    std::optional<std::string> uri;
    Text expected;
  };
  const Case cases[] = {
      {"ipp://192.0.2.7:631/ipp/print", Text::fromUtf8("192.0.2.7")},
      {"lpd://mfp.example.net/queue", Text::fromUtf8("mfp.example.net")},
      {"socket://192.0.2.9:9100", Text::fromUtf8("192.0.2.9")},
      {"IPP://192.0.2.7/ipp/print", Text()},
      {"ipps://192.0.2.7/ipp/print", Text()},
      {"usb://Ondrix/MX-4070", Text()},
      {"not a uri", Text()},
      {std::nullopt, Text()},
  };
  for (const Case& c : cases) {
    OndrixPrintPdeTarvel& panel = panelFor("", c.uri);
    EXPECT_EQ(panel.mfpURL, c.expected) << c.uri.value_or("(none)");
  }
}

TEST_F(PanelCreation, NamesThePreferenceDomainAfterTheQueue) {
  EXPECT_EQ(panelFor("", std::nullopt, "Office_2F").preferenceName, Text::fromUtf8("ondrix.mfp.Office_2F"));
  OndrixPrintPdeTarvel& demo = makePanel(makeHost("demo-filing.ppd", "Demo"));
  EXPECT_EQ(demo.preferenceName, Text::fromUtf8("ondrix.mfp.Demo"));
  EXPECT_EQ(demo.modelStringRef, Text::fromUtf8("Ondrix MX-4070"));
  EXPECT_TRUE(demo.requestData.has_value());
  EXPECT_TRUE(demo.spaceImage);
}

TEST_F(PanelCreation, WithoutConstraintHandlingThereIsNoPPD) {
  auto host = makeHost("demo-printsystem.ppd");
  host->constraintHandling = false;
  OndrixPrintPdeTarvel& panel = makePanel(host);
  EXPECT_EQ(panel.ppd, nullptr);
  EXPECT_EQ(panel.ppdEncoding, 0u);
  EXPECT_TRUE(panel.modelStringRef.isNone());
  EXPECT_TRUE(panel.mfpURL.isNone());
  EXPECT_TRUE(panel.preferenceName.isNone());
  EXPECT_FALSE(panel.requestData.has_value());
  EXPECT_EQ(panel.document_filing_model, 1);
  EXPECT_EQ(panel.ondrix_print_system, 0);
  // The text encoding and the blank image do not need the PPD.
  EXPECT_NE(panel.systemEncoding, 0u);
  EXPECT_TRUE(panel.spaceImage);
}

}  // namespace
