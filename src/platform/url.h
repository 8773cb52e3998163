// URLs as the print core and the HTTP layer see them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct Url {
  std::string scheme;  // as written, not folded
  std::string host;    // without port; brackets of an IPv6 literal removed; may be empty
};

// Parses an absolute URL; none when it is not one.
std::optional<Url> parseUrl(std::string_view text);

}  // namespace platform
