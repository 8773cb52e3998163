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

#include "crypto/credential_cipher.h"
#include "crypto/credential_text.h"
#include "platform/encoding.h"
#include "plugin/choices.h"
#include "plugin/held_fields.h"
#include "plugin/panel.h"
#include "plugin/trace.h"
#include "settings/encoding.h"
#include "settings/keys.h"

namespace {

using platform::PrintSettings;
using platform::Text;
using Panel = OndrixPrintPdeTarvel;
namespace keys = settingskeys;

// Longer values are none of the writer's (its longest, a folder name's hex, has 3058 characters).
constexpr std::size_t kMaxValueLength = 8192;
constexpr std::size_t kMaxFamilyKeys = 64;

// Hex digits of a credential's cipher in the settings: the password has two blocks, pass codes and
// numbers one.
constexpr std::size_t cipherDigits(held::StoredForm form) {
  return form == held::StoredForm::hex32 ? 4 * kAesBlockSize : 2 * kAesBlockSize;
}

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

// The user's account from the password database: name, and the full name (the first comma-separated
// field of the comment, else the name). Empty texts when there is no entry. Looked up once per process:
// the account does not change under a running dialog, and the lookup reads the whole database.
struct Account {
  Text name = Text::empty();
  Text fullName = Text::empty();
};
Account lookUpAccount() {
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
const Account& systemAccount() {
  static const Account account = lookUpAccount();
  return account;
}

// What every step of one restore shares.
struct Restore {
  Panel& panel;
  const PrintSettings& settings;

  std::optional<std::string> value(std::string_view name) const { return readValue(settings, name); }

  // Bytes in the system's encoding as a text; bytes that do not form one give the empty text.
  Text systemText(const std::string& bytes) const {
    Text text = platform::createWithBytesNS(bytes, panel.systemEncoding);
    return text.isNone() ? Text::empty() : text;
  }

  // A decrypted credential as text; none for a damaged value.
  Text credentialText(const std::optional<std::string>& plain) const { return plain ? systemText(*plain) : Text(); }

  // Whether the preferences hold the bit; they hold it once only.
  bool takeHeld(std::uint32_t bit) const {
    const bool held = (panel.prefHoldButtonFlag & bit) != 0;
    panel.prefHoldButtonFlag &= ~bit;
    return held;
  }
};

// A restored value in its field, its padlock set, and the padlock's action sent.
void place(const Restore& r, const held::Field& f, const Text& text, bool holdOn) {
  Panel& p = r.panel;
  (p.*f.field)->setStringValue(text.isNone() ? Text::empty() : text);
  (p.*f.button)->setState(holdOn ? 1 : 0);
  (p.*f.action)((p.*f.button).get());
}

// The held-value rule for a credential-key hex value: a held value wins once; else the settings key's
// value, whose hold bit in the settings holds it again.
void restoreCredential(const Restore& r, std::uint32_t bit) {
  const held::Field& f = held::field(bit);
  const std::size_t digits = cipherDigits(f.form);
  const Text& held = r.panel.*f.held;
  bool holdOn = false;
  Text text;
  if (r.takeHeld(bit)) {
    holdOn = true;
    if (!held.isNone()) text = r.credentialText(crypto::decryptFromHex(held.utf8(), digits));
  }
  if (text.isNone()) {
    if (const auto stored = r.value(f.settingsKey->name)) {
      text = r.credentialText(crypto::decryptFromHex(*stored, digits));
      if (!text.isNone() && (r.panel.presetHoldButtonFlag & bit)) holdOn = true;
    }
  }
  place(r, f, text, holdOn);
}

// Hold mask as the print settings last stored it; an absent one keeps the last read.
void readHoldMask(const Restore& r) {
  if (const auto mask = r.value(keys::kHoldButton.name)) {
    const long parsed = std::strtol(mask->c_str(), nullptr, 10);
    r.panel.presetHoldButtonFlag = static_cast<std::uint32_t>(std::clamp<long>(parsed, INT_MIN, INT_MAX));
  }
}

// The stored modes are not the rows' order; directory-service models always retain.
void readRetention(const Restore& r) {
  Panel& p = r.panel;
  long mode = 0;
  if (const auto suspend = r.value(keys::kJobSuspend.name); suspend && !suspend->empty()) {
    if (const std::optional<long> row = retentionRow((*suspend)[0])) mode = *row + 1;
  }
  if (p.active_directory) mode = 1;
  p.retentionCheckBox->setState(mode != 0 ? 1 : 0);
  p.retentionCBoxProc(p.retentionCheckBox.get());
  p.suspendMatrix->selectCellAtRow(mode == 0 ? 0 : mode - 1, 0);
  restoreCredential(r, kHoldSuspendKey);
}

// Quick file, or a custom folder by name (the main folder item when the device's list no longer has
// it); a held folder name fills the radio form's field. Otherwise the main folder.
void readFolder(const Restore& r) {
  Panel& p = r.panel;
  bool chosen = false;
  const auto filing = r.value(keys::kFiling.name);
  const char filingMode = filing && !filing->empty() ? (*filing)[0] : '\0';
  // Both forms show the choice: the pop-up's item and the radio form's row.
  const auto choose = [&p](FolderChoice choice, long popUpItem) {
    p.folderSelectionPopup->selectItemAtIndex(popUpItem);
    p.folderSelectionMatrix->selectCellAtRow(indexOf(choice), 0);
  };
  if (filingMode == '1') {
    choose(FolderChoice::quickFile, indexOf(FolderChoice::quickFile));
    chosen = true;
  } else if (filingMode == '3') {
    const auto path = r.value(held::field(kHoldFolderName).settingsKey->name);
    if (const auto bytes = path ? hexBytes(*path) : std::nullopt) {
      p.folderNameStringRef = r.systemText(*bytes);
      choose(FolderChoice::customFolder, p.SearchSameFolderName(p.folderNameStringRef));
      p.folderNameEditText->setStringValue(p.folderNameStringRef);
      chosen = true;
    }
  }
  bool heldFolderName = false;
  if (p.folderSelectionMatrix.present() && r.takeHeld(kHoldFolderName) && !p.prefFolderNameStringRef.isNone()) {
    p.folderNameEditText->setStringValue(p.prefFolderNameStringRef);
    heldFolderName = true;
    chosen = true;
  }
  if (!chosen) choose(FolderChoice::mainFolder, indexOf(FolderChoice::mainFolder));
  p.folderNameButton->setState((p.presetHoldButtonFlag & kHoldFolderName) || heldFolderName ? 1 : 0);
  p.folderNameButtonProc(p.folderNameButton.get());
}

// The held choice when a credential of either kind is held, else the settings'.
void readAuthentication(const Restore& r) {
  Panel& p = r.panel;
  long row = 0;
  if ((p.prefHoldButtonFlag & (kHoldLoginName | kHoldPassword | kHoldUserNumber)) && p.prefAuthenticationBooleanRef) {
    row = *p.prefAuthenticationBooleanRef ? 0 : 1;
  } else if (const auto authentication = r.value(keys::kAuthentication.name)) {
    row = !authentication->empty() && (*authentication)[0] == '1' ? 0 : 1;
  }
  p.authenticationMatrix->selectCellAtRow(row, 0);
}

// Releasing the hold first empties the field and forgets any name held in the panel. A held name that
// cannot be decrypted counts as absent, like a damaged value in the settings.
void readLoginName(const Restore& r) {
  Panel& p = r.panel;
  p.loginNameButton->setState(0);
  p.loginNameButtonProc(p.loginNameButton.get());
  const bool loginHeld = r.takeHeld(kHoldLoginName);
  std::optional<std::string> loginName;
  bool loginStored = false;
  if (loginHeld && !p.prefLoginNameStringRef.isNone()) {
    loginName = crypto::decryptFromBase64(p.prefLoginNameStringRef.utf8());
    loginStored = !p.prefLoginNameStringRef.isEmpty();
  }
  if (!loginName) {
    // The writer's first two keys of the family hold every name the panel can save.
    const std::string family(held::field(kHoldLoginName).settingsKey->name);
    const std::string first = r.value(family + "1").value_or("");
    const std::string second = r.value(family + "2").value_or("");
    loginName = crypto::decryptFromBase64(first + (!first.empty() && !second.empty() ? second : ""));
    loginStored = !first.empty();
  }
  if (p.active_directory && (!loginStored || !loginName)) {
    p.loginNameEditText->setStringValue(systemAccount().name);
  } else {
    p.loginNameEditText->setStringValue(loginName ? r.systemText(*loginName) : Text::empty());
  }
  // Held again, the action takes the field's text as the held name and masks the field afresh.
  p.loginNameStringRef = Text();
  p.loginNameLockFlag = 0;
  if (loginHeld || (p.presetHoldButtonFlag & kHoldLoginName)) {
    p.loginNameButton->setState(1);
    p.loginNameButtonProc(p.loginNameButton.get());
  } else if (p.loginNameButton->state() != 0) {
    p.loginNameButton->setState(0);
    p.loginNameButtonProc(p.loginNameButton.get());
  }
}

// Password, user number, account number.
void readCredentials(const Restore& r) {
  Panel& p = r.panel;
  restoreCredential(r, kHoldPassword);
  restoreCredential(r, kHoldUserNumber);
  restoreCredential(r, kHoldAccountNumber);
  p.authenticationMatrixProc(p.authenticationMatrix.get());
}

// User name or job name: held clear text, else the short key's text. That key carries at most 32 (80)
// characters in the system encoding, or a Japanese stand-in when the name's first character has none
// there; the UTF-8 family carries the whole name with control characters and quotes blanked. The short
// key's text is kept when blanking it gives exactly the family's text: it is then the whole name,
// control characters and quotes included. Otherwise it lost characters or was written in another
// script, and the family's text is restored.
void restoreIdentification(const Restore& r, std::uint32_t bit, const keys::Key& family, const Text& fallback) {
  const held::Field& f = held::field(bit);
  const Text& held = r.panel.*f.held;
  bool holdOn = false;
  Text text;
  if (r.takeHeld(bit)) {
    holdOn = true;
    text = held;
  }
  if (text.isNone()) {
    const auto stored = r.value(f.settingsKey->name);
    const auto shortBytes = stored ? hexBytes(*stored) : std::nullopt;
    if (shortBytes) text = r.systemText(*shortBytes);
    const auto familyHex = readFamily(r.settings, std::string(family.name));
    const auto familyBytes = familyHex ? hexBytes(*familyHex) : std::nullopt;
    const Text familyText =
        familyBytes ? platform::createWithBytes(*familyBytes, platform::kCFStringEncodingUTF8) : Text();
    if (!familyText.isEmpty() && blankedText(text) != familyText) text = familyText;
    if (stored && !text.isEmpty() && (r.panel.presetHoldButtonFlag & bit)) holdOn = true;
    if (text.isEmpty()) text = fallback;
  }
  place(r, f, text, holdOn);
}

void readIdentification(const Restore& r) {
  Panel& p = r.panel;
  const Account& account = systemAccount();
  restoreIdentification(r, kHoldUserName, keys::kUserName3, p.active_directory ? account.name : account.fullName);
  restoreIdentification(r, kHoldJobName, keys::kJobName3, r.settings.jobName());
}

}  // namespace

void OndrixPrintPdeTarvel::getNonPPDSettingsFromPrintSettings() {
  const TraceScope trace(this, "--getNonPPDSettingsFromPrintSettings:");
  const PrintSettings* settings = pdePluginCallbackObject ? pdePluginCallbackObject->printSettings() : nullptr;
  if (!settings) return;

  const Restore restore{*this, *settings};
  readHoldMask(restore);
  readRetention(restore);
  readFolder(restore);
  readAuthentication(restore);
  readLoginName(restore);
  readCredentials(restore);
  readIdentification(restore);
  restoreCredential(restore, kHoldFolderPassword);
  // The retention and folder rules once more, over everything placed.
  retentionCBoxProc(retentionCheckBox.get());
  folderSelectionPopUpButtonProc(folderSelectionPopup.get());
}
