// User defaults kept as one XML property list per domain in the user's configuration folder.
//
// Readers never see a half-written file: a domain is written to a temporary file in the same folder,
// flushed, and renamed over the old one. Writers that must not lose each other's changes hold the
// domain's lock file across their read-modify-write.
#include "platform/defaults.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string_view>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStoreFolderName = "ondrix-pde";
constexpr std::string_view kDomainSuffix = ".plist";
constexpr std::string_view kLockSuffix = ".lock";
// Room for the suffixes within a file name of 255 bytes.
constexpr std::size_t kMaxDomainNameBytes = 200;

// A file descriptor closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded (a late write error shows here).
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::mutex& sharedMutex() {
  static std::mutex m;
  return m;
}
std::unique_ptr<UserDefaults>& sharedObject() {
  static std::unique_ptr<UserDefaults> object;
  return object;
}
fs::path& testingFolder() {
  static fs::path folder;
  return folder;
}

// A domain name must stay one plain file name in the store's folder; a leading dot is kept for the
// store's own temporary files.
bool validDomainName(const std::string& name) {
  return !name.empty() && name.size() <= kMaxDomainNameBytes && name.front() != '.' &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// The user's home folder: $HOME, else the password database's entry; empty when neither is known.
fs::path homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir ||
      !*found->pw_dir) {
    return {};
  }
  return found->pw_dir;
}

// $XDG_CONFIG_HOME/ondrix-pde, or ~/.config/ondrix-pde; a relative XDG_CONFIG_HOME is ignored, as the
// XDG rules say. Empty when no home is known.
fs::path defaultFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) return fs::path(xdg) / kStoreFolderName;
  const fs::path home = homeFolder();
  if (home.empty()) return {};
  return home / ".config" / kStoreFolderName;
}

// Makes the store's folder (0700) and any missing parents; true when it exists afterwards.
bool ensureFolder(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  if (folder.has_parent_path()) fs::create_directories(folder.parent_path(), ec);
  if (::mkdir(folder.c_str(), 0700) == 0) {
    // The umask may have taken owner bits away.
    ::chmod(folder.c_str(), 0700);
    return true;
  }
  return errno == EEXIST && fs::is_directory(folder, ec);
}

// Says once per process, on standard error, that preferences cannot be kept; the caller goes on without
// them. Reads errno, so call it straight after the failed call. Returns false for the caller to pass on.
bool warnNotStored(const fs::path& folder) {
  const int why = errno;
  static std::once_flag once;
  std::call_once(once, [&] {
    std::fprintf(stderr, "ondrix-pde: cannot store the preferences in %s: %s\n", folder.c_str(), std::strerror(why));
  });
  return false;
}

// The whole file, or its first limit + 1 bytes at least (so that an oversized file shows as such);
// none when it cannot be read.
std::optional<std::string> readBounded(int fd, std::size_t limit) {
  std::string bytes;
  char chunk[65536];
  while (bytes.size() <= limit) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  return bytes;
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Renames from to to unless to exists; false when to exists or the rename failed.
bool renameNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without the flag: a check first, which is enough in the user's private folder.
  std::error_code ec;
  if (fs::exists(fs::symlink_status(to, ec))) {
    errno = EEXIST;
    return false;
  }
  return std::rename(from.c_str(), to.c_str()) == 0;
}

// Moves an unreadable domain file aside as "<file>.corrupt-<unix time>" (with "-<n>" when that name is
// taken), but only while the path still names the file that was read: a writer may have replaced it
// with a good one in the meantime.
void moveAside(const fs::path& file, const struct stat& readFile) {
  struct stat now {};
  if (::lstat(file.c_str(), &now) != 0 || now.st_dev != readFile.st_dev || now.st_ino != readFile.st_ino) return;
  const std::string base = file.string() + ".corrupt-" + std::to_string(static_cast<long long>(std::time(nullptr)));
  for (int n = 1; n <= 100; ++n) {
    const fs::path target = n == 1 ? fs::path(base) : fs::path(base + "-" + std::to_string(n));
    if (renameNoReplace(file, target)) return;
    if (errno != EEXIST) return;
  }
}

void fsyncFolder(const fs::path& folder) {
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path folder) : folder_(std::move(folder)) {}

void UserDefaults::resetStandardUserDefaults() {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  sharedObject().reset();
}

// The object stays owned by this module; a reset ends its life.
UserDefaults* UserDefaults::standardUserDefaults() {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  auto& object = sharedObject();
  if (!object) {
    fs::path folder = testingFolder().empty() ? defaultFolder() : testingFolder();
    if (folder.empty()) return nullptr;
    object = std::make_unique<UserDefaults>(std::move(folder));
  }
  return object.get();
}

void UserDefaults::setStandardFolderForTesting(std::filesystem::path folder) {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  testingFolder() = std::move(folder);
  sharedObject().reset();
}

std::filesystem::path UserDefaults::fileFor(const std::string& name) const {
  return folder_ / (name + std::string(kDomainSuffix));
}

// Reads the file afresh on every call. A file that is not a dictionary property list is moved aside,
// never left to be overwritten by the next save; a missing or unreadable file is simply no domain.
std::optional<plist::Dict> UserDefaults::persistentDomainForName(const std::string& name) {
  if (!validDomainName(name)) return std::nullopt;
  const fs::path file = fileFor(name);
  const Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;

  const auto bytes = readBounded(fd.get(), plist::kMaxXmlBytes);
  if (!bytes) return std::nullopt;
  auto domain = plist::parseXml(*bytes);
  if (!domain) moveAside(file, info);
  return domain;
}

// Writes a complete new file and renames it into place, so that the domain is always whole on disk.
bool UserDefaults::setPersistentDomain(const plist::Dict& domain, const std::string& name) {
  if (!validDomainName(name)) return false;
  const std::string xml = plist::toXml(domain);
  if (xml.empty() || xml.size() > plist::kMaxXmlBytes) return false;
  if (!ensureFolder(folder_)) return warnNotStored(folder_);

  // The temporary name starts with a dot, which no domain name may.
  std::string temp = (folder_ / ("." + name + std::string(kDomainSuffix) + ".XXXXXX")).string();
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return warnNotStored(folder_);
  const bool written = ::fchmod(fd.get(), 0600) == 0 && writeAll(fd.get(), xml) && ::fsync(fd.get()) == 0;
  if (!fd.close() || !written || std::rename(temp.c_str(), fileFor(name).c_str()) != 0) {
    const int why = errno;
    ::unlink(temp.c_str());
    errno = why;
    return warnNotStored(folder_);
  }
  fsyncFolder(folder_);
  return true;
}

UserDefaults::DomainLock& UserDefaults::DomainLock::operator=(DomainLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

// Closing the descriptor releases the lock.
UserDefaults::DomainLock::~DomainLock() {
  if (fd_ >= 0) ::close(fd_);
}

// Blocks until no other holder of the domain's lock is left. Not held when the name is refused or the
// lock file cannot be made; callers then go on unlocked, as the store did before locks existed.
UserDefaults::DomainLock UserDefaults::lockDomain(const std::string& name) {
  if (!validDomainName(name) || !ensureFolder(folder_)) return DomainLock();
  const fs::path file = folder_ / (name + std::string(kLockSuffix));
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return DomainLock();
  DomainLock lock(fd);
  // The umask may have narrowed the mode the file was made with.
  ::fchmod(fd, 0600);
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return DomainLock();
  }
  return lock;
}

}  // namespace platform
