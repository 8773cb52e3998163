// Any bytes as a stored property list, read by both readers: whatever the direct reader reads, libplist must
// read the same, and parseXml must answer as libplist does. The bytes are tried as a whole file and as the
// entries of a root dictionary, where most of what the direct reader decides lies.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/plist.h"
#include "platform/plist_readers.h"

namespace {

namespace readers = platform::plist::readers;

void compare(const std::string& bytes) {
  const auto directly = readers::readDirectly(bytes);
  const auto byLibplist = readers::readWithLibplist(bytes);
  // libplist's work bounds (keys, entities) may refuse what the direct reader reads; nothing else may.
  const bool within = readers::withinLimits(bytes);
  if (directly && within && directly != byLibplist) {
    std::cerr << "the readers differ on:\n" << bytes << "\n";
    std::abort();
  }
  const auto cost = readers::libplistCost(bytes);
  if (directly && (cost.depth > platform::plist::kMaxDepth || cost.nodes > readers::kMaxLibplistNodes)) {
    std::cerr << "the direct reader read past the bounds:\n" << bytes << "\n";
    std::abort();
  }
  // Compared through the direct reading: libplist's own may hold a NaN, which equals nothing.
  const auto parsed = platform::plist::parseXml(bytes);
  if ((within && parsed.has_value() != byLibplist.has_value()) || (directly && parsed != directly)) {
    std::cerr << "parseXml differs from libplist on:\n" << bytes << "\n";
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  compare(bytes);
  compare("<plist><dict>" + bytes + "</dict></plist>");
  return 0;
}
