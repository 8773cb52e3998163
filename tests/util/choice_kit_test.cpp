#include "util/choice_kit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "plugin/panel.h"
#include "util/ppd_access.h"

namespace {

namespace fs = std::filesystem;
using platform::Text;

const char kPpd[] = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: German
*LanguageEncoding: UTF-8
*PCFileName: "KIT.PPD"
*Manufacturer: "Ondrix"
*Product: "(Ondrix Kit)"
*ModelName: "Ondrix Kit"
*ShortNickName: "Ondrix Kit"
*NickName: "Ondrix Kit"
*PSVersion: "(3010.000) 0"
*OpenUI *PageSize/Papier: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: ""
*PageSize Letter/Letter: ""
*CloseUI: *PageSize
*OpenUI *Duplex/Duplex: PickOne
*DefaultDuplex: DuplexNoTumble
*Duplex None/Aus: ""
*Duplex DuplexNoTumble/Lange Kante: ""
*Duplex DuplexTumble/Kurze Kante: ""
*CloseUI: *Duplex
*OpenUI *OutputBin/Ausgabe: PickOne
*OutputBin Upper/Oberes Fach: ""
*OutputBin Lower/Unteres Fach für Umschläge: ""
*OutputBin Side/Seitenfach: ""
*CloseUI: *OutputBin
*OpenUI *Staple/Heften: PickOne
*DefaultStaple: Nowhere
*Staple Off/Aus: ""
*Staple Corner/Ecke: ""
*CloseUI: *Staple
)PPD";

// The host's callback object: answers the constraint question as told and records what it was asked.
class FakeHost : public OndrixPrintPdeTarvelPDEPluginCallback {
 public:
  platform::PrintSession* printSession() override { return nullptr; }
  platform::PrintSettings* printSettings() override { return nullptr; }
  ppd_file_t* ppdFile() override { return nullptr; }
  bool respondsToWillChangePPDOptionKeyValue() const override { return false; }
  bool willChangePPDOptionKeyValue(const Text& key, const Text& choice) override {
    asked.emplace_back(key.utf8(), choice.utf8());
    return answer;
  }

  bool answer = true;
  std::vector<std::pair<std::string, std::string>> asked;
};

class FakeMenu : public ui::Menu {
 public:
  long numberOfItems() const override { return static_cast<long>(items.size()); }
  ui::MenuItem* itemAtIndex(long index) override {
    return index >= 0 && index < numberOfItems() ? &items[static_cast<std::size_t>(index)] : nullptr;
  }
  void addItem(ui::MenuItem item) override { items.push_back(std::move(item)); }
  void removeAllItems() override { items.clear(); }
  std::vector<ui::MenuItem> items;
};

class FakePopUp : public ui::PopUpButton {
 public:
  long indexOfSelectedItem() const override { return selected; }
  ui::Menu& menu() override { return items; }
  FakeMenu items;
  long selected = -1;
};

class FakeButton : public ui::Button {
 public:
  int state() const override { return state_; }
  void setState(int state) override { state_ = state; }

 private:
  int state_ = 0;
};

class ChoiceKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = fs::path(::testing::TempDir()) / ("choice_kit_test_" + std::to_string(::getpid()) + ".ppd");
    std::ofstream(file_) << kPpd;
    ppd_ = ppd::openFile(file_.string());
    ASSERT_NE(ppd_, nullptr);
    host_ = std::make_shared<FakeHost>();
    panel_ = std::make_unique<OndrixPrintPdeTarvel>(host_, std::make_shared<platform::Bundle>(ONDRIX_BUNDLE_DIR));
    // The host offers no PPD at creation, so no preferences are touched; the kit reads the field.
    panel_->ppd = ppd_.get();
  }
  void TearDown() override {
    panel_.reset();
    ppd_.reset();
    fs::remove(file_);
  }

  ppd_option_t* option(const char* keyword) { return ppd::findOption(ppd_.get(), keyword); }
  PDEChoiceArray choicesOf(const char* keyword) { return ArrayFromPPDOption(option(keyword)).value(); }

  fs::path file_;
  ppd::FilePtr ppd_;
  std::shared_ptr<FakeHost> host_;
  std::unique_ptr<OndrixPrintPdeTarvel> panel_;
};

