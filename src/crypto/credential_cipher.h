// AES-128 in electronic-codebook mode over zero-terminated credential texts: each 16-byte block is
// encrypted by itself, without an initialisation vector, a final partial block padded with zero bytes.
// The printer's filter and the preference store read these values with the same 16-byte keys.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The credential key built into the system and its filter: 5e0b27c9a1f4836d2c7a90e4b15f3d68.
inline constexpr std::array<std::uint8_t, 16> kCredentialKey = {0x5e, 0x0b, 0x27, 0xc9, 0xa1, 0xf4, 0x83, 0x6d,
                                                                0x2c, 0x7a, 0x90, 0xe4, 0xb1, 0x5f, 0x3d, 0x68};
inline constexpr std::size_t kAesBlockSize = 16;

// Encrypts the bytes of `plaintext` before its terminator with the credential key into `output`, which is
// zeroed over `outputSize` bytes first. The ciphertext is the length rounded up to 16; blocks that would not
// fit in `outputSize` are not written, so the output is never overrun. Returns the number of cipher bytes
// written: 0 for an empty text (the output then stays all zero, which callers read as no value).
// A missing plaintext or output leaves everything untouched and returns 0.
std::size_t my_aes_encrypt(const char* plaintext, unsigned char* output, std::size_t outputSize);

// The same with the job's key: the last 16 characters of `keyText` (the spool-time text) as raw key bytes.
// A key text shorter than 16 characters cannot supply a key: the output is zeroed and 0 returned.
std::size_t my_aes_encrypt2(const char* plaintext, const char* keyText, unsigned char* output,
                            std::size_t outputSize);

// Decrypts `length` bytes of ciphertext with the credential key into `output`, one 16-byte block per
// block; a final partial block is decrypted as if padded with zero bytes, reading nothing past `length`.
// The output receives the length rounded up to 16 bytes and no terminator: callers pass a zeroed buffer
// of at least that size plus one, so the plaintext's zero padding ends the text.
void my_aes_decrypt(const unsigned char* ciphertext, std::size_t length, unsigned char* output);
