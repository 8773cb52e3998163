#include "crypto/credential_cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/aes_reference.h"

namespace {

using testsupport::Bytes;
using testsupport::fromHex;

// OpenSSL's own ECB over zero-padded whole blocks: the reference for our block-by-block mode.
Bytes evpEcb(const unsigned char* key, const Bytes& data, bool encrypt) {
  const Bytes out = testsupport::ecb(data, encrypt, key);
  EXPECT_EQ(out.size(), (data.size() + 15) / 16 * 16) << "OpenSSL failed";
  return out;
}

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A zero-terminated copy on the heap with no slack, so that reading past the terminator is caught.
std::unique_ptr<char[]> exactCString(const std::string& s) {
  auto copy = std::make_unique<char[]>(s.size() + 1);
  std::memcpy(copy.get(), s.c_str(), s.size() + 1);
  return copy;
}

TEST(CredentialCipher, FixedKeyBlocksMatchOpenSslEcb) {
  const std::string texts[] = {"a", "123", std::string(15, 'x'), std::string(16, 'y'), std::string(17, 'z'),
                               "login.name@example.com", std::string(32, 'q'), std::string(33, 'r'),
                               std::string(1530, 'w')};
  for (const auto& text : texts) {
    SCOPED_TRACE(text.size());
    const auto plain = exactCString(text);
    Bytes out(1550, 0xEE);
    const std::size_t written = my_aes_encrypt(plain.get(), out.data(), out.size());
    const Bytes expected = evpEcb(kCredentialKey.data(), bytesOf(text), true);
    ASSERT_EQ(written, expected.size());
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(written)), expected);
    // Everything behind the ciphertext is zeroed, up to the given size.
    EXPECT_EQ(Bytes(out.begin() + static_cast<long>(written), out.end()), Bytes(out.size() - written, 0));
  }
}

TEST(CredentialCipher, SpoolKeyUsesLastSixteenCharactersOfKeyText) {
  // SP 800-38A ECB-AES128 vectors; the key has no zero byte, so it can end a key text.
  const Bytes key = fromHex("2b7e151628aed2a6abf7158809cf4f3c");
  const std::string keyText = "Tue, 5 Mar 202" + std::string(key.begin(), key.end());
  const Bytes plain = fromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51");
  const std::string plainText(plain.begin(), plain.end());

  Bytes out(64);
  ASSERT_EQ(my_aes_encrypt2(plainText.c_str(), keyText.c_str(), out.data(), out.size()), 32u);
  out.resize(32);
  EXPECT_EQ(out, fromHex("3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"));
}

TEST(CredentialCipher, SpoolKeysOfDifferentJobsGiveDifferentCiphertexts) {
  struct Case {
    const char* keyA;
    const char* keyB;
    bool same;
  } cases[] = {
      {"Tue, 5 Mar 2024 09:07:03 +0000", "Tue, 5 Mar 2024 09:07:04 +0000", false},
      {"Tue, 5 Mar 2024 09:07:03 +0000", "Wed, 5 Mar 2024 09:07:03 +0000", true},  // differs before the key
      {"Tue, 5 Mar 2024 09:07:03 +0000", "Tue, 5 Mar 2024 09:07:03 +0530", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyB);
    Bytes a(48), b(48);
    my_aes_encrypt2("secret password", c.keyA, a.data(), a.size());
    my_aes_encrypt2("secret password", c.keyB, b.data(), b.size());
    EXPECT_EQ(a == b, c.same);
  }
  Bytes first(48), second(48);
  my_aes_encrypt("secret password", first.data(), first.size());
  my_aes_encrypt("secret password", second.data(), second.size());
  EXPECT_EQ(first, second);
}

