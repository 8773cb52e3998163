// The panel's utilities: translation of texts and control texts (the colon and white-space rules of the
// scanner) and the layout mode.
//
// The panel is made without a host callback and with a temporary bundle whose catalogue this test compiles;
// LANGUAGE under the C.UTF-8 locale picks it, so the shipped catalogues and the user's locale play no part.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plugin/panel.h"
#include "support/temp_bundle.h"

namespace {

using platform::Text;
using platform::operator""_t;

constexpr const char* kCatalogue =
    "msgid \"Information\"\nmsgstr \"Hinweis\"\n\n"
    "msgid \"Pass Code\"\nmsgstr \"Kenncode\"\n\n"
    "msgid \"Store In\"\nmsgstr \"Ablegen in\"\n\n"
    "msgid \"Job ID\"\nmsgstr \"Auftrags-ID\"\n\n"
    "msgid \"Retention\"\nmsgstr \"Aufbewahrung\"\n\n"
    "msgid \"Hold Only\"\nmsgstr \"Nur halten\"\n\n"
    "msgid \"Please confirm the following setting items.\\nLogin Name\\nUser Number%@\"\n"
    "msgstr \"Bitte folgende Einstellungen prüfen.\\nAnmeldename\\nBenutzernummer%@\"\n";

// A bundle with a German strings table in the panel's own text domain, removed with the object.
class GermanBundle {
 public:
  GermanBundle() { folder_.addCatalogue("de", kCatalogue); }
  std::shared_ptr<const platform::Bundle> bundle() const {
    return std::make_shared<const platform::Bundle>(folder_.path());
  }

 private:
  testsupport::TempBundle folder_;
};

class Localization : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(language_.ready());
    language_.use("de");
  }

  GermanBundle german_;
  OndrixPrintPdeTarvel panel_{nullptr, german_.bundle()};
  testsupport::CatalogueLanguage language_;
};

TEST_F(Localization, KeyIsTheTextUpToTheFirstColon) {
  struct Case {
    const char* name;
    Text text;
    Text expected;
  };
  const Case cases[] = {
      {"message", "Information"_t, "Hinweis"_t},
      {"label", "Pass Code:"_t, "Kenncode:"_t},
      {"text after the colon is dropped", "Pass Code: 1234"_t, "Kenncode:"_t},
      {"only the first colon counts", "Store In::x:y"_t, "Ablegen in:"_t},
      {"leading blanks and breaks skipped", " \t\r\n Store In:"_t, "Ablegen in:"_t},
      {"leading unicode blanks skipped", Text::fromUtf16(u"\u3000\u00A0\u2028Job ID"), "Auftrags-ID"_t},
      {"message with line breaks looked up whole",
       "Please confirm the following setting items.\nLogin Name\nUser Number%@"_t,
       "Bitte folgende Einstellungen prüfen.\nAnmeldename\nBenutzernummer%@"_t},
      {"trailing blank belongs to the key", "Pass Code :"_t, "Pass Code :"_t},
      {"trailing break belongs to the key", "Information\n"_t, "Information\n"_t},
      {"untranslated message", "Job Handling"_t, "Job Handling"_t},
      {"untranslated label keeps its colon", "Login Name:"_t, "Login Name:"_t},
      {"untranslated label loses the rest", "Login Name: Bob"_t, "Login Name:"_t},
      {"leading blanks of an untranslated key go", "  Login Name"_t, "Login Name"_t},
      // Nothing to scan: the text comes back as it is.
      {"empty", Text::empty(), Text::empty()},
      {"blanks only", " \n\t"_t, " \n\t"_t},
      {"starts with a colon", ":Pass Code"_t, ":Pass Code"_t},
      {"colon after blanks", "  \n: Pass Code"_t, "  \n: Pass Code"_t},
      {"colon only", ":"_t, ":"_t},
  };
  for (const Case& c : cases) {
    const Text result = panel_.localizedStringValue(c.text);
    EXPECT_EQ(result, c.expected) << c.name << ": " << result.utf8();
    EXPECT_FALSE(result.isNone()) << c.name;
  }
  EXPECT_TRUE(panel_.localizedStringValue(Text()).isNone());
}

TEST_F(Localization, WithoutABundleTheKeyComesBack) {
  OndrixPrintPdeTarvel bare(nullptr);
  ASSERT_EQ(bare.pdeBundle, nullptr);  // this test program lies in no bundle
  struct Case {
    Text text;
    Text expected;
  };
  const Case cases[] = {
      {"Information"_t, "Information"_t},
      {"  Pass Code: 1234"_t, "Pass Code:"_t},
      {":x"_t, ":x"_t},
      {Text::empty(), Text::empty()},
  };
  for (const Case& c : cases) EXPECT_EQ(bare.localizedStringValue(c.text), c.expected) << c.text.utf8();
}

class Field : public ui::TextField {
 public:
  explicit Field(Text value) : value_(std::move(value)) {}
  Text stringValue() const override { return value_; }

 private:
  Text value_;
};

template <class Control>
class Titled : public Control {
 public:
  explicit Titled(Text title) : title_(std::move(title)) {}
  Text title() const override { return title_; }

 private:
  Text title_;
};
using TitledBox = Titled<ui::Box>;
using TitledButton = Titled<ui::Button>;

TEST_F(Localization, ControlsGiveTheirText) {
  Field label("Pass Code:"_t);
  Field emptyField(Text::empty());
  TitledBox box("Job ID"_t);
  TitledButton checkBox("Retention"_t);
  TitledButton cell("  Hold Only"_t);

  EXPECT_EQ(panel_.localizedStringValue(&label), "Kenncode:"_t);
  EXPECT_EQ(panel_.localizedStringValue(&emptyField), Text::empty());
  EXPECT_EQ(panel_.localizedStringValue(&box), "Auftrags-ID"_t);
  EXPECT_EQ(panel_.localizedStringValue(&checkBox), "Aufbewahrung"_t);
  EXPECT_EQ(panel_.localizedStringValue(&cell), "Nur halten"_t);

  // The control keeps its text; the caller sets the translation back.
  EXPECT_EQ(label.stringValue(), "Pass Code:"_t);

  // No control, or a control without text (an absent outlet's defaults), gives none.
  EXPECT_TRUE(panel_.localizedStringValue(static_cast<ui::TextField*>(nullptr)).isNone());
  EXPECT_TRUE(panel_.localizedStringValue(static_cast<ui::Box*>(nullptr)).isNone());
  EXPECT_TRUE(panel_.localizedStringValue(static_cast<ui::Button*>(nullptr)).isNone());
  EXPECT_TRUE(panel_.localizedStringValue(panel_.suspendKeyStaticText.operator->()).isNone());
  EXPECT_TRUE(panel_.localizedStringValue(panel_.jobIDBox.operator->()).isNone());
}

TEST_F(Localization, LayoutModeFollowsTheDirectoryServiceFlag) {
  struct Case {
    std::uint8_t activeDirectory;
    int mode;
  };
  const Case cases[] = {{0, 4}, {1, 5}, {2, 4}, {255, 4}};
  for (const Case& c : cases) {
    panel_.active_directory = c.activeDirectory;
    EXPECT_EQ(panel_.getUIMode(), c.mode) << int{c.activeDirectory};
  }
}

}  // namespace
