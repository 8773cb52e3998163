// One SOAP request over HTTP, waited for on the caller's thread while the host's run loop keeps turning.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/net.h"
#include "soap/soap_callback.h"

class OndrixPrintPdeTarvelSOAPClient : private platform::net::PostDelegate {
 public:
  // States of one exchange.
  enum : std::int32_t { kWaiting = 0, kComplete = 1, kTimedOut = 2, kFailed = 3 };

  // The whole exchange, from the start of the request, must end within this time.
  static constexpr std::chrono::seconds kTimeLimit{20};
  // A longer reply body is refused and the exchange counts as failed.
  static constexpr std::size_t kMaxReplyBytes = 8 * 1024 * 1024;
  // Redirects followed, to http URLs only.
  static constexpr long kMaxRedirects = 5;

  // initWithServerName:context: — none when the address is not a valid http URL. The context is
  // borrowed and must outlive the client.
  static std::unique_ptr<OndrixPrintPdeTarvelSOAPClient> initWithServerName(const std::string& serverName,
                                                                            SOAPClientCallback* context);
  ~OndrixPrintPdeTarvelSOAPClient() override;

  // Sends the body and returns when the exchange has ended. A complete reply replaces the reply file;
  // a failure, a time-out or a reply that cannot be stored calls the context's recieveEndCallback once.
  void sendMessage(const std::vector<std::uint8_t>& body);

  // The state the last exchange ended in.
  std::int32_t finished() const { return finished_; }
  // The reply file the last exchange wrote; none when it wrote none (failure, or no usable folder).
  const std::optional<std::filesystem::path>& writtenReplyFile() const { return writtenReplyFile_; }

 private:
  OndrixPrintPdeTarvelSOAPClient(std::string url, SOAPClientCallback* context);

  // The connection's delegate side.
  void didReceiveResponse(long status) override;
  bool didReceiveData(std::span<const std::uint8_t> bytes) override;
  void connectionDidFinishLoading();
  void didFailWithError();
  void firedByTimer();

  SOAPClientCallback* m_context;
  std::string url_;
  std::int32_t finished_ = kWaiting;
  long responseStatus_ = 0;  // the status of the last response; kept for diagnosis, read by nothing
  std::vector<std::uint8_t> receivedData_;
  std::optional<std::filesystem::path> writtenReplyFile_;
};

// The reply file: "vwxyz.xml" in a folder that belongs to the user alone ($XDG_RUNTIME_DIR, else a 0700
// folder of the user's own under the temporary directory). Creates the folder when needed; none when no
// such folder can be had.
std::optional<std::filesystem::path> replyFilePath();
