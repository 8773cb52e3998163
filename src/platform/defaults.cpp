// User defaults kept as one XML property list per domain in the user's configuration folder.
//
// Readers never see a half-written file: a domain is written to a temporary file in the same folder,
// flushed, and renamed over the old one. Writers that must not lose each other's changes hold the
// domain's lock file across their read-modify-write.
#include "platform/defaults.h"

#include <cups/cups.h>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/hex.h"
#include "platform/own_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStoreFolderName = "ondrix-pde";
constexpr std::string_view kDomainSuffix = ".plist";
constexpr std::string_view kLockSuffix = ".lock";
// Room for the suffixes within a file name of 255 bytes.
constexpr std::size_t kMaxDomainNameBytes = 200;
// How much of a name that needs a digest stays readable in its file name.
constexpr std::size_t kMaxReadableBytes = 100;

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

// What tells one version of a file from another without reading it: a writer that replaces the file
// makes a new inode, one that writes in place moves the change time, which no user can set back.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified = 0;  // ns since the epoch
  std::int64_t changed = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

std::int64_t nanoseconds(const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

FileIdentity identityOf(const struct stat& info) {
  return {info.st_dev, info.st_ino, info.st_size, nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

// How much older than the read a file's times must be before its identity alone is trusted. A file
// changed again within one tick of the file system's clock (up to 2 s on some) may keep its times, so a
// file that young is compared by its bytes instead.
std::chrono::nanoseconds identityMargin = std::chrono::seconds(3);

// A domain file's bytes with the parsed domain they gave. Kept across resets of the shared object, which
// only mean "read afresh": the file is looked at again every time and decides whether the parse still
// holds.
struct ParsedDomain {
  std::string bytes;
  std::shared_ptr<const plist::Dict> domain;
  // The file's identity when these bytes were read from it, once the file was old enough to trust it.
  std::optional<FileIdentity> identity;
};
// Never destroyed: taking a kept list of 10,000 folders apart at exit cost 6 M instructions, for memory
// the system takes back anyway.
std::map<std::string, ParsedDomain>& parsedDomains() {
  static auto* domains = new std::map<std::string, ParsedDomain>;
  return *domains;
}
std::size_t parses = 0;
std::size_t writes = 0;
std::size_t reads = 0;

// A domain name that is a plain file name of the store's folder as it is; a leading dot is kept for the
// store's own temporary files.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name.size() <= kMaxDomainNameBytes && name.front() != '.' &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// The domain's file name without suffix. Ordinary names are their own, as they always were, so stored
// files stay found. Any other name (a queue identifier with "/", or too long) gets a readable part of
// itself followed by the SHA-256 of the whole name: one file per name, the same one every time.
std::string fileStem(const std::string& name) {
  if (isPlainFileName(name)) return name;
  std::string readable = name.substr(0, kMaxReadableBytes);
  // Never end in the middle of a UTF-8 sequence.
  while (!readable.empty() && (static_cast<unsigned char>(readable.back()) & 0xC0) == 0x80) readable.pop_back();
  if (!readable.empty() && static_cast<unsigned char>(readable.back()) >= 0xC0) readable.pop_back();
  for (char& c : readable) {
    if (c == '/' || c == '\0') c = '_';
  }
  if (!readable.empty() && readable.front() == '.') readable.front() = '_';

  // libcups's hash, on the TLS library it already loaded: OpenSSL's would cost every dialog its pages.
  unsigned char digest[32];
  const ssize_t length = cupsHashData("sha2-256", name.data(), name.size(), digest, sizeof digest);
  if (length != static_cast<ssize_t>(sizeof digest)) return {};
  const std::string_view bytes(reinterpret_cast<const char*>(digest), sizeof digest);
  return readable + "~" + hexText(bytes, HexDigits::lower);
}

// The six characters mkostemp puts in place of "XXXXXX".
bool isTemporarySuffix(std::string_view suffix) {
  if (suffix.size() != 6) return false;
  for (const char c : suffix) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// The password database's home folder for the user; empty when there is none. Looked up once per process:
// the lookup may read the whole database, and every operation makes the shared object afresh.
const fs::path& accountHome() {
  static const fs::path home = [] {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir ||
        !*found->pw_dir) {
      return fs::path();
    }
    return fs::path(found->pw_dir);
  }();
  return home;
}

// The user's home folder: $HOME, else the password database's entry; empty when neither is known.
fs::path homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  return accountHome();
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

// Says once per process (once per flag), on standard error, why preferences are neither read nor stored;
// the caller goes on without them. Returns false for the caller to pass on.
bool refuse(std::once_flag& once, const std::string& why) {
  std::call_once(once, [&] { std::fprintf(stderr, "ondrix-pde: %s\n", why.c_str()); });
  return false;
}

// Whether the store's folder is the user's own, so that what it holds was put there by the user: a link
// to someone else's folder would show values planted there and take the user's encrypted credentials.
// A link to a folder of the user's own (dotfile managers make those) is followed. Quiet when the folder
// does not exist: there is nothing to read yet.
bool isOwnStoreFolder(const fs::path& folder) {
  std::error_code ec;
  const auto status = fs::symlink_status(folder, ec);
  if (!fs::exists(status)) return false;
  const fs::path real = fs::is_symlink(status) ? fs::canonical(folder, ec) : folder;
  if (!ec && isUsersOwnFolder(real, false)) return true;
  static std::once_flag once;
  return refuse(once, "the preference folder " + folder.string() +
                " is not a folder of the user's own that only the user can write into: preferences are neither "
                "read nor stored");
}

// Makes the store's folder (0700, and so any missing parents) and checks that it is the user's own; true
// when it is there to be used. Tells why not, once.
bool ensureFolder(const fs::path& folder) {
  if (!makeFolders(folder)) return warnNotStored(folder);
  return isOwnStoreFolder(folder);
}

// The file that a domain's path stands for: the path itself, or, when it is a symbolic link (dotfile
// managers link files so), the regular file of the user's own it names, or the name of such a file
// still to be made in a folder of the user's own. That target is read and replaced in its own folder, so
// the link stays. None, with one line on standard error, for a link to anything else: then nothing is
// read and the link is never replaced.
std::optional<fs::path> domainTarget(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(file, ec))) return file;
  fs::path target = fs::read_symlink(file, ec);
  if (!ec && target.is_relative()) target = file.parent_path() / target;
  struct stat info {};
  if (!ec && ::stat(target.c_str(), &info) == 0) {
    const fs::path real = fs::canonical(target, ec);
    if (!ec && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) return real;
  } else if (!ec && errno == ENOENT && !fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path folder = fs::canonical(target.parent_path(), ec);
    if (!ec && isUsersOwnFolder(folder, false)) return folder / target.filename();
  }
  static std::once_flag once;
  refuse(once, "the preference file " + file.string() +
         " is a link, but not to a file of the user's own: it is left as it is and not used");
  return std::nullopt;
}

// The whole file, or its first limit + 1 bytes at least (so that an oversized file shows as such);
// none when it cannot be read. expected is the size the file had when it was opened: the bytes are read
// straight into a string of that size, and a file that grew meanwhile is still read to its end.
std::optional<std::string> readBounded(int fd, std::size_t expected, std::size_t limit) {
  std::string bytes(std::min(expected, limit) + 1, '\0');
  std::size_t done = 0;
  while (done <= limit) {
    if (done == bytes.size()) bytes.resize(std::min(2 * bytes.size(), limit + 1));
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
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

struct DomainFile {
  std::string bytes;
  struct stat info;
  // The file is the one known: its bytes were not read.
  bool unchanged = false;
  // Its identity, when its times are old enough for the identity alone to tell a later change.
  std::optional<FileIdentity> identity;
};

// The bytes of a regular domain file (not through a symlink); none when there is none or it cannot be read.
// A file that still has the known identity is not read again. The file is opened even then, as opening
// is what makes a network file system look at the server's file rather than at its cache.
std::optional<DomainFile> readDomainFile(const fs::path& file, const std::optional<FileIdentity>& known) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  DomainFile read{};
  if (::fstat(fd.get(), &read.info) != 0 || !S_ISREG(read.info.st_mode)) return std::nullopt;
  const FileIdentity identity = identityOf(read.info);
  if (known && *known == identity) {
    read.unchanged = true;
    read.identity = identity;
    return read;
  }
  auto bytes = readBounded(fd.get(), static_cast<std::size_t>(read.info.st_size), plist::kMaxXmlBytes);
  if (!bytes) return std::nullopt;
  read.bytes = std::move(*bytes);
  const std::lock_guard<std::mutex> guard(sharedMutex());
  ++reads;
  const std::int64_t youngest = nanoseconds(now) - identityMargin.count();
  if (identity.modified < youngest && identity.changed < youngest) read.identity = identity;
  return read;
}

// The identity the known parse of the file was read with; none when there is none to trust.
std::optional<FileIdentity> knownIdentity(const fs::path& file) {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  const auto& known = parsedDomains();
  const auto it = known.find(file.string());
  return it != known.end() ? it->second.identity : std::nullopt;
}

// The known parse when the file read still holds its bytes; null otherwise. A known parse whose bytes
// are confirmed learns the file's identity, so that the next look needs no read.
// REQUIRES: the shared mutex is held.
ParsedDomain* knownParse(const fs::path& file, DomainFile& read) {
  auto& known = parsedDomains();
  const auto it = known.find(file.string());
  if (it == known.end()) return nullptr;
  if (read.unchanged && it->second.identity == read.identity) return &it->second;
  if (read.unchanged || it->second.bytes != read.bytes) return nullptr;
  it->second.identity = read.identity;
  return &it->second;
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
  return folder_ / (fileStem(name) + std::string(kDomainSuffix));
}

std::string UserDefaults::temporaryPrefix(const std::string& name) {
  // Appended in steps: GCC 12 at -O3 warns falsely (-Wrestrict) on a chain of operator+ starting from a literal.
  std::string prefix = ".";
  prefix += fileStem(name);
  prefix += kDomainSuffix;
  prefix += '.';
  return prefix;
}

// Looks at the file on every call, so that what other processes stored is seen: its bytes are read again
// only when its identity changed or it is too young to trust, and parsed only when they differ from those
// last parsed or written here. A file that is not a dictionary property list is moved aside, never left to
// be overwritten by the next save; a missing or unreadable file is simply no domain, and so is any file in
// a folder that is not the user's own.
std::shared_ptr<const plist::Dict> UserDefaults::sharedPersistentDomain(const std::string& name) {
  if (name.empty() || !isOwnStoreFolder(folder_)) return nullptr;
  const auto target = domainTarget(fileFor(name));
  if (!target) return nullptr;
  const fs::path& file = *target;
  auto read = readDomainFile(file, knownIdentity(file));
  std::unique_lock<std::mutex> guard(sharedMutex());
  if (read && read->unchanged && !knownParse(file, *read)) {
    // Another thread replaced the known parse since its identity was looked up: read the bytes after all.
    guard.unlock();
    read = readDomainFile(file, std::nullopt);
    guard.lock();
  }
  auto& known = parsedDomains();
  if (!read) {
    known.erase(file.string());
    return nullptr;
  }
  if (const ParsedDomain* parsed = knownParse(file, *read)) return parsed->domain;

  ++parses;
  auto domain = plist::parseXml(read->bytes);
  if (!domain) {
    known.erase(file.string());
    moveAside(file, read->info);
    return nullptr;
  }
  auto shared = std::make_shared<const plist::Dict>(std::move(*domain));
  known[file.string()] = ParsedDomain{std::move(read->bytes), shared, read->identity};
  return shared;
}

std::optional<plist::Dict> UserDefaults::persistentDomainForName(const std::string& name) {
  const auto domain = sharedPersistentDomain(name);
  if (!domain) return std::nullopt;
  return *domain;
}

bool UserDefaults::setPersistentDomain(const plist::Dict& domain, const std::string& name) {
  return setPersistentDomain(plist::Dict(domain), name);
}

// Writes a complete new file and renames it into place, so that the domain is always whole on disk. An
// unchanged domain is left alone: rewriting it would cost a flush to disk and change nothing. A link is
// written through, into the folder of the file it names.
bool UserDefaults::setPersistentDomain(plist::Dict&& domain, const std::string& name) {
  if (name.empty() || !ensureFolder(folder_)) return false;
  const auto target = domainTarget(fileFor(name));
  if (!target) return false;
  const fs::path& file = *target;
  if (auto read = readDomainFile(file, knownIdentity(file))) {
    const std::lock_guard<std::mutex> guard(sharedMutex());
    const ParsedDomain* parsed = knownParse(file, *read);
    if (parsed && *parsed->domain == domain) return true;
  }

  std::string xml = plist::toXml(domain);
  if (xml.empty() || xml.size() > plist::kMaxXmlBytes) return false;
  // The temporary name starts with a dot, which no domain's file name does.
  const AtomicWrite how{temporaryPrefix(name), 0600, true};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(xml.data());
  if (!writeFileAtomically(file, std::span(bytes, xml.size()), how)) return warnNotStored(file.parent_path());

  const std::lock_guard<std::mutex> guard(sharedMutex());
  ++writes;
  parsedDomains()[file.string()] =
      ParsedDomain{std::move(xml), std::make_shared<const plist::Dict>(std::move(domain)), std::nullopt};
  return true;
}

std::size_t UserDefaults::parseCount() {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  return parses;
}

std::size_t UserDefaults::writeCount() {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  return writes;
}

std::size_t UserDefaults::readCount() {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  return reads;
}

void UserDefaults::setIdentityMarginForTesting(std::chrono::nanoseconds margin) {
  const std::lock_guard<std::mutex> guard(sharedMutex());
  identityMargin = margin;
}

// Only a holder of the lock may do this: any other writer of the domain would hold it too, so every
// temporary file of the domain that exists now belongs to a writer that died before its rename.
void UserDefaults::removeStaleTemporaryFiles(const std::string& name, const DomainLock& held) {
  if (!held.held() || name.empty()) return;
  const std::string prefix = temporaryPrefix(name);
  // Plain readdir: every save scans the folder, and std::filesystem builds a path object per entry.
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view file(entry->d_name);
    if (file.starts_with(prefix) && isTemporarySuffix(file.substr(prefix.size())))
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
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
  if (name.empty() || !ensureFolder(folder_)) return DomainLock();
  const fs::path file = folder_ / (fileStem(name) + std::string(kLockSuffix));
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
