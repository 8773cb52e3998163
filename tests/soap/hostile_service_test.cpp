// The folder query against a folder service that misbehaves on purpose: each exchange must end within the
// query's time limit, keep the panel's list and the stored list as they were, and leave no descriptor open.
// One test per behaviour, so that the slow ones run side by side.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/net.h"
#include "support/panel_fixture.h"
#include "support/scratch.h"

namespace {

using platform::Text;
using testsupport::EnvOverride;

// A loopback TCP server that reads one request per connection and then does what it is told with the
// connection, on its own thread. Stops (and closes everything it opened) when destroyed.
class RawServer {
 public:
  // Given the connection and a flag that turns true when the server stops.
  using Behaviour = std::function<void(int fd, const std::atomic<bool>& stopping)>;

  explicit RawServer(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      ADD_FAILURE() << "no loopback port";
      return;
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~RawServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
  }

  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

  // Sends all of the text; false once the peer is gone.
  static bool send(int fd, std::string_view text) {
    while (!text.empty()) {
      const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // Waits up to the time given for the peer to close; true when it did.
  static bool peerClosed(int fd, std::chrono::milliseconds wait) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return false;
    char c;
    return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0 || (p.revents & (POLLHUP | POLLERR)) != 0;
  }

 private:
  void serve() {
    while (!stopping_) {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      if (readRequest(fd)) behaviour_(fd, stopping_);
      ::close(fd);
    }
  }

  // Reads the request's head and as much body as it announces.
  bool readRequest(int fd) {
    std::string in;
    char chunk[4096];
    std::size_t want = std::string::npos;
    while (!stopping_) {
      const std::size_t head = in.find("\r\n\r\n");
      if (head != std::string::npos && want == std::string::npos) {
        const std::size_t at = in.find("Content-Length: ");
        want = head + 4 + (at != std::string::npos && at < head ? std::stoul(in.substr(at + 16)) : 0);
      }
      if (want != std::string::npos && in.size() >= want) return true;
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      in.append(chunk, static_cast<std::size_t>(n));
    }
    return false;
  }

  Behaviour behaviour_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

std::size_t openDescriptors() {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

constexpr std::size_t kGiB = std::size_t{1} << 30;

// Streams up to 1 GiB of filler in the given framing until the client hangs up.
void streamGiB(int fd, const std::atomic<bool>& stopping, bool chunked) {
  const std::string block(64 * 1024, 'x');
  char size[32];
  std::snprintf(size, sizeof size, "%zx\r\n", block.size());
  const std::string piece = chunked ? size + block + "\r\n" : block;
  for (std::size_t sent = 0; sent < kGiB && !stopping; sent += block.size()) {
    if (!RawServer::send(fd, piece)) return;
  }
  if (chunked) RawServer::send(fd, "0\r\n\r\n");
}

class HostileServiceTest : public testsupport::PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    // libcurl's one-time set-up keeps what it opens; let that happen before counting.
    (void)platform::net::normalizeHttpUrl("http://127.0.0.1/");
  }

  // Runs one query against the behaviour and checks what every hostile exchange must leave behind.
  void expectQueryEndsCleanly(const RawServer::Behaviour& behaviour, bool alertExpected = true) {
    OndrixPrintPdeTarvel& panel = makeViewedPanel();
    const FolderList before{FolderEntry{.name = "Old", .password = true, .dir = true, .add = false}};
    panel.folderList = before;
    ASSERT_TRUE(panel.SaveFolderPreference());
    const std::size_t descriptors = openDescriptors();
    {
      RawServer server(behaviour);
      panel.printersAddressEditText->setStringValue(Text::fromUtf8(server.address()));
      const auto start = std::chrono::steady_clock::now();
      panel.getFolderNameButtonProc(nullptr);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(21));
    }
    EXPECT_EQ(panel.folderList, before);
    panel.folderList.reset();
    panel.GetFolderPreference();
    EXPECT_EQ(panel.folderList, before);
    EXPECT_EQ(alerts.shown.size(), alertExpected ? 1u : 0u);
    EXPECT_EQ(openDescriptors(), descriptors);
  }

 private:
  EnvOverride runtimeDir_{"XDG_RUNTIME_DIR", scratch().string()};
  EnvOverride noProxy_{"no_proxy", "*"};
};

TEST_F(HostileServiceTest, NeverAnswers) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>& stopping) {
    while (!stopping && !RawServer::peerClosed(fd, std::chrono::milliseconds(100))) {
    }
  });
}

TEST_F(HostileServiceTest, DripsOneByteASecond) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>& stopping) {
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100\r\n\r\n" +
                              std::string(100, ' ');
    for (const char c : reply) {
      if (stopping || !RawServer::send(fd, std::string(1, c))) return;
      if (RawServer::peerClosed(fd, std::chrono::seconds(1))) return;
    }
  });
}

TEST_F(HostileServiceTest, OneGiBWithALength) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>& stopping) {
    if (RawServer::send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(kGiB) +
                                "\r\n\r\n"))
      streamGiB(fd, stopping, false);
  });
}

TEST_F(HostileServiceTest, OneGiBWithoutALength) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>& stopping) {
    if (RawServer::send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n"))
      streamGiB(fd, stopping, false);
  });
}

TEST_F(HostileServiceTest, OneGiBChunked) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>& stopping) {
    if (RawServer::send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nTransfer-Encoding: chunked\r\n\r\n"))
      streamGiB(fd, stopping, true);
  });
}

TEST_F(HostileServiceTest, RedirectsInALoop) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>&) {
    RawServer::send(fd, "HTTP/1.1 307 Temporary Redirect\r\nLocation: /ondrix-mfp-srv\r\nContent-Length: 0\r\n"
                        "Connection: close\r\n\r\n");
  });
}

TEST_F(HostileServiceTest, RedirectsToAFile) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>&) {
    RawServer::send(fd, "HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n"
                        "Connection: close\r\n\r\n");
  });
}

TEST_F(HostileServiceTest, ResetsInTheMiddleOfTheBody) {
  expectQueryEndsCleanly([](int fd, const std::atomic<bool>&) {
    RawServer::send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100000\r\n\r\n<Envelope>" +
                            std::string(1000, ' '));
    const linger reset{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  });
}

// A complete reply, so no alert; but a fault is no folder list, so the list stays.
TEST_F(HostileServiceTest, AnswersWithAServerErrorAndASoapFault) {
  expectQueryEndsCleanly(
      [](int fd, const std::atomic<bool>&) {
        const std::string fault =
            "<?xml version=\"1.0\"?><S:Envelope xmlns:S=\"http://schemas.xmlsoap.org/soap/envelope/\"><S:Body>"
            "<S:Fault><faultcode>S:Server</faultcode><faultstring>busy</faultstring></S:Fault></S:Body></S:Envelope>";
        RawServer::send(fd, "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/xml\r\nContent-Length: " +
                                std::to_string(fault.size()) + "\r\nConnection: close\r\n\r\n" + fault);
      },
      false);
}

}  // namespace
