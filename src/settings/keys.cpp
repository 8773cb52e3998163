// The table of the writer's keys, and their full names for whoever must list them.
#include "settings/keys.h"

#include <array>

namespace settingskeys {

namespace {

constexpr std::array kWriterKeys = {
    kFolderPath,  kFolderPath2,   kFolderPath3,      kFiling,        kJobSuspend,   kJobSuspendKey, kJobSuspend2Key,
    kAuthentication, kLoginName1, kLoginName0,       kLoginName2,    kPassword,     kPassword2,     kPassword3,
    kUserNumber,  kUserNumber2,   kAccountNumber,    kAccountNumber2, kUserName,    kUserName2,     kUserName3,
    kJobName,     kJobName2,      kJobName3,         kFolderPassword, kFolderPassword2, kHoldButton, kSpoolTime,
};

}  // namespace

// The table; static storage, never freed.
std::span<const Key> writerKeys() { return kWriterKeys; }

// Expands the families into their members. The caller owns the returned names.
std::vector<std::string> keyNames(bool secret) {
  std::vector<std::string> names;
  for (const Key& key : kWriterKeys) {
    if (key.secret != secret) continue;
    const std::string name = std::string(kPrefix) + std::string(key.name);
    if (key.members == 0) names.push_back(name);
    for (int i = 1; i <= key.members; ++i) names.push_back(name + std::to_string(i));
  }
  return names;
}

}  // namespace settingskeys
