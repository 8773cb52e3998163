// The print-settings values the printer's filter depends on, for jobs with a fixed spool time. Expected
// ciphertexts and digests come from OpenSSL's own ECB, Base64 and MD5 with the keys written out in the
// test (the spool time's) and in support/aes_reference.h (the credential key).
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cctype>
#include <optional>
#include <string>

#include "toolkits/headless/headless_toolkit.h"
#include "plugin/panel.h"
#include "support/aes_reference.h"
#include "support/panel_fixture.h"
#include "support/scratch.h"
#include "ui/ui_fixture.h"

namespace {

using platform::Text;
using testsupport::base64Form;
using testsupport::Bytes;
using testsupport::fromHex;
using testsupport::hexForm;
using testsupport::repeat;
using testsupport::upperHex;

constexpr const char* kSpoolTime = "Tue, 5 Mar 2024 09:07:03 +0530";
constexpr const char* kSpoolKey = "4 09:07:03 +0530";  // its last 16 characters
constexpr const char* kSpoolTimeHex = "5475652C2035204D617220323032342030393A30373A3033202B30353330";

const Bytes kSpoolKeyBytes(kSpoolKey, kSpoolKey + 16);

std::string md5(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(text.data(), text.size(), digest, &size, EVP_md5(), nullptr);
  std::string hex = upperHex(Bytes(digest, digest + size));
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return hex;
}

// Base64 of the text encrypted with the spool time's key.
std::string spoolBase64(const std::string& text) {
  return testsupport::base64(testsupport::encryptText(text, kSpoolKeyBytes.data()));
}

class WriterTest : public testsupport::PanelFixture {
 protected:
  struct Job {
    OndrixPrintPdeTarvel& panel;
    testsupport::FakeHost& host;
  };

  // A built panel whose print settings already carry the fixed spool time.
  Job makeJob(const std::string& ppd = "demo-filing.ppd", bool fixedSpoolTime = true) {
    auto host = makeHost(ppd);
    if (fixedSpoolTime) host->settings.setValue(key("spoolTime"), kSpoolTimeHex);
    OndrixPrintPdeTarvel& panel = makePanel(host);
    panel.panelView();
    EXPECT_EQ(panel.hasInited, 1);
    return {panel, *host};
  }

  static std::string key(const std::string& name) { return "ondrix.print.PrintSettings." + name; }

  void put(Job& job, const std::string& name, const std::string& value) {
    EXPECT_TRUE(headless::set(control(job.panel, name), value)) << name << " = " << value;
  }

  static std::optional<std::string> get(const Job& job, const std::string& name) {
    return job.host.settings.getValue(key(name));
  }

  // A numbered family joined up to its first absent index; none when even the first is absent.
  static std::optional<std::string> family(const Job& job, const std::string& prefix) {
    std::optional<std::string> joined;
    for (int i = 1;; ++i) {
      const auto chunk = get(job, prefix + std::to_string(i));
      if (!chunk) return joined;
      EXPECT_LE(chunk->size(), 254u);
      joined = joined.value_or("") + *chunk;
    }
  }

  static void save(Job& job) {
    job.panel.writeNonPPDSettingsToPrintSettings();
    EXPECT_TRUE(job.panel.lastSaveWrote);
  }

  // Gives the pop-up at least `count` items, so that custom-folder items can be selected.
  void growPopUp(Job& job, long count) {
    ui::PopUpButton* popUp = control(job.panel, "folderSelectionPopup").asPopUpButton();
    ASSERT_NE(popUp, nullptr);
    while (popUp->menu().numberOfItems() < count) popUp->menu().addItem(ui::MenuItem(Text::fromUtf8("folder")));
  }

  static FolderEntry folder(const std::string& name) {
    return FolderEntry{.name = name, .password = false, .dir = true, .add = false};
  }

