#include "ui/folder_list.h"

#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/encoding.h"

namespace folders {

FolderEntry makeEntry(std::string name, bool isProtected, bool isDirectory) {
  return FolderEntry{std::move(name), isProtected, isDirectory, false};
}

// One pass over the stored keys; a name that is already well-formed, as every name the panel stored
// itself is, is copied without a round trip through a text.
FolderEntry entryFromStored(const platform::plist::Dict& stored) {
  FolderEntry entry;
  for (const auto& [key, value] : stored) {
    if (key == "name") {
      if (const std::string* text = value.string()) {
        entry.name = platform::isWellFormedUtf8(*text) ? *text : platform::Text::fromUtf8(*text).utf8();
      }
    } else if (const bool* flag = value.boolean()) {
      if (key == "password") entry.password = *flag;
      else if (key == "dir") entry.dir = *flag;
      else if (key == "add") entry.add = *flag;
    }
  }
  return entry;
}

platform::plist::Dict toStored(const FolderEntry& entry) {
  platform::plist::Dict stored;
  forEachField(entry, [&stored](const char* key, const auto& field) {
    if (field) stored.emplace_hint(stored.end(), key, *field);
  });
  return stored;
}

// Walks both in key order: every present field must be the next stored key with a value of its type,
// and no stored key may be left over.
bool isStoredAs(const platform::plist::Dict& stored, const FolderEntry& entry) {
  auto next = stored.begin();
  bool same = true;
  forEachField(entry, [&](const char* key, const auto& field) {
    const bool isNext = next != stored.end() && next->first == std::string_view(key);
    if (!same || !field) {
      same = same && !isNext;
      return;
    }
    using Field = std::remove_cvref_t<decltype(*field)>;
    const Field* value = isNext ? std::get_if<Field>(&next->second.v) : nullptr;
    same = value && *value == *field;
    if (isNext) ++next;
  });
  return same && next == stored.end();
}

const FolderEntry* entryForItem(const std::optional<FolderList>& list, long index) {
  if (!list || index < kFirstFolderIndex) return nullptr;
  const auto position = static_cast<std::size_t>(index - kFirstFolderIndex);
  return position < list->size() ? &(*list)[position] : nullptr;
}

long itemForPosition(std::size_t position) { return kFirstFolderIndex + static_cast<long>(position); }

platform::Text name(const FolderEntry& entry) {
  return entry.name ? platform::Text::fromUtf8(*entry.name) : platform::Text();
}

bool isProtected(const FolderEntry& entry) { return entry.password.value_or(false); }

}  // namespace folders
