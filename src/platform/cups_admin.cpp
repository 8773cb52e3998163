#include "platform/cups_admin.h"
#include "platform/cups_connection.h"

#include <cups/cups.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace platform::cupsadmin {
namespace {

using Http = platform::cups::HttpPtr;
using Ipp = platform::cups::IppPtr;

constexpr int kConnectTimeoutMs = 5000;

// A connection to the default server, or none with the failure in `result`.
Http connect(Result& result) {
  errno = 0;
  Http http = platform::cups::connectScheduler(server(), kConnectTimeoutMs);
  if (!http)
    result = {Status::NoScheduler, "cannot reach the CUPS scheduler at " + server() + ": " +
                                       (errno && errno != EBADF ? std::strerror(errno) : "no answer")};
  return http;
}

Result fromHttp(http_status_t status, const char* what) {
  if (status == HTTP_STATUS_OK || status == HTTP_STATUS_CREATED) return {};
  if (status == HTTP_STATUS_UNAUTHORIZED || status == HTTP_STATUS_FORBIDDEN)
    return {Status::NotAuthorised, std::string(what) + " needs a CUPS administrator (" + httpStatus(status) + ")"};
  if (status == HTTP_STATUS_ERROR)
    return {Status::NoScheduler, std::string(what) + ": the CUPS scheduler at " + server() + " did not answer"};
  return {Status::Refused, std::string(what) + ": " + httpStatus(status)};
}

// The outcome of the last IPP request, with CUPS's message.
Result fromIpp(const char* what) {
  const ipp_status_t status = cupsLastError();
  if (status <= IPP_STATUS_OK_EVENTS_COMPLETE) return {};
  const std::string message = std::string(what) + ": " + cupsLastErrorString();
  switch (status) {
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
      return {Status::NotAuthorised, message};
    case IPP_STATUS_ERROR_NOT_FOUND:
      return {Status::NotFound, message};
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
      return {Status::NoScheduler, message};
    default:
      return {Status::Refused, message};
  }
}

// A request with the requesting user, as lpadmin sends it. The caller owns it.
Ipp newRequest(ipp_op_t operation) {
  Ipp request(ippNewRequest(operation));
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  return request;
}

void addPrinterUri(ipp_t* request, const std::string& queue) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                   queue.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
}

// libcups's password callback for runs without a terminal: no password, so the request fails as
// unauthorised instead of waiting for input.
const char* noPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

}  // namespace

std::string server() { return cupsServer(); }

void askPasswordsOnTerminalOnly() {
  if (!isatty(STDIN_FILENO)) cupsSetPasswordCB2(noPassword, nullptr);
}

Result fetchServerConfig(std::string& text) {
  Result result;
  const Http http = connect(result);
  if (!http) return result;
  const platform::cups::FilePtr file(std::tmpfile());
  if (!file) return {Status::Refused, std::string("cannot make a temporary file: ") + std::strerror(errno)};
  result = fromHttp(cupsGetFd(http.get(), "/admin/conf/cupsd.conf", fileno(file.get())), "reading cupsd.conf");
  if (!result.ok()) return result;
  std::rewind(file.get());
  text.clear();
  char buffer[8192];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) text.append(buffer, n);
  return result;
}

Result putServerConfig(const std::string& text) {
  Result result;
  const Http http = connect(result);
  if (!http) return result;
  const platform::cups::FilePtr file(std::tmpfile());
  if (!file || std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() || std::fflush(file.get()) != 0)
    return {Status::Refused, std::string("cannot write a temporary file: ") + std::strerror(errno)};
  std::rewind(file.get());
  result = fromHttp(cupsPutFd(http.get(), "/admin/conf/cupsd.conf", fileno(file.get())), "writing cupsd.conf");
  if (!result.ok()) return result;
  // The scheduler closes its idle connections when it restarts: until then it still runs the old file.
  pollfd idle{httpGetFd(http.get()), POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + kRestartTimeout;
  char peek = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (poll(&idle, 1, 100) > 0 && recv(idle.fd, &peek, 1, MSG_PEEK | MSG_DONTWAIT) <= 0) break;
  }
  return result;
}

Result findModel(const std::string& ppdName) {
  Result result;
  const Http http = connect(result);
  if (!http) return result;
  Ipp request = newRequest(CUPS_GET_PPDS);
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "ppd-name", nullptr, ppdName.c_str());
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "ppd-name");
  const Ipp response(cupsDoRequest(http.get(), request.release(), "/"));
  result = fromIpp(("asking for the model \"" + ppdName + "\"").c_str());
  if (!result.ok()) return result;
  // The scheduler filters by ppd-name, but an answer naming another model would not do either.
  for (ipp_attribute_t* a = ippFindAttribute(response.get(), "ppd-name", IPP_TAG_NAME); a;
       a = ippFindNextAttribute(response.get(), "ppd-name", IPP_TAG_NAME))
    if (ppdName == ippGetString(a, 0, nullptr)) return {};
  return {Status::NotFound, "the CUPS scheduler at " + server() + " has no model \"" + ppdName +
                                "\" (lpinfo -m lists those it has)"};
}

Result addModifyQueue(const std::string& queue, const QueueChanges& changes) {
  Result result;
  const Http http = connect(result);
  if (!http) return result;
  Ipp request = newRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER);
  ipp_t* r = request.get();
  addPrinterUri(r, queue);
  if (changes.deviceUri)
    ippAddString(r, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, changes.deviceUri->c_str());
  if (changes.model) ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_NAME, "ppd-name", nullptr, changes.model->c_str());
  if (changes.opPolicy)
    ippAddString(r, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-op-policy", nullptr, changes.opPolicy->c_str());
  if (changes.holdUntilDefault)
    ippAddString(r, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "job-hold-until-default", nullptr,
                 changes.holdUntilDefault->c_str());
  if (changes.enable) {
    ippAddBoolean(r, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
    ippAddInteger(r, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
  }
  const std::string ppd = changes.ppdFile ? changes.ppdFile->string() : std::string();
  const Ipp response(cupsDoFileRequest(http.get(), request.release(), "/admin/", ppd.empty() ? nullptr : ppd.c_str()));
  return fromIpp(("setting up the queue \"" + queue + "\"").c_str());
}

Result queuePolicy(const std::string& queue, std::string& policy) {
  Result result;
  const Http http = connect(result);
  if (!http) return result;
  Ipp request = newRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  addPrinterUri(request.get(), queue);
  ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "printer-op-policy");
  const Ipp response(cupsDoRequest(http.get(), request.release(), "/"));
  result = fromIpp(("asking for the queue \"" + queue + "\"").c_str());
  if (result.status == Status::NotFound)
    result.message = "the CUPS scheduler at " + server() + " has no queue \"" + queue + "\"";
  if (!result.ok()) return result;
  ipp_attribute_t* attr = ippFindAttribute(response.get(), "printer-op-policy", IPP_TAG_NAME);
  policy = attr ? ippGetString(attr, 0, nullptr) : "default";
  return result;
}

}  // namespace platform::cupsadmin
