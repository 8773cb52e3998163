// Atomic replacement of a file: the bytes go to a new file beside the target, which is then renamed over
// it, so that readers see the old file or the new one whole, never a part.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace platform {

struct AtomicWrite {
  // The temporary file's name in the target's folder, to which six random characters are appended.
  std::string temporaryPrefix;
  mode_t mode = 0600;
  // Flush the file and its folder to disk before and after the rename; for what must survive a crash.
  bool durable = false;
};

// Replaces the target with the bytes. False when it was not replaced; the old file is then untouched and
// no temporary file is left.
bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         const AtomicWrite& how);

// Writes all the bytes to the descriptor, resuming after interruptions and short writes. False on the
// first write error (a full disk, a file-size limit), which is never retried.
bool writeAll(int fd, std::span<const std::uint8_t> bytes);

}  // namespace platform
