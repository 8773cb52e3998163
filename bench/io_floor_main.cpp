// ondrix-bench-floor: the least a dialog cycle must do, built from the same libraries as the panel: parse
// the PPD (libcups), read and parse the preference domain (libplist), change one value and write the
// domain durably (temporary file, fsync, rename, fsync of the folder), read it back and parse it again.
// Prints the CPU time of one such cycle in microseconds, over cycles 2..N like ondrix-bench-cycle.
//
// Usage: ondrix-bench-floor PPD DOMAIN-FILE CYCLES   (the file must hold a dictionary property list)
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/plist.h"
#include "util/ppd_access.h"

namespace {

using platform::plist::Dict;

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::optional<Dict> readDomain(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  ssize_t n = 0;
  while ((n = ::read(fd, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<std::size_t>(n));
  ::close(fd);
  return platform::plist::parseXml(bytes);
}

bool writeDurably(const std::string& path, const Dict& domain) {
  const std::string xml = platform::plist::toXml(domain);
  const std::string temp = path + ".floor";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool ok = ::write(fd, xml.data(), xml.size()) == static_cast<ssize_t>(xml.size()) && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) return false;
  const std::string folder = std::filesystem::path(path).parent_path().string();
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool cycle(const std::string& ppdPath, const std::string& domainPath, int round) {
  if (!ppd::openFile(ppdPath)) return false;
  auto domain = readDomain(domainPath);
  if (!domain) return false;
  (*domain)["bench"] = platform::plist::Value(round % 2 ? "odd" : "even");
  if (!writeDurably(domainPath, *domain)) return false;
  return readDomain(domainPath).has_value();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: ondrix-bench-floor PPD DOMAIN-FILE CYCLES\n");
    return 2;
  }
  const int cycles = std::atoi(argv[3]);
  if (cycles < 2) return 2;
  if (!cycle(argv[1], argv[2], 0)) return 1;
  const double start = cpuSeconds();
  for (int i = 1; i < cycles; ++i) {
    if (!cycle(argv[1], argv[2], i)) return 1;
  }
  std::printf("%.1f\n", (cpuSeconds() - start) / (cycles - 1) * 1e6);
  return 0;
}
