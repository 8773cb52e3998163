// ondrix-mfp-sim: a simulated folder service of an Ondrix MFP, for tests and demonstrations. It listens on
// 127.0.0.1 only, prints "port=NNNN" as its first line, answers POST /ondrix-mfp-srv with a folder list in
// the shape asked on the command line, and stops on SIGINT/SIGTERM or after --max-seconds.
#include <httplib.h>
#include <signal.h>
#include <sys/prctl.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <thread>

#include "folder_service.h"

namespace {

constexpr const char* kServicePath = "/ondrix-mfp-srv";
constexpr const char* kReplyType = "text/xml; charset=utf-8";
constexpr std::chrono::milliseconds kPiecePause{30};
// Requests are small; anything far beyond is refused before it is read.
constexpr std::size_t kMaxRequestBytes = 16 * 1024 * 1024;

struct Options {
  int port = 0;
  std::vector<std::string> folders;
  std::string foldersFile;
  std::string resultCode = "ok";
  int status = 200;
  bool soapFault = false;
  int delayMs = 0;
  bool neverAnswer = false;
  bool chunked = false;
  int pieces = 4;
  bool headerFirst = false;
  std::string recordFile;
  int maxSeconds = 300;
};

// Shutdown, as every waiting handler sees it: waits end early once it has begun.
class Shutdown {
 public:
  void begin() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
  }
  // Waits for the time or for shutdown, whichever comes first; false when shutdown came.
  template <class Duration>
  bool sleep(Duration time) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, time, [this] { return stopping_; });
  }
  void waitForever() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
};

sim::RecordedRequest recordOf(const httplib::Request& req) {
  sim::RecordedRequest record{req.method, req.path, {}, req.body};
  for (const auto& [name, value] : req.headers) {
    // httplib adds the peer's and its own address as pseudo-headers; they were never on the wire.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") continue;
    record.headers.emplace_back(name, value);
  }
  return record;
}

// Sends the body in `pieces` parts with a pause after each, as a slow device would.
void replyInPieces(httplib::Response& res, std::string body, int pieces, Shutdown& shutdown) {
  const std::size_t piece = std::max<std::size_t>(1, (body.size() + pieces - 1) / static_cast<std::size_t>(pieces));
  res.set_chunked_content_provider(kReplyType, [body = std::move(body), piece, &shutdown](
                                                   std::size_t offset, httplib::DataSink& sink) {
    if (offset >= body.size()) {
      sink.done();
      return true;
    }
    const std::size_t n = std::min(piece, body.size() - offset);
    if (!sink.write(body.data() + offset, n)) return false;
    return shutdown.sleep(kPiecePause);
  });
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  CLI::App app{"Simulated folder service of an Ondrix MFP (127.0.0.1 only)"};
  app.add_option("--port", o.port, "port to listen on; 0 chooses a free one")->check(CLI::Range(0, 65535));
  app.add_option("--folder", o.folders, "a folder, \"name\" or \"name:protected\"; repeatable");
  app.add_option("--folders", o.foldersFile, "a file of folders, one per line: name[<TAB>protected]");
  app.add_option("--result-code", o.resultCode, "the result code to answer with");
  app.add_option("--status", o.status, "the HTTP status of the folder-list reply")->check(CLI::Range(200, 599));
  app.add_flag("--soap-fault", o.soapFault, "answer 500 with a SOAP Fault");
  app.add_option("--delay-ms", o.delayMs, "wait this long before answering")->check(CLI::NonNegativeNumber);
  app.add_flag("--never-answer", o.neverAnswer, "read the request and never answer it");
  app.add_flag("--chunked", o.chunked, "send the reply in pieces with pauses");
  app.add_option("--pieces", o.pieces, "number of pieces of a chunked reply")->check(CLI::Range(1, 10000));
  app.add_flag("--header-first", o.headerFirst, "put a SOAP Header before the Body");
  app.add_option("--record", o.recordFile, "write the last request (method, path, headers, body) here");
  app.add_option("--max-seconds", o.maxSeconds, "stop after this many seconds")->check(CLI::Range(1, 86400));
  app.set_version_flag("--version", "ondrix-mfp-sim " ONDRIX_VERSION);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  std::vector<sim::Folder> folders;
  if (!o.foldersFile.empty()) {
    auto fromFile = sim::foldersFromFile(o.foldersFile);
    if (!fromFile) {
      std::cerr << "cannot read " << o.foldersFile << '\n';
      return 1;
    }
    folders = std::move(*fromFile);
  }
  for (const std::string& f : o.folders) folders.push_back(sim::folderFromArgument(f));
  const std::string reply =
      o.soapFault ? sim::soapFaultEnvelope() : sim::folderListEnvelope(folders, {o.resultCode, o.headerFirst});

  // Signals are taken by the main thread alone (every thread inherits this mask); a parent that dies
  // without stopping us counts as a stop.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  prctl(PR_SET_PDEATHSIG, SIGTERM);

  Shutdown shutdown;
  std::mutex recordMutex;
  httplib::Server server;
  server.set_payload_max_length(kMaxRequestBytes);
  server.set_keep_alive_max_count(1);
  server.Post(kServicePath, [&](const httplib::Request& req, httplib::Response& res) {
    if (!o.recordFile.empty()) {
      std::lock_guard lock(recordMutex);
      sim::writeRecord(o.recordFile, recordOf(req));
    }
    if (o.neverAnswer) {
      shutdown.waitForever();
      return;
    }
    if (o.delayMs > 0 && !shutdown.sleep(std::chrono::milliseconds(o.delayMs))) return;
    res.status = o.soapFault ? 500 : o.status;
    if (o.chunked) {
      replyInPieces(res, reply, o.pieces, shutdown);
    } else {
      res.set_content(reply, kReplyType);
    }
  });

  const int port = o.port == 0 ? server.bind_to_any_port("127.0.0.1")
                               : (server.bind_to_port("127.0.0.1", o.port) ? o.port : -1);
  if (port <= 0) {
    std::cerr << "cannot listen on 127.0.0.1:" << o.port << '\n';
    return 1;
  }
  std::cout << "port=" << port << std::endl;

  std::thread listener([&server] { server.listen_after_bind(); });

  // Wait for a stop signal or the end of the allowed lifetime, whichever comes first.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(o.maxSeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    const timespec slice{0, 200'000'000};
    if (sigtimedwait(&stopSignals, nullptr, &slice) > 0) break;
  }

  // Waiting handlers first, so that the server's workers can finish and the server can stop.
  shutdown.begin();
  server.stop();
  listener.join();
  return 0;
}
