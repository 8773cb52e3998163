// For the folder-service tests: an in-process loopback server, and a run loop and a context that count
// what the client does with them.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/runloop.h"
#include "soap/soap_client.h"

namespace soaptest {

// An httplib server on 127.0.0.1 at a free port, serving on its own thread until destroyed. Routes are
// added through server() before start().
class LoopbackServer {
 public:
  httplib::Server& server() { return server_; }

  void start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // A stop before the server runs would be lost and leave the thread listening for ever.
    for (int i = 0; i < 5000 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(server_.is_running());
  }

  ~LoopbackServer() { stop(); }

  void stop() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }

  int port() const { return port_; }
  std::string url(const std::string& path = "/ondrix-mfp-srv") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

// A run loop that counts its turns.
class CountingRunLoop : public platform::RunLoop {
 public:
  void runFor(std::chrono::milliseconds) override { ++turns; }
  int turns = 0;
};

// A context that counts failure reports.
class CountingContext : public SOAPClientCallback {
 public:
  void recieveEndCallback() override { ++calls; }
  int calls = 0;
};

}  // namespace soaptest