  // The system encoding is Mac Roman unless a test says otherwise.
  testsupport::EnvOverride locale_{"LC_ALL", "en_US.UTF-8"};
};

TEST_F(WriterTest, WritesNothingWithoutSettingsOrBuiltControls) {
  auto host = makeHost();
  OndrixPrintPdeTarvel& unbuilt = makePanel(host);
  unbuilt.writeNonPPDSettingsToPrintSettings();
  EXPECT_FALSE(unbuilt.lastSaveWrote);
  EXPECT_TRUE(host->settings.values().empty());

  Job job = makeJob();
  job.host.hasSettings = false;
  job.panel.writeNonPPDSettingsToPrintSettings();
  EXPECT_FALSE(job.panel.lastSaveWrote);
  job.host.hasSettings = true;
  EXPECT_EQ(job.host.settings.values().size(), 1u);  // only the spool time the test put there
}

TEST_F(WriterTest, FreshJobGetsSpoolTimeAndSecondSaveRepeatsEveryValue) {
  Job job = makeJob("demo-filing.ppd", false);
  put(job, "retentionCheckBox", "1");
  put(job, "suspendMatrix", "0");
  put(job, "suspendKeyEditText", "4711");
  put(job, "loginNameEditText", "operator");
  put(job, "passwordEditText", "pa55word");
  put(job, "userNumberEditText", "42");
  put(job, "accountNumberEditText", "777");
  put(job, "userNameEditText", "Erika Mustermann");
  put(job, "jobNameEditText", "Quarterly report");
  put(job, "folderPasswordEditText", "99");
  put(job, "folderSelectionPopup", "1");
  save(job);

  const auto stored = get(job, "spoolTime");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size() % 2, 0u);
  const Bytes decoded = fromHex(*stored);
  const std::string spoolTime(decoded.begin(), decoded.end());
  EXPECT_EQ(upperHex(spoolTime), *stored);
  EXPECT_GE(spoolTime.size(), 16u);
  EXPECT_LE(spoolTime.size(), 31u);
  EXPECT_EQ(get(job, "folderPassword"), md5(spoolTime + "00099"));

  const auto first = job.host.settings.values();
  save(job);
  EXPECT_EQ(job.host.settings.values(), first);
}

TEST_F(WriterTest, StoredSpoolTimeIsReusedOnlyWhenUsable) {
  const struct {
    std::string stored;
    bool reused;
  } cases[] = {
      {kSpoolTimeHex, true},
      {upperHex("0123456789ABCDEF"), true},                       // 16 characters: just enough for the key
      {std::string(kSpoolTimeHex).substr(1), false},                // odd length
      {std::string(kSpoolTimeHex).replace(4, 1, "G"), false},       // not a hex digit
      {upperHex("0123456789ABCDE"), false},                       // 15 characters: no key
      {upperHex(std::string(64, 'x')), false},                    // 128 digits: beyond the spool-time buffer
      {upperHex(std::string(63, 'x')), true},                     // 126 digits: the longest that fits
      {upperHex(std::string("Tue, 5 Mar\0 2024 09:07:03 +0530", 31)), false},  // a zero byte inside
      {std::string(3000, 'A'), false},
      {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.substr(0, 40));
    Job job = makeJob();
    job.host.settings.setValue(key("spoolTime"), c.stored);
    put(job, "folderPasswordEditText", "5");
    save(job);

    const auto now = get(job, "spoolTime");
    ASSERT_TRUE(now);
    const Bytes decoded = fromHex(*now);
    const std::string spoolTime(decoded.begin(), decoded.end());
    if (c.reused) {
      EXPECT_EQ(*now, c.stored);
    } else {
      EXPECT_NE(*now, c.stored);
      EXPECT_GE(spoolTime.size(), 16u);
      EXPECT_EQ(spoolTime.find('\0'), std::string::npos);
    }
    EXPECT_EQ(get(job, "folderPassword"), md5(spoolTime + "00005"));
  }
}

