#include "platform/defaults.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
namespace plist = platform::plist;
using platform::UserDefaults;
using plist::Dict;
using plist::Value;
using testsupport::EnvOverride;
using testsupport::readFile;
using testsupport::ScratchDir;
using testsupport::writeFile;

namespace {

// A folder that another process makes at the same moment as the store: while set, the store's mkdir of
// exactly this path finds it made just before.
std::string racedFolder;

}  // namespace

extern "C" int mkdir(const char* path, mode_t mode) {
  static const auto real = reinterpret_cast<int (*)(const char*, mode_t)>(::dlsym(RTLD_NEXT, "mkdir"));
  if (!racedFolder.empty() && racedFolder == path) {
    racedFolder.clear();
    real(path, 0700);
  }
  return real(path, mode);
}

namespace {

unsigned mode(const fs::path& file) {
  struct stat info {};
  ::stat(file.c_str(), &info);
  return info.st_mode & 07777;
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const Dict kDomain{
    {"Job Handling", Value(Dict{{"Model Name", "Demo 5000"}, {"Release Number", "2.00"}, {"hold button", 511}})},
    {"someone else's", Value(plist::Array{Value(1.5), Value(plist::Data{1, 2}), Value(plist::Date{86400})})},
};

}  // namespace

TEST(UserDefaults, KeepsWhatItIsGivenAndWhatOthersStored) {
  ScratchDir dir;
  UserDefaults store(dir.path() / "store");
  EXPECT_FALSE(store.persistentDomainForName("ondrix.mfp.Q").has_value());
  ASSERT_TRUE(store.setPersistentDomain(kDomain, "ondrix.mfp.Q"));
  EXPECT_EQ(store.persistentDomainForName("ondrix.mfp.Q"), kDomain);

  // A read-modify-write of one entry leaves entries it does not know as they were.
  auto domain = *store.persistentDomainForName("ondrix.mfp.Q");
  domain["Job Handling"] = Value(Dict{{"hold button", 0}});
  ASSERT_TRUE(store.setPersistentDomain(domain, "ondrix.mfp.Q"));
  const auto back = store.persistentDomainForName("ondrix.mfp.Q");
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->at("someone else's"), kDomain.at("someone else's"));
  EXPECT_EQ(back->at("Job Handling"), Value(Dict{{"hold button", 0}}));

  // Each domain is its own file; no temporary file stays behind.
  ASSERT_TRUE(store.setPersistentDomain(Dict{}, "ondrix.mfp.R"));
  EXPECT_EQ(store.persistentDomainForName("ondrix.mfp.R"), Dict{});
  EXPECT_EQ(namesIn(store.folder()), (std::vector<std::string>{"ondrix.mfp.Q.plist", "ondrix.mfp.R.plist"}));
}

TEST(UserDefaults, SeesWhatAnotherStoreWrote) {
  ScratchDir dir;
  UserDefaults first(dir.path());
  UserDefaults second(dir.path());
  ASSERT_TRUE(first.setPersistentDomain(Dict{{"a", 1}}, "d"));
  EXPECT_EQ(second.persistentDomainForName("d"), (Dict{{"a", 1}}));
  ASSERT_TRUE(first.setPersistentDomain(Dict{{"a", 2}}, "d"));
  EXPECT_EQ(second.persistentDomainForName("d"), (Dict{{"a", 2}}));
}

// The parsed form is reused only while the file holds the same bytes, whoever wrote them; an equal domain
// is not written again, so the file keeps its time. The same holds when the file is old enough for its
// identity to be trusted (a short margin here, above any clock tick, and a wait beyond it), and an
// unchanged file is then not even read.
class UserDefaultsIdentity : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) UserDefaults::setIdentityMarginForTesting(kMargin);
  }
  void TearDown() override { UserDefaults::setIdentityMarginForTesting(std::chrono::seconds(3)); }
  static constexpr std::chrono::milliseconds kMargin{25};
};
INSTANTIATE_TEST_SUITE_P(OldEnoughToTrust, UserDefaultsIdentity, ::testing::Bool());

