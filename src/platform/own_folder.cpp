#include "platform/own_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

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

}  // namespace platform