TEST_F(WriterTest, RetentionRowsAndPassCodeChains) {
  const struct {
    const char* retention;
    const char* row;
    const char* code;
    std::optional<std::string> suspend;
    std::optional<std::string> digest;
    std::optional<std::string> fixed;
  } cases[] = {
      {"1", "0", "123", "2", md5(std::string("00123") + kSpoolTime), hexForm("123")},
      {"1", "1", "123456", "1", md5(std::string("123456") + kSpoolTime), hexForm("123456")},
      {"1", "2", "7", "3", md5(std::string("00007") + kSpoolTime), hexForm("7")},
      {"1", "2", "12345", "3", md5(std::string("12345") + kSpoolTime), hexForm("12345")},
      {"1", "-1", "123", "0", "old digest", "old fixed"},       // no row: off, keys untouched
      {"1", "0", "", "2", std::nullopt, std::nullopt},          // no pass code: both removed
      {"1", "0", "123456789", "2", md5(std::string("12345678") + kSpoolTime), hexForm("12345678")},
      {"0", "0", "123", "0", "old digest", "old fixed"},        // retention off: keys untouched
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.retention) + " row " + c.row + " code " + c.code);
    Job job = makeJob();
    job.host.settings.setValue(key("jobSuspendKey"), "old digest");
    job.host.settings.setValue(key("jobSuspend2Key"), "old fixed");
    put(job, "retentionCheckBox", c.retention);
    put(job, "suspendMatrix", c.row);
    put(job, "suspendKeyEditText", c.code);
    save(job);
    EXPECT_EQ(get(job, "jobSuspend"), c.suspend);
    EXPECT_EQ(get(job, "jobSuspendKey"), c.digest);
    EXPECT_EQ(get(job, "jobSuspend2Key"), c.fixed);
  }
}

TEST_F(WriterTest, FilingModesFromPopUp) {
  const struct {
    const char* retention;
    long item;
    bool withList;
    std::optional<std::string> filing;
    std::optional<std::string> folderPath;
    std::optional<std::string> folderPath2;
    std::optional<std::string> folderPath3;
  } cases[] = {
      {"1", 0, true, "1", "old", std::nullopt, std::nullopt},  // quick file keeps the old folder path
      {"1", 1, true, "2", upperHex("*standard"), std::nullopt, std::nullopt},
      {"1", 3, true, "3", upperHex("Projects"), upperHex("Projects"), upperHex("Projects")},
      {"1", 4, true, "3", upperHex("Caf\x8E"), upperHex("Caf\xE9"), upperHex("Caf\xC3\xA9")},
      // Not in Mac Roman nor Mac Japanese: no system form, but the forms that can carry it still go out.
      {"1", 5, true, "3", std::nullopt, upperHex("\x8Akoda"), upperHex("\xC5\xA0koda")},
      {"1", 6, true, "3", std::nullopt, std::nullopt, upperHex("\xED\x95\x9C")},
      {"1", 7, true, "3", std::nullopt, std::nullopt, std::nullopt},  // beyond the list: no old name sent
      {"1", 3, false, "3", upperHex("*standard"), std::nullopt, std::nullopt},  // no list, no radio form
      {"0", 3, true, "0", "old", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    Job job = makeJob();
    for (const char* name : {"folderPath", "folderPath2", "folderPath31", "folderPath32"})
      job.host.settings.setValue(key(name), "old");
    job.panel.folderList =
        c.withList ? std::optional(FolderList{folder("Projects"), folder("Café"), folder("Škoda"), folder("한")})
                   : std::nullopt;
    growPopUp(job, 8);
    put(job, "retentionCheckBox", c.retention);
    put(job, "folderSelectionPopup", std::to_string(c.item));
    save(job);
    EXPECT_EQ(get(job, "filing"), c.filing);
    EXPECT_EQ(get(job, "folderPath"), c.folderPath);
    EXPECT_EQ(get(job, "folderPath2"), c.folderPath2);
    EXPECT_EQ(family(job, "folderPath3"), c.folderPath3);
  }
}

// A list entry without a usable name names no folder: no form of an old name may go out with the job.
TEST_F(WriterTest, CustomFolderWithoutANameSendsNoFolderPath) {
  for (const FolderEntry& entry : {FolderEntry{.password = false}, folders::entryFromStored({{"name", 7}})}) {
    Job job = makeJob();
    for (const char* name : {"folderPath", "folderPath2", "folderPath31", "folderPath32"})
      job.host.settings.setValue(key(name), "old");
    job.panel.folderList = FolderList{entry};
    growPopUp(job, 4);
    put(job, "retentionCheckBox", "1");
    put(job, "folderSelectionPopup", "3");
    save(job);
    EXPECT_EQ(get(job, "filing"), "3");
    EXPECT_EQ(get(job, "folderPath"), std::nullopt);
    EXPECT_EQ(get(job, "folderPath2"), std::nullopt);
    EXPECT_EQ(family(job, "folderPath3"), std::nullopt);
  }
}

TEST_F(WriterTest, FilingModesFromRadioForm) {
  const struct {
    const char* row;
    const char* name;
    std::optional<std::string> filing;
    std::optional<std::string> folderPath;
    std::optional<std::string> folderPath3;
  } cases[] = {
      {"0", "Team", "1", "old", std::nullopt},
      {"1", "Team", "2", upperHex("*standard"), std::nullopt},
      {"2", "Team", "3", upperHex("Team"), upperHex("Team")},
      {"2", "", "3", std::nullopt, std::nullopt},  // a name that converts to nothing sends no old one
      {"-1", "Team", "0", "old", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("row ") + c.row + " name " + c.name);
    Job job = makeJob("demo-directory.ppd");
    job.host.settings.setValue(key("folderPath"), "old");
    put(job, "retentionCheckBox", "1");
    put(job, "folderSelectionMatrix", c.row);
    put(job, "folderNameEditText", c.name);
    save(job);
    EXPECT_EQ(get(job, "filing"), c.filing);
    EXPECT_EQ(get(job, "folderPath"), c.folderPath);
    EXPECT_EQ(family(job, "folderPath3"), c.folderPath3);
  }
}

TEST_F(WriterTest, LongFolderNamesUpToTheLimit) {
  // Each form is a whole-text conversion of at most 1529 bytes; a form that does not fit is not sent.
  const struct {
    std::string name;
    std::optional<std::string> system;
    std::optional<std::string> utf8;
  } cases[] = {
      {std::string(1529, 'f'), std::string(1529, 'f'), std::string(1529, 'f')},
      {std::string(1530, 'f'), std::nullopt, std::nullopt},
      {std::string(764, 'f') + "\xC3\xA9", std::string(764, 'f') + "\x8E", std::string(764, 'f') + "\xC3\xA9"},
      {repeat("\xC3\xA9", 800), std::string(800, '\x8E'), std::nullopt},  // 1600 bytes in UTF-8
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.size());
    Job job = makeJob("demo-directory.ppd");
    job.host.settings.setValue(key("folderPath"), "old");
    put(job, "retentionCheckBox", "1");
    put(job, "folderSelectionMatrix", "2");
    put(job, "folderNameEditText", c.name);
    save(job);
    EXPECT_EQ(get(job, "folderPath"), c.system ? std::optional(upperHex(*c.system)) : std::nullopt);
    EXPECT_EQ(family(job, "folderPath3"), c.utf8 ? std::optional(upperHex(*c.utf8)) : std::nullopt);
  }
}

