// The panel's utilities: translation of texts and control texts (the colon and white-space rules of the
// scanner) and the layout mode.
//
// The panel is made without a host callback and with a temporary bundle whose catalogue this test compiles;
// LANGUAGE under the C.UTF-8 locale picks it, so the shipped catalogues and the user's locale play no part.
#include <gtest/gtest.h>
#include <libintl.h>
#include <stdlib.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "plugin/panel.h"

namespace {

namespace fs = std::filesystem;
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
  GermanBundle() {
    std::string pattern = (fs::temp_directory_path() / "localization_test.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary directory");
    root_ = pattern;
    const fs::path po = root_ / "de.po";
    std::ofstream(po) << "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" << kCatalogue;
    const fs::path mo = root_ / "Test.plugin/Contents/Resources/locale/de/LC_MESSAGES/ondrix-pde.mo";
    fs::create_directories(mo.parent_path());
    const std::string command = "msgfmt -o '" + mo.string() + "' '" + po.string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error(command);
    bundle_ = std::make_shared<const platform::Bundle>(root_ / "Test.plugin");
  }
  ~GermanBundle() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  GermanBundle(const GermanBundle&) = delete;
  GermanBundle& operator=(const GermanBundle&) = delete;

  std::shared_ptr<const platform::Bundle> bundle() const { return bundle_; }

 private:
  fs::path root_;
  std::shared_ptr<const platform::Bundle> bundle_;
};

class Localization : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* language = std::getenv("LANGUAGE")) savedLanguage_ = language;
    savedLocale_ = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    // gettext caches per locale, not per LANGUAGE; naming the domain again drops what it cached.
    setenv("LANGUAGE", "de", 1);
    textdomain(textdomain(nullptr));
  }
  void TearDown() override {
    if (savedLanguage_)
      setenv("LANGUAGE", savedLanguage_->c_str(), 1);
    else
      unsetenv("LANGUAGE");
    std::setlocale(LC_ALL, savedLocale_.c_str());
  }

  GermanBundle german_;
  OndrixPrintPdeTarvel panel_{nullptr, german_.bundle()};

 private:
  std::optional<std::string> savedLanguage_;
  std::string savedLocale_;
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

class TitledBox : public ui::Box {
 public:
  explicit TitledBox(Text title) : title_(std::move(title)) {}
  Text title() const override { return title_; }

 private:
  Text title_;
};

class TitledButton : public ui::Button {
 public:
  explicit TitledButton(Text title) : title_(std::move(title)) {}
  Text title() const override { return title_; }

 private:
  Text title_;
};

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
