#include "engine/bundle_location.h"

#include <cstdlib>

namespace host {

bool isBundle(const std::filesystem::path& folder) {
  std::error_code ec;
  return std::filesystem::is_regular_file(folder / "Contents" / "Linux" / "libondrix-pde.so", ec);
}

std::filesystem::path defaultBundle() {
  if (const char* named = std::getenv(kBundleVariable); named && *named) return named;
  std::error_code ec;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::filesystem::path folder = ec ? std::filesystem::current_path(ec) : program.parent_path();
  const std::filesystem::path installed = (folder / ONDRIX_BUNDLE_INSTALLED).lexically_normal();
  for (const std::filesystem::path& candidate :
       {installed, folder.parent_path() / "OndrixJobHandling.plugin",
        folder.parent_path().parent_path() / "OndrixJobHandling.plugin"})
    if (isBundle(candidate)) return candidate;
  return installed;
}

}  // namespace host
