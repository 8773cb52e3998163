#include "platform/url.h"

#include <curl/curl.h>

#include <memory>

namespace platform {
namespace {

struct UrlDeleter {
  void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct CurlStringDeleter {
  void operator()(char* s) const { curl_free(s); }
};

}  // namespace

std::optional<Url> parseUrl(std::string_view text) {
  std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
  if (!handle) return std::nullopt;
  const std::string copy(text);
  // Any scheme is accepted here (ipp, lpd, socket, ...); only the parts are taken apart.
  if (curl_url_set(handle.get(), CURLUPART_URL, copy.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    return std::nullopt;

  Url url;
  char* part = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_SCHEME, &part, 0) != CURLUE_OK) return std::nullopt;
  url.scheme = std::unique_ptr<char, CurlStringDeleter>(part).get();
  // libcurl folds the scheme to lower case; the print core compares it exactly, so take it as written.
  if (copy.size() >= url.scheme.size()) url.scheme = copy.substr(0, url.scheme.size());

  part = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_HOST, &part, 0) == CURLUE_OK && part) {
    url.host = std::unique_ptr<char, CurlStringDeleter>(part).get();
    if (url.host.size() >= 2 && url.host.front() == '[' && url.host.back() == ']')
      url.host = url.host.substr(1, url.host.size() - 2);
  }
  return url;
}

}  // namespace platform
