// The print-settings reader: the values the writer stored for the job put back into the panel's controls,
// the values the user held in the preferences winning once, and each group's action sent so that the
// enabling rules leave the panel consistent.
//
// Values are read whole, so that everything the writer produces comes back exactly. A stored credential
// or hex text that is damaged (not hex pairs, or of a length its cipher cannot have) counts as absent
// rather than being decrypted into garbage.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/base64.h"
#include "crypto/credential_cipher.h"
#include "platform/encoding.h"
#include "plugin/panel.h"
#include "plugin/trace.h"
#include "settings/encoding.h"

namespace {

using platform::PrintSettings;
using platform::Text;

// Longer values are none of the writer's (its longest, a folder name's hex, has 3058 characters).
constexpr std::size_t kMaxValueLength = 8192;
constexpr std::size_t kMaxFamilyKeys = 64;
constexpr std::size_t kShortCipherDigits = 2 * kAesBlockSize;     // pass codes, numbers
constexpr std::size_t kPasswordCipherDigits = 4 * kAesBlockSize;  // the password's two blocks

// The value under "ondrix.print.PrintSettings." + name; none when absent, or when it is not a value
// the writer could have stored (not ASCII, or oversized).
std::optional<std::string> readValue(const PrintSettings& settings, std::string_view name) {
  auto value = settings.getValue(std::string(kSettingsPrefix) + std::string(name));
  if (!value || value->size() > kMaxValueLength) return std::nullopt;
  for (const char c : *value) {
    if (c == '\0' || static_cast<unsigned char>(c) > 0x7F) return std::nullopt;
  }
  return value;
}

// A numbered key family joined: prefix + "1", prefix + "2", ... up to the first absent key. None when
// its first key is absent or a part is unreadable or the whole oversized.
std::optional<std::string> readFamily(const PrintSettings& settings, const std::string& prefix) {
  std::string joined;
  std::size_t index = 1;
  for (; index <= kMaxFamilyKeys; ++index) {
    const std::string key = prefix + std::to_string(index);
    if (!settings.getValue(std::string(kSettingsPrefix) + key)) break;
    const auto part = readValue(settings, key);
    if (!part) return std::nullopt;
    joined += *part;
    if (joined.size() > kMaxValueLength) return std::nullopt;
  }
  if (index == 1 || index > kMaxFamilyKeys) return std::nullopt;
  return joined;
}

// The bytes of hex text; none when it is not whole pairs of hex digits.
std::optional<std::string> hexBytes(const std::string& hex) {
  std::string bytes(hex.size() / 2 + 1, '\0');
  if (!myatoi(hex.c_str(), reinterpret_cast<unsigned char*>(bytes.data()), static_cast<std::uint32_t>(hex.size())))
    return std::nullopt;
  bytes.resize(hex.size() / 2);
  return bytes;
}

// The plaintext of a ciphertext under the credential key, up to its zero padding.
std::string decrypt(const unsigned char* cipher, std::size_t length) {
  std::vector<unsigned char> plain(length + kAesBlockSize + 1, 0);
  my_aes_decrypt(cipher, length, plain.data());
  return std::string(reinterpret_cast<const char*>(plain.data()));
}

// The plaintext of a fixed-key hex value of exactly `digits` digits. An empty value is an empty
// plaintext; a damaged one is none. A password of one block leaves its second cipher block all zero:
// then only the first is decrypted, since the zero block would decrypt to stray bytes behind a password
// of exactly 16 bytes.
std::optional<std::string> decryptHex(const std::string& hex, std::size_t digits) {
  if (hex.empty()) return std::string();
  if (hex.size() != digits) return std::nullopt;
  const auto cipher = hexBytes(hex);
  if (!cipher) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(cipher->data());
  std::size_t length = cipher->size();
  if (length == 2 * kAesBlockSize &&
      std::all_of(bytes + kAesBlockSize, bytes + length, [](unsigned char b) { return b == 0; })) {
    length = kAesBlockSize;
  }
  return decrypt(bytes, length);
}

bool isBase64Character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// The plaintext of a fixed-key Base64 value. Damaged (not whole Base64, or not whole cipher blocks):
// none. An empty value is an empty plaintext.
std::optional<std::string> decryptBase64(const std::string& coded) {
  if (coded.empty()) return std::string();
  if (coded.size() % 4 != 0) return std::nullopt;
  const std::size_t body = coded.find_last_not_of('=') + 1;
  const std::string_view characters = std::string_view(coded).substr(0, body);
  if (coded.size() - body > 2 || !std::all_of(characters.begin(), characters.end(), isBase64Character))
    return std::nullopt;
  std::vector<unsigned char> cipher(Base64decode_len(coded.c_str()), 0);
  const std::size_t length = Base64decode(cipher.data(), coded.c_str());
  if (length == 0 || length % kAesBlockSize != 0) return std::nullopt;
  return decrypt(cipher.data(), length);
}

// Replaces what ReplaceSpaceCode blanks (control characters but TAB, and the double quote) with spaces.
Text blanked(const Text& text) {
  std::u16string units = text.utf16();
  for (char16_t& u : units) {
    if ((u >= 0x01 && u <= 0x08) || (u >= 0x0A && u <= 0x1F) || u == u'"') u = u' ';
  }
  return text.isNone() ? Text() : Text::fromUtf16(std::move(units));
}

// The user's account from the password database: name, and the full name (the first comma-separated
// field of the comment, else the name). Empty texts when there is no entry.
struct Account {
  Text name = Text::empty();
  Text fullName = Text::empty();
};
Account systemAccount() {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  Account account;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_name)
    return account;
  account.name = Text::fromUtf8(found->pw_name);
  const std::string gecos = found->pw_gecos ? found->pw_gecos : "";
  const std::string full = gecos.substr(0, gecos.find(','));
  account.fullName = full.empty() ? account.name : Text::fromUtf8(full);
  return account;
}

}  // namespace

