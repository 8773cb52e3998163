#include "ui/folder_list.h"

#include <utility>

#include "platform/encoding.h"

namespace folders {

// Built in key order, each key placed at the end without a search and the name moved in: a reply of
// thousands of folders makes one entry each.
FolderEntry makeEntry(std::string name, bool isProtected, bool isDirectory) {
  FolderEntry entry;
  entry.emplace_hint(entry.end(), "add", false);
  entry.emplace_hint(entry.end(), "dir", isDirectory);
  entry.emplace_hint(entry.end(), "name", std::move(name));
  entry.emplace_hint(entry.end(), "password", isProtected);
  return entry;
}

namespace {

// An entry that entryFromStored would give back unchanged: known keys only, each of its own type, and a
// name that needs no repair.
bool isPanelEntry(const platform::plist::Dict& stored) {
  for (const auto& [key, value] : stored) {
    if (key == "name") {
      if (!value.string() || !platform::isWellFormedUtf8(*value.string())) return false;
    } else if (key == "password" || key == "dir" || key == "add") {
      if (!value.boolean()) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

// Entries the panel stored itself are copied whole: rebuilding them key by key was most of a load.
FolderEntry entryFromStored(const platform::plist::Dict& stored) {
  if (isPanelEntry(stored)) return stored;
  FolderEntry entry;
  if (const platform::plist::Value* value = platform::plist::find(stored, "name"); value && value->string())
    entry["name"] = platform::plist::Value(platform::Text::fromUtf8(*value->string()).utf8());
  for (const char* flag : {"password", "dir", "add"}) {
    const platform::plist::Value* value = platform::plist::find(stored, flag);
    if (value && value->boolean()) entry[flag] = *value;
  }
  return entry;
}

const FolderEntry* entryForItem(const std::optional<FolderList>& list, long index) {
  if (!list || index < kFirstFolderIndex) return nullptr;
  const auto position = static_cast<std::size_t>(index - kFirstFolderIndex);
  return position < list->size() ? &(*list)[position] : nullptr;
}

long itemForPosition(std::size_t position) { return kFirstFolderIndex + static_cast<long>(position); }

platform::Text name(const FolderEntry& entry) {
  const platform::plist::Value* value = platform::plist::find(entry, "name");
  const std::string* text = value ? value->string() : nullptr;
  return text ? platform::Text::fromUtf8(*text) : platform::Text();
}

bool isProtected(const FolderEntry& entry) {
  const platform::plist::Value* password = platform::plist::find(entry, "password");
  const bool* flag = password ? password->boolean() : nullptr;
  return flag && *flag;
}

}  // namespace folders
