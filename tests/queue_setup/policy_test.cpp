// The private policy made from cupsd.conf texts: every other line kept, a second run changing nothing,
// the default policy's own settings carried over, and the exposure read back from the text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "queue_setup/policy.h"
#include "support/scratch.h"

namespace {

using queuesetup::exposureUnder;
using queuesetup::withPrivatePolicy;

const std::vector<std::string> kSecret = {"ondrix.print.PrintSettings.spoolTime",
                                          "ondrix.print.PrintSettings.jobSuspend2Key",
                                          "ondrix.print.PrintSettings.loginName11"};

const std::string kHead =
    "LogLevel warn\n# Only listen for connections from the local machine.\nListen /run/cups/cups.sock\n";
const std::string kTail = "<Policy authenticated>\n  JobPrivateAccess default\n  <Limit All>\n    Order deny,allow\n"
                          "  </Limit>\n</Policy>\nDefaultAuthType Basic\n";

std::string defaultPolicy(const std::string& privacy) {
  return "<Policy default>\n  # Job/subscription privacy...\n" + privacy +
         "  <Limit Cancel-Job>\n    JobPrivateValues none\n    Require user @OWNER @SYSTEM\n  </Limit>\n</Policy>\n";
}

// The text without the lines of the policy kPolicyName; the rest must be the input as it was.
std::string withoutPrivatePolicy(const std::string& conf) {
  const std::string open = "<Policy " + std::string(queuesetup::kPolicyName) + ">\n";
  const std::size_t begin = conf.find(open);
  if (begin == std::string::npos) return conf;
  const std::size_t end = conf.find("</Policy>\n", begin) + 10;
  return conf.substr(0, begin) + conf.substr(end);
}

TEST(PrivatePolicy, KeepsEveryOtherLineHidesEverySecretKeyAndRepeatsExactly) {
  struct Case {
    const char* what;
    std::string conf;
    std::string policyBefore;  // the text the new policy must directly follow
    bool defaultShowsKeys;
    std::vector<std::string> policyHas;  // lines of the new policy
  };
  const std::string stockPrivacy = "  JobPrivateAccess default\n  JobPrivateValues default\n";
  const Case cases[] = {
      {"stock default policy", kHead + defaultPolicy(stockPrivacy) + kTail, defaultPolicy(stockPrivacy), true,
       {"  JobPrivateAccess default", "  JobPrivateValues default ondrix.print.PrintSettings.spoolTime"}},
      {"no default policy: the scheduler's built-in one", kHead + kTail, kTail, true,
       {"  JobPrivateValues default ondrix.print.PrintSettings.spoolTime", "  <Limit CUPS-Get-Document>"}},
      {"values over two lines, in another case", kHead + "<policy DEFAULT>\njobprivatevalues job-name\n"
       "JobPrivateValues phone\n</policy>\n" + kTail, "</policy>\n", true,
       {"  JobPrivateValues job-name phone ondrix.print.PrintSettings.spoolTime"}},
      {"no values line means the default list", kHead + defaultPolicy("  JobPrivateAccess default\n") + kTail,
       defaultPolicy("  JobPrivateAccess default\n"), true,
       {"  JobPrivateValues default ondrix.print.PrintSettings.spoolTime"}},
      {"everyone may read: the copy may not", kHead + defaultPolicy("  JobPrivateAccess all\n") + kTail,
       defaultPolicy("  JobPrivateAccess all\n"), true, {"  JobPrivateAccess default"}},
      {"none private: the keys still are", kHead + defaultPolicy("  JobPrivateValues none\n") + kTail,
       defaultPolicy("  JobPrivateValues none\n"), true,
       {"  JobPrivateValues ondrix.print.PrintSettings.spoolTime ondrix.print.PrintSettings.jobSuspend2Key "
        "ondrix.print.PrintSettings.loginName11"}},
      {"all private already", kHead + defaultPolicy("  JobPrivateValues all\n") + kTail,
       defaultPolicy("  JobPrivateValues all\n"), false, {"  JobPrivateValues all"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string once = withPrivatePolicy(c.conf, kSecret);
    EXPECT_EQ(withoutPrivatePolicy(once), c.conf);
    EXPECT_EQ(withPrivatePolicy(once, kSecret), once);
    const std::string policyStart = "<Policy " + std::string(queuesetup::kPolicyName) + ">";
    EXPECT_NE(once.find(c.policyBefore + policyStart), std::string::npos) << once;
    const std::string policy = once.substr(once.find(policyStart));
    for (const std::string& line : c.policyHas) EXPECT_NE(policy.find("\n" + line), std::string::npos) << line;
    // The Limit's own line is no policy setting and stays in the copy as it was.
    if (c.conf.find("<Limit Cancel-Job>") != std::string::npos) {
      EXPECT_NE(policy.find("    JobPrivateValues none\n"), std::string::npos);
    }

    const auto exposed = exposureUnder(once, std::string(queuesetup::kPolicyName), kSecret);
    EXPECT_TRUE(exposed.policyKnown);
    EXPECT_FALSE(exposed.everyoneMayRead);
    EXPECT_TRUE(exposed.shown.empty());
    EXPECT_EQ(!exposureUnder(once, "default", kSecret).shown.empty(), c.defaultShowsKeys);
  }
}

// An earlier version of the policy is replaced where it stands; a long list of keys is spread over lines
// the scheduler reads whole (it reads 2048 bytes a line).
TEST(PrivatePolicy, ReplacesAnEarlierVersionInPlaceAndKeepsLinesShort) {
  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i) many.push_back("ondrix.print.PrintSettings.loginName2" + std::to_string(i));
  const std::string old = "<Policy ondrix-private>\n  JobPrivateValues default\n</Policy>\n";
  const std::string conf = kHead + old + defaultPolicy("") + kTail;
  const std::string updated = withPrivatePolicy(conf, many);
  EXPECT_EQ(updated.find("<Policy ondrix-private>"), kHead.size());
  EXPECT_EQ(updated.find("<Policy ondrix-private>", kHead.size() + 1), std::string::npos);
  EXPECT_TRUE(updated.ends_with(defaultPolicy("") + kTail));
  std::size_t start = 0;
  int valueLines = 0;
  for (std::size_t end; (end = updated.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LT(end - start, 1100u);
    valueLines += updated.compare(start, 18, "  JobPrivateValues") == 0;
  }
  EXPECT_GE(valueLines, 2);
  EXPECT_TRUE(exposureUnder(updated, "ONDRIX-PRIVATE", many).shown.empty());
  const auto partly = exposureUnder(conf, "ondrix-private", many);
  EXPECT_EQ(partly.shown, many);
  EXPECT_FALSE(exposureUnder(conf, "no-such-policy", many).policyKnown);
}

// The built-in copy is the policy that Debian's CUPS ships, line for line without comments and blank lines.
TEST(PrivatePolicy, StockDefaultIsTheShippedOne) {
  const std::string shipped = testsupport::readFile("/usr/share/cups/cupsd.conf.default");
  if (shipped.empty()) GTEST_SKIP() << "needs cups-daemon";
  const auto policyLines = [](const std::string& text) {
    std::string out;
    bool inside = false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t start = line.find_first_not_of(' ');
      if (start == std::string::npos || line[start] == '#') continue;
      inside = inside || line.compare(start, 16, "<Policy default>") == 0;
      if (inside) out += line.substr(start) + "\n";
      if (inside && line.compare(start, 9, "</Policy>") == 0) break;
    }
    return out;
  };
  EXPECT_EQ(policyLines(std::string(queuesetup::kStockDefaultPolicy)), policyLines(shipped));
}

}  // namespace