void OndrixPrintPdeTarvel::getNonPPDSettingsFromPrintSettings() {
  _PDEProlog(this, "--getNonPPDSettingsFromPrintSettings:");
  const PrintSettings* settings = pdePluginCallbackObject ? pdePluginCallbackObject->printSettings() : nullptr;
  if (!settings) {
    _PDEEpilog(this, "--getNonPPDSettingsFromPrintSettings:");
    return;
  }
  const auto value = [settings](std::string_view name) { return readValue(*settings, name); };
  // Bytes in the system's encoding as a text; bytes that do not form one give the empty text.
  const auto systemText = [this](const std::string& bytes) {
    Text text = platform::createWithBytesNS(bytes, systemEncoding);
    return text.isNone() ? Text::empty() : text;
  };
  // A decrypted credential as text; none for a damaged value.
  const auto credentialText = [&systemText](const std::optional<std::string>& plain) {
    return plain ? systemText(*plain) : Text();
  };
  const auto heldBit = [this](std::uint32_t bit) {
    const bool held = (prefHoldButtonFlag & bit) != 0;
    prefHoldButtonFlag &= ~bit;
    return held;
  };

  // The held-value rule for a fixed-key hex credential: a held value wins once; else the key's value,
  // whose hold bit in the settings holds it again.
  const auto restoreCredential = [&](std::uint32_t bit, const Text& held, std::string_view key, std::size_t digits,
                                     Outlet<ui::TextField>& field, Outlet<ui::Button>& button) {
    bool holdOn = false;
    Text text;
    if (heldBit(bit)) {
      holdOn = true;
      if (!held.isNone()) text = credentialText(decryptHex(held.utf8(), digits));
    }
    if (text.isNone()) {
      if (const auto stored = value(key)) {
        text = credentialText(decryptHex(*stored, digits));
        if (!text.isNone() && (presetHoldButtonFlag & bit)) holdOn = true;
      }
    }
    field->setStringValue(text.isNone() ? Text::empty() : text);
    button->setState(holdOn ? 1 : 0);
  };

  // 1. Hold mask as the print settings last stored it.
  if (const auto mask = value("holdButton")) {
    const long parsed = std::strtol(mask->c_str(), nullptr, 10);
    presetHoldButtonFlag = static_cast<std::uint32_t>(std::clamp<long>(parsed, INT_MIN, INT_MAX));
  }

  // 2. Retention. The stored modes are not the rows' order; directory-service models always retain.
  int mode = 0;
  if (const auto suspend = value("jobSuspend"); suspend && !suspend->empty()) {
    switch ((*suspend)[0]) {
      case '1': mode = 2; break;
      case '2': mode = 1; break;
      case '3': mode = 3; break;
      default: break;
    }
  }
  if (active_directory) mode = 1;
  retentionCheckBox->setState(mode != 0 ? 1 : 0);
  retentionCBoxProc(retentionCheckBox.get());
  suspendMatrix->selectCellAtRow(mode == 0 ? 0 : mode - 1, 0);

  // 3. Pass code.
  restoreCredential(kHoldSuspendKey, prefSuspendKeyStringRef, "jobSuspend2Key", kShortCipherDigits,
                    suspendKeyEditText, suspendKeyButton);
  suspendKeyButtonProc(suspendKeyButton.get());

  // 4. Folder: quick file, or a custom folder by name (the main folder item when the device's list no
  // longer has it); a held folder name fills the radio form's field. Otherwise the main folder.
  bool chosen = false;
  const auto filing = value("filing");
  const char filingMode = filing && !filing->empty() ? (*filing)[0] : '\0';
  if (filingMode == '1') {
    folderSelectionPopup->selectItemAtIndex(0);
    folderSelectionMatrix->selectCellAtRow(0, 0);
    chosen = true;
  } else if (filingMode == '3') {
    const auto path = value("folderPath");
    if (const auto bytes = path ? hexBytes(*path) : std::nullopt) {
      folderNameStringRef = systemText(*bytes);
      folderSelectionPopup->selectItemAtIndex(SearchSameFolderName(folderNameStringRef));
      folderSelectionMatrix->selectCellAtRow(2, 0);
      folderNameEditText->setStringValue(folderNameStringRef);
      chosen = true;
    }
  }
  bool heldFolderName = false;
  if (folderSelectionMatrix.present() && heldBit(kHoldFolderName) && !prefFolderNameStringRef.isNone()) {
    folderNameEditText->setStringValue(prefFolderNameStringRef);
    heldFolderName = true;
    chosen = true;
  }
  if (!chosen) {
    folderSelectionPopup->selectItemAtIndex(1);
    folderSelectionMatrix->selectCellAtRow(1, 0);
  }
  folderNameButton->setState((presetHoldButtonFlag & kHoldFolderName) || heldFolderName ? 1 : 0);
  folderNameButtonProc(folderNameButton.get());

  // 5. Authentication: the held choice when a credential of either kind is held, else the settings'.
  long authenticationRow = 0;
  if ((prefHoldButtonFlag & (kHoldLoginName | kHoldPassword | kHoldUserNumber)) && prefAuthenticationBooleanRef) {
    authenticationRow = *prefAuthenticationBooleanRef ? 0 : 1;
  } else if (const auto authentication = value("Authentication")) {
    authenticationRow = !authentication->empty() && (*authentication)[0] == '1' ? 0 : 1;
  }
  authenticationMatrix->selectCellAtRow(authenticationRow, 0);

  // 6. Login name. Releasing the hold first empties the field and forgets any name held in the panel.
  loginNameButton->setState(0);
  loginNameButtonProc(loginNameButton.get());
  // A held name that cannot be decrypted counts as absent, like a damaged value in the settings.
  const bool loginHeld = heldBit(kHoldLoginName);
  std::optional<std::string> loginName;
  bool loginStored = false;
  if (loginHeld && !prefLoginNameStringRef.isNone()) {
    loginName = decryptBase64(prefLoginNameStringRef.utf8());
    loginStored = !prefLoginNameStringRef.isEmpty();
  }
  if (!loginName) {
    const std::string first = value("loginName11").value_or("");
    const std::string second = value("loginName12").value_or("");
    loginName = decryptBase64(first + (!first.empty() && !second.empty() ? second : ""));
    loginStored = !first.empty();
  }
  if (active_directory && (!loginStored || !loginName)) {
    loginNameEditText->setStringValue(systemAccount().name);
  } else {
    loginNameEditText->setStringValue(loginName ? systemText(*loginName) : Text::empty());
  }
  // Held again, the action takes the field's text as the held name and masks the field afresh.
  loginNameStringRef = Text();
  loginNameLockFlag = 0;
  if (loginHeld || (presetHoldButtonFlag & kHoldLoginName)) {
    loginNameButton->setState(1);
    loginNameButtonProc(loginNameButton.get());
  } else if (loginNameButton->state() != 0) {
    loginNameButton->setState(0);
    loginNameButtonProc(loginNameButton.get());
  }

  // 7.-9. Password, user number, account number.
  restoreCredential(kHoldPassword, prefPasswordStringRef, "password2", kPasswordCipherDigits, passwordEditText,
                    passwordButton);
  passwordButtonProc(passwordButton.get());
  restoreCredential(kHoldUserNumber, prefUserNumberStringRef, "userNumber2", kShortCipherDigits,
                    userNumberEditText, userNumberButton);
  userNumberButtonProc(userNumberButton.get());
  restoreCredential(kHoldAccountNumber, prefAccountNumberStringRef, "accountNumber2", kShortCipherDigits,
                    accountNumberEditText, accountNumberButton);
  accountNumberButtonProc(accountNumberButton.get());
  authenticationMatrixProc(authenticationMatrix.get());

  // 10.-11. User name and job name: held clear text, else the short key's text. That key carries at
  // most 32 (80) characters in the system encoding, or a Japanese stand-in when the name's first
  // character has none there; the UTF-8 family carries the whole name with control characters and quotes
  // blanked. The short key's text is kept when blanking it gives exactly the family's text: it is then
  // the whole name, control characters and quotes included. Otherwise it lost characters or was written
  // in another script, and the family's text is restored.
  const auto identification = [&](std::uint32_t bit, const Text& held, std::string_view shortKey,
                                  const std::string& familyPrefix, const Text& fallback,
                                  Outlet<ui::TextField>& field, Outlet<ui::Button>& button) {
    bool holdOn = false;
    Text text;
    if (heldBit(bit)) {
      holdOn = true;
      text = held;
    }
    if (text.isNone()) {
      const auto stored = value(shortKey);
      const auto shortBytes = stored ? hexBytes(*stored) : std::nullopt;
      if (shortBytes) text = systemText(*shortBytes);
      const auto family = readFamily(*settings, familyPrefix);
      const auto familyBytes = family ? hexBytes(*family) : std::nullopt;
      const Text familyText =
          familyBytes ? platform::createWithBytes(*familyBytes, platform::kCFStringEncodingUTF8) : Text();
      if (!familyText.isEmpty() && blanked(text) != familyText) text = familyText;
      if (stored && !text.isEmpty() && (presetHoldButtonFlag & bit)) holdOn = true;
      if (text.isEmpty()) text = fallback;
    }
    field->setStringValue(text.isNone() ? Text::empty() : text);
    button->setState(holdOn ? 1 : 0);
  };
  const Account account = systemAccount();
  identification(kHoldUserName, prefUserNameStringRef, "userName", "userName3",
                 active_directory ? account.name : account.fullName, userNameEditText, userNameButton);
  userNameButtonProc(userNameButton.get());
  identification(kHoldJobName, prefJobNameStringRef, "jobName", "jobName3", settings->jobName(), jobNameEditText,
                 jobNameButton);
  jobNameButtonProc(jobNameButton.get());

  // 12. Folder pass code.
  restoreCredential(kHoldFolderPassword, prefFolderPassStringRef, "folderPassword2", kShortCipherDigits,
                    folderPasswordEditText, folderPasswordButton);
  folderPasswordButtonProc(folderPasswordButton.get());

  // 13. The retention and folder rules once more, over everything placed.
  retentionCBoxProc(retentionCheckBox.get());
  folderSelectionPopUpButtonProc(folderSelectionPopup.get());
  _PDEEpilog(this, "--getNonPPDSettingsFromPrintSettings:");
}
