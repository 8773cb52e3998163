#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform {
namespace {

void fsyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         const AtomicWrite& how) {
  const std::filesystem::path folder = target.parent_path();
  std::string temp = (folder / (how.temporaryPrefix + "XXXXXX")).string();
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;

  // The umask may have narrowed the mode; a close can report a write that failed late.
  bool ok = ::fchmod(fd, how.mode) == 0 && writeAll(fd, bytes) && (!how.durable || ::fsync(fd) == 0);
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    const int why = errno;  // callers report the cause of the failure, not of the clean-up
    ::unlink(temp.c_str());
    errno = why;
    return false;
  }
  if (how.durable) fsyncFolder(folder);
  return true;
}

}  // namespace platform
