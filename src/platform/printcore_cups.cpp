#include "platform/printcore_cups.h"

#include <cups/cups.h>
#include <cups/ppd.h>

// Fetching a queue's PPD belongs to the PPD interface that CUPS 2.4 marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <cerrno>
#include <cstring>
#include <memory>

namespace platform::cups {
namespace {

struct DestDeleter {
  void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
constexpr int kConnectTimeoutMs = 5000;

}  // namespace

Queue::Queue(Queue&& other) noexcept : printer(std::move(other.printer)), ppdFile(std::move(other.ppdFile)) {
  other.ppdFile.clear();
}

Queue::~Queue() {
  if (!ppdFile.empty()) {
    std::error_code ec;
    std::filesystem::remove(ppdFile, ec);
  }
}

std::optional<Queue> lookUpQueue(const std::string& name, std::string& error) {
  std::unique_ptr<cups_dest_t, DestDeleter> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr));
  if (!dest) {
    // CUPS answers "not found" also when no scheduler listens; a connection of our own tells the two
    // apart, so the user looks at the server rather than at the name.
    const std::string server = cupsServer();
    errno = 0;
    std::unique_ptr<http_t, HttpCloser> http(
        httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectTimeoutMs, nullptr));
    if (!http)
      error = "cannot reach the CUPS scheduler at " + server + ": " + (errno ? std::strerror(errno) : "no answer");
    else
      error = "the CUPS scheduler at " + server + " has no queue \"" + name + "\"";
    return std::nullopt;
  }
  std::optional<std::string> deviceURI;
  if (const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options)) deviceURI = uri;

  // cupsGetPPD2 writes a private temporary copy whose name comes back in the buffer.
  char ppdPath[1024] = "";
  time_t modtime = 0;
  if (cupsGetPPD3(CUPS_HTTP_DEFAULT, name.c_str(), &modtime, ppdPath, sizeof ppdPath) != HTTP_STATUS_OK) {
    error = "CUPS has no PPD for the queue \"" + name + "\": " + cupsLastErrorString();
    return std::nullopt;
  }
  return Queue(Printer(name, std::move(deviceURI)), ppdPath);
}

std::optional<std::vector<Destination>> enumerateDestinations(std::string& error) {
  std::vector<Destination> found;
  auto collect = [](void* context, unsigned flags, cups_dest_t* dest) -> int {
    if (flags & CUPS_DEST_FLAGS_REMOVED) return 1;
    Destination d;
    d.name = dest->name;
    d.isDefault = dest->is_default != 0;
    for (int i = 0; i < dest->num_options; ++i) d.options[dest->options[i].name] = dest->options[i].value;
    static_cast<std::vector<Destination>*>(context)->push_back(std::move(d));
    return 1;
  };
  // Leaving out discovered printers also spares the wait for network browsing.
  if (!cupsEnumDests(CUPS_DEST_FLAGS_NONE, 1000, nullptr, 0, CUPS_PRINTER_DISCOVERED, collect, &found) ||
      (found.empty() && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)) {
    error = std::string("no print scheduler answers: ") + cupsLastErrorString();
    return std::nullopt;
  }
  return found;
}

SubmitResult printFile(const std::string& queue, const std::filesystem::path& file, const std::string& title,
                       const PrintSettings& settings) {
  cups_option_t* options = nullptr;
  int count = 0;
  for (const auto& [key, value] : settings.values()) count = cupsAddOption(key.c_str(), value.c_str(), count, &options);
  // The job has been through the panel already: a queue that holds every job for the job agent lets it
  // print at once. A hold the job's own settings ask for (say until the night) stays.
  if (!settings.getValue("job-hold-until")) count = cupsAddOption("job-hold-until", "no-hold", count, &options);
  SubmitResult result;
  result.jobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), file.c_str(), title.c_str(), count, options);
  cupsFreeOptions(count, options);
  if (result.jobId == 0) result.error = cupsLastErrorString();
  return result;
}

}  // namespace platform::cups
