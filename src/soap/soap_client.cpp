#include "soap/soap_client.h"

#include "platform/atomic_file.h"
#include "platform/host_services.h"
#include "platform/own_folder.h"
#include "platform/runloop.h"
#include "plugin/trace.h"

namespace {

constexpr const char* kReplyFileName = "vwxyz.xml";
// Each turn of the wait gives the network and then the host's run loop this long at most.
constexpr std::chrono::milliseconds kSlice{10};

}  // namespace

std::optional<std::filesystem::path> replyFilePath() {
  const auto dir = platform::userRuntimeDirectory();
  if (!dir) return std::nullopt;
  return *dir / kReplyFileName;
}

OndrixPrintPdeTarvelSOAPClient::OndrixPrintPdeTarvelSOAPClient(std::string url, SOAPClientCallback* context)
    : m_context(context), url_(std::move(url)) {}

OndrixPrintPdeTarvelSOAPClient::~OndrixPrintPdeTarvelSOAPClient() = default;

std::unique_ptr<OndrixPrintPdeTarvelSOAPClient> OndrixPrintPdeTarvelSOAPClient::initWithServerName(
    const std::string& serverName, SOAPClientCallback* context) {
  auto url = platform::net::normalizeHttpUrl(serverName);
  if (!url) return nullptr;
  return std::unique_ptr<OndrixPrintPdeTarvelSOAPClient>(new OndrixPrintPdeTarvelSOAPClient(std::move(*url), context));
}

void OndrixPrintPdeTarvelSOAPClient::sendMessage(const std::vector<std::uint8_t>& body) {
  responseStatus_ = 0;
  writtenReplyFile_.reset();

  // The request as the folder service expects it. "Expect:" keeps libcurl from holding a large body
  // back for a 100-continue that the service never sends.
  platform::net::PostRequest request;
  request.url = url_;
  request.headers = {
      "SOAPAction: \"SoapActionDummy\"",
      "Content-Type: application/soap; charset=\"utf-8\"",
      "Content-Length: " + std::to_string(body.size()),
      "Cache-Control: no-cache",
      "Pragma: no-cache",
      "Expect:",
  };
  request.body = body;
  request.maxBodyBytes = kMaxReplyBytes;
  request.maxRedirects = kMaxRedirects;

  finished_ = kWaiting;
  receivedData_.clear();
  auto connection = platform::net::PostExchange::start(request, *this);
  if (!connection) {
    _PDELog(this, "Connection fail");
    return;
  }

  // Short waits on the network, each followed by a turn of the host's run loop: the host stays served,
  // and the end of the exchange is seen within one slice.
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  while (finished_ == kWaiting) {
    switch (connection->step(kSlice)) {
      case platform::net::PostExchange::State::finished:
        connectionDidFinishLoading();
        break;
      case platform::net::PostExchange::State::failed:
        didFailWithError();
        break;
      case platform::net::PostExchange::State::running:
        if (std::chrono::steady_clock::now() >= deadline) {
          firedByTimer();
        } else if (platform::RunLoop* loop = platform::hostServices().runLoop) {
          loop->runFor(kSlice);
        }
        break;
    }
  }
  connection.reset();

  // A reply that cannot be kept where the parser reads it is as lost as one that never came. No fsync: the
  // reply is read back at once by this process and replaced by every query, so surviving a crash buys
  // nothing, while a flush to disk would hold the host's main thread for milliseconds.
  if (finished_ == kComplete) {
    const auto path = replyFilePath();
    const platform::AtomicWrite how{std::string(kReplyFileName) + ".", 0600, false};
    if (path && platform::writeFileAtomically(*path, receivedData_, how)) {
      writtenReplyFile_ = *path;
    } else {
      finished_ = kFailed;
    }
  }
  if (finished_ != kComplete && m_context) m_context->recieveEndCallback();
  receivedData_ = {};
}

void OndrixPrintPdeTarvelSOAPClient::didReceiveResponse(long status) {
  responseStatus_ = status;
  receivedData_.clear();
}

bool OndrixPrintPdeTarvelSOAPClient::didReceiveData(std::span<const std::uint8_t> bytes) {
  // A reply beyond the limit is not a folder list this panel could show; stop reading it.
  if (bytes.size() > kMaxReplyBytes - receivedData_.size()) return false;
  receivedData_.insert(receivedData_.end(), bytes.begin(), bytes.end());
  return true;
}

void OndrixPrintPdeTarvelSOAPClient::connectionDidFinishLoading() { finished_ = kComplete; }
void OndrixPrintPdeTarvelSOAPClient::didFailWithError() { finished_ = kFailed; }
void OndrixPrintPdeTarvelSOAPClient::firedByTimer() { finished_ = kTimedOut; }
