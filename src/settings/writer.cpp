// The print-settings writer: the panel's choices as the ASCII values the printer's filter reads.
//
// Each text goes out in several encodings (the system's, Windows Latin-1, UTF-8) and each secret under
// several protections (credential key, the job's spool-time key, a digest bound to the spool time).
// Work buffers are sized from their inputs; the character and byte limits are the filter's.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "crypto/credential_cipher.h"
#include "crypto/credential_text.h"
#include "crypto/digest.h"
#include "platform/encoding.h"
#include "plugin/choices.h"
#include "plugin/held_fields.h"
#include "plugin/panel.h"
#include "plugin/trace.h"
#include "settings/encoding.h"
#include "settings/keys.h"
#include "ui/folder_list.h"

namespace {

using platform::CFStringEncoding;
using platform::Text;
using Panel = OndrixPrintPdeTarvel;
namespace keys = settingskeys;

constexpr std::string_view kMainFolder = "*standard";
constexpr std::size_t kWholeTextLimit = 1529;  // bytes of a folder name, and characters of a stored spool time
constexpr std::size_t kSpoolHexLimit = 2 * (kSpoolTimeSize - 1);

std::string keyName(std::string_view name) { return std::string(kSettingsPrefix) + std::string(name); }

// Stores a value under one key; an empty value removes the key.
void store(platform::PrintSettings* settings, std::string_view name, const std::string& value) {
  setAsciiValue(settings, keyName(name), value.c_str());
}

// Stores a value as the numbered family under prefix name; an empty value empties the family.
void storeFamily(platform::PrintSettings* settings, std::string_view name, const std::string& value) {
  MyMultiPMPrintSetAsciiCStrValue(settings, keyName(name).c_str(), value.c_str());
}

// The bytes of the first maxCharacters units of a text in an encoding, at most maxBytes of them.
// lossByte 0 stops at the first character the encoding lacks; a space stands in for it otherwise.
std::string convert(const Text& text, std::size_t maxCharacters, CFStringEncoding encoding,
                    std::uint8_t lossByte, std::size_t maxBytes) {
  return platform::getBytes(text, 0, std::min(text.length(), maxCharacters), encoding, lossByte, maxBytes).bytes;
}

// The system encoding; when not even the first character converts, Mac Japanese with spaces for what it
// lacks, so that a Japanese name on a Western system still reaches the device.
std::string systemOrJapanese(const Text& text, std::size_t limit, CFStringEncoding systemEncoding) {
  const std::size_t count = std::min(text.length(), limit);
  auto system = platform::getBytes(text, 0, count, systemEncoding, 0, limit);
  if (system.unitsConverted > 0) return std::move(system.bytes);
  return platform::getBytes(text, 0, count, platform::kCFStringEncodingMacJapanese, ' ', limit).bytes;
}

// Windows Latin-1 with spaces for what it lacks; on East-Asian systems the system bytes serve instead.
std::string western(const Text& text, std::size_t limit, const std::string& systemBytes, CFStringEncoding system) {
  if (!encodingWindowsLatin1(system) || text.isNone()) return systemBytes;
  return convert(text, limit, platform::kCFStringEncodingWindowsLatin1, ' ', limit);
}

std::string utf8(const Text& text, std::size_t limit, std::uint8_t lossByte = ' ') {
  return convert(text, limit, platform::kCFStringEncodingUTF8, lossByte, limit);
}

// The whole text in an encoding, none when a character cannot be represented or it exceeds the limit.
std::optional<std::string> wholeText(const Text& text, CFStringEncoding encoding) {
  auto bytes = platform::getCString(text, encoding);
  if (!bytes || bytes->size() > kWholeTextLimit) return std::nullopt;
  return bytes;
}

// Codes of one to four digits are padded to five with leading zeros, the form the filter digests.
std::string paddedCode(const std::string& code) {
  const std::string_view digits(code.c_str());
  if (digits.empty() || digits.size() >= 5) return std::string(digits);
  return std::string(5 - digits.size(), '0') + std::string(digits);
}

std::string digest(const std::string& joined) {
  char text[kDigestTextSize] = {};
  calcMD5(text, joined.c_str());
  return text;
}

// The spool-time text kept in the settings, or none when there is none or it cannot serve: it must be
// pairs of hex digits that decode to 16 to 63 non-zero bytes, enough for the job's key and within the
// spool-time buffer.
std::optional<std::string> storedSpoolTime(const platform::PrintSettings& settings) {
  const auto stored = settings.getValue(keyName(keys::kSpoolTime.name));
  if (!stored || stored->size() > kSpoolHexLimit || stored->size() < 2 * kSpoolTimeKeyLength) return std::nullopt;
  auto text = hexBytes(*stored);
  if (!text || text->find('\0') != std::string::npos) return std::nullopt;
  return text;
}

// The spool-time text of the job: the stored one, or a new one stored now, so that every save of the job
// uses the same key and digests.
std::string spoolTimeOf(platform::PrintSettings* settings) {
  if (auto stored = storedSpoolTime(*settings)) return *stored;
  char text[kSpoolTimeSize] = {};
  GetSpoolTime(text);
  store(settings, keys::kSpoolTime.name, hexText(text));
  return text;
}

// What every step of one save shares.
struct Save {
  Panel& panel;
  platform::PrintSettings* settings;
  std::string spoolTime;
  CFStringEncoding system;
};

// 0 no filing, 1 quick file, 2 the main folder, 3 a custom folder; filing needs retention and a hard disk.
int filingMode(const Panel& p) {
  if (!p.CheckHardDisk() || p.retentionCheckBox->state() == 0) return 0;
  const std::optional<FolderChoice> choice = folderChoice(p);
  return choice ? static_cast<int>(indexOf(*choice)) + 1 : 0;
}

// A custom folder comes from the device's list, else from the radio form's name field; with neither form
// able to name one, the main folder stands in. A list entry without a name names none.
struct CustomFolder {
  bool mainFolder = false;
  Text name;
};
CustomFolder customFolder(const Panel& p) {
  const long item = p.folderSelectionPopup->indexOfSelectedItem();
  if (item >= folders::kFirstFolderIndex && p.folderList) {
    const FolderEntry* entry = folders::entryForItem(p.folderList, item);
    return {false, entry ? folders::name(*entry) : Text()};
  }
  if (p.folderSelectionMatrix.present()) return {false, p.folderNameEditText->stringValue()};
  return {true, Text()};
}

// No name to send: an old one must not go out with this job. The Western and UTF-8 forms go out whenever
// their own conversions succeed, so a name the system encoding lacks still reaches the device.
void writeCustomFolder(const Save& s, const Text& name) {
  std::optional<std::string> systemName;
  if (!name.isNone()) {
    systemName = wholeText(name, s.system);
    if (!systemName) systemName = wholeText(name, platform::kCFStringEncodingMacJapanese);
  }
  if (systemName) {
    store(s.settings, keys::kFolderPath.name, hexText(*systemName));
  } else {
    s.settings->setValue(keyName(keys::kFolderPath.name), std::nullopt);
  }
  if (name.isNone()) return;
  auto westernName =
      encodingWindowsLatin1(s.system) ? wholeText(name, platform::kCFStringEncodingWindowsLatin1) : systemName;
  if (!westernName) westernName = wholeText(name, platform::kCFStringEncodingMacJapanese);
  if (westernName) store(s.settings, keys::kFolderPath2.name, hexText(*westernName));
  if (auto utf8Name = wholeText(name, platform::kCFStringEncodingUTF8))
    storeFamily(s.settings, keys::kFolderPath3.name, hexText(*utf8Name));
}

// Filing and the folder's name. The folder-path family goes by its first key: that empties it for readers.
int writeFolder(const Save& s) {
  s.settings->setValue(keyName(keys::kFolderPath2.name), std::nullopt);
  s.settings->setValue(keyName(std::string(keys::kFolderPath3.name) + "1"), std::nullopt);
  const int filing = filingMode(s.panel);
  store(s.settings, keys::kFiling.name, std::to_string(filing));
  if (filing == 2) store(s.settings, keys::kFolderPath.name, hexText(kMainFolder));
  if (filing == 3) {
    const CustomFolder folder = customFolder(s.panel);
    if (folder.mainFolder) {
      store(s.settings, keys::kFolderPath.name, hexText(kMainFolder));
    } else {
      writeCustomFolder(s, folder.name);
    }
  }
  return filing;
}

// Retention. The device's modes are not the rows' order; the digest puts the padded pass code first,
// the folder pass code's digest puts it last.
void writeRetention(const Save& s, int filing) {
  const Panel& p = s.panel;
  char mode = '0';
  const long row = p.suspendMatrix->selectedRow();
  if (p.retentionCheckBox->state() != 0 && row >= 0 && row < static_cast<long>(kRetentionModes.size()))
    mode = kRetentionModes[static_cast<std::size_t>(row)];
  if (p.isCorvane() && filing == 1) mode = '0';
  store(s.settings, keys::kJobSuspend.name, std::string(1, mode));
  if (mode == '0') return;

  const std::string code = convert(p.suspendKeyEditText->stringValue(), 8, s.system, 0, 8);
  if (code.empty()) {
    store(s.settings, keys::kJobSuspendKey.name, {});
    store(s.settings, keys::kJobSuspend2Key.name, {});
  } else {
    store(s.settings, keys::kJobSuspendKey.name, digest(paddedCode(code) + s.spoolTime));
    store(s.settings, keys::kJobSuspend2Key.name, crypto::encryptToHex(code, kAesBlockSize));
  }
}

void writeAuthentication(const Save& s) {
  store(s.settings, keys::kAuthentication.name, s.panel.authenticationRadioButton->state() != 0 ? "1" : "0");
}

// A held login name lives in the panel while its field shows bullets. Returns the name written.
Text writeLoginName(const Save& s) {
  const Panel& p = s.panel;
  const Text loginName = p.loginNameButton->state() != 0 ? p.loginNameStringRef : p.loginNameEditText->stringValue();
  const std::string systemBytes = systemOrJapanese(loginName, 255, s.system);
  storeFamily(s.settings, keys::kLoginName1.name, crypto::encryptToBase64(systemBytes));
  const std::string westernBytes = western(loginName, 255, systemBytes, s.system);
  storeFamily(s.settings, keys::kLoginName0.name, crypto::encryptToSpoolKeyBase64(westernBytes, s.spoolTime));
  storeFamily(s.settings, keys::kLoginName2.name,
              crypto::encryptToSpoolKeyBase64(utf8(loginName, 1530, 0), s.spoolTime));
  return loginName;
}

// The password; user and account numbers travel in clear, padded, and encrypted as typed.
void writeCredentials(const Save& s) {
  const Panel& p = s.panel;
  const Text password = p.passwordEditText->stringValue();
  const std::string passwordBytes = convert(password, 32, s.system, ' ', 32);
  store(s.settings, keys::kPassword.name, crypto::encryptToSpoolKeyBase64(passwordBytes, s.spoolTime));
  store(s.settings, keys::kPassword2.name, crypto::encryptToHex(passwordBytes, 2 * kAesBlockSize));
  storeFamily(s.settings, keys::kPassword3.name, crypto::encryptToSpoolKeyBase64(utf8(password, 192), s.spoolTime));

  const std::string userNumber = convert(p.userNumberEditText->stringValue(), 8, s.system, 0, 8);
  store(s.settings, keys::kUserNumber.name, paddedCode(userNumber));
  store(s.settings, keys::kUserNumber2.name, crypto::encryptToHex(userNumber, kAesBlockSize));
  const std::string accountNumber = convert(p.accountNumberEditText->stringValue(), 8, s.system, 0, 5);
  store(s.settings, keys::kAccountNumber.name, paddedCode(accountNumber));
  store(s.settings, keys::kAccountNumber2.name, crypto::encryptToHex(accountNumber, kAesBlockSize));
}

// One identification text in three forms. Control characters and quotes are blanked in the Western and
// UTF-8 forms only; the system form goes out as typed.
struct IdentificationKeys {
  const keys::Key& system;
  const keys::Key& western;
  const keys::Key& utf8;
};
void writeIdentificationText(const Save& s, const IdentificationKeys& to, const Text& text, std::size_t limit) {
  const std::string systemBytes = systemOrJapanese(text, limit, s.system);
  store(s.settings, to.system.name, hexText(systemBytes));
  store(s.settings, to.western.name, hexText(blankedBytes(western(text, limit, systemBytes, s.system))));
  storeFamily(s.settings, to.utf8.name, hexText(blankedBytes(utf8(text, 6 * limit))));
}

// Directory-service models send the login name as the user name.
void writeIdentification(const Save& s, const Text& loginName) {
  const Panel& p = s.panel;
  writeIdentificationText(s, {keys::kUserName, keys::kUserName2, keys::kUserName3},
                          p.active_directory != 0 ? loginName : p.userNameEditText->stringValue(), 32);
  writeIdentificationText(s, {keys::kJobName, keys::kJobName2, keys::kJobName3}, p.jobNameEditText->stringValue(), 80);
}

void writeFolderPassCode(const Save& s) {
  const std::string folderCode = convert(s.panel.folderPasswordEditText->stringValue(), 8, s.system, 0, 8);
  store(s.settings, keys::kFolderPassword.name, digest(s.spoolTime + paddedCode(folderCode)));
  store(s.settings, keys::kFolderPassword2.name, crypto::encryptToHex(folderCode, kAesBlockSize));
}

// The hold mask is stored even when 0: the reader tells "none held" from "not written".
void writeHoldMask(const Save& s) {
  s.settings->setValue(keyName(keys::kHoldButton.name), std::to_string(held::holdMask(s.panel)));
}

}  // namespace

// Writes every key of the panel into the job's print settings, in the filter's order. Without print
// settings or built controls nothing is written; lastSaveWrote tells the panel protocol which happened.
void OndrixPrintPdeTarvel::writeNonPPDSettingsToPrintSettings() {
  const TraceScope trace(this, "--writeNonPPDSettingsToPrintSettings:");
  lastSaveWrote = false;
  platform::PrintSettings* settings = pdePluginCallbackObject ? pdePluginCallbackObject->printSettings() : nullptr;
  if (!settings || hasInited == 0) return;

  const Save save{*this, settings, spoolTimeOf(settings), platform::systemEncoding()};
  const int filing = writeFolder(save);
  writeRetention(save, filing);
  writeAuthentication(save);
  const Text loginName = writeLoginName(save);
  writeCredentials(save);
  writeIdentification(save, loginName);
  writeFolderPassCode(save);
  writeHoldMask(save);
  lastSaveWrote = true;
}
