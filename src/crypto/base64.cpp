// Base64 framing of ciphertext for the ASCII-only print-settings values.
#include "crypto/base64.h"

#include <array>
#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of each character in the alphabet, -1 for every other character (the terminator included).
constexpr std::array<std::int8_t, 256> makeDecodeTable() {
  std::array<std::int8_t, 256> table{};
  for (auto& entry : table) entry = -1;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  return table;
}
constexpr auto kDecode = makeDecodeTable();

std::size_t alphabetRun(const char* coded) {
  std::size_t m = 0;
  while (kDecode[static_cast<unsigned char>(coded[m])] >= 0) ++m;
  return m;
}

unsigned sextet(const char* coded, std::size_t i) {
  return static_cast<unsigned>(kDecode[static_cast<unsigned char>(coded[i])]);
}

}  // namespace

std::size_t Base64encode_len(std::size_t length) { return (length + 2) / 3 * 4 + 1; }

std::size_t Base64encode(char* output, const unsigned char* source, std::size_t length) {
  char* p = output;
  std::size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    const unsigned group = (source[i] << 16) | (source[i + 1] << 8) | source[i + 2];
    *p++ = kAlphabet[(group >> 18) & 0x3F];
    *p++ = kAlphabet[(group >> 12) & 0x3F];
    *p++ = kAlphabet[(group >> 6) & 0x3F];
    *p++ = kAlphabet[group & 0x3F];
  }

  // One or two bytes left: two or three characters, padded to four with "=".
  if (i < length) {
    const bool two = i + 1 < length;
    const unsigned group = (source[i] << 16) | (two ? source[i + 1] << 8 : 0);
    *p++ = kAlphabet[(group >> 18) & 0x3F];
    *p++ = kAlphabet[(group >> 12) & 0x3F];
    *p++ = two ? kAlphabet[(group >> 6) & 0x3F] : '=';
    *p++ = '=';
  }
  *p++ = '\0';
  return static_cast<std::size_t>(p - output);
}

std::size_t Base64decode_len(const char* coded) { return (alphabetRun(coded) + 3) / 4 * 3 + 1; }

std::size_t Base64decode(unsigned char* output, const char* coded) {
  std::size_t remaining = alphabetRun(coded);
  const char* in = coded;
  unsigned char* out = output;

  while (remaining > 4) {
    *out++ = static_cast<unsigned char>(sextet(in, 0) << 2 | sextet(in, 1) >> 4);
    *out++ = static_cast<unsigned char>(sextet(in, 1) << 4 | sextet(in, 2) >> 2);
    *out++ = static_cast<unsigned char>(sextet(in, 2) << 6 | sextet(in, 3));
    in += 4;
    remaining -= 4;
  }

  // The last group of k characters carries k - 1 bytes; a lone character carries none.
  if (remaining > 1) *out++ = static_cast<unsigned char>(sextet(in, 0) << 2 | sextet(in, 1) >> 4);
  if (remaining > 2) *out++ = static_cast<unsigned char>(sextet(in, 1) << 4 | sextet(in, 2) >> 2);
  if (remaining > 3) *out++ = static_cast<unsigned char>(sextet(in, 2) << 6 | sextet(in, 3));
  *out = 0;
  return static_cast<std::size_t>(out - output);
}
