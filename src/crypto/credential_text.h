// Credentials as the text the printer's filter and the preference store keep: the ciphertext of a
// zero-terminated plaintext, under the credential key or the job's spool-time key, written as hex or
// Base64, and the way back for the credential key.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace crypto {

// The first cipherBytes bytes of the plaintext under the credential key, as hex; the cipher's zero
// padding fills a shorter ciphertext. Empty for an empty plaintext.
std::string encryptToHex(const std::string& plaintext, std::size_t cipherBytes);

// The whole ciphertext under the credential key, in Base64; empty for an empty plaintext.
std::string encryptToBase64(const std::string& plaintext);

// The whole ciphertext under the key of the job's spool-time text, in Base64; empty for an empty
// plaintext.
std::string encryptToSpoolKeyBase64(const std::string& plaintext, const std::string& spoolTime);

// The plaintext of a credential-key hex value of exactly `digits` digits. An empty value is an empty
// plaintext; a damaged one (another length, not hex) is none.
std::optional<std::string> decryptFromHex(const std::string& hex, std::size_t digits);

// The plaintext of a credential-key Base64 value. An empty value is an empty plaintext; a damaged one
// (not whole Base64, or not whole cipher blocks) is none.
std::optional<std::string> decryptFromBase64(const std::string& coded);

}  // namespace crypto
