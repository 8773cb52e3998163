// Device URIs are taken apart by the print system's own parser: libcups is loaded with every dialog
// anyway, while libcurl is loaded only for a folder query.
#include "platform/url.h"

#include <cups/cups.h>

#include <array>

namespace platform {

std::optional<Url> parseUrl(std::string_view text) {
  const std::string copy(text);
  std::array<char, HTTP_MAX_URI> scheme{}, user{}, host{}, resource{};
  int port = 0;
  // Any scheme is accepted (ipp, lpd, socket, ...); warnings such as an unknown scheme or a missing
  // resource still leave the parts usable. Nothing is decoded: the host is taken as written.
  const http_uri_status_t status =
      httpSeparateURI(HTTP_URI_CODING_NONE, copy.c_str(), scheme.data(), scheme.size(), user.data(), user.size(),
                      host.data(), host.size(), &port, resource.data(), resource.size());
  if (status < HTTP_URI_STATUS_OK) return std::nullopt;
  // An IPv6 literal comes without its brackets.
  return Url{scheme.data(), host.data()};
}

}  // namespace platform
