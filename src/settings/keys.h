// The print-settings keys the writer produces, each marked secret or public. Secret keys carry a
// credential, a value from which one follows (the spool time makes the job's key), or the user's and job's
// names; a queue set up for the panel keeps them from every user but the job's owner and administrators.
// The writer takes its names from here, so the list of secret keys cannot miss one it writes.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settingskeys {

inline constexpr std::string_view kPrefix = "ondrix.print.PrintSettings.";

// One key, or one numbered family: `name` is then the family's prefix and its members are name + "1" to
// name + members (the writer never produces a later index).
struct Key {
  std::string_view name;
  int members;
  bool secret;
};

// The number of numbered keys that a value of `characters` characters fills (chunks of 254).
constexpr int familyMembers(std::size_t characters) { return static_cast<int>((characters + 253) / 254); }
// Characters of the hex text of `bytes` bytes.
constexpr std::size_t hexLength(std::size_t bytes) { return 2 * bytes; }
// Characters of the Base64 text of a credential of `bytes` bytes, encrypted in 16-byte blocks.
constexpr std::size_t cipherBase64Length(std::size_t bytes) { return 4 * (((bytes + 15) / 16 * 16 + 2) / 3); }

// Limits in bytes of the family values, as the writer converts them.
inline constexpr std::size_t kLoginNameBytes = 255;        // loginName0, loginName1
inline constexpr std::size_t kLoginNameUtf8Bytes = 1530;   // loginName2
inline constexpr std::size_t kPasswordUtf8Bytes = 192;     // password3
inline constexpr std::size_t kUserNameUtf8Bytes = 6 * 32;  // userName3
inline constexpr std::size_t kJobNameUtf8Bytes = 6 * 80;   // jobName3
inline constexpr std::size_t kFolderNameBytes = 1529;      // folderPath3

inline constexpr Key kFolderPath{"folderPath", 0, false};
inline constexpr Key kFolderPath2{"folderPath2", 0, false};
inline constexpr Key kFolderPath3{"folderPath3", familyMembers(hexLength(kFolderNameBytes)), false};
inline constexpr Key kFiling{"filing", 0, false};
inline constexpr Key kJobSuspend{"jobSuspend", 0, false};
inline constexpr Key kJobSuspendKey{"jobSuspendKey", 0, true};
inline constexpr Key kJobSuspend2Key{"jobSuspend2Key", 0, true};
inline constexpr Key kAuthentication{"Authentication", 0, false};
inline constexpr Key kLoginName1{"loginName1", familyMembers(cipherBase64Length(kLoginNameBytes)), true};
inline constexpr Key kLoginName0{"loginName0", familyMembers(cipherBase64Length(kLoginNameBytes)), true};
inline constexpr Key kLoginName2{"loginName2", familyMembers(cipherBase64Length(kLoginNameUtf8Bytes)), true};
inline constexpr Key kPassword{"password", 0, true};
inline constexpr Key kPassword2{"password2", 0, true};
inline constexpr Key kPassword3{"password3", familyMembers(cipherBase64Length(kPasswordUtf8Bytes)), true};
inline constexpr Key kUserNumber{"userNumber", 0, true};
inline constexpr Key kUserNumber2{"userNumber2", 0, true};
inline constexpr Key kAccountNumber{"accountNumber", 0, true};
inline constexpr Key kAccountNumber2{"accountNumber2", 0, true};
inline constexpr Key kUserName{"userName", 0, true};
inline constexpr Key kUserName2{"userName2", 0, true};
inline constexpr Key kUserName3{"userName3", familyMembers(hexLength(kUserNameUtf8Bytes)), true};
inline constexpr Key kJobName{"jobName", 0, true};
inline constexpr Key kJobName2{"jobName2", 0, true};
inline constexpr Key kJobName3{"jobName3", familyMembers(hexLength(kJobNameUtf8Bytes)), true};
inline constexpr Key kFolderPassword{"folderPassword", 0, true};
inline constexpr Key kFolderPassword2{"folderPassword2", 0, true};
inline constexpr Key kHoldButton{"holdButton", 0, false};
// The job's spool-time text, whose last 16 characters are the key of every spool-key value.
inline constexpr Key kSpoolTime{"spoolTime", 0, true};

// Every key and family above, in the writer's order, the spool time last.
std::span<const Key> writerKeys();

// The full names (prefix included) of every key and family member that is secret, or public, in the
// table's order.
std::vector<std::string> keyNames(bool secret);

}  // namespace settingskeys