std::vector<std::string> keywords(const PDEChoiceArray& choices) {
  std::vector<std::string> result;
  for (const PDEChoiceRef& choice : choices) result.push_back(choice->ppdTitle().utf8());
  return result;
}

TEST_F(ChoiceKitTest, ArrayFollowsTheOptionsOrder) {
  EXPECT_FALSE(ArrayFromPPDOption(nullptr).has_value());
  const PDEChoiceArray bins = choicesOf("OutputBin");
  EXPECT_EQ(keywords(bins), (std::vector<std::string>{"Upper", "Lower", "Side"}));
  ppd_option_t* outputBin = option("OutputBin");
  for (std::size_t i = 0; i < bins.size(); ++i) EXPECT_EQ(bins[i]->choice(), &outputBin->choices[i]);
}

TEST_F(ChoiceKitTest, TitlesDecodeOnDemandAndRetryAfterFailure) {
  const PDEChoiceRef lower = choicesOf("OutputBin")[1];
  // Not ASCII: no title, and the next call with a fitting encoding still makes one.
  EXPECT_TRUE(lower->userTitle(platform::kNSASCIIStringEncoding).isNone());
  EXPECT_EQ(lower->userTitle(platform::kNSUTF8StringEncoding).utf8(), "Unteres Fach f\u00FCr Umschl\u00E4ge");
  // Once made, the title stays whatever encoding is asked for later.
  EXPECT_EQ(lower->userTitle(platform::kNSASCIIStringEncoding).utf8(), "Unteres Fach f\u00FCr Umschl\u00E4ge");
  EXPECT_EQ(lower->ppdTitle().utf8(), "Lower");

  OndrixPrintPdeTarvelPDEChoice empty(nullptr);
  EXPECT_TRUE(empty.userTitle(platform::kNSUTF8StringEncoding).isNone());
  EXPECT_TRUE(empty.ppdTitle().isNone());
}

TEST_F(ChoiceKitTest, FindChoiceMatchesKeywordsExactly) {
  const PDEChoiceArray bins = choicesOf("OutputBin");
  struct Case {
    Text keyword;
    long expected;  // position in bins, or -1 for none
  };
  const Case cases[] = {
      {Text::fromUtf8("Upper"), 0}, {Text::fromUtf8("Side"), 2},   {Text::fromUtf8("upper"), -1},
      {Text::fromUtf8("SIDE"), -1}, {Text::fromUtf8("Upper "), -1}, {Text::empty(), -1},
      {Text(), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword.utf8());
    const PDEChoiceRef found = FindChoiceForString(c.keyword, bins);
    EXPECT_EQ(found, c.expected < 0 ? nullptr : bins[static_cast<std::size_t>(c.expected)]);
  }
  EXPECT_EQ(FindChoiceForString(Text::fromUtf8("Upper"), {}), nullptr);
}

TEST_F(ChoiceKitTest, PopUpIsRebuiltFromTheArray) {
  FakePopUp popUp;
  popUp.items.addItem(ui::MenuItem(Text::fromUtf8("stale")));
  const PDEChoiceArray bins = choicesOf("OutputBin");

  InitPopUpFromArray(&popUp, bins, platform::kNSASCIIStringEncoding);
  ASSERT_EQ(popUp.items.items.size(), 3u);
  const char* titles[] = {"Oberes Fach", "", "Seitenfach"};  // the second is not ASCII
  for (std::size_t i = 0; i < 3; ++i) {
    const ui::MenuItem& item = popUp.items.items[i];
    EXPECT_EQ(item.title(), Text::fromUtf8(titles[i]));
    EXPECT_FALSE(item.title().isNone());
    EXPECT_EQ(std::any_cast<PDEChoiceRef>(item.representedObject()), bins[i]);
  }

  InitPopUpFromArray(&popUp, {}, platform::kNSUTF8StringEncoding);
  EXPECT_TRUE(popUp.items.items.empty());
  InitPopUpFromArray(nullptr, bins, platform::kNSUTF8StringEncoding);
}

