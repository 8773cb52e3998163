#include "crypto/digest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Digest, Rfc1321TestSuite) {
  const struct {
    const char* text;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) {
    char out[kDigestTextSize + 1];
    std::fill(std::begin(out), std::end(out), '\x7F');
    calcMD5(out, c.text);
    EXPECT_STREQ(out, c.digest) << c.text;
    EXPECT_EQ(out[kDigestTextSize], '\x7F');  // exactly 33 bytes written
  }
}

TEST(Digest, MissingArguments) {
  calcMD5(nullptr, "computed and dropped");
  char out[kDigestTextSize] = "untouched";
  calcMD5(out, nullptr);
  EXPECT_STREQ(out, "untouched");
}

}  // namespace