TEST_P(UserDefaultsIdentity, ParsesAndWritesOnlyWhatChanged) {
  const bool trusted = GetParam();
  ScratchDir dir;
  UserDefaults store(dir.path());
  ASSERT_TRUE(store.setPersistentDomain(kDomain, "d"));
  const fs::path file = dir.path() / "d.plist";
  const auto parses = UserDefaults::parseCount();
  const auto writes = UserDefaults::writeCount();
  const auto modified = fs::last_write_time(file);

  // The first look reads the file written here; with its identity trusted, no later look reads it.
  if (trusted) std::this_thread::sleep_for(2 * kMargin);
  const auto reads = UserDefaults::readCount() + 1;
  for (int i = 0; i < 3; ++i) {
    UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(UserDefaults(dir.path()).persistentDomainForName("d"), kDomain);
    ASSERT_TRUE(store.setPersistentDomain(kDomain, "d"));
  }
  EXPECT_EQ(UserDefaults::parseCount(), parses);
  EXPECT_EQ(UserDefaults::writeCount(), writes);
  EXPECT_EQ(fs::last_write_time(file), modified);
  if (trusted) {
    EXPECT_EQ(UserDefaults::readCount(), reads);
  }

  // Another program's edit of the same size, inode and time is still seen.
  std::string bytes = readFile(file);
  const std::size_t at = bytes.find("Demo 5000");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 9, "Demo 6000");
  const int fd = ::open(file.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
  fs::last_write_time(file, modified);
  const auto edited = store.persistentDomainForName("d");
  ASSERT_TRUE(edited.has_value());
  EXPECT_EQ(*edited->at("Job Handling").dict()->at("Model Name").string(), "Demo 6000");
  EXPECT_EQ(UserDefaults::parseCount(), parses + 1);

  // So is a file of the same size and time put in its place by another program.
  bytes.replace(at, 9, "Demo 7000");
  writeFile(dir.path() / "other", bytes);
  fs::last_write_time(dir.path() / "other", modified);
  fs::rename(dir.path() / "other", file);
  const auto replaced = store.persistentDomainForName("d");
  ASSERT_TRUE(replaced.has_value());
  EXPECT_EQ(*replaced->at("Job Handling").dict()->at("Model Name").string(), "Demo 7000");
  EXPECT_EQ(UserDefaults::parseCount(), parses + 2);

  // The old domain differs from the edited file now, so storing it writes once.
  ASSERT_TRUE(store.setPersistentDomain(kDomain, "d"));
  EXPECT_EQ(UserDefaults::writeCount(), writes + 1);
  EXPECT_EQ(store.persistentDomainForName("d"), kDomain);
  EXPECT_EQ(UserDefaults::parseCount(), parses + 2);
}

TEST(UserDefaults, FolderIs0700AndFiles0600WhateverTheUmask) {
  for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{0277}}) {
    ScratchDir dir;
    const mode_t old = ::umask(mask);
    UserDefaults store(dir.path() / "parent" / "ondrix-pde");
    const bool saved = store.setPersistentDomain(kDomain, "d");
    const bool locked = store.lockDomain("d").held();
    ::umask(old);
    ASSERT_TRUE(saved) << mask;
    EXPECT_TRUE(locked) << mask;
    EXPECT_EQ(mode(store.folder()), 0700u) << mask;
    EXPECT_EQ(mode(dir.path() / "parent"), 0700u) << mask;
    EXPECT_EQ(mode(store.folder() / "d.plist"), 0600u) << mask;
    EXPECT_EQ(mode(store.folder() / "d.lock"), 0600u) << mask;
  }
}

