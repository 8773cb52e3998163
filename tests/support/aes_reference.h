// The credential forms computed with OpenSSL's own ECB, hex and Base64, independent of the system's
// cipher code, so that tests pin what the printer's filter and stored preferences rely on.
#pragma once

#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<unsigned char>;

inline const Bytes& credentialKey() {
  static const Bytes key = {0x5e, 0x0b, 0x27, 0xc9, 0xa1, 0xf4, 0x83, 0x6d,
                            0x2c, 0x7a, 0x90, 0xe4, 0xb1, 0x5f, 0x3d, 0x68};
  return key;
}

struct CipherCtxFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

// AES-128-ECB with a 16-byte key (the credential key unless given), no padding of OpenSSL's own: the bytes
// are padded with zero bytes to whole blocks first. Empty when OpenSSL fails, so that no comparison with it
// can pass.
inline Bytes ecb(Bytes bytes, bool encrypt, const unsigned char* key = credentialKey().data()) {
  bytes.resize((bytes.size() + 15) / 16 * 16, 0);
  std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
  Bytes out(bytes.size() + 16);
  int n = 0;
  int tail = 0;
  if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key, nullptr, encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1 ||
      EVP_CipherUpdate(ctx.get(), out.data(), &n, bytes.data(), static_cast<int>(bytes.size())) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), out.data() + n, &tail) != 1)
    return {};
  out.resize(static_cast<std::size_t>(n + tail));
  return out;
}

// The text's bytes padded with zero bytes to whole blocks, encrypted.
inline Bytes encryptText(const std::string& text, const unsigned char* key = credentialKey().data()) {
  return ecb(Bytes(text.begin(), text.end()), true, key);
}

// The plaintext up to its zero padding.
inline std::string decryptText(const Bytes& cipher) {
  const Bytes plain = ecb(cipher, false);
  std::string text(plain.begin(), plain.end());
  return text.substr(0, text.find('\0'));
}

inline std::string upperHex(const Bytes& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}
inline std::string upperHex(const std::string& bytes) { return upperHex(Bytes(bytes.begin(), bytes.end())); }

inline Bytes fromHex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

inline std::string base64(const Bytes& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                static_cast<int>(bytes.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

inline Bytes fromBase64(const std::string& text) {
  Bytes out(3 * ((text.size() + 3) / 4) + 1);
  const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  if (n < 0) return {};
  out.resize(static_cast<std::size_t>(n));
  // EVP_DecodeBlock counts the padding's bytes as well.
  if (text.size() >= 1 && text[text.size() - 1] == '=') out.pop_back();
  if (text.size() >= 2 && text[text.size() - 2] == '=') out.pop_back();
  return out;
}

// The stored forms: hex of the first keptBytes cipher bytes, and Base64 of the whole ciphertext.
inline std::string hexForm(const std::string& text, std::size_t keptBytes = 16) {
  Bytes cipher = encryptText(text);
  cipher.resize(keptBytes, 0);
  return upperHex(cipher);
}
inline std::string base64Form(const std::string& text) { return base64(encryptText(text)); }

}  // namespace testsupport
