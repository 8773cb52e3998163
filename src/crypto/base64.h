// Base64 (RFC 4648, standard alphabet, "=" padding, no line breaks) for binary ciphertext.
#pragma once

#include <cstddef>

// Size of the text for `length` bytes, terminator included: (length + 2) / 3 * 4 + 1.
std::size_t Base64encode_len(std::size_t length);

// Writes the Base64 text of exactly `length` bytes of `source` (zero bytes included) and a terminator
// into `output`, which holds Base64encode_len(length) bytes. Returns the characters written plus one.
std::size_t Base64encode(char* output, const unsigned char* source, std::size_t length);

// Size of the decoded bytes of `coded`, terminator included: (m + 3) / 4 * 3 + 1, m being the number of
// leading characters that belong to the alphabet.
std::size_t Base64decode_len(const char* coded);

// Decodes the leading run of alphabet characters of `coded` (the first other character, "=" or the
// terminator ends it) into `output`, which holds Base64decode_len(coded) bytes, and appends a zero byte.
// Returns the number of bytes decoded, without the zero byte.
std::size_t Base64decode(unsigned char* output, const char* coded);
