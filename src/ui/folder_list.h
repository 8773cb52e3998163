// The device's custom folders as the panel keeps them, and their place in the folder pop-up: quick
// file, the main folder and a separator come first, so list position i is pop-up item i + 3.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/plist.h"
#include "platform/text.h"

// A folder entry. Stored, it is a dictionary of "name" (string), "password", "dir" and "add" (booleans);
// in memory each field is kept apart, as the pop-up, the rules and the writer read them thousands of times
// and a dictionary per folder was most of the cost of a long list. Any field may be absent.
struct FolderEntry {
  std::optional<std::string> name = {};  // UTF-8
  std::optional<bool> password = {};
  std::optional<bool> dir = {};
  std::optional<bool> add = {};

  friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};
using FolderList = std::vector<FolderEntry>;

namespace folders {

inline constexpr long kMainFolderIndex = 1;
// Pop-up index of list position 0, behind quick file, the main folder and the separator.
inline constexpr long kFirstFolderIndex = 3;

// Calls visit(key, field) for each field under its stored key, in the stored dictionary's key order.
template <class Visit>
void forEachField(const FolderEntry& entry, Visit&& visit) {
  visit("add", entry.add);
  visit("dir", entry.dir);
  visit("name", entry.name);
  visit("password", entry.password);
}

// An entry as the device's folder service describes one; "add" is always false.
FolderEntry makeEntry(std::string name, bool isProtected, bool isDirectory);

// A stored entry as the panel may use it. The file is the user's and may be damaged: a field of the wrong
// type is left out, as if absent, and a name that is not UTF-8 has its bad bytes replaced by U+FFFD, so
// that nothing after the load meets text it cannot show. Keys that no entry has are not kept.
FolderEntry entryFromStored(const platform::plist::Dict& stored);

// The entry as it is stored: its present fields under their keys.
platform::plist::Dict toStored(const FolderEntry& entry);

// Whether stored is exactly toStored(entry), found without building that dictionary.
bool isStoredAs(const platform::plist::Dict& stored, const FolderEntry& entry);

// The entry pop-up item `index` stands for; none for the items before the first folder, for an index
// beyond the list, and without a list.
const FolderEntry* entryForItem(const std::optional<FolderList>& list, long index);

// The pop-up index of list position `position`.
long itemForPosition(std::size_t position);

// The entry's "name"; none when it has none.
platform::Text name(const FolderEntry& entry);

// Whether the folder asks for a folder pass code: only a "password" that is true does.
bool isProtected(const FolderEntry& entry);

}  // namespace folders