// Queue identifiers come from the print system and may hold anything; each must still find its own file in
// the store's folder, the same one every time, while ordinary names keep the file they always had.
TEST(UserDefaults, EveryNameGetsItsOwnPlainFileInTheFolder) {
  ScratchDir dir;
  UserDefaults store(dir.path() / "store");
  ASSERT_TRUE(store.setPersistentDomain(Dict{}, "ok"));
  EXPECT_EQ(namesIn(store.folder()), std::vector<std::string>{"ok.plist"});
  EXPECT_FALSE(store.setPersistentDomain(kDomain, ""));
  EXPECT_FALSE(store.lockDomain("").held());

  const std::vector<std::string> names{".hidden", ".", "..", "a/b", "a_b", "../escape", "/abs",
                                       std::string("nul\0x", 5), std::string(200, 'n'), std::string(201, 'n'),
                                       std::string(202, 'n'), "ondrix.mfp." + std::string(4000, '/')};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const Dict domain{{"which", Value(static_cast<std::int64_t>(i))}};
    EXPECT_TRUE(store.setPersistentDomain(domain, names[i])) << names[i];
    EXPECT_TRUE(store.lockDomain(names[i]).held()) << names[i];
  }
  // Each name reads back its own domain, also through another store object (the name is stable).
  UserDefaults again(dir.path() / "store");
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(again.persistentDomainForName(names[i]), (Dict{{"which", Value(static_cast<std::int64_t>(i))}}))
        << names[i];
  }
  // Nothing outside the folder, nothing hidden, and one file (plus its lock) per name.
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"store"});
  std::size_t plists = 0;
  for (const auto& entry : fs::directory_iterator(store.folder())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(entry.is_regular_file()) << name;
    EXPECT_NE(name.front(), '.') << name;
    EXPECT_LE(name.size(), 255u) << name;
    if (name.ends_with(".plist")) ++plists;
  }
  EXPECT_EQ(plists, names.size() + 1);
  EXPECT_TRUE(fs::exists(store.folder() / "a_b.plist"));
  // A name that cannot be a file name is stored under its SHA-256, so that files stored earlier are found.
  EXPECT_TRUE(
      fs::exists(store.folder() / "a_b~c14cddc033f64b9dea80ea675cf280a015e672516090a5626781153dc68fea11.plist"));
  EXPECT_TRUE(fs::exists(store.folder() / (std::string(200, 'n') + ".plist")));
}

TEST(UserDefaults, MovesAnUnreadableFileAsideInsteadOfOverwritingIt) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"garbage", "not a property list"},
      {"empty file", ""},
      {"array root", "<plist version=\"1.0\"><array/></plist>"},
      {"cut short", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><str"},
      {"oversized", std::string(plist::kMaxXmlBytes + 1, ' ')},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    UserDefaults store(dir.path());
    writeFile(dir.path() / "d.plist", c.bytes);
    EXPECT_FALSE(store.persistentDomainForName("d").has_value()) << c.name;
    const auto names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 1u) << c.name;
    EXPECT_TRUE(names[0].starts_with("d.plist.corrupt-")) << c.name << ": " << names[0];
    EXPECT_EQ(readFile(dir.path() / names[0]), c.bytes) << c.name;

    // The next save starts a new file and the damaged one stays for the user.
    ASSERT_TRUE(store.setPersistentDomain(kDomain, "d")) << c.name;
    EXPECT_EQ(store.persistentDomainForName("d"), kDomain) << c.name;
    EXPECT_EQ(namesIn(dir.path()).size(), 2u) << c.name;
  }
}

TEST(UserDefaults, TwoDamagedFilesInOneSecondBothSurvive) {
  ScratchDir dir;
  UserDefaults store(dir.path());
  writeFile(dir.path() / "d.plist", "first");
  EXPECT_FALSE(store.persistentDomainForName("d").has_value());
  writeFile(dir.path() / "d.plist", "second");
  EXPECT_FALSE(store.persistentDomainForName("d").has_value());
  std::vector<std::string> contents;
  for (const auto& name : namesIn(dir.path())) contents.push_back(readFile(dir.path() / name));
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"first", "second"}));
}

