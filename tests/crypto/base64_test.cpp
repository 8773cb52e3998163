#include "crypto/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string encode(const std::string& bytes) {
  std::string out(Base64encode_len(bytes.size()), '\x7F');
  const std::size_t n = Base64encode(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  EXPECT_EQ(n, out.size());
  EXPECT_EQ(out.back(), '\0');
  out.resize(n - 1);
  return out;
}

std::string decode(const std::string& text) {
  std::vector<unsigned char> out(Base64decode_len(text.c_str()), 0x7F);
  const std::size_t n = Base64decode(out.data(), text.c_str());
  EXPECT_LT(n, out.size());
  EXPECT_EQ(out[n], 0);
  return std::string(out.begin(), out.begin() + static_cast<long>(n));
}

TEST(Base64, Rfc4648Vectors) {
  const struct {
    const char* bytes;
    const char* text;
  } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
               {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(encode(c.bytes), c.text);
    EXPECT_EQ(decode(c.text), c.bytes);
  }
}

TEST(Base64, Lengths) {
  const struct {
    std::size_t bytes;
    std::size_t encodeLen;
  } encodeCases[] = {{0, 1}, {1, 5}, {2, 5}, {3, 5}, {4, 9}, {16, 25}, {1536, 2049}};
  for (const auto& c : encodeCases) EXPECT_EQ(Base64encode_len(c.bytes), c.encodeLen) << c.bytes;

  const struct {
    const char* text;
    std::size_t decodeLen;
  } decodeCases[] = {{"", 1}, {"Zg==", 4}, {"Zm9v", 4}, {"Zm9vYg", 7}, {"Zm9v YmFy", 4}, {"Zm9vYmFy", 7}};
  for (const auto& c : decodeCases) EXPECT_EQ(Base64decode_len(c.text), c.decodeLen) << c.text;
}

TEST(Base64, DecodingStopsAtFirstForeignCharacter) {
  const struct {
    const char* text;
    const char* bytes;
  } cases[] = {
      {"Zm9v YmFy", "foo"},   // a space ends the input
      {"Zm9vYmFy=Zm9v", "foobar"},
      {"Zg", "f"},            // a last group of k characters gives k - 1 bytes
      {"Zm8", "fo"},
      {"Zm9vY", "foo"},       // a lone leftover character gives none
      {"Z", ""},
      {"=Zm9v", ""},
      {"Zm9v\nYmFy", "foo"},
  };
  for (const auto& c : cases) EXPECT_EQ(decode(c.text), c.bytes) << c.text;
}

TEST(Base64, BinaryRoundTripKeepsEveryByte) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  for (std::size_t length : {1u, 2u, 3u, 16u, 17u, 255u, 256u}) {
    const std::string part = bytes.substr(256 - length);  // zero bytes and 0xFF included
    EXPECT_EQ(decode(encode(part)), part) << length;
  }
  EXPECT_EQ(encode(std::string("\0\0\0", 3)), "AAAA");
  EXPECT_EQ(encode("\xFF\xFF\xFF"), "////");
  EXPECT_EQ(encode("\xFB\xEF"), "++8=");
}

}  // namespace
