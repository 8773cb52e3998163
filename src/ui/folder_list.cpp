#include "ui/folder_list.h"

#include <utility>

namespace folders {

FolderEntry makeEntry(std::string name, bool isProtected, bool isDirectory) {
  return FolderEntry{{"name", std::move(name)}, {"password", isProtected}, {"dir", isDirectory}, {"add", false}};
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
