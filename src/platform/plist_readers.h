// The two XML property-list readers behind parseXml, each on its own, so that they can be compared.
#pragma once

#include <optional>
#include <string_view>

#include "platform/plist.h"

namespace platform::plist::readers {

// Whether parseXml reads these bytes at all: not empty, at most kMaxXmlBytes, nested at most kMaxDepth.
bool withinLimits(std::string_view bytes);

// libplist's reading: the dictionary, or none when the bytes are not an XML property list whose root is
// a dictionary (or fail withinLimits).
std::optional<Dict> readWithLibplist(std::string_view bytes);

// The direct reading: the dictionary, or none when the bytes hold any form that it does not read exactly as
// readWithLibplist does, or are empty or over kMaxXmlBytes. Whatever it reads passes withinLimits, and
// readWithLibplist gives the same dictionary for it.
std::optional<Dict> readDirectly(std::string_view bytes);

}  // namespace platform::plist::readers
