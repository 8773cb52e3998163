// One SOAP request over HTTP, waited for on the caller's thread while the host's run loop keeps turning.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Told when an exchange failed or timed out; never on success.
class SOAPClientCallback {
 public:
  virtual ~SOAPClientCallback() = default;
  virtual void recieveEndCallback() = 0;
};

class OndrixPrintPdeTarvelSOAPClient {
 public:
  // States of one exchange.
  enum : std::int32_t { kWaiting = 0, kComplete = 1, kTimedOut = 2, kFailed = 3 };

  // initWithServerName:context: — none when the address is not a valid http URL.
  static std::unique_ptr<OndrixPrintPdeTarvelSOAPClient> initWithServerName(const std::string& serverName,
                                                                            SOAPClientCallback* context);
  ~OndrixPrintPdeTarvelSOAPClient();

  // Sends the body and returns when the exchange has ended. A complete reply replaces the reply file;
  // a failure or time-out calls the context's recieveEndCallback.
  void sendMessage(const std::vector<std::uint8_t>& body);

  // The state the last exchange ended in.
  std::int32_t finished() const { return finished_; }

 private:
  OndrixPrintPdeTarvelSOAPClient(std::string url, SOAPClientCallback* context);

  SOAPClientCallback* m_context;
  std::string url_;
  std::int32_t finished_ = kWaiting;
};

// The reply file: "vwxyz.xml" in a folder that belongs to the user alone ($XDG_RUNTIME_DIR, else a 0700
// folder of the user's own under the temporary directory). Creates the folder when needed; none when no
// such folder can be had.
std::optional<std::filesystem::path> replyFilePath();
