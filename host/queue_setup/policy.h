// The scheduler's policy that keeps the panel's secret job options private: made from cupsd.conf's
// default policy, named kPolicyName, with those options added to its JobPrivateValues. Plain text in,
// plain text out, so that it can be checked without a scheduler.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace queuesetup {

inline constexpr std::string_view kPolicyName = "ondrix-private";

// CUPS 2.4's stock default policy, which the scheduler uses when cupsd.conf names none.
extern const std::string_view kStockDefaultPolicy;

// `conf` (the text of cupsd.conf) with the policy kPolicyName added after the default policy, or put in
// place of its earlier version: a copy of the default policy (the stock one when `conf` has none) whose
// JobPrivateValues also name every key of `secretKeys`, and whose JobPrivateAccess is not "all". Every
// other line of `conf` stays as it was; the same input gives the same output, so a second run changes
// nothing.
std::string withPrivatePolicy(const std::string& conf, const std::vector<std::string>& secretKeys);

// What the policy `policy` of `conf` shows of the secret keys to users other than the job's owner and
// administrators. A policy that `conf` lacks is the scheduler's built-in default when named "default",
// and unknown otherwise.
struct Exposure {
  bool policyKnown = true;
  bool everyoneMayRead = false;   // JobPrivateAccess all: nothing is private
  std::vector<std::string> shown; // the secret keys other users read, in the order given
};
Exposure exposureUnder(const std::string& conf, const std::string& policy, const std::vector<std::string>& secretKeys);

}  // namespace queuesetup
