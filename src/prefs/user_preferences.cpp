// The user's last values and hold buttons per printer: CheckPreference, GetUserPreference,
// SaveUserPreference. Credentials are stored encrypted with the credential key, as hex or Base64 text,
// and a credential whose hold button is released is stored as the empty string, so that the store keeps
// no secret the user did not ask it to keep.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "crypto/credential_cipher.h"
#include "crypto/credential_text.h"
#include "platform/encoding.h"
#include "plugin/held_fields.h"
#include "plugin/panel.h"
#include "prefs/preference_domain.h"

namespace {

using platform::Text;
using platform::plist::Dict;
using platform::plist::Value;

constexpr const char* kReleaseNumber = "2.00";

constexpr std::size_t kAsciiLimit = 255;

// The first maxCharacters units of a text in the system's encoding, stopping before the first
// character it cannot represent, at most maxBytes bytes.
std::string systemBytes(const Text& text, std::size_t maxCharacters, std::size_t maxBytes) {
  const std::size_t count = std::min(text.length(), maxCharacters);
  return platform::getBytes(text, 0, count, platform::systemEncoding(), 0, maxBytes).bytes;
}

// Hex-16: pass code, user number, account number.
std::string hex16(const Text& text) { return crypto::encryptToHex(systemBytes(text, 16, 16), kAesBlockSize); }

// Hex-32: the password; a plaintext of one block leaves the second all zero.
std::string hex32(const Text& text) { return crypto::encryptToHex(systemBytes(text, 32, 32), 2 * kAesBlockSize); }

// Base64 of the whole ciphertext: the login name.
std::string base64Form(const Text& text) {
  return crypto::encryptToBase64(systemBytes(text, kAsciiLimit, kAsciiLimit));
}

// Hex-ASCII: the folder pass code, whole in ASCII or not at all; only the first block is kept.
std::string hexAscii(const Text& text) {
  const auto ascii = platform::getCString(text, platform::kCFStringEncodingASCII);
  if (!ascii || ascii->size() > kAsciiLimit) return {};
  return crypto::encryptToHex(*ascii, kAesBlockSize);
}

// A held field's value in its stored form; a credential released is stored as the empty string.
std::string storedForm(held::StoredForm form, const Text& value, bool isHeld) {
  if (form == held::StoredForm::clear) return value.utf8();
  if (!isHeld) return {};
  switch (form) {
    case held::StoredForm::hex16: return hex16(value);
    case held::StoredForm::hex32: return hex32(value);
    case held::StoredForm::base64: return base64Form(value);
    case held::StoredForm::hexAscii: return hexAscii(value);
    case held::StoredForm::clear: break;
  }
  return {};
}

// The record's string under key as a text, or none when it is missing or not a string.
Text storedText(const Dict& record, const char* key) {
  const Value* value = platform::plist::find(record, key);
  return value && value->string() ? Text::fromUtf8(*value->string()) : Text();
}

// The hold mask as a 32-bit signed number, or none when it is missing, not a number or not exactly
// representable in that type.
std::optional<std::int32_t> storedMask(const Value& value) {
  constexpr auto kLow = std::numeric_limits<std::int32_t>::min();
  constexpr auto kHigh = std::numeric_limits<std::int32_t>::max();
  if (const std::int64_t* i = value.integer()) {
    if (*i < kLow || *i > kHigh) return std::nullopt;
    return static_cast<std::int32_t>(*i);
  }
  if (const double* d = value.real()) {
    if (!(*d >= kLow && *d <= kHigh) || std::trunc(*d) != *d) return std::nullopt;
    return static_cast<std::int32_t>(*d);
  }
  return std::nullopt;
}

}  // namespace

// Keeps the record only when it was written for this model and release; a panel whose PPD names no
// model compares as the empty name. Writes the domain back in every case, so a first use creates it.
void OndrixPrintPdeTarvel::CheckPreference() {
  const std::string model = modelStringRef.utf8();
  const auto belongs = [&model](const Dict& record) {
    const Value* storedModel = platform::plist::find(record, "Model Name");
    const Value* storedRelease = platform::plist::find(record, "Release Number");
    return storedModel && storedModel->string() && *storedModel->string() == model && storedRelease &&
           storedRelease->string() && *storedRelease->string() == kReleaseNumber;
  };
  // A record that belongs stays as it is, and its domain exists: nothing to write.
  if (const auto record = prefs::loadRecord(preferenceName); record && belongs(*record)) return;
  prefs::updateRecord(preferenceName, [&](Dict& record) {
    if (!belongs(record)) record = Dict{{"Model Name", Value(model)}, {"Release Number", Value(kReleaseNumber)}};
  });
}

// Loads the hold mask and the values of the held fields, still in their stored forms; the reader
// decodes them. A stored value that is not a string counts as absent.
void OndrixPrintPdeTarvel::GetUserPreference() {
  prefHoldButtonFlag = 0;
  for (const held::Field& f : held::kFields) this->*f.held = Text();
  prefAuthenticationBooleanRef.reset();

  const auto record = prefs::loadRecord(preferenceName);
  if (!record) return;
  const Value* maskValue = platform::plist::find(*record, "hold button");
  if (!maskValue) return;
  // A mask that cannot be read exactly loads nothing and holds nothing.
  const auto mask = storedMask(*maskValue);
  if (!mask) return;
  const auto bits = static_cast<std::uint32_t>(*mask);

  for (const held::Field& f : held::kFields)
    if (bits & f.bit) this->*f.held = storedText(*record, f.preferenceKey);
  if (const Value* auth = platform::plist::find(*record, "authentication")) {
    if (auth->boolean()) {
      prefAuthenticationBooleanRef = *auth->boolean();
    } else if (auth->integer()) {
      prefAuthenticationBooleanRef = *auth->integer() != 0;
    }
  }
  prefHoldButtonFlag = bits;
}

// Stores every field and the hold mask. A field whose control is absent keeps its stored value. The six
// credentials are stored (encrypted) only while held; released, they are stored as the empty string.
// NO when there is no store, no domain or the write failed.
bool OndrixPrintPdeTarvel::SaveUserPreference() {
  // The keys this save stores; the record's other keys stay as stored. A field whose control yields no
  // text (an absent one) keeps its stored value. While the login name is held, it lives in the panel and
  // the field shows bullets; nothing captured keeps the stored value.
  Dict record;
  for (const held::Field& f : held::kFields) {
    const bool isHeld = (this->*f.button)->state() != 0;
    const bool captured = f.bit == kHoldLoginName && loginNameButton->state() == 1;
    const Text value = captured ? loginNameStringRef : (this->*f.field)->stringValue();
    if (!value.isNone()) record[f.preferenceKey] = Value(storedForm(f.form, value, isHeld));
  }
  record["authentication"] = Value(authenticationRadioButton->state() != 0);
  record["hold button"] = Value(static_cast<std::int64_t>(static_cast<std::int32_t>(held::holdMask(*this))));
  return prefs::storeRecordValues(preferenceName, std::move(record));
}
