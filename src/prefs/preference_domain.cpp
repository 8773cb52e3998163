// Access to the job-handling record: a fresh defaults object for every operation, so that what other
// panels and processes stored is seen, and the domain's lock around every change.
#include "prefs/preference_domain.h"

#include "platform/defaults.h"

namespace prefs {
namespace {

using platform::plist::Dict;

// The shared store, recreated so that it reads the stored domains afresh; none when there is none.
platform::UserDefaults* freshDefaults() {
  platform::UserDefaults::resetStandardUserDefaults();
  return platform::UserDefaults::standardUserDefaults();
}

std::optional<std::string> domainName(const platform::Text& preferenceName) {
  if (preferenceName.isEmpty()) return std::nullopt;
  return preferenceName.utf8();
}

// The domain's record as a dictionary; a missing record, or one of another type, is none.
std::optional<Dict> recordOf(const Dict& domain) {
  const platform::plist::Value* record = platform::plist::find(domain, kRecordKey);
  if (!record || !record->dict()) return std::nullopt;
  return *record->dict();
}

}  // namespace

std::optional<Dict> loadRecord(const platform::Text& preferenceName) {
  const auto name = domainName(preferenceName);
  platform::UserDefaults* defaults = name ? freshDefaults() : nullptr;
  if (!defaults) return std::nullopt;
  const auto domain = defaults->persistentDomainForName(*name);
  if (!domain) return std::nullopt;
  return recordOf(*domain);
}

bool updateRecord(const platform::Text& preferenceName, const std::function<void(Dict&)>& edit) {
  const auto name = domainName(preferenceName);
  platform::UserDefaults* defaults = name ? freshDefaults() : nullptr;
  if (!defaults) return false;

  // Held until the new domain is in place; a lock that cannot be had still lets the save go ahead.
  const auto lock = defaults->lockDomain(*name);
  defaults->removeStaleTemporaryFiles(*name, lock);
  Dict domain = defaults->persistentDomainForName(*name).value_or(Dict{});
  // Moved out, not copied: a record may hold a long folder list.
  Dict record;
  if (const auto it = domain.find(kRecordKey); it != domain.end() && it->second.dict())
    record = std::move(std::get<Dict>(it->second.v));
  edit(record);
  domain[kRecordKey] = std::move(record);
  const bool written = defaults->setPersistentDomain(domain, *name);
  defaults->synchronize();
  return written;
}

}  // namespace prefs
