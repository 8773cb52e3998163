#include "ui/folder_list.h"

#include <utility>

namespace folders {

FolderEntry makeEntry(std::string name, bool isProtected, bool isDirectory) {
  return FolderEntry{{"name", std::move(name)}, {"password", isProtected}, {"dir", isDirectory}, {"add", false}};
}

FolderEntry entryFromStored(const platform::plist::Dict& stored) {
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
