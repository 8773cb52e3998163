#include "claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

#include "platform/own_folder.h"

namespace jobagent {

std::optional<Claim> Claim::take(const std::filesystem::path& file) {
  // Two rounds: the file may be removed by its holder between our open and our lock.
  for (int round = 0; round < 2; ++round) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return std::nullopt;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return std::nullopt;
    }
    // The lock counts only on the file that still has the name; a removed one means its holder finished.
    struct stat held = {}, named = {};
    if (::fstat(fd, &held) != 0 || ::stat(file.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
        held.st_dev != named.st_dev) {
      ::close(fd);
      continue;
    }
    // A file left by an older agent becomes the user's alone like a new one. The process id is only for a
    // person looking at the folder; the lock is the claim, so a failed write changes nothing.
    const std::string pid = std::to_string(::getpid()) + "\n";
    const bool noted = ::fchmod(fd, 0600) == 0 && ::ftruncate(fd, 0) == 0 &&
                       ::write(fd, pid.data(), pid.size()) == static_cast<ssize_t>(pid.size());
    static_cast<void>(noted);
    return Claim(fd, file);
  }
  return std::nullopt;
}

Claim::~Claim() {
  if (fd_ < 0) return;
  ::unlink(file_.c_str());
  ::close(fd_);
}

std::optional<std::filesystem::path> claimFolder() {
  const auto runtime = platform::userRuntimeDirectory();
  if (!runtime) return std::nullopt;
  const std::filesystem::path dir = *runtime / "ondrix-pde";
  if (!platform::makeFolders(dir) || !platform::isUsersOwnFolder(dir, true)) return std::nullopt;
  return dir;
}

std::string fileNameOf(const std::string& text) {
  std::string name;
  for (unsigned char c : text) name += std::isalnum(c) ? static_cast<char>(c) : '_';
  return name;
}

}  // namespace jobagent
