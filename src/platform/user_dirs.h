// Folders that belong to the user alone: the session's runtime folder, or a private one of the user's own
// under the temporary directory when the session has none.
#pragma once

#include <filesystem>
#include <optional>

namespace platform {

// $XDG_RUNTIME_DIR when it is an absolute path to a real folder of this user that nobody else can write
// into; else "/tmp/ondrix-pde-<uid>" (under $TMPDIR when it is absolute), made 0700 on first use and
// refused when someone else planted it. None when no such folder can be had.
std::optional<std::filesystem::path> userRuntimeDirectory();

// True when dir is a real folder (not a symlink to one) of this user that nobody else can write into; with
// privateOnly, one that nobody else can even enter.
bool isUsersOwnDirectory(const std::filesystem::path& dir, bool privateOnly);

}  // namespace platform
