#include "platform/printcore_cups.h"
#include "platform/cups_connection.h"

#include <cups/cups.h>
#include <cups/ppd.h>

// Fetching a queue's PPD belongs to the PPD interface that CUPS 2.4 marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace platform::cups {
namespace {

struct DestDeleter {
  void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct OptionsDeleter {
  int count;
  void operator()(cups_option_t* options) const { cupsFreeOptions(count, options); }
};
constexpr int kConnectTimeoutMs = 5000;

// Sends one opened file as the job's next document, byte for byte, named after the file, its format left to
// the scheduler to find. False on any failure, with CUPS's message in cupsLastErrorString.
bool sendDocument(const std::string& queue, int job, const std::filesystem::path& file, std::FILE* bytes,
                  bool last) {
  if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), job, file.filename().c_str(), CUPS_FORMAT_AUTO,
                        last ? 1 : 0) != HTTP_STATUS_CONTINUE) {
    return false;
  }
  char buffer[32768];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, bytes)) > 0) {
    if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, buffer, n) != HTTP_STATUS_CONTINUE) {
      cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str());
      return false;
    }
  }
  const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str());
  return !std::ferror(bytes) && finished <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

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
    if (!connectScheduler(server, kConnectTimeoutMs))
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

SubmitResult printFiles(const std::string& queue, const std::vector<std::filesystem::path>& files,
                        const std::string& title, const PrintSettings& settings) {
  SubmitResult result;
  if (files.empty()) {
    result.error = "no file to print";
    return result;
  }
  // The files sent are the ones opened here, all before the job exists.
  std::vector<FilePtr> opened;
  for (const auto& file : files) {
    std::error_code ec;
    errno = 0;
    std::FILE* raw = std::filesystem::is_directory(file, ec) ? nullptr : std::fopen(file.c_str(), "rbe");
    if (!raw) {
      result.error = "cannot read " + file.string() + ": " + (errno ? std::strerror(errno) : "it is a folder");
      return result;
    }
    opened.emplace_back(raw);
  }

  cups_option_t* rawOptions = nullptr;
  int count = 0;
  for (const auto& [key, value] : settings.values()) count = cupsAddOption(key.c_str(), value.c_str(), count, &rawOptions);
  // A hold the job's own settings ask for (say until the night) stays.
  if (!settings.getValue("job-hold-until")) count = cupsAddOption("job-hold-until", "no-hold", count, &rawOptions);
  const std::unique_ptr<cups_option_t, OptionsDeleter> options(rawOptions, OptionsDeleter{count});
  const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), title.c_str(), count, options.get());
  if (job == 0) {
    result.error = cupsLastErrorString();
    return result;
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!sendDocument(queue, job, files[i], opened[i].get(), i + 1 == files.size())) {
      result.error = cupsLastErrorString();
      cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
      return result;
    }
  }
  result.jobId = job;
  return result;
}

SubmitResult printFile(const std::string& queue, const std::filesystem::path& file, const std::string& title,
                       const PrintSettings& settings) {
  return printFiles(queue, {file}, title, settings);
}

}  // namespace platform::cups
