// Credential text: every form against OpenSSL's own ECB, and each decoder giving back what its encoder
// wrote while refusing damaged text.
#include "crypto/credential_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/aes_reference.h"

namespace {

TEST(CredentialText, FormsMatchTheReference) {
  const std::string spoolTime = "Tue, 5 Mar 2024 09:07:03 +0530";
  const auto* spoolKey = reinterpret_cast<const unsigned char*>(spoolTime.c_str() + spoolTime.size() - 16);
  const std::string texts[] = {"1", "4711", std::string(16, 'p'), std::string(17, 'q'), std::string(255, 'n')};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    EXPECT_EQ(crypto::encryptToHex(text, 16), testsupport::hexForm(text, 16));
    EXPECT_EQ(crypto::encryptToHex(text, 32), testsupport::hexForm(text, 32));
    EXPECT_EQ(crypto::encryptToBase64(text), testsupport::base64Form(text));
    EXPECT_EQ(crypto::encryptToSpoolKeyBase64(text, spoolTime),
              testsupport::base64(testsupport::encryptText(text, spoolKey)));
  }
  EXPECT_EQ(crypto::encryptToHex("", 16), "");
  EXPECT_EQ(crypto::encryptToBase64(""), "");
  EXPECT_EQ(crypto::encryptToSpoolKeyBase64("", spoolTime), "");
}

TEST(CredentialText, DecodersInvertTheEncodersAndRefuseDamage) {
  const std::string texts[] = {"", "7", "alice", std::string(16, 'x'), std::string(31, 'y'), std::string(200, 'z')};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    EXPECT_EQ(crypto::decryptFromBase64(crypto::encryptToBase64(text)), text);
    if (text.size() <= 32) {
      EXPECT_EQ(crypto::decryptFromHex(crypto::encryptToHex(text, 32), 64), text);
    }
    if (text.size() <= 16) {
      EXPECT_EQ(crypto::decryptFromHex(crypto::encryptToHex(text, 16), 32), text);
    }
  }
  const std::string hex = crypto::encryptToHex("4711", 16);
  const std::string coded = crypto::encryptToBase64("alice");
  const std::string damaged[] = {hex.substr(1), hex + "00", std::string("G").append(hex, 1)};
  for (const std::string& value : damaged) EXPECT_EQ(crypto::decryptFromHex(value, 32), std::nullopt) << value;
  const std::string damagedCoded[] = {coded.substr(4), coded + "=", std::string("!").append(coded, 1), "AAAA"};
  for (const std::string& value : damagedCoded)
    EXPECT_EQ(crypto::decryptFromBase64(value), std::nullopt) << value;
}

}  // namespace