TEST_F(WriterTest, StepOneEmptiesTheUtf8FolderFamily) {
  Job job = makeJob();
  job.host.settings.setValue(key("folderPath2"), "old");
  job.host.settings.setValue(key("folderPath31"), "old");
  put(job, "retentionCheckBox", "0");
  save(job);
  EXPECT_EQ(get(job, "folderPath2"), std::nullopt);
  EXPECT_EQ(get(job, "folderPath31"), std::nullopt);
}

TEST_F(WriterTest, LoginNameFamilies) {
  const std::string longName(200, 'L');  // 208 cipher bytes: 280 Base64 characters over two keys
  const struct {
    const char* field;
    const char* held;  // held login name, or none
    bool holdOn;
    std::string systemBytes;
    std::string westernBytes;
    std::string utf8Bytes;
  } cases[] = {
      {"operator", nullptr, false, "operator", "operator", "operator"},
      {longName.c_str(), nullptr, false, longName, longName, longName},
      {"J\xC3\xBCrgen", nullptr, false, "J\x9Frgen", "J\xFCrgen", "J\xC3\xBCrgen"},
      {"\xE2\x80\xA2\xE2\x80\xA2", "ab", true, "ab", "ab", "ab"},  // held: the field shows bullets
      {"visible", nullptr, true, "", "", ""},                          // held, but nothing captured
      {"", nullptr, false, "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.field).substr(0, 20));
    Job job = makeJob();
    for (const char* name : {"loginName11", "loginName01", "loginName21"}) job.host.settings.setValue(key(name), "old");
    put(job, "loginNameEditText", c.field);
    put(job, "loginNameButton", c.holdOn ? "1" : "0");
    job.panel.loginNameStringRef = c.held ? Text::fromUtf8(c.held) : Text();
    save(job);

    const auto orNone = [](const std::string& bytes, const std::string& value) {
      return bytes.empty() ? std::nullopt : std::optional<std::string>(value);
    };
    EXPECT_EQ(family(job, "loginName1"), orNone(c.systemBytes, base64Form(c.systemBytes)));
    EXPECT_EQ(family(job, "loginName0"), orNone(c.westernBytes, spoolBase64(c.westernBytes)));
    EXPECT_EQ(family(job, "loginName2"), orNone(c.utf8Bytes, spoolBase64(c.utf8Bytes)));
  }
  Job job = makeJob();
  put(job, "loginNameEditText", longName);
  save(job);
  EXPECT_EQ(get(job, "loginName11")->size(), 254u);
  EXPECT_EQ(get(job, "loginName12")->size(), 26u);
  EXPECT_EQ(get(job, "loginName13"), std::nullopt);
}

TEST_F(WriterTest, LoginNameLimits) {
  // 300 characters: 255 in the credential-key and Western families; the UTF-8 family takes up to 1530
  // bytes, and a name of exactly 1530 bytes keeps its last byte.
  const std::string name300(300, 'n');
  const std::string name1530 = std::string(1528, 'n') + "\xC3\xA9";
  const std::string name1531 = std::string(1529, 'n') + "\xC3\xA9";
  const struct {
    std::string field;
    std::string system;
    std::string utf8;
  } cases[] = {{name300, name300.substr(0, 255), name300},
               {name1530, std::string(255, 'n'), name1530},
               {name1531, std::string(255, 'n'), std::string(1529, 'n')}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field.size());
    Job job = makeJob();
    put(job, "loginNameEditText", c.field);
    save(job);
    EXPECT_EQ(family(job, "loginName1"), base64Form(c.system));
    EXPECT_EQ(family(job, "loginName0"), spoolBase64(c.system));
    EXPECT_EQ(family(job, "loginName2"), spoolBase64(c.utf8));
  }
}