TEST(UserDefaults, AFailedSaveLeavesTheOldDomain) {
  ScratchDir dir;
  UserDefaults store(dir.path());
  ASSERT_TRUE(store.setPersistentDomain(kDomain, "d"));
  // A folder in the way of the file: the rename cannot replace it.
  UserDefaults blocked(dir.path() / "blocked");
  fs::create_directories(dir.path() / "blocked" / "d.plist" / "x");
  EXPECT_FALSE(blocked.setPersistentDomain(kDomain, "d"));
  EXPECT_EQ(namesIn(dir.path() / "blocked"), std::vector<std::string>{"d.plist"});
  // A file where the folder should be.
  writeFile(dir.path() / "notafolder", "x");
  UserDefaults nowhere(dir.path() / "notafolder");
  EXPECT_FALSE(nowhere.setPersistentDomain(kDomain, "d"));
  EXPECT_FALSE(nowhere.lockDomain("d").held());
  EXPECT_EQ(store.persistentDomainForName("d"), kDomain);
}

// A write that the file system refuses (here: past the process's file-size limit) is a failed save: the
// caller hears of it, the old domain stays, and no temporary file is left behind.
TEST(UserDefaults, AWriteTheFileSystemRefusesIsAFailedSave) {
  ScratchDir dir;
  UserDefaults store(dir.path());
  ASSERT_TRUE(store.setPersistentDomain(kDomain, "d"));
  Dict big = kDomain;
  big["bulk"] = Value(std::string(64 * 1024, 'x'));
  const int status = testsupport::runInChild([&] {
    testsupport::limitFileSize(4096);
    return store.setPersistentDomain(big, "d") ? 1 : 0;
  });
  EXPECT_EQ(status, 0) << "1: reported as saved, -1: hung or crashed";
  EXPECT_EQ(store.persistentDomainForName("d"), kDomain);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"d.plist"});
}

TEST(UserDefaults, TheLockExcludesOtherHoldersUntilReleased) {
  ScratchDir dir;
  UserDefaults store(dir.path());
  auto lock = store.lockDomain("d");
  ASSERT_TRUE(lock.held());
  const int other = ::open((dir.path() / "d.lock").c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(errno, EWOULDBLOCK);

  // Moving the lock keeps it held; destroying the holder releases it.
  UserDefaults::DomainLock moved = std::move(lock);
  EXPECT_FALSE(lock.held());
  EXPECT_TRUE(moved.held());
  EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
  moved = UserDefaults::DomainLock();
  EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  ::close(other);
}

TEST(UserDefaults, ProcessesSavingAtOnceUnderTheLockLoseNothing) {
  ScratchDir dir;
  constexpr int kProcesses = 6;
  constexpr int kSavesEach = 20;
  {
    UserDefaults store(dir.path());
    ASSERT_TRUE(store.setPersistentDomain(kDomain, "shared"));
  }
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // The child reports through its exit status only.
      UserDefaults store(dir.path());
      for (int i = 0; i < kSavesEach; ++i) {
        const auto lock = store.lockDomain("shared");
        auto domain = store.persistentDomainForName("shared");
        if (!lock.held() || !domain) ::_exit(1);
        (*domain)["p" + std::to_string(p) + "-" + std::to_string(i)] = Value(i);
        if (!store.setPersistentDomain(*domain, "shared")) ::_exit(2);
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  UserDefaults store(dir.path());
  const auto domain = store.persistentDomainForName("shared");
  ASSERT_TRUE(domain.has_value());
  EXPECT_EQ(domain->size(), kDomain.size() + kProcesses * kSavesEach);
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kSavesEach; ++i) {
      EXPECT_NE(plist::find(*domain, "p" + std::to_string(p) + "-" + std::to_string(i)), nullptr) << p << " " << i;
    }
  }
  EXPECT_EQ(domain->at("Job Handling"), kDomain.at("Job Handling"));
}

