// A test's private surroundings: a scratch folder removed afterwards, environment values put back at the
// end of a scope, and whole files read and written in one call.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

namespace testsupport {

inline std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh folder, 0700, named after prefix in parent (the system's temporary folder unless given); removed
// with the object. Throws when no folder can be made, which fails the test that needed it.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix = "ondrix-test",
                      const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
    std::string pattern = (parent / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder for " + prefix);
    path_ = pattern;
  }
  ~ScratchDir() {
    // A test may have taken its own write permission away to see a save fail.
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Sets an environment value (none or a null pointer unsets it) and puts the old one back at the end of the
// scope; set() changes it again meanwhile.
class EnvOverride {
 public:
  // Keeps the current value to put back, changing nothing yet.
  explicit EnvOverride(const char* name) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
  }
  EnvOverride(const char* name, const std::optional<std::string>& value) : EnvOverride(name) { set(value); }
  EnvOverride(const char* name, const char* value)
      : EnvOverride(name, value ? std::optional<std::string>(value) : std::nullopt) {}
  ~EnvOverride() { set(old_); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

  void set(const std::optional<std::string>& value) const {
    if (value) {
      setenv(name_, value->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace testsupport
