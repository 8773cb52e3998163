#include "platform/own_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace platform {
namespace {

// An environment value that is an absolute path, or none.
std::optional<std::filesystem::path> absolutePathFromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (!value || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value);
}

}  // namespace

bool isUsersOwnFolder(const std::filesystem::path& folder, bool privateOnly) {
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
  const mode_t forbidden = privateOnly ? mode_t{S_IRWXG | S_IRWXO} : mode_t{S_IWGRP | S_IWOTH};
  return (st.st_mode & forbidden) == 0;
}

// Parents first, so that each folder made is made by this call with its own mode. A folder that appears
// between the look and the mkdir (another process making it) is as good as one made here.
bool makeFolders(const std::filesystem::path& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (errno != ENOENT) return false;
  const std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !makeFolders(parent)) return false;
  if (::mkdir(folder.c_str(), 0700) == 0) {
    // The umask may have taken owner bits away.
    ::chmod(folder.c_str(), 0700);
    return true;
  }
  return errno == EEXIST && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::filesystem::path> userRuntimeDirectory() {
  // The session's runtime folder is the user's alone by design; take it when it is as it should be.
  if (auto runtime = absolutePathFromEnv("XDG_RUNTIME_DIR"); runtime && isUsersOwnFolder(*runtime, false))
    return *runtime;

  // Else a private folder under the temporary directory, made on first use. The checks after mkdir
  // catch a folder or symlink that someone else planted under the name beforehand.
  const std::filesystem::path base = absolutePathFromEnv("TMPDIR").value_or("/tmp");
  const std::filesystem::path dir = base / ("ondrix-pde-" + std::to_string(::geteuid()));
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  if (!isUsersOwnFolder(dir, true)) return std::nullopt;
  return dir;
}

}  // namespace platform
