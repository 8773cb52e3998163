// What the CUPS adapters share: owning handles for libcups's connections, IPP messages and temporary
// files, and the connection to a scheduler.
#pragma once

#include <cups/cups.h>

#include <cstdio>
#include <memory>
#include <string>

namespace platform::cups {

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using HttpPtr = std::unique_ptr<http_t, HttpCloser>;
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A connection to the scheduler at server (a socket path or host name) on CUPS's port with its encryption,
// waiting at most timeoutMs; none when it cannot be reached, errno telling why where the system said.
inline HttpPtr connectScheduler(const std::string& server, int timeoutMs) {
  return HttpPtr(httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs, nullptr));
}

}  // namespace platform::cups
