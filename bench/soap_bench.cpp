// How long the SOAP client takes from the moment the device's reply is complete to the moment sendMessage
// returns: noticing the end, writing the reply file and handing control back. Against a loopback server.
//
// Arguments: reply size in bytes; whether the host's run loop uses every slice it is given (a busy host)
// or there is none.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/host_services.h"
#include "platform/runloop.h"
#include "soap/soap_client.h"

namespace {

using Clock = std::chrono::steady_clock;

class SilentContext : public SOAPClientCallback {
 public:
  void recieveEndCallback() override {}
};

// A host that is busy for every slice it is given.
class BusyRunLoop : public platform::RunLoop {
 public:
  void runFor(std::chrono::milliseconds limit) override { std::this_thread::sleep_for(limit); }
};

// The loopback device: answers with a body of the asked size and notes when the last byte went out.
class Device {
 public:
  explicit Device(std::size_t bytes) : body_(bytes, 'x') {
    server_.Post("/ondrix-mfp-srv", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("text/xml", [this](std::size_t offset, httplib::DataSink& sink) {
        if (offset < body_.size()) return sink.write(body_.data() + offset, body_.size() - offset);
        // Noted before the closing chunk goes out, so that the client cannot have seen the end before.
        completed_.store(Clock::now().time_since_epoch().count());
        sink.done();
        return true;
      });
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~Device() {
    server_.stop();
    thread_.join();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/ondrix-mfp-srv"; }
  Clock::time_point completed() const { return Clock::time_point(Clock::duration(completed_.load())); }

 private:
  std::string body_;
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<Clock::rep> completed_{0};
};

void BM_CompletionToReturn(benchmark::State& state) {
  Device device(static_cast<std::size_t>(state.range(0)));
  BusyRunLoop busy;
  platform::setHostServices({nullptr, state.range(1) ? &busy : nullptr, nullptr});
  SilentContext context;
  const std::vector<std::uint8_t> request(300, 'r');

  for (auto _ : state) {
    auto client = OndrixPrintPdeTarvelSOAPClient::initWithServerName(device.url(), &context);
    client->sendMessage(request);
    const auto returned = Clock::now();
    if (client->finished() != OndrixPrintPdeTarvelSOAPClient::kComplete) {
      state.SkipWithError("the exchange did not complete");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(returned - device.completed()).count());
  }
  platform::setHostServices({});
}
BENCHMARK(BM_CompletionToReturn)
    ->ArgNames({"bytes", "busyHost"})
    ->ArgsProduct({{1024, 256 * 1024}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // The reply file goes to a private scratch folder, never the user's own.
  char pattern[] = "/tmp/ondrix-soap-bench-XXXXXX";
  const char* scratch = mkdtemp(pattern);
  if (!scratch) return 1;
  setenv("XDG_RUNTIME_DIR", scratch, 1);
  setenv("no_proxy", "*", 1);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
  return 0;
}