TEST_F(ChoiceKitTest, IndexOfMarkedOptionPrefersTheMarkedChoiceThenTheDefault) {
  EXPECT_EQ(panel_->indexOfMarkedOption(option("Duplex"), "Duplex"), 1);  // the default, nothing marked
  EXPECT_EQ(panel_->indexOfMarkedOption(option("OutputBin"), "OutputBin"), -1);  // no default
  EXPECT_EQ(panel_->indexOfMarkedOption(option("Staple"), "Staple"), -1);  // default names no choice
  EXPECT_EQ(panel_->indexOfMarkedOption(nullptr, "Duplex"), -1);

  ppd::markOption(ppd_.get(), "Duplex", "DuplexTumble");
  ppd::markOption(ppd_.get(), "OutputBin", "Side");
  ppd::markOption(ppd_.get(), "PageSize", "Letter");
  struct Case {
    const char* option;
    const char* key;
    long expected;
  };
  const Case cases[] = {
      {"Duplex", "Duplex", 2},
      {"OutputBin", "OutputBin", 2},
      {"PageSize", "PageSize", 1},
      {"Duplex", "PageSize", 1},   // a marked choice of another option does not count
      {"Duplex", "Absent", 1},
      {"OutputBin", nullptr, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(panel_->indexOfMarkedOption(option(c.option), c.key), c.expected)
        << c.option << " / " << (c.key ? c.key : "(none)");
  }

  // Without a PPD nothing is marked; the option's default still answers.
  panel_->ppd = nullptr;
  EXPECT_EQ(panel_->indexOfMarkedOption(option("Duplex"), "Duplex"), 1);
}

TEST_F(ChoiceKitTest, SelectionPassesThroughTheHostsConstraintCheck) {
  const PDEChoiceArray bins = choicesOf("OutputBin");
  FakePopUp popUp;
  InitPopUpFromArray(&popUp, bins, platform::kNSUTF8StringEncoding);
  FakeButton button;

  struct Case {
    const char* what;
    bool constraintHandling;
    bool hostAnswer;
    long selectedIndex;  // pop-up item, and button state
    long expected;       // position in bins of the resulting selection
    bool hostAsked;
  };
  const Case cases[] = {
      {"no constraint handling", false, false, 1, 1, false},
      {"host agrees", true, true, 1, 1, true},
      {"host refuses", true, false, 1, 0, true},
      {"nothing selected", true, true, -1, 0, false},
      {"out of range", false, true, 7, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    panel_->useConstraintHandling = c.constraintHandling;
    host_->answer = c.hostAnswer;

    host_->asked.clear();
    PDEChoiceRef selection = bins[0];
    popUp.selected = c.selectedIndex;
    panel_->getSelection(selection, &popUp, "OutputBin");
    EXPECT_EQ(selection, bins[static_cast<std::size_t>(c.expected)]);
    const bool askedFromPopUp = !host_->asked.empty();

    host_->asked.clear();
    selection = bins[0];
    button.setState(static_cast<int>(c.selectedIndex));
    panel_->getSelection(selection, bins, &button, "OutputBin");
    EXPECT_EQ(selection, bins[static_cast<std::size_t>(c.expected)]);

    EXPECT_EQ(askedFromPopUp, c.hostAsked);
    EXPECT_EQ(!host_->asked.empty(), c.hostAsked);
    if (c.hostAsked) {
      ASSERT_EQ(host_->asked.size(), 1u);
      EXPECT_EQ(host_->asked[0], (std::pair<std::string, std::string>("OutputBin", "Lower")));
    }
  }

  // An absent pop-up selects nothing; an absent button reads as state 0.
  PDEChoiceRef selection = bins[2];
  panel_->useConstraintHandling = 0;
  panel_->getSelection(selection, static_cast<ui::PopUpButton*>(nullptr), "OutputBin");
  EXPECT_EQ(selection, bins[2]);
  panel_->getSelection(selection, bins, nullptr, "OutputBin");
  EXPECT_EQ(selection, bins[0]);
}

}  // namespace
