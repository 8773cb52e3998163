// Preferences under stress, as figures: many processes saving into one domain at once, saves killed at
// random moments, and the modes of what is stored under a permissive umask. Exit status 0 when every
// figure is as it must be. Usage: stress-prefs [PROCESSES SAVES KILLS]
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/defaults.h"
#include "platform/plist.h"
#include "prefs/preference_domain.h"

namespace {

namespace fs = std::filesystem;
using platform::Text;
using platform::plist::Dict;
using platform::plist::Value;

const Text kDomain = Text::fromUtf8("ondrix.mfp.Stress");

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::size_t temporaryFiles(const fs::path& folder) {
  std::size_t n = 0;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().starts_with(".ondrix.mfp.Stress.plist.")) ++n;
  return n;
}

unsigned modeOf(const fs::path& p) {
  struct stat st {};
  ::lstat(p.c_str(), &st);
  return st.st_mode & 07777;
}

bool waitFor(pid_t pid) {
  int status = 0;
  return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Each process holds its own field and counts its saves in it: the last count of every process must be
// the number of saves it made.
bool concurrentSaves(int processes, int saves) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<pid_t> children;
  for (int p = 0; p < processes; ++p) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      for (int i = 1; i <= saves; ++i) {
        if (!prefs::updateRecord(kDomain, [&](Dict& r) { r["field-" + std::to_string(p)] = i; })) ::_exit(1);
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  int failed = 0;
  for (const pid_t pid : children) failed += waitFor(pid) ? 0 : 1;
  const auto record = prefs::loadRecord(kDomain);
  int complete = 0;
  for (int p = 0; p < processes && record; ++p) {
    const Value* v = platform::plist::find(*record, "field-" + std::to_string(p));
    if (v && v->integer() && *v->integer() == saves) ++complete;
  }
  std::printf("concurrent saves: %d processes x %d saves in %.1f s: %d of %d fields complete, %d saves failed\n",
              processes, saves, secondsSince(start), complete, processes, failed);
  return complete == processes && failed == 0;
}

// A saver killed at a random moment; after each kill the file must read as a whole domain.
bool killedSaves(const fs::path& folder, int kills) {
  const auto start = std::chrono::steady_clock::now();
  const fs::path file = folder / "ondrix.mfp.Stress.plist";
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> delayMicros(0, 4000);
  int torn = 0;
  std::size_t mostLeft = 0;
  for (int k = 0; k < kills; ++k) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      // Records of a few kilobytes, so that the writes take a while.
      for (int i = 0;; ++i) prefs::updateRecord(kDomain, [&](Dict& r) { r["bulk"] = std::string(4096 + i % 64, 'k'); });
    }
    ::usleep(static_cast<useconds_t>(delayMicros(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!platform::plist::parseXml(bytes)) ++torn;
    mostLeft = std::max(mostLeft, temporaryFiles(folder));
  }
  const std::size_t before = temporaryFiles(folder);
  const bool saved = prefs::updateRecord(kDomain, [](Dict& r) { r["after"] = true; });
  const std::size_t after = temporaryFiles(folder);
  std::printf("killed saves: %d SIGKILLs in %.1f s: %d torn files; temporary files left: at most %zu at once, "
              "%zu before the next save, %zu after it\n",
              kills, secondsSince(start), torn, mostLeft, before, after);
  return torn == 0 && saved && after == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int processes = argc > 1 ? std::atoi(argv[1]) : 16;
  const int saves = argc > 2 ? std::atoi(argv[2]) : 200;
  const int kills = argc > 3 ? std::atoi(argv[3]) : 1000;

  ::umask(0);
  std::string pattern = (fs::temp_directory_path() / "ondrix-stress-XXXXXX").string();
  const fs::path scratch = ::mkdtemp(pattern.data());
  const fs::path folder = scratch / "ondrix-pde";
  platform::UserDefaults::setStandardFolderForTesting(folder);

  bool ok = concurrentSaves(processes, saves);
  ok = killedSaves(folder, kills) && ok;
  const unsigned folderMode = modeOf(folder);
  const unsigned fileMode = modeOf(folder / "ondrix.mfp.Stress.plist");
  const unsigned lockMode = modeOf(folder / "ondrix.mfp.Stress.lock");
  std::printf("modes under umask 000: folder %04o, file %04o, lock %04o\n", folderMode, fileMode, lockMode);
  ok = ok && folderMode == 0700 && fileMode == 0600 && lockMode == 0600;

  fs::remove_all(scratch);
  std::printf("%s\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}
