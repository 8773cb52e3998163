// MD5 digests (RFC 1321) as lowercase hexadecimal text: the form in which pass codes, bound to the job's
// spool time, reach the printer's filter.
#pragma once

#include <cstddef>

inline constexpr std::size_t kDigestTextSize = 33;  // 32 hex digits and the terminator

// Writes the digest of the bytes of `text` before its terminator as 32 lowercase hex digits and a zero
// byte into `output` (kDigestTextSize bytes). With no output the digest is computed and dropped; with no
// text nothing happens.
void calcMD5(char* output, const char* text);