TEST(UserDefaults, TheSharedObjectFindsTheUsersFolder) {
  ScratchDir dir;
  const std::string home = (dir.path() / "home").string();
  const std::string xdg = (dir.path() / "xdg").string();
  const struct {
    const char* name;
    const char* home;
    const char* xdg;
    std::optional<fs::path> expected;  // none: the password database's home
  } cases[] = {
      {"XDG_CONFIG_HOME wins", home.c_str(), xdg.c_str(), fs::path(xdg) / "ondrix-pde"},
      {"relative XDG_CONFIG_HOME is ignored", home.c_str(), "relative/dir", fs::path(home) / ".config/ondrix-pde"},
      {"empty XDG_CONFIG_HOME is ignored", home.c_str(), "", fs::path(home) / ".config/ondrix-pde"},
      {"HOME", home.c_str(), nullptr, fs::path(home) / ".config/ondrix-pde"},
      {"no HOME", nullptr, nullptr, std::nullopt},
  };
  UserDefaults::setStandardFolderForTesting({});
  for (const auto& c : cases) {
    const EnvOverride homeEnv("HOME", c.home);
    const EnvOverride xdgEnv("XDG_CONFIG_HOME", c.xdg);
    UserDefaults::resetStandardUserDefaults();
    UserDefaults* shared = UserDefaults::standardUserDefaults();
    ASSERT_NE(shared, nullptr) << c.name;
    if (c.expected) {
      EXPECT_EQ(shared->folder(), *c.expected) << c.name;
    } else {
      EXPECT_TRUE(shared->folder().is_absolute()) << c.name;
      EXPECT_EQ(shared->folder().filename(), "ondrix-pde") << c.name;
      EXPECT_EQ(shared->folder().parent_path().filename(), ".config") << c.name;
    }
    // The same object until the next reset.
    EXPECT_EQ(UserDefaults::standardUserDefaults(), shared) << c.name;
  }

  // A testing folder overrides the environment until it is cleared.
  UserDefaults::setStandardFolderForTesting(dir.path() / "private");
  ASSERT_NE(UserDefaults::standardUserDefaults(), nullptr);
  EXPECT_EQ(UserDefaults::standardUserDefaults()->folder(), dir.path() / "private");
  UserDefaults::resetStandardUserDefaults();
  EXPECT_EQ(UserDefaults::standardUserDefaults()->folder(), dir.path() / "private");
  UserDefaults::setStandardFolderForTesting({});
  EXPECT_NE(UserDefaults::standardUserDefaults()->folder(), dir.path() / "private");
  UserDefaults::resetStandardUserDefaults();
}

// A folder that another process makes between the store's look and its mkdir is used, not refused.
TEST(UserDefaults, UsesAFolderMadeByAnotherProcessAtTheSameMoment) {
  ScratchDir dir;
  UserDefaults store(dir.path() / "ondrix-pde");
  racedFolder = store.folder().string();
  EXPECT_TRUE(store.setPersistentDomain(kDomain, "d"));
  EXPECT_TRUE(racedFolder.empty()) << "the store never made its folder";
  racedFolder.clear();
  EXPECT_EQ(store.persistentDomainForName("d"), kDomain);
}

namespace {

// Makes the path belong to another user; false when this process may not (it is not root).
bool giveAway(const fs::path& path) { return ::geteuid() == 0 && ::lchown(path.c_str(), 65534, 65534) == 0; }

}  // namespace

// A store folder that someone else could have filled is neither read nor written: a link to another user's
// folder, or a folder that others may write into. A link to a folder of the user's own is followed.
TEST(UserDefaults, UsesOnlyAFolderOfTheUsersOwn) {
  const Dict planted{{"Job Handling", Value(Dict{{"user name", "planted"}})}};
  const struct {
    const char* name;
    bool othersFolder;  // the link's target belongs to another user (needs root)
    unsigned mode;
    bool used;
  } cases[] = {
      {"link to another user's folder", true, 0700, false},
      {"link to a folder others may write into", false, 0777, false},
      {"link to a folder of the user's own", false, 0700, true},
      {"link to a folder of the user's own that others may read", false, 0755, true},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const fs::path target = dir.path() / "elsewhere";
    fs::create_directories(target);
    writeFile(target / "d.plist", plist::toXml(planted));
    if (c.othersFolder && !giveAway(target)) continue;
    ::chmod(target.c_str(), c.mode);
    fs::create_directory_symlink(target, dir.path() / "ondrix-pde");
    UserDefaults store(dir.path() / "ondrix-pde");
    EXPECT_EQ(store.persistentDomainForName("d").has_value(), c.used) << c.name;
    EXPECT_EQ(store.setPersistentDomain(kDomain, "d"), c.used) << c.name;
    EXPECT_EQ(store.lockDomain("d").held(), c.used) << c.name;
    EXPECT_EQ(readFile(target / "d.plist") == plist::toXml(planted), !c.used) << c.name;
    EXPECT_TRUE(fs::is_symlink(dir.path() / "ondrix-pde")) << c.name;
  }
}

