// Electronic-codebook mode built on OpenSSL's AES block interface, one block per call, so that the
// block layout stays exactly what the printer's filter decodes.
#include "crypto/credential_cipher.h"

#include <string.h>

#include <cstring>

#include "crypto/libcrypto.h"

namespace {

// Wipes a key schedule or plaintext block when it goes out of scope, whatever path leaves the function.
template <class T>
class Wiped {
 public:
  Wiped() = default;
  ~Wiped() { explicit_bzero(&value_, sizeof value_); }
  Wiped(const Wiped&) = delete;
  Wiped& operator=(const Wiped&) = delete;
  T& get() { return value_; }

 private:
  T value_{};
};

// Encrypts the plaintext under a prepared schedule; the caller has checked the arguments and zeroed the
// output. Only whole blocks that fit in outputSize are written. Returns the cipher bytes written.
std::size_t encryptBlocks(const AES_KEY& schedule, const char* plaintext, unsigned char* output,
                          std::size_t outputSize) {
  const auto encrypt = crypto::libcrypto().encrypt;
  const std::size_t length = std::strlen(plaintext);
  const auto* source = reinterpret_cast<const unsigned char*>(plaintext);
  const std::size_t room = outputSize / kAesBlockSize * kAesBlockSize;
  std::size_t written = 0;

  for (; written + kAesBlockSize <= length && written + kAesBlockSize <= room; written += kAesBlockSize)
    encrypt(source + written, output + written, &schedule);

  // The tail is padded with zero bytes from a copy, so nothing past the terminator is read.
  if (written < length && written + kAesBlockSize <= room) {
    Wiped<unsigned char[kAesBlockSize]> tail;
    std::memcpy(tail.get(), source + written, length - written);
    encrypt(tail.get(), output + written, &schedule);
    written += kAesBlockSize;
  }
  return written;
}

}  // namespace

std::size_t my_aes_encrypt(const char* plaintext, unsigned char* output, std::size_t outputSize) {
  if (!plaintext || !output) return 0;
  std::memset(output, 0, outputSize);
  if (*plaintext == '\0') return 0;

  Wiped<AES_KEY> schedule;
  crypto::libcrypto().setEncryptKey(kCredentialKey.data(), 128, &schedule.get());
  return encryptBlocks(schedule.get(), plaintext, output, outputSize);
}

std::size_t my_aes_encrypt2(const char* plaintext, const char* keyText, unsigned char* output,
                            std::size_t outputSize) {
  if (!plaintext || !keyText || !output) return 0;
  std::memset(output, 0, outputSize);
  if (*plaintext == '\0') return 0;

  // The job's key is the end of its spool-time text: the year's last digit, the time and the zone.
  const std::size_t keyLength = std::strlen(keyText);
  if (keyLength < kAesBlockSize) return 0;
  Wiped<AES_KEY> schedule;
  const auto* key = reinterpret_cast<const unsigned char*>(keyText + keyLength - kAesBlockSize);
  crypto::libcrypto().setEncryptKey(key, 128, &schedule.get());
  return encryptBlocks(schedule.get(), plaintext, output, outputSize);
}

void my_aes_decrypt(const unsigned char* ciphertext, std::size_t length, unsigned char* output) {
  if (!output || !ciphertext) return;
  output[0] = 0;

  const crypto::LibCrypto& aes = crypto::libcrypto();
  Wiped<AES_KEY> schedule;
  aes.setDecryptKey(kCredentialKey.data(), 128, &schedule.get());
  std::size_t done = 0;
  for (; done + kAesBlockSize <= length; done += kAesBlockSize)
    aes.decrypt(ciphertext + done, output + done, &schedule.get());

  // A cut-off last block is decrypted from a zero-padded copy instead of reading past the input.
  if (done < length) {
    unsigned char tail[kAesBlockSize] = {};
    std::memcpy(tail, ciphertext + done, length - done);
    aes.decrypt(tail, output + done, &schedule.get());
  }
}
