// A claim on something that only one process of the user may handle at a time (a held job, the agent of a
// session): a file in the user's runtime folder with an exclusive flock on it. The lock, not the file, is
// the claim, so the file of an agent that died claims nothing: the kernel dropped its lock.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace jobagent {

class Claim {
 public:
  // Takes the claim named by file, creating the file (0600) with this process's id in it; none when a live
  // process holds it or the file cannot be made.
  static std::optional<Claim> take(const std::filesystem::path& file);

  Claim(Claim&& other) noexcept : fd_(other.fd_), file_(std::move(other.file_)) { other.fd_ = -1; }
  Claim& operator=(Claim&&) = delete;
  Claim(const Claim&) = delete;
  // Removes the file, then lets the lock go: a process waiting on the old file sees that it was removed.
  ~Claim();

 private:
  Claim(int fd, std::filesystem::path file) : fd_(fd), file_(std::move(file)) {}
  int fd_ = -1;
  std::filesystem::path file_;
};

// The folder of the user's claims, "ondrix-pde" in the user's runtime folder (made 0700 when missing);
// none when the user has no private folder.
std::optional<std::filesystem::path> claimFolder();

// A name made of the server's address for a file name: letters and digits kept, everything else '_'.
std::string fileNameOf(const std::string& text);

}  // namespace jobagent