TEST_F(WriterTest, PasswordAndNumbers) {
  const struct {
    const char* password;
    const char* userNumber;
    const char* accountNumber;
    const char* authentication;
  } cases[] = {
      {"secret", "123", "12345678", "1"},
      {"a much longer password!", "12345678", "7", "0"},
      {"", "", "", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.password);
    Job job = makeJob();
    job.host.settings.setValue(key("password"), "old");
    job.host.settings.setValue(key("password2"), "old");
    job.host.settings.setValue(key("password31"), "old");
    put(job, "passwordEditText", c.password);
    put(job, "userNumberEditText", c.userNumber);
    put(job, "accountNumberEditText", c.accountNumber);
    put(job, "authenticationRadioButton", c.authentication);
    save(job);

    const std::string password = c.password;
    const auto orNone = [](const std::string& in, const std::string& out) {
      return in.empty() ? std::nullopt : std::optional<std::string>(out);
    };
    EXPECT_EQ(get(job, "Authentication"), c.authentication);
    EXPECT_EQ(get(job, "password"), orNone(password, spoolBase64(password)));
    EXPECT_EQ(get(job, "password2"), orNone(password, hexForm(password, 32)));
    EXPECT_EQ(family(job, "password3"), orNone(password, spoolBase64(password)));
    if (!password.empty() && password.size() <= 16) {
      EXPECT_EQ(get(job, "password2")->substr(32), std::string(32, '0'));  // the second block is unused
    }

    const std::string user = c.userNumber;
    const std::string account = std::string(c.accountNumber).substr(0, 5);
    const auto padded = [](const std::string& code) {
      return code.size() >= 1 && code.size() <= 4 ? std::string(5 - code.size(), '0') + code : code;
    };
    EXPECT_EQ(get(job, "userNumber"), orNone(user, padded(user)));
    EXPECT_EQ(get(job, "userNumber2"), orNone(user, hexForm(user)));
    EXPECT_EQ(get(job, "accountNumber"), orNone(account, padded(account)));
    EXPECT_EQ(get(job, "accountNumber2"), orNone(account, hexForm(account)));
  }
}