TEST(CredentialCipher, NoValueCases) {
  // Empty text or an unusable key: all-zero output, which callers read as no value.
  Bytes out(32, 0xEE);
  EXPECT_EQ(my_aes_encrypt("", out.data(), out.size()), 0u);
  EXPECT_EQ(out, Bytes(32, 0));

  out.assign(32, 0xEE);
  EXPECT_EQ(my_aes_encrypt2("text", "fifteen chars!!", out.data(), out.size()), 0u);
  EXPECT_EQ(out, Bytes(32, 0));

  // Missing arguments leave the output untouched.
  out.assign(32, 0xEE);
  EXPECT_EQ(my_aes_encrypt(nullptr, out.data(), out.size()), 0u);
  EXPECT_EQ(my_aes_encrypt2("text", nullptr, out.data(), out.size()), 0u);
  EXPECT_EQ(my_aes_encrypt2(nullptr, "Tue, 5 Mar 2024 09:07:03 +0000", out.data(), out.size()), 0u);
  EXPECT_EQ(out, Bytes(32, 0xEE));
  EXPECT_EQ(my_aes_encrypt("text", nullptr, 32), 0u);
  my_aes_decrypt(nullptr, 16, out.data());
  EXPECT_EQ(out, Bytes(32, 0xEE));
}

TEST(CredentialCipher, EncryptionNeverWritesPastOutputSize) {
  struct Case {
    std::size_t textLength;
    std::size_t outputSize;
    std::size_t written;
  } cases[] = {{40, 48, 48}, {40, 47, 32}, {40, 16, 16}, {40, 15, 0}, {16, 16, 16}, {17, 31, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outputSize);
    const std::string text(c.textLength, 'p');
    auto out = std::make_unique<unsigned char[]>(c.outputSize);  // exact size: ASan sees any overrun
    EXPECT_EQ(my_aes_encrypt(text.c_str(), out.get(), c.outputSize), c.written);
    const Bytes expected = evpEcb(kCredentialKey.data(), bytesOf(text), true);
    EXPECT_EQ(Bytes(out.get(), out.get() + c.written),
              Bytes(expected.begin(), expected.begin() + static_cast<long>(c.written)));
    for (std::size_t i = c.written; i < c.outputSize; ++i) EXPECT_EQ(out[i], 0) << i;
  }
}

TEST(CredentialCipher, DecryptRoundTripsWithZeroPadding) {
  const std::string texts[] = {"a", "1234", std::string(16, 'k'), std::string(17, 'l'), "Jürgen Müller",
                               std::string(255, 'n')};
  for (const auto& text : texts) {
    SCOPED_TRACE(text);
    Bytes cipher(1550);
    const std::size_t length = my_aes_encrypt(text.c_str(), cipher.data(), cipher.size());
    Bytes plain(length + 1, 0);
    my_aes_decrypt(cipher.data(), length, plain.data());
    EXPECT_STREQ(reinterpret_cast<const char*>(plain.data()), text.c_str());
    for (std::size_t i = text.size(); i < plain.size(); ++i) EXPECT_EQ(plain[i], 0) << i;
  }
}

TEST(CredentialCipher, DecryptPartialTailReadsNothingPastInput) {
  // Lengths that are not whole blocks: the tail is decrypted as a zero-padded block. The input is followed
  // by other bytes in memory, which must not leak into the result.
  for (std::size_t length : {1u, 5u, 15u, 20u, 31u, 33u}) {
    SCOPED_TRACE(length);
    Bytes source(length);
    for (std::size_t i = 0; i < length; ++i) source[i] = static_cast<unsigned char>(0x31 + 7 * i);
    Bytes memory(length + kAesBlockSize, 0xA5);
    std::copy(source.begin(), source.end(), memory.begin());

    const std::size_t rounded = (length + 15) / 16 * 16;
    Bytes out(rounded + 1, 0);
    my_aes_decrypt(memory.data(), length, out.data());
    const Bytes expected = evpEcb(kCredentialKey.data(), source, false);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(rounded)), expected);
    EXPECT_EQ(out[rounded], 0);
  }
}

TEST(CredentialCipher, EncryptPadsTailWithZerosWhateverFollowsTheTerminator) {
  for (std::size_t length : {3u, 16u, 17u, 30u}) {
    SCOPED_TRACE(length);
    std::string memory(length, 'c');
    memory += '\0';
    memory += std::string(kAesBlockSize, '\xA5');
    Bytes out(64);
    const std::size_t written = my_aes_encrypt(memory.c_str(), out.data(), out.size());
    const Bytes expected = evpEcb(kCredentialKey.data(), Bytes(length, 'c'), true);
    ASSERT_EQ(written, expected.size());
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(written)), expected);
  }
}

}  // namespace
