// Access to the job-handling record: a fresh defaults object for every operation, so that what other
// panels and processes stored is seen, and the domain's lock around every change.
#include "prefs/preference_domain.h"

#include <algorithm>
#include <optional>

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
const Dict* recordIn(const Dict& domain) {
  const platform::plist::Value* record = platform::plist::find(domain, kRecordKey);
  return record ? record->dict() : nullptr;
}

// Read-modify-write of the record under the domain's lock: change gets the stored record (none when
// there is none) and gives the new one, or none when the stored one stands. The domain exists after the
// first change even when the record stays empty.
bool changeRecord(const platform::Text& preferenceName,
                  const std::function<std::optional<Dict>(const Dict* storedRecord)>& change) {
  const auto name = domainName(preferenceName);
  platform::UserDefaults* defaults = name ? freshDefaults() : nullptr;
  if (!defaults) return false;

  // Held until the new domain is in place; a lock that cannot be had still lets the save go ahead.
  const auto lock = defaults->lockDomain(*name);
  defaults->removeStaleTemporaryFiles(*name, lock);
  const auto stored = defaults->sharedPersistentDomain(*name);
  const Dict* storedRecord = stored ? recordIn(*stored) : nullptr;
  auto record = change(storedRecord);
  if (!record && storedRecord) return true;

  // A new domain: the other entries as stored, and the new record.
  Dict domain;
  if (stored) {
    for (const auto& [key, value] : *stored) {
      if (key != kRecordKey) domain.emplace_hint(domain.end(), key, value);
    }
  }
  domain[kRecordKey] = record ? std::move(*record) : Dict{};
  const bool written = defaults->setPersistentDomain(std::move(domain), *name);
  defaults->synchronize();
  return written;
}

}  // namespace

std::shared_ptr<const Dict> loadRecord(const platform::Text& preferenceName) {
  const auto name = domainName(preferenceName);
  platform::UserDefaults* defaults = name ? freshDefaults() : nullptr;
  if (!defaults) return nullptr;
  auto domain = defaults->sharedPersistentDomain(*name);
  const Dict* record = domain ? recordIn(*domain) : nullptr;
  // Shares the domain's ownership: the record is a part of it.
  return record ? std::shared_ptr<const Dict>(std::move(domain), record) : nullptr;
}

bool updateRecord(const platform::Text& preferenceName, const std::function<void(Dict&)>& edit) {
  return changeRecord(preferenceName, [&edit](const Dict* storedRecord) -> std::optional<Dict> {
    Dict record = storedRecord ? *storedRecord : Dict{};
    edit(record);
    if (storedRecord && record == *storedRecord) return std::nullopt;
    return record;
  });
}

bool storeRecordValues(const platform::Text& preferenceName, Dict values,
                       const std::map<std::string, LazyValue>& lazyValues) {
  return changeRecord(preferenceName, [&](const Dict* storedRecord) -> std::optional<Dict> {
    // Compared before anything is copied: a save of unchanged values copies no stored folder list.
    const auto same = [storedRecord](const auto& entry) {
      const platform::plist::Value* stored = platform::plist::find(*storedRecord, entry.first);
      return stored && *stored == entry.second;
    };
    const auto sameLazy = [storedRecord](const auto& entry) {
      const platform::plist::Value* stored = platform::plist::find(*storedRecord, entry.first);
      return stored && entry.second.same(*stored);
    };
    if (storedRecord && std::all_of(values.begin(), values.end(), same) &&
        std::all_of(lazyValues.begin(), lazyValues.end(), sameLazy)) {
      return std::nullopt;
    }
    // Only the stored values that stay are copied: an old folder list never lives beside the new one.
    Dict record;
    if (storedRecord) {
      for (const auto& [key, value] : *storedRecord) {
        if (!values.contains(key) && !lazyValues.contains(key)) record.emplace_hint(record.end(), key, value);
      }
    }
    for (auto& [key, value] : values) record[key] = std::move(value);
    for (const auto& [key, value] : lazyValues) record[key] = value.make();
    return record;
  });
}

}  // namespace prefs
