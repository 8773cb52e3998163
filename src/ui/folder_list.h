// The device's custom folders as the panel keeps them, and their place in the folder pop-up: quick
// file, the main folder and a separator come first, so list position i is pop-up item i + 3.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/plist.h"
#include "platform/text.h"

// A folder entry: "name" (string), "password", "dir", "add" (booleans).
using FolderEntry = platform::plist::Dict;
using FolderList = std::vector<FolderEntry>;

namespace folders {

inline constexpr long kMainFolderIndex = 1;
// Pop-up index of list position 0, behind quick file, the main folder and the separator.
inline constexpr long kFirstFolderIndex = 3;

// An entry as the device's folder service describes one; "add" is always false.
FolderEntry makeEntry(std::string name, bool isProtected, bool isDirectory);

// A stored entry as the panel may use it. The file is the user's and may be damaged: a field of the wrong
// type is left out, as if absent, and a name that is not UTF-8 has its bad bytes replaced by U+FFFD, so
// that nothing after the load meets text it cannot show. Keys that no entry has are not kept.
FolderEntry entryFromStored(const platform::plist::Dict& stored);

// The entry pop-up item `index` stands for; none for the items before the first folder, for an index
// beyond the list, and without a list.
const FolderEntry* entryForItem(const std::optional<FolderList>& list, long index);

// The pop-up index of list position `position`.
long itemForPosition(std::size_t position);

// The entry's "name"; none when it has no string under that key.
platform::Text name(const FolderEntry& entry);

// Whether the folder asks for a folder pass code: only a boolean "password" that is true does.
bool isProtected(const FolderEntry& entry);

}  // namespace folders
