// The print-settings writer: the panel's choices as the ASCII values the printer's filter reads.
//
// Each text goes out in several encodings (the system's, Windows Latin-1, UTF-8) and each secret under
// several protections (credential key, the job's spool-time key, a digest bound to the spool time).
// Work buffers are sized from their inputs; the character and byte limits are the filter's.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/base64.h"
#include "crypto/credential_cipher.h"
#include "crypto/digest.h"
#include "platform/encoding.h"
#include "plugin/panel.h"
#include "plugin/trace.h"
#include "settings/encoding.h"

namespace {

using platform::CFStringEncoding;
using platform::Text;

constexpr std::string_view kMainFolder = "*standard";
constexpr std::size_t kWholeTextLimit = 1529;  // bytes of a folder name, and characters of a stored spool time
constexpr std::size_t kSpoolHexLimit = 2 * (kSpoolTimeSize - 1);

std::string keyName(std::string_view name) { return std::string(kSettingsPrefix) + std::string(name); }
Text key(std::string_view name) { return Text::fromUtf8(keyName(name)); }

// Stores a value under one key; an empty value removes the key.
void store(platform::PrintSettings* settings, std::string_view name, const std::string& value) {
  MyPMPrintSetAsciiCStrValue(settings, key(name), value.c_str());
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
std::string systemOrJapanese(const Text& text, std::size_t limit) {
  const std::size_t count = std::min(text.length(), limit);
  auto system = platform::getBytes(text, 0, count, platform::systemEncoding(), 0, limit);
  if (system.unitsConverted > 0) return std::move(system.bytes);
  return platform::getBytes(text, 0, count, platform::kCFStringEncodingMacJapanese, ' ', limit).bytes;
}

// Windows Latin-1 with spaces for what it lacks; on East-Asian systems the system bytes serve instead.
std::string western(const Text& text, std::size_t limit, const std::string& systemBytes) {
  if (!encodingWindowsLatin1() || text.isNone()) return systemBytes;
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

std::string blanked(std::string bytes) {
  ReplaceSpaceCode(bytes.data(), static_cast<long>(bytes.size()));
  return bytes;
}

std::string hexText(std::string_view bytes) {
  std::string hex(2 * bytes.size() + 1, '\0');
  myitoa(reinterpret_cast<const unsigned char*>(bytes.data()), hex.data(), static_cast<std::uint32_t>(bytes.size()));
  hex.resize(2 * bytes.size());
  return hex;
}

// Cipher bytes for a zero-terminated plaintext: its length rounded up to whole blocks.
std::vector<unsigned char> cipherBuffer(const std::string& plaintext) {
  const std::size_t length = std::strlen(plaintext.c_str());
  return std::vector<unsigned char>((length + kAesBlockSize - 1) / kAesBlockSize * kAesBlockSize + 1);
}

std::string base64(const std::vector<unsigned char>& cipher, std::size_t length) {
  if (length == 0) return {};
  std::string text(Base64encode_len(length), '\0');
  text.resize(Base64encode(text.data(), cipher.data(), length) - 1);
  return text;
}

// The plaintext under the credential key, in Base64; empty for an empty plaintext.
std::string fixedBase64(const std::string& plaintext) {
  auto cipher = cipherBuffer(plaintext);
  const std::size_t length = my_aes_encrypt(plaintext.c_str(), cipher.data(), cipher.size());
  return base64(cipher, length);
}

// The plaintext under the job's spool-time key, in Base64; empty for an empty plaintext.
std::string spoolBase64(const std::string& plaintext, const std::string& spoolTime) {
  auto cipher = cipherBuffer(plaintext);
  const std::size_t length = my_aes_encrypt2(plaintext.c_str(), spoolTime.c_str(), cipher.data(), cipher.size());
  return base64(cipher, length);
}

// The first cipherBytes bytes of the plaintext under the credential key, in hex; the zero padding of the
// cipher buffer fills a short ciphertext. Empty for an empty plaintext.
std::string fixedHex(const std::string& plaintext, std::size_t cipherBytes) {
  auto cipher = cipherBuffer(plaintext);
  cipher.resize(std::max(cipher.size(), cipherBytes));
  if (my_aes_encrypt(plaintext.c_str(), cipher.data(), cipher.size()) == 0) return {};
  return hexText(std::string_view(reinterpret_cast<const char*>(cipher.data()), cipherBytes));
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
  const auto stored = settings.getValue(keyName("spoolTime"));
  if (!stored || stored->size() > kSpoolHexLimit || stored->size() < 2 * kSpoolTimeKeyLength) return std::nullopt;

  std::string text(stored->size() / 2 + 1, '\0');
  if (!myatoi(stored->c_str(), reinterpret_cast<unsigned char*>(text.data()),
              static_cast<std::uint32_t>(stored->size())))
    return std::nullopt;
  text.resize(stored->size() / 2);
  if (text.find('\0') != std::string::npos) return std::nullopt;
  return text;
}

// The spool-time text of the job: the stored one, or a new one stored now, so that every save of the job
// uses the same key and digests.
std::string spoolTimeOf(platform::PrintSettings* settings) {
  if (auto stored = storedSpoolTime(*settings)) return *stored;
  char text[kSpoolTimeSize] = {};
  GetSpoolTime(text);
  store(settings, "spoolTime", hexText(text));
  return text;
}

}  // namespace

// Writes every key of the panel into the job's print settings, in the filter's order. Without print
// settings or built controls nothing is written; lastSaveWrote tells the panel protocol which happened.
void OndrixPrintPdeTarvel::writeNonPPDSettingsToPrintSettings() {
  _PDEProlog(this, "--writeNonPPDSettingsToPrintSettings:");
  lastSaveWrote = false;
  platform::PrintSettings* settings = pdePluginCallbackObject ? pdePluginCallbackObject->printSettings() : nullptr;
  if (!settings || hasInited == 0) {
    _PDEEpilog(this, "--writeNonPPDSettingsToPrintSettings:");
    return;
  }

  const std::string spoolTime = spoolTimeOf(settings);
  const CFStringEncoding system = platform::systemEncoding();

  // Filing. The folder-path family goes by its first key: that empties it for readers.
  settings->setValue(keyName("folderPath2"), std::nullopt);
  settings->setValue(keyName("folderPath31"), std::nullopt);

  int filing = 0;
  if (CheckHardDisk() && retentionCheckBox->state() != 0) {
    if (folderSelectionPopup.present()) {
      const long item = folderSelectionPopup->indexOfSelectedItem();
      filing = item == 0 ? 1 : item == 1 ? 2 : item >= 2 ? 3 : 0;
    }
    if (folderSelectionMatrix.present()) filing = static_cast<int>(folderSelectionMatrix->selectedRow() + 1);
    if (filing < 0 || filing > 3) filing = 0;
  }
  store(settings, "filing", std::to_string(filing));

  if (filing == 2) store(settings, "folderPath", hexText(kMainFolder));
  if (filing == 3) {
    // A custom folder comes from the device's list, else from the radio form's name field; with neither
    // form able to name one, the main folder stands in.
    std::optional<Text> name;
    bool mainFolder = false;
    const long item = folderSelectionPopup->indexOfSelectedItem();
    if (item >= 3 && folderList) {
      const auto index = static_cast<std::size_t>(item - 3);
      if (index < folderList->size()) {
        const auto* entry = platform::plist::find((*folderList)[index], "name");
        if (entry && entry->string()) name = Text::fromUtf8(*entry->string());
      }
    } else if (folderSelectionMatrix.present()) {
      name = folderNameEditText->stringValue();
    } else {
      mainFolder = true;
    }

    std::optional<std::string> systemName;
    if (name) {
      systemName = wholeText(*name, system);
      if (!systemName) systemName = wholeText(*name, platform::kCFStringEncodingMacJapanese);
    }
    if (mainFolder) {
      store(settings, "folderPath", hexText(kMainFolder));
    } else {
      // No name to send: an old one must not go out with this job. The Western and UTF-8 forms go out
      // whenever their own conversions succeed, so a name the system encoding lacks still reaches the
      // device.
      if (systemName) {
        store(settings, "folderPath", hexText(*systemName));
      } else {
        settings->setValue(keyName("folderPath"), std::nullopt);
      }
    }
    if (!mainFolder && name) {
      auto westernName =
          encodingWindowsLatin1() ? wholeText(*name, platform::kCFStringEncodingWindowsLatin1) : systemName;
      if (!westernName) westernName = wholeText(*name, platform::kCFStringEncodingMacJapanese);
      if (westernName) store(settings, "folderPath2", hexText(*westernName));
      if (auto utf8Name = wholeText(*name, platform::kCFStringEncodingUTF8))
        storeFamily(settings, "folderPath3", hexText(*utf8Name));
    }
  }

  // Retention. The device's modes are not the rows' order.
  std::string_view suspend = "0";
  if (retentionCheckBox->state() != 0) {
    switch (suspendMatrix->selectedRow()) {
      case 0: suspend = "2"; break;
      case 1: suspend = "1"; break;
      case 2: suspend = "3"; break;
      default: break;
    }
  }
  if (isCorvane() && filing == 1) suspend = "0";
  store(settings, "jobSuspend", std::string(suspend));

  if (suspend != "0") {
    // The digest puts the padded code first, the folder pass code's digest puts it last.
    const std::string code = convert(suspendKeyEditText->stringValue(), 8, system, 0, 8);
    if (code.empty()) {
      store(settings, "jobSuspendKey", {});
      store(settings, "jobSuspend2Key", {});
    } else {
      store(settings, "jobSuspendKey", digest(paddedCode(code) + spoolTime));
      store(settings, "jobSuspend2Key", fixedHex(code, kAesBlockSize));
    }
  }

  // Authentication. A held login name lives in the panel while its field shows bullets.
  store(settings, "Authentication", authenticationRadioButton->state() != 0 ? "1" : "0");
  const Text loginName = loginNameButton->state() != 0 ? loginNameStringRef : loginNameEditText->stringValue();
  {
    const std::string systemBytes = systemOrJapanese(loginName, 255);
    storeFamily(settings, "loginName1", fixedBase64(systemBytes));
    storeFamily(settings, "loginName0", spoolBase64(western(loginName, 255, systemBytes), spoolTime));
    storeFamily(settings, "loginName2", spoolBase64(utf8(loginName, 1530, 0), spoolTime));
  }
  {
    const Text password = passwordEditText->stringValue();
    const std::string systemBytes = convert(password, 32, system, ' ', 32);
    store(settings, "password", spoolBase64(systemBytes, spoolTime));
    store(settings, "password2", fixedHex(systemBytes, 2 * kAesBlockSize));
    storeFamily(settings, "password3", spoolBase64(utf8(password, 192), spoolTime));
  }

  // User and account numbers travel in clear, padded, and encrypted as typed.
  {
    const std::string userNumber = convert(userNumberEditText->stringValue(), 8, system, 0, 8);
    store(settings, "userNumber", paddedCode(userNumber));
    store(settings, "userNumber2", fixedHex(userNumber, kAesBlockSize));
    const std::string accountNumber = convert(accountNumberEditText->stringValue(), 8, system, 0, 5);
    store(settings, "accountNumber", paddedCode(accountNumber));
    store(settings, "accountNumber2", fixedHex(accountNumber, kAesBlockSize));
  }

  // Job identification. Control characters and quotes are blanked in the Western and UTF-8 forms only;
  // the system form goes out as typed.
  {
    const Text userName = active_directory != 0 ? loginName : userNameEditText->stringValue();
    const std::string systemBytes = systemOrJapanese(userName, 32);
    store(settings, "userName", hexText(systemBytes));
    store(settings, "userName2", hexText(blanked(western(userName, 32, systemBytes))));
    storeFamily(settings, "userName3", hexText(blanked(utf8(userName, 192))));
  }
  {
    const Text jobName = jobNameEditText->stringValue();
    const std::string systemBytes = systemOrJapanese(jobName, 80);
    store(settings, "jobName", hexText(systemBytes));
    store(settings, "jobName2", hexText(blanked(western(jobName, 80, systemBytes))));
    storeFamily(settings, "jobName3", hexText(blanked(utf8(jobName, 480))));
  }

  {
    const std::string folderCode = convert(folderPasswordEditText->stringValue(), 8, system, 0, 8);
    store(settings, "folderPassword", digest(spoolTime + paddedCode(folderCode)));
    store(settings, "folderPassword2", fixedHex(folderCode, kAesBlockSize));
  }

  // The hold mask is stored even when 0: the reader tells "none held" from "not written".
  struct HoldBit {
    ui::Button* button;
    std::uint32_t bit;
  };
  const HoldBit holds[] = {
      {&*suspendKeyButton, kHoldSuspendKey},       {&*loginNameButton, kHoldLoginName},
      {&*passwordButton, kHoldPassword},           {&*userNameButton, kHoldUserName},
      {&*jobNameButton, kHoldJobName},             {&*folderPasswordButton, kHoldFolderPassword},
      {&*userNumberButton, kHoldUserNumber},       {&*accountNumberButton, kHoldAccountNumber},
      {&*folderNameButton, kHoldFolderName},
  };
  std::uint32_t mask = 0;
  for (const auto& hold : holds)
    if (hold.button->state() != 0) mask |= hold.bit;
  settings->setValue(keyName("holdButton"), std::to_string(mask));

  lastSaveWrote = true;
  _PDEEpilog(this, "--writeNonPPDSettingsToPrintSettings:");
}
