// The job-handling record of a printer's preference domain, shared by the user and folder preferences.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/plist.h"
#include "platform/text.h"

namespace prefs {

inline constexpr const char* kRecordKey = "Job Handling";

// The record as stored now, read afresh and shared with the store (never changed once returned); none
// when there is no store, no domain name (preferenceName none or empty), no domain or no record.
std::shared_ptr<const platform::plist::Dict> loadRecord(const platform::Text& preferenceName);

// Read-modify-write of the record under the domain's lock, so that other panels and processes saving at
// the same time lose nothing: edit receives a copy of the stored record (empty when there is none) and
// every other entry of the domain is kept. A record that edit leaves as it was is not written again.
// False when there is no store or no domain name (edit is not
// called) or the domain could not be written.
bool updateRecord(const platform::Text& preferenceName, const std::function<void(platform::plist::Dict&)>& edit);

// A value too large to make only to find it stored already: same tells whether a stored value equals it,
// make gives it.
struct LazyValue {
  std::function<bool(const platform::plist::Value& stored)> same;
  std::function<platform::plist::Value()> make;
};

// Stores each of values and lazyValues under its key in the record, the same way; a record that holds them
// all already is not written, and is not copied to find that out, nor is any lazy value made.
bool storeRecordValues(const platform::Text& preferenceName, platform::plist::Dict values,
                       const std::map<std::string, LazyValue>& lazyValues = {});

}  // namespace prefs
