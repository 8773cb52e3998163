// The two XML property-list readers behind parseXml, each on its own, so that they can be compared.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/plist.h"

namespace platform::plist::readers {

// Bounds on what libplist is given to read, far above what the panel writes (a stored list of 10,000
// folders is 90,000 nodes and about 770,000 key bytes compared). Past them, its reading would take seconds
// or minutes: it decodes entities by moving the rest of the text once per '&', and keys that share one of
// its 4,096 hash buckets are compared with each other.
inline constexpr std::uint64_t kMaxLibplistNodes = 500'000;
// Bytes of keys compared: for each dictionary entry, its key's length times the entries before it.
inline constexpr std::uint64_t kMaxLibplistKeyWork = std::uint64_t{1} << 24;
// Bytes moved by decoding entities: for each piece of text, its '&' count times its length.
inline constexpr std::uint64_t kMaxLibplistEntityWork = std::uint64_t{1} << 28;

// What libplist's reader would build from the bytes and spend on them, found without calling it.
struct LibplistCost {
  bool parses = false;     // it reads them without an error, whatever the root
  int depth = 0;           // levels of its tree, the root being 1 and leaves counted
  std::uint64_t nodes = 0; // keys included
  std::uint64_t keyWork = 0;
  std::uint64_t entityWork = 0;
  // A bound was passed: the walk stopped there, and the other figures are as far as it got.
  bool overBounds = false;
};
LibplistCost libplistCost(std::string_view bytes);

// Whether libplist may be given these bytes: not empty, at most kMaxXmlBytes, and within the bounds above
// and kMaxDepth (its tree is freed recursively, so a deep one must never be built).
bool withinLimits(std::string_view bytes);

// libplist's reading: the dictionary, or none when the bytes are not an XML property list whose root is
// a dictionary (or fail withinLimits).
std::optional<Dict> readWithLibplist(std::string_view bytes);

// The direct reading: the dictionary, or none when the bytes hold any form that it does not read exactly as
// readWithLibplist does, are empty or over kMaxXmlBytes, or nest deeper than kMaxDepth or hold more than
// kMaxLibplistNodes nodes. What it reads, readWithLibplist gives the same dictionary for, unless its
// keys or entities pass libplist's work bounds (its own work is linear, so it has none).
std::optional<Dict> readDirectly(std::string_view bytes);

}  // namespace platform::plist::readers