TEST_F(WriterTest, FolderPassCodeDigestPutsSpoolTimeFirst) {
  const struct {
    const char* code;
    std::string digest;
    std::optional<std::string> fixed;
  } cases[] = {{"7", md5(std::string(kSpoolTime) + "00007"), hexForm("7")},
               {"12345678", md5(std::string(kSpoolTime) + "12345678"), hexForm("12345678")},
               {"", md5(kSpoolTime), std::nullopt}};
  for (const auto& c : cases) {
    Job job = makeJob();
    put(job, "folderPasswordEditText", c.code);
    save(job);
    EXPECT_EQ(get(job, "folderPassword"), c.digest) << c.code;
    EXPECT_EQ(get(job, "folderPassword2"), c.fixed) << c.code;
  }
}

TEST_F(WriterTest, UserAndJobNamesInThreeEncodings) {
  const struct {
    const char* locale;
    std::string text;
    std::string system;   // bytes expected in "userName" / "jobName"
    std::string western;  // in "userName2" / "jobName2", blanked
    std::string utf8;     // in the third family, blanked
  } cases[] = {
      {"en_US.UTF-8", "a\tb\nc\"d", "a\tb\nc\"d", "a\tb c d", "a\tb c d"},
      // Not one character in Mac Roman: Mac Japanese, spaces for what it lacks.
      {"en_US.UTF-8", "\xE6\x97\xA5\xE6\x9C\xAC\xC3\xA9", "\x93\xFA\x96\x7B ", "  \xE9",
       "\xE6\x97\xA5\xE6\x9C\xAC\xC3\xA9"},
      // Mac Roman as far as it goes; Western with spaces.
      {"en_US.UTF-8", "Zo\xC3\xAB \xE6\x97\xA5", "Zo\x91 ", "Zo\xEB  ", "Zo\xC3\xAB \xE6\x97\xA5"},
      // East-Asian system: the Western form repeats the system bytes.
      {"ja_JP.UTF-8", "\xE6\x97\xA5\xE6\x9C\xAC\"", "\x93\xFA\x96\x7B\"", "\x93\xFA\x96\x7B ",
       "\xE6\x97\xA5\xE6\x9C\xAC "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const testsupport::EnvOverride locale("LC_ALL", c.locale);
    Job job = makeJob();
    put(job, "userNameEditText", c.text);
    put(job, "jobNameEditText", c.text);
    save(job);
    for (const char* name : {"userName", "jobName"}) {
      SCOPED_TRACE(name);
      EXPECT_EQ(get(job, name), upperHex(c.system));
      EXPECT_EQ(get(job, std::string(name) + "2"), upperHex(c.western));
      EXPECT_EQ(family(job, std::string(name) + "3"), upperHex(c.utf8));
    }
  }
}

TEST_F(WriterTest, NameLimits) {
  const std::string text(600, 'x');
  Job job = makeJob();
  put(job, "userNameEditText", text);
  put(job, "jobNameEditText", text);
  save(job);
  const struct {
    const char* name;
    std::size_t characters;
  } cases[] = {{"userName", 32}, {"userName2", 32}, {"jobName", 80}, {"jobName2", 80}};
  for (const auto& c : cases) EXPECT_EQ(get(job, c.name), upperHex(text.substr(0, c.characters))) << c.name;
  EXPECT_EQ(family(job, "userName3"), upperHex(text.substr(0, 192)));
  EXPECT_EQ(family(job, "jobName3"), upperHex(text.substr(0, 480)));

  put(job, "userNameEditText", "");
  put(job, "jobNameEditText", "");
  save(job);
  for (const char* name : {"userName", "userName2", "userName31", "jobName", "jobName2", "jobName31"})
    EXPECT_EQ(get(job, name), std::nullopt) << name;
}

TEST_F(WriterTest, DirectoryServiceSendsLoginNameAsUserName) {
  const struct {
    bool held;
    const char* field;
    const char* captured;
    std::string userName;
  } cases[] = {{false, "jdoe", nullptr, "jdoe"}, {true, "\xE2\x80\xA2\xE2\x80\xA2", "mk", "mk"}};
  for (const auto& c : cases) {
    Job job = makeJob("demo-directory.ppd");
    ASSERT_EQ(job.panel.active_directory, 1);
    put(job, "loginNameEditText", c.field);
    put(job, "loginNameButton", c.held ? "1" : "0");
    job.panel.loginNameStringRef = c.captured ? Text::fromUtf8(c.captured) : Text();
    save(job);
    EXPECT_EQ(get(job, "userName"), upperHex(c.userName));
    EXPECT_EQ(get(job, "userName2"), upperHex(c.userName));
    EXPECT_EQ(family(job, "userName3"), upperHex(c.userName));
  }
}

TEST_F(WriterTest, HoldMask) {
  // The shipped layouts have either the user-name or the folder-name hold button; a second layout gives
  // the panel the missing one.
  constexpr const char* kExtra =
      R"(<?xml version="1.0" encoding="UTF-8"?><ui version="4.0"><class>Extra</class>)"
      R"(<widget class="QWidget" name="Extra"><widget class="QToolButton" name="folderNameButton">)"
      R"(<property name="checkable"><bool>true</bool></property></widget></widget></ui>)";
  Job job = makeJob();
  headless::HeadlessToolkit toolkit;
  const auto extra = toolkit.loadNibFromText(kExtra, job.panel);
  ASSERT_NE(extra, nullptr);
  ASSERT_TRUE(job.panel.folderNameButton.present());

  const char* buttons[] = {"suspendKeyButton",     "loginNameButton",  "passwordButton",
                           "userNameButton",       "jobNameButton",    "folderPasswordButton",
                           "userNumberButton",     "accountNumberButton"};
  for (const char* button : buttons) put(job, button, "0");
  save(job);
  EXPECT_EQ(get(job, "holdButton"), "0");

  unsigned expected = 0;
  for (unsigned i = 0; i < 8; ++i) {
    put(job, buttons[i], "1");
    expected |= 1u << i;
    save(job);
    EXPECT_EQ(get(job, "holdButton"), std::to_string(expected)) << buttons[i];
  }
  EXPECT_TRUE(headless::set(*extra->controlNamed("folderNameButton"), "1"));
  save(job);
  EXPECT_EQ(get(job, "holdButton"), "511");
  job.panel.folderNameButton.disconnect();
}

}  // namespace

