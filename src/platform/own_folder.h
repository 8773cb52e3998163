// Folders the user's files may be kept in: the user's own, which nobody else can plant anything into.
#pragma once

#include <filesystem>
#include <optional>

namespace platform {

// Whether the path is a real folder (a symbolic link is not one) owned by the effective user that nobody
// else can write into; with privateOnly, one that nobody else can even enter.
bool isUsersOwnFolder(const std::filesystem::path& folder, bool privateOnly);

// Makes the folder and any missing parents, each new one 0700 whatever the umask (as the XDG base-directory
// rules ask); folders that exist are left as they are. True when the folder exists afterwards, also when
// another process made it at the same moment.
bool makeFolders(const std::filesystem::path& folder);

// $XDG_RUNTIME_DIR when it is an absolute path to a folder of the user's own; else "/tmp/ondrix-pde-<uid>"
// (under $TMPDIR when it is absolute), made 0700 on first use and refused when someone else planted it.
// None when no such folder can be had.
std::optional<std::filesystem::path> userRuntimeDirectory();

}  // namespace platform
