// cupsd.conf is kept line by line: a policy is the lines from "<Policy NAME>" to "</Policy>", and its
// job privacy is the JobPrivateAccess and JobPrivateValues lines directly inside it (each line of values
// adds to the list, as the scheduler reads them).
#include "queue_setup/policy.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>

namespace queuesetup {

// As Debian's CUPS 2.4 ships it in cupsd.conf, without its comments.
const std::string_view kStockDefaultPolicy =
    "<Policy default>\n"
    "  JobPrivateAccess default\n"
    "  JobPrivateValues default\n"
    "  SubscriptionPrivateAccess default\n"
    "  SubscriptionPrivateValues default\n"
    "  <Limit Create-Job Print-Job Print-URI Validate-Job>\n"
    "    Order deny,allow\n"
    "  </Limit>\n"
    "  <Limit Send-Document Send-URI Hold-Job Release-Job Restart-Job Purge-Jobs Set-Job-Attributes "
    "Create-Job-Subscription Renew-Subscription Cancel-Subscription Get-Notifications Reprocess-Job "
    "Cancel-Current-Job Suspend-Current-Job Resume-Job Cancel-My-Jobs Close-Job CUPS-Move-Job>\n"
    "    Require user @OWNER @SYSTEM\n"
    "    Order deny,allow\n"
    "  </Limit>\n"
    "  <Limit CUPS-Get-Document>\n"
    "    AuthType Default\n"
    "    Require user @OWNER @SYSTEM\n"
    "    Order deny,allow\n"
    "  </Limit>\n"
    "  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class CUPS-Delete-Class "
    "CUPS-Set-Default CUPS-Get-Devices>\n"
    "    AuthType Default\n"
    "    Require user @SYSTEM\n"
    "    Order deny,allow\n"
    "  </Limit>\n"
    "  <Limit Pause-Printer Resume-Printer Enable-Printer Disable-Printer "
    "Pause-Printer-After-Current-Job Hold-New-Jobs Release-Held-New-Jobs Deactivate-Printer "
    "Activate-Printer Restart-Printer Shutdown-Printer Startup-Printer Promote-Job Schedule-Job-After "
    "Cancel-Jobs CUPS-Accept-Jobs CUPS-Reject-Jobs>\n"
    "    AuthType Default\n"
    "    Require user @SYSTEM\n"
    "    Order deny,allow\n"
    "  </Limit>\n"
    "  <Limit Cancel-Job CUPS-Authenticate-Job>\n"
    "    Require user @OWNER @SYSTEM\n"
    "    Order deny,allow\n"
    "  </Limit>\n"
    "  <Limit All>\n"
    "    Order deny,allow\n"
    "  </Limit>\n"
    "</Policy>\n";

namespace {

// Keeps each line of values well below the scheduler's 2048-byte line buffer.
constexpr std::size_t kValuesLineLimit = 1000;

using Lines = std::vector<std::string>;

Lines splitLines(std::string_view text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string> words(std::string_view line) {
  std::istringstream in{std::string(line)};
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// The directive of a line in lower case ("<policy", "jobprivatevalues", "</policy>"), and its arguments.
struct Directive {
  std::string name;
  std::vector<std::string> args;
};
Directive directiveOf(std::string_view line) {
  std::vector<std::string> w = words(line);
  if (w.empty() || w.front().front() == '#') return {};
  Directive d{lower(w.front()), {w.begin() + 1, w.end()}};
  // "<Policy name>": the closing bracket belongs to the name.
  if (!d.args.empty() && d.args.back().ends_with('>')) d.args.back().pop_back();
  return d;
}

// The lines [begin, end] of the policy section named `name` (case does not matter to the scheduler).
struct Section {
  std::size_t begin = 0;
  std::size_t end = 0;
};
std::optional<Section> findPolicy(const Lines& lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Directive d = directiveOf(lines[i]);
    if (d.name != "<policy" || d.args.size() != 1 || lower(d.args[0]) != lower(name)) continue;
    for (std::size_t j = i + 1; j < lines.size(); ++j)
      if (directiveOf(lines[j]).name == "</policy>") return Section{i, j};
  }
  return std::nullopt;
}

// The body of the policy `name`: the lines between its opening and closing lines. The stock default's
// when `conf` lacks a default policy; none when it lacks another.
std::optional<Lines> policyBody(const Lines& lines, std::string_view name) {
  if (const auto section = findPolicy(lines, name))
    return Lines(lines.begin() + static_cast<long>(section->begin) + 1,
                 lines.begin() + static_cast<long>(section->end));
  if (lower(name) != "default") return std::nullopt;
  const Lines stock = splitLines(kStockDefaultPolicy);
  return Lines(stock.begin() + 1, stock.end() - 1);
}

// The job privacy of a policy body, at its top level (not inside a Limit).
struct Privacy {
  bool valuesGiven = false;
  std::vector<std::string> values;  // in lower case for keywords, as written for names
  bool accessAll = false;
};
Privacy privacyOf(const Lines& body) {
  Privacy privacy;
  int depth = 0;
  for (const std::string& line : body) {
    const Directive d = directiveOf(line);
    if (d.name.starts_with("</")) --depth;
    else if (d.name.starts_with("<")) ++depth;
    if (depth != 0) continue;
    if (d.name == "jobprivatevalues") {
      privacy.valuesGiven = true;
      privacy.values.insert(privacy.values.end(), d.args.begin(), d.args.end());
    } else if (d.name == "jobprivateaccess") {
      for (const std::string& arg : d.args) privacy.accessAll = privacy.accessAll || lower(arg) == "all";
    }
  }
  return privacy;
}

bool hasValue(const std::vector<std::string>& values, std::string_view value, bool keyword) {
  return std::any_of(values.begin(), values.end(),
                     [&](const std::string& v) { return keyword ? lower(v) == value : v == value; });
}

// The new policy's lines: the default's body with its JobPrivateValues lines replaced by one list, in
// place of the first, that keeps the default's values and adds the secret keys.
Lines privatePolicy(const Lines& defaultBody, const std::vector<std::string>& secretKeys) {
  const Privacy privacy = privacyOf(defaultBody);
  std::vector<std::string> values;
  // No JobPrivateValues line means "default" to the scheduler; "none" would empty the list we add to.
  if (!privacy.valuesGiven) values.push_back("default");
  for (const std::string& v : privacy.values)
    if (lower(v) != "none" && !hasValue(values, v, false)) values.push_back(v);
  const bool all = hasValue(values, "all", true);
  if (!all)
    for (const std::string& key : secretKeys)
      if (!hasValue(values, key, false)) values.push_back(key);

  Lines valueLines;
  std::string line;
  for (const std::string& v : values) {
    if (!line.empty() && line.size() + 1 + v.size() > kValuesLineLimit) {
      valueLines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "  JobPrivateValues " : " ") + v;
  }
  valueLines.push_back(line);

  Lines out{"<Policy " + std::string(kPolicyName) + ">",
            "  # Made by ondrix-queue-setup from the default policy: the job options of the Ondrix panel that",
            "  # carry credentials or names are private to the job's owner and administrators."};
  bool valuesPlaced = false;
  int depth = 0;
  for (const std::string& bodyLine : defaultBody) {
    const Directive d = directiveOf(bodyLine);
    if (d.name.starts_with("</")) --depth;
    else if (d.name.starts_with("<")) ++depth;
    const bool topLevel = depth == 0;
    if (topLevel && d.name == "jobprivatevalues") {
      if (!valuesPlaced) out.insert(out.end(), valueLines.begin(), valueLines.end());
      valuesPlaced = true;
    } else if (topLevel && d.name == "jobprivateaccess" && privacy.accessAll) {
      out.push_back("  JobPrivateAccess default");
    } else {
      out.push_back(bodyLine);
    }
  }
  if (!valuesPlaced) out.insert(out.begin() + 3, valueLines.begin(), valueLines.end());
  out.push_back("</Policy>");
  return out;
}

}  // namespace

// Returns a new text; `conf` is not changed.
std::string withPrivatePolicy(const std::string& conf, const std::vector<std::string>& secretKeys) {
  Lines lines = splitLines(conf);
  const Lines policy = privatePolicy(*policyBody(lines, "default"), secretKeys);
  if (const auto old = findPolicy(lines, kPolicyName)) {
    lines.erase(lines.begin() + static_cast<long>(old->begin), lines.begin() + static_cast<long>(old->end) + 1);
    lines.insert(lines.begin() + static_cast<long>(old->begin), policy.begin(), policy.end());
  } else if (const auto defaultPolicy = findPolicy(lines, "default")) {
    lines.insert(lines.begin() + static_cast<long>(defaultPolicy->end) + 1, policy.begin(), policy.end());
  } else {
    lines.insert(lines.end(), policy.begin(), policy.end());
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

// Reads `conf` only.
Exposure exposureUnder(const std::string& conf, const std::string& policy, const std::vector<std::string>& secretKeys) {
  Exposure exposure;
  const auto body = policyBody(splitLines(conf), policy);
  if (!body) {
    exposure.policyKnown = false;
    exposure.shown = secretKeys;
    return exposure;
  }
  const Privacy privacy = privacyOf(*body);
  exposure.everyoneMayRead = privacy.accessAll;
  for (const std::string& key : secretKeys) {
    const bool hidden = hasValue(privacy.values, "all", true) || hasValue(privacy.values, key, false);
    if (privacy.accessAll || !hidden) exposure.shown.push_back(key);
  }
  return exposure;
}

}  // namespace queuesetup