namespace {

// A layout whose radio form offers more rows than the four filing modes: retention and five folder rows.
std::string layoutWithFolderRows(int rows) {
  std::string radios;
  for (int i = 0; i < rows; ++i)
    radios += "<item><widget class=\"QRadioButton\" name=\"row" + std::to_string(i) + "\"/></item>";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>Rows</class>"
         "<widget class=\"QWidget\" name=\"Rows\"><layout class=\"QVBoxLayout\" name=\"root\">"
         "<item><widget class=\"QCheckBox\" name=\"retentionCheckBox\"/></item>"
         "<item><widget class=\"QWidget\" name=\"folderSelectionMatrix\"><layout class=\"QVBoxLayout\" "
         "name=\"rows\">" + radios + "</layout></widget></item></layout></widget></ui>";
}

class WriterLayoutTest : public uitest::UiFixture {};

}  // namespace

// The filer knows filing modes 0 to 3 only: a row beyond them is sent as no filing, never as a mode of its own.
TEST_F(WriterLayoutTest, FilingModeBeyondThreeIsSentAsNone) {
  testsupport::ScratchDir dir;
  const auto layout = dir.path() / "rows.ui";
  testsupport::writeFile(layout, layoutWithFolderRows(6));
  const struct {
    long row;
    const char* filing;
  } cases[] = {{0, "1"}, {2, "3"}, {3, "0"}, {5, "0"}};
  for (const auto& c : cases) {
    auto host = makeHost("demo-directory.ppd");
    OndrixPrintPdeTarvel& panel = panelWithLayout(layout, host);
    ASSERT_EQ(panel.hasInited, 1);
    put(panel, "retentionCheckBox", "1");
    put(panel, "folderSelectionMatrix", std::to_string(c.row));
    panel.writeNonPPDSettingsToPrintSettings();
    EXPECT_EQ(host->settings.getValue("ondrix.print.PrintSettings.filing"), c.filing) << c.row;
  }
}