// A domain file that is a link (dotfile managers make them): to a regular file of the user's own, read and
// written through, the link kept and every other entry with it; to anything else, left alone.
TEST(UserDefaults, HonoursALinkToTheUsersOwnFileAndLeavesAnyOtherLinkAlone) {
  const Dict stored{{"Job Handling", Value(Dict{{"hold button", 8}, {"user name", "Ann"}})},
                    {"other entry", "kept"}};
  const struct {
    const char* name;
    const char* target;  // relative to the scratch folder
    bool othersFile;
    bool honoured;
  } cases[] = {
      {"link to the user's own file", "dotfiles/d.plist", false, true},
      {"relative link", "../dotfiles/d.plist", false, true},
      {"link to a file still to be made", "dotfiles/new.plist", false, true},
      {"link to another user's file", "dotfiles/d.plist", true, false},
      {"link to a folder", "dotfiles", false, false},
      {"link into a missing folder", "nowhere/d.plist", false, false},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const fs::path dotfiles = dir.path() / "dotfiles";
    fs::create_directories(dotfiles);
    fs::create_directories(dir.path() / "store");
    writeFile(dotfiles / "d.plist", plist::toXml(stored));
    if (c.othersFile && !giveAway(dotfiles / "d.plist")) continue;
    const fs::path link = dir.path() / "store" / "d.plist";
    const fs::path target = std::string(c.target).starts_with("..") ? fs::path(c.target) : dir.path() / c.target;
    fs::create_symlink(target, link);
    const std::string before = readFile(dotfiles / "d.plist");
    UserDefaults store(dir.path() / "store");

    const auto read = store.persistentDomainForName("d");
    const bool existing = std::string(c.target).ends_with("/d.plist") && c.honoured;
    EXPECT_EQ(read.has_value(), existing) << c.name;
    if (existing) {
      EXPECT_EQ(*read, stored) << c.name;
    }
    Dict changed = read.value_or(Dict{});
    changed["Job Handling"] = Value(Dict{{"user name", "Bob"}});
    EXPECT_EQ(store.setPersistentDomain(changed, "d"), c.honoured) << c.name;
    EXPECT_TRUE(fs::is_symlink(link)) << c.name;
    if (c.honoured) {
      EXPECT_EQ(store.persistentDomainForName("d"), changed) << c.name;
      EXPECT_EQ(plist::parseXml(readFile(fs::canonical(link))), changed) << c.name;
    } else {
      EXPECT_EQ(readFile(dotfiles / "d.plist"), before) << c.name;
    }
    EXPECT_EQ(namesIn(dir.path() / "store"), std::vector<std::string>{"d.plist"}) << c.name;
  }
}

// A damaged file behind a link is moved aside in its own folder; the next save makes it anew there.
TEST(UserDefaults, MovesADamagedLinkedFileAsideAndKeepsTheLink) {
  ScratchDir dir;
  fs::create_directories(dir.path() / "dotfiles");
  fs::create_directories(dir.path() / "store");
  writeFile(dir.path() / "dotfiles" / "d.plist", "damaged");
  fs::create_symlink(dir.path() / "dotfiles" / "d.plist", dir.path() / "store" / "d.plist");
  UserDefaults store(dir.path() / "store");
  EXPECT_FALSE(store.persistentDomainForName("d").has_value());
  const auto aside = namesIn(dir.path() / "dotfiles");
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_TRUE(aside[0].starts_with("d.plist.corrupt-")) << aside[0];
  ASSERT_TRUE(store.setPersistentDomain(kDomain, "d"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "store" / "d.plist"));
  EXPECT_EQ(store.persistentDomainForName("d"), kDomain);
}
