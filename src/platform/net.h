// One HTTP POST exchange over libcurl, driven step by step by its caller so that the caller's thread can
// serve its own run loop between the steps. Nothing here blocks longer than the wait a step is given.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::net {

// The text as an absolute http URL with a host, in libcurl's normal form; none when it is not one.
std::optional<std::string> normalizeHttpUrl(std::string_view text);

// Whether libcurl could be loaded; without it no text is a URL and no exchange starts.
bool available();
// Loads libcurl under another file name (tests); takes effect only before the first use in the process.
void setLibraryNameForTesting(std::string name);

struct PostRequest {
  std::string url;  // an http URL, as normalizeHttpUrl gives it
  // Header lines "Name: value", sent as given. "Name:" with nothing after the colon keeps the transport
  // from adding that header itself.
  std::vector<std::string> headers;
  // Sent unchanged; the bytes must outlive the exchange.
  std::span<const std::uint8_t> body;
  // A body announced as longer than this ends the exchange early as failed; 0 sets no limit.
  std::size_t maxBodyBytes = 0;
  // Redirects are followed to http URLs only, each with the same method, headers and body.
  long maxRedirects = 0;
  std::chrono::milliseconds transportTimeout{60000};
};

// Told about the exchange while a step runs, on the stepping thread.
class PostDelegate {
 public:
  virtual ~PostDelegate() = default;
  // A response begins (also each one of a redirect chain); the body bytes that follow belong to it.
  virtual void didReceiveResponse(long status) = 0;
  // More body bytes of the current response. False ends the exchange as failed.
  virtual bool didReceiveData(std::span<const std::uint8_t> bytes) = 0;
};

class PostExchange {
 public:
  enum class State { running, finished, failed };

  // Starts the exchange; none when the transport cannot be set up. The delegate is borrowed and must
  // outlive the exchange.
  static std::unique_ptr<PostExchange> start(const PostRequest& request, PostDelegate& delegate);
  // Cancels the exchange when it is still running.
  ~PostExchange();
  PostExchange(const PostExchange&) = delete;
  PostExchange& operator=(const PostExchange&) = delete;

  // Moves the transfer on, waiting at most `wait` for network activity, and returns its state. A step
  // returns as soon as there was activity, so a caller that steps in a loop sees the end at once.
  State step(std::chrono::milliseconds wait);

 private:
  struct Handles;
  explicit PostExchange(std::unique_ptr<Handles> handles);
  void collectResult();

  std::unique_ptr<Handles> handles_;
  State state_ = State::running;
};

}  // namespace platform::net
