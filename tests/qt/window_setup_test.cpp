// The window's language chosen from the environment as gettext chooses the panel's, and the mnemonics and
// names the Qt toolkit gives a layout's labels and fields.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <map>
#include <string>

#include "qt/window_setup.h"
#include "toolkits/qt/qt_naming.h"

namespace {

TEST(WindowLanguage, FollowsGettextsChoice) {
  struct Case {
    std::map<std::string, std::string> env;
    std::string language;
  };
  const std::vector<Case> cases{
      {{}, ""},
      {{{"LANGUAGE", "de"}}, ""},                                   // no locale: C, LANGUAGE ignored
      {{{"LANG", "C"}, {"LANGUAGE", "de"}}, ""},
      {{{"LC_ALL", "POSIX"}, {"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "ja"}}, ""},  // LC_ALL wins: POSIX
      {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}}, "de"},
      {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "fr:ja_JP:de"}}, "ja"},  // the first one offered
      {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "en:de"}}, "de"},        // no English catalogue: gettext goes on
      {{{"LANG", "de_DE.UTF-8"}}, "de"},
      {{{"LANG", "ja_JP.UTF-8@x"}, {"LC_MESSAGES", "fr_FR.UTF-8"}}, ""},  // LC_MESSAGES before LANG
      {{{"LC_ALL", "ja_JP.UTF-8"}, {"LANGUAGE", ""}}, "ja"},
  };
  for (const Case& c : cases) EXPECT_EQ(host::qt::windowLanguage(c.env), c.language) << ::testing::PrintToString(c.env);
}

TEST(Naming, MnemonicsAreUniqueAndNamesPlain) {
  using toolkits::qt::mnemonicText;
  struct Case {
    QString text, original, takenBefore, shown, name;
  };
  const std::vector<Case> cases{
      {"Login Name:", "Login Name:", "", "&Login Name:", "Login Name"},
      {"Login Name:", "Login Name:", "l", "Login &Name:", "Login Name"},          // next word's initial
      {"Ab:", "Ab:", "a", "A&b:", "Ab"},                                          // any free letter
      {"R&D Code:", "R&D Code:", "r", "R&&&D Code:", "R&D Code"},                 // "&" stays a character
      {"ログイン名:", "Login Name:", "", "ログイン名(&L):", "ログイン名"},            // from the layout's text
      {"ログイン名:", "Login Name:", "lognime", "ログイン名(&A):", "ログイン名"},
      {"ログイン名:", "", "", "ログイン名:", "ログイン名"},                            // no letter anywhere
      {"Kennwort：", "Password:", "k", "K&ennwort：", "Kennwort"},                   // full-width colon
  };
  for (const Case& c : cases) {
    QString taken = c.takenBefore;
    const QString shown = mnemonicText(c.text, c.original, taken);
    EXPECT_EQ(shown.toStdString(), c.shown.toStdString()) << c.text.toStdString();
    EXPECT_EQ(toolkits::qt::nameOfText(shown).toStdString(), c.name.toStdString()) << shown.toStdString();
    EXPECT_EQ(taken.size(), c.takenBefore.size() + (shown.contains(QRegularExpression("&[^&]")) ? 1 : 0));
  }
}

}  // namespace
