// User defaults: one persistent domain per name, stored as an XML property list at
// $XDG_CONFIG_HOME/ondrix-pde/<domain>.plist (default ~/.config); a name that cannot be a file name as it is
// ("/" in it, a leading dot, over 200 bytes) is stored under a readable part of it and its digest. Every
// read goes to the file, every write replaces the file whole by rename, so other processes see complete
// domains only. The parsed form of each file is kept for the life of the process and parsed again only when
// the file's bytes differ, so reading an unchanged domain costs a read and a comparison, not a parse; a file
// whose inode, size and times are those it had when it was read, and were already a few seconds old then,
// is not even read. The empty name is no domain.
//
// The folder must be the user's own, and only the user may write into it (a link to such a folder is
// followed); anything else is neither read nor written. A domain file that is a link to a regular file of
// the user's own is read and written through, so the link stays; a link to anything else is left alone.
// Each refusal is told once on standard error.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/plist.h"

namespace platform {

class UserDefaults {
 public:
  // A store in the given folder (tests use their own).
  explicit UserDefaults(std::filesystem::path folder);

  // Drops the shared object so that the next standardUserDefaults() starts afresh.
  static void resetStandardUserDefaults();
  // The shared object for the user's configuration folder; none when no folder can be found.
  static UserDefaults* standardUserDefaults();
  // Points the shared object at another folder (tests); an empty path restores the default.
  static void setStandardFolderForTesting(std::filesystem::path folder);

  const std::filesystem::path& folder() const { return folder_; }

  // The stored domain, or none when it does not exist (or could not be parsed, in which case the file has
  // been moved aside with a ".corrupt-<time>" suffix).
  std::optional<plist::Dict> persistentDomainForName(const std::string& name);
  // The same, shared with the store's own copy instead of copied: never changed once returned.
  std::shared_ptr<const plist::Dict> sharedPersistentDomain(const std::string& name);
  // Replaces the stored domain; the folder and any missing parents are made 0700, the file 0600. False when the domain was not
  // written (the old one then stays); the first failure of the process is told on standard error, once. A
  // domain equal to the one on disk is not written again: the file keeps its bytes and time, and the result
  // is true.
  bool setPersistentDomain(const plist::Dict& domain, const std::string& name);
  bool setPersistentDomain(plist::Dict&& domain, const std::string& name);

  // Domain files parsed, written and read whole by this process so far, for tests that count them.
  static std::size_t parseCount();
  static std::size_t writeCount();
  static std::size_t readCount();
  // How old a file's times must be before its identity alone says it is unchanged (tests: a negative margin
  // trusts files of any age).
  static void setIdentityMarginForTesting(std::chrono::nanoseconds margin);
  // Writes are immediate; kept for the callers' order of operations.
  bool synchronize() { return true; }

  // An advisory lock on the domain (flock on a sibling "<domain>.lock"), held from construction to
  // destruction. Hold it across a read-modify-write so that concurrent writers lose nothing.
  class DomainLock {
   public:
    DomainLock() = default;
    explicit DomainLock(int fd) : fd_(fd) {}
    DomainLock(DomainLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    DomainLock& operator=(DomainLock&& other) noexcept;
    DomainLock(const DomainLock&) = delete;
    DomainLock& operator=(const DomainLock&) = delete;
    ~DomainLock();
    bool held() const { return fd_ >= 0; }

   private:
    int fd_ = -1;
  };
  DomainLock lockDomain(const std::string& name);
  // Removes the temporary files that writers of the domain killed before their rename left behind.
  // REQUIRES: held is the domain's lock, held by the caller.
  void removeStaleTemporaryFiles(const std::string& name, const DomainLock& held);

 private:
  std::filesystem::path fileFor(const std::string& name) const;
  static std::string temporaryPrefix(const std::string& name);
  std::filesystem::path folder_;
};

}  // namespace platform
