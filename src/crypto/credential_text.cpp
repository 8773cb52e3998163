// The cipher buffers are sized from the plaintext, so no length limit applies here; callers bound what
// they encrypt. Decrypted texts end at their zero padding.
#include "crypto/credential_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "crypto/base64.h"
#include "crypto/credential_cipher.h"
#include "platform/hex.h"

namespace crypto {
namespace {

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

// The plaintext of a ciphertext under the credential key, up to its zero padding.
std::string decrypt(const unsigned char* cipher, std::size_t length) {
  std::vector<unsigned char> plain(length + kAesBlockSize + 1, 0);
  my_aes_decrypt(cipher, length, plain.data());
  return std::string(reinterpret_cast<const char*>(plain.data()));
}

bool isBase64Character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

}  // namespace

std::string encryptToHex(const std::string& plaintext, std::size_t cipherBytes) {
  auto cipher = cipherBuffer(plaintext);
  cipher.resize(std::max(cipher.size(), cipherBytes));
  if (my_aes_encrypt(plaintext.c_str(), cipher.data(), cipher.size()) == 0) return {};
  return platform::hexText(std::string_view(reinterpret_cast<const char*>(cipher.data()), cipherBytes));
}

std::string encryptToBase64(const std::string& plaintext) {
  auto cipher = cipherBuffer(plaintext);
  const std::size_t length = my_aes_encrypt(plaintext.c_str(), cipher.data(), cipher.size());
  return base64(cipher, length);
}

std::string encryptToSpoolKeyBase64(const std::string& plaintext, const std::string& spoolTime) {
  auto cipher = cipherBuffer(plaintext);
  const std::size_t length = my_aes_encrypt2(plaintext.c_str(), spoolTime.c_str(), cipher.data(), cipher.size());
  return base64(cipher, length);
}

// A password of one block leaves its second cipher block all zero: then only the first is decrypted,
// since the zero block would decrypt to stray bytes behind a password of exactly 16 bytes.
std::optional<std::string> decryptFromHex(const std::string& hex, std::size_t digits) {
  if (hex.empty()) return std::string();
  if (hex.size() != digits) return std::nullopt;
  const auto cipher = platform::hexBytes(hex);
  if (!cipher) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(cipher->data());
  std::size_t length = cipher->size();
  if (length == 2 * kAesBlockSize &&
      std::all_of(bytes + kAesBlockSize, bytes + length, [](unsigned char b) { return b == 0; })) {
    length = kAesBlockSize;
  }
  return decrypt(bytes, length);
}

std::optional<std::string> decryptFromBase64(const std::string& coded) {
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

}  // namespace crypto
