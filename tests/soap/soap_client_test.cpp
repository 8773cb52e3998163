#include "soap/soap_client.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/host_services.h"
#include "soap_test_support.h"
#include "support/child_process.h"
#include "support/scratch.h"
#include "support/sim_process.h"

namespace {

using soaptest::CountingContext;
using soaptest::CountingRunLoop;
using soaptest::LoopbackServer;
using testsupport::EnvOverride;
using testsupport::readFile;
using testsupport::ScratchDir;
using testsupport::SimProcess;
using testsupport::writeFile;
using Client = OndrixPrintPdeTarvelSOAPClient;

// Serves body (which outlives the response) in pieces of at most `piece` bytes, each its own chunk on the
// wire, after a pause before each.
void serveChunked(httplib::Response& res, const std::string& body, std::size_t piece,
                  std::chrono::milliseconds pause) {
  res.set_chunked_content_provider("text/xml", [&body, piece, pause](std::size_t offset, httplib::DataSink& sink) {
    if (offset >= body.size()) {
      sink.done();
      return true;
    }
    std::this_thread::sleep_for(pause);
    return sink.write(body.data() + offset, std::min(piece, body.size() - offset));
  });
}

constexpr const char* kPrevious = "the previous reply";

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

// Every test gets its own reply folder ($XDG_RUNTIME_DIR pointed at a scratch folder), a reply file that
// holds a known earlier reply, and a run loop that counts its turns.
class SoapClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setHostServices({nullptr, &runLoop, nullptr});
    ASSERT_EQ(replyFilePath(), scratch.path() / "vwxyz.xml");
    writeFile(replyFile(), kPrevious);
  }
  void TearDown() override { platform::setHostServices({}); }

  std::filesystem::path replyFile() const { return scratch.path() / "vwxyz.xml"; }

  ScratchDir scratch;
  EnvOverride runtimeDir{"XDG_RUNTIME_DIR", scratch.path().string()};
  EnvOverride noProxy{"no_proxy", "*"};
  CountingRunLoop runLoop;
  CountingContext context;
};

TEST_F(SoapClientTest, AcceptsOnlyHttpUrlsWithAHost) {
  const struct {
    const char* address;
    bool accepted;
  } cases[] = {
      {"http://127.0.0.1:8080/ondrix-mfp-srv", true},
      {"http://printer.example/ondrix-mfp-srv", true},
      {"http://[::1]/ondrix-mfp-srv", true},
      {"HTTP://printer/ondrix-mfp-srv", true},
      {"https://printer/ondrix-mfp-srv", false},
      {"ftp://printer/ondrix-mfp-srv", false},
      {"file:///etc/passwd", false},
      {"http:///ondrix-mfp-srv", false},
      {"http:/printer/ondrix-mfp-srv", false},
      {"http://", false},
      {"http://printer name/ondrix-mfp-srv", false},
      {"http://printer:99999/ondrix-mfp-srv", false},
      {"printer/ondrix-mfp-srv", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Client::initWithServerName(c.address, &context) != nullptr, c.accepted) << c.address;
  }
}

TEST_F(SoapClientTest, SendsTheFolderServiceRequestWhateverTheBodySize) {
  struct Seen {
    std::string method, path, body;
    std::multimap<std::string, std::string, httplib::detail::ci> headers;
  } seen;
  LoopbackServer server;
  server.server().Post("/ondrix-mfp-srv", [&](const httplib::Request& req, httplib::Response& res) {
    seen = {req.method, req.path, req.body, {req.headers.begin(), req.headers.end()}};
    res.set_content("<reply/>", "text/xml");
  });
  server.start();

  const std::string templateBody =
      readFile(std::filesystem::path(ONDRIX_SOURCE_DIR) / "resources/listfiles2.xml");
  ASSERT_FALSE(templateBody.empty());
  // libcurl would ask for 100-continue before a body of a megabyte or more; the service never answers it.
  const std::string bodies[] = {"", templateBody, std::string(2 * 1024 * 1024 + 3, 'x')};
  for (const std::string& body : bodies) {
    seen = {};
    auto client = Client::initWithServerName(server.url(), &context);
    ASSERT_NE(client, nullptr);
    client->sendMessage(bytesOf(body));
    EXPECT_EQ(client->finished(), Client::kComplete) << body.size();

    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.path, "/ondrix-mfp-srv");
    EXPECT_TRUE(seen.body == body) << "body of " << body.size() << " bytes arrived changed";
    const std::pair<const char*, std::string> exact[] = {
        {"SOAPAction", "\"SoapActionDummy\""},
        {"Content-Type", "application/soap; charset=\"utf-8\""},
        {"Content-Length", std::to_string(body.size())},
        // No cache between the panel and the device may answer for it.
        {"Cache-Control", "no-cache"},
        {"Pragma", "no-cache"},
    };
    for (const auto& [name, value] : exact) {
      EXPECT_EQ(seen.headers.count(name), 1u) << name;
      auto it = seen.headers.find(name);
      if (it != seen.headers.end()) {
        EXPECT_EQ(it->second, value) << name;
      }
    }
    EXPECT_EQ(seen.headers.count("Expect"), 0u) << body.size();
  }
  EXPECT_EQ(context.calls, 0);
}

// How one server reply ends: the state, the failure reports, and what the reply file holds afterwards.
TEST_F(SoapClientTest, KeepsOnlyACompleteBoundedReplyOfTheLastResponse) {
  const std::string body = "<Envelope><Body><r><result-code>ok</result-code></r></Body></Envelope>";
  const std::string atCap(Client::kMaxReplyBytes, 'a');
  const std::string overCap(Client::kMaxReplyBytes + 1, 'b');

  LoopbackServer server;
  auto& s = server.server();
  s.Post("/whole", [&](const httplib::Request&, httplib::Response& res) { res.set_content(body, "text/xml"); });
  s.Post("/pieces", [&](const httplib::Request&, httplib::Response& res) {
    serveChunked(res, body, 7, std::chrono::milliseconds(2));
  });
  s.Post("/error-500", [&](const httplib::Request&, httplib::Response& res) {
    res.status = 500;
    res.set_content(body, "text/xml");
  });
  s.Post("/found", [](const httplib::Request&, httplib::Response& res) {
    res.status = 302;
    res.set_header("Location", "/final");
    res.set_content("body of the redirect", "text/plain");
  });
  s.Post("/temporary", [](const httplib::Request&, httplib::Response& res) {
    res.status = 307;
    res.set_header("Location", "/final");
    res.set_content("body of the redirect", "text/plain");
  });
  const auto final = [&](const httplib::Request&, httplib::Response& res) { res.set_content(body, "text/xml"); };
  s.Get("/final", final);
  s.Post("/final", final);
  // /hops/N redirects N more times before the final reply.
  s.Post(R"(/hops/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const int left = std::stoi(req.matches[1]);
    res.status = 307;
    res.set_header("Location", left > 1 ? "/hops/" + std::to_string(left - 1) : std::string("/final"));
  });
  s.Post("/to-https", [&](const httplib::Request&, httplib::Response& res) {
    res.status = 307;
    res.set_header("Location", "https://127.0.0.1:" + std::to_string(server.port()) + "/final");
  });
  s.Post("/to-file", [](const httplib::Request&, httplib::Response& res) {
    res.status = 302;
    res.set_header("Location", "file:///etc/hostname");
  });
  s.Post("/at-cap", [&](const httplib::Request&, httplib::Response& res) { res.set_content(atCap, "text/xml"); });
  s.Post("/over-cap", [&](const httplib::Request&, httplib::Response& res) { res.set_content(overCap, "text/xml"); });
  // Without a length up front the limit can only be noticed while reading.
  s.Post("/over-cap-chunked", [&](const httplib::Request&, httplib::Response& res) {
    serveChunked(res, overCap, 65536, std::chrono::milliseconds(0));
  });
  server.start();

  const struct {
    const char* path;
    std::int32_t finished;
    std::string file;
  } cases[] = {
      {"/whole", Client::kComplete, body},
      {"/pieces", Client::kComplete, body},
      {"/error-500", Client::kComplete, body},
      {"/found", Client::kComplete, body},
      {"/temporary", Client::kComplete, body},
      {"/hops/5", Client::kComplete, body},
      {"/hops/6", Client::kFailed, std::string(kPrevious)},
      {"/to-https", Client::kFailed, std::string(kPrevious)},
      {"/to-file", Client::kFailed, std::string(kPrevious)},
      {"/at-cap", Client::kComplete, atCap},
      {"/over-cap", Client::kFailed, std::string(kPrevious)},
      {"/over-cap-chunked", Client::kFailed, std::string(kPrevious)},
  };
  for (const auto& c : cases) {
    writeFile(replyFile(), kPrevious);
    context.calls = 0;
    auto client = Client::initWithServerName(server.url(c.path), &context);
    ASSERT_NE(client, nullptr);
    client->sendMessage(bytesOf("<request/>"));

    EXPECT_EQ(client->finished(), c.finished) << c.path;
    EXPECT_EQ(context.calls, c.finished == Client::kComplete ? 0 : 1) << c.path;
    EXPECT_EQ(client->writtenReplyFile().has_value(), c.finished == Client::kComplete) << c.path;
    const std::string written = readFile(replyFile());
    EXPECT_TRUE(written == c.file) << c.path << ": reply file holds " << written.size() << " bytes";
  }
  // Nothing but the reply file is left in its folder: no temporary file survives.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()), {}), 1);
}

// A folder service that takes only POST: every redirect the client follows must bring the same request
// (method, body and headers) to the final address, or the service waits for a body that never comes.
TEST_F(SoapClientTest, KeepsThePostAndItsBodyAcrossRedirects) {
  const std::string request = "<request>folders</request>";
  LoopbackServer server;
  auto& s = server.server();
  std::vector<std::string> arrived;
  s.Post("/post-only", [&](const httplib::Request& req, httplib::Response& res) {
    arrived.push_back(req.body + "|" + req.get_header_value("SOAPAction") + "|" + req.get_header_value("Content-Type"));
    res.set_content("<reply/>", "text/xml");
  });
  for (const int status : {301, 302, 303}) {
    s.Post("/moved-" + std::to_string(status), [status](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      res.set_header("Location", "/post-only");
    });
  }
  server.start();

  for (const int status : {301, 302, 303}) {
    arrived.clear();
    auto client = Client::initWithServerName(server.url("/moved-" + std::to_string(status)), &context);
    ASSERT_NE(client, nullptr);
    client->sendMessage(bytesOf(request));
    EXPECT_EQ(client->finished(), Client::kComplete) << status;
    EXPECT_EQ(readFile(replyFile()), "<reply/>") << status;
    EXPECT_EQ(arrived, std::vector<std::string>{request + "|\"SoapActionDummy\"|application/soap; charset=\"utf-8\""})
        << status;
  }
  EXPECT_EQ(context.calls, 0);
}

// A reply the file system refuses to take (past the file-size limit) is a failed query, reported once; the
// earlier reply stays and no temporary file is left. Run in a child, so that a writer that retries for
// ever shows as a failure here instead of hanging the suite.
TEST_F(SoapClientTest, AReplyTheFileSystemRefusesIsAFailedQuery) {
  const int status = testsupport::runInChild([&] {
    testsupport::limitFileSize(4096);
    LoopbackServer server;
    server.server().Post("/ondrix-mfp-srv", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(64 * 1024, 'r'), "text/xml");
    });
    server.start();
    auto client = Client::initWithServerName(server.url(), &context);
    if (!client) return 10;
    client->sendMessage(bytesOf("<request/>"));
    if (client->finished() != Client::kFailed) return 11;
    if (client->writtenReplyFile()) return 12;
    return context.calls == 1 ? 0 : 13;
  });
  EXPECT_EQ(status, 0) << "11/12: taken as stored, 13: not reported once, -1: hung or crashed";
  EXPECT_EQ(readFile(replyFile()), kPrevious);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()), {}), 1);
}

TEST_F(SoapClientTest, ReportsARefusedConnectionOnceAndLeavesTheFile) {
  std::string url;
  {
    LoopbackServer closed;
    closed.start();
    url = closed.url();
  }
  auto client = Client::initWithServerName(url, &context);
  ASSERT_NE(client, nullptr);
  client->sendMessage(bytesOf("<request/>"));
  EXPECT_EQ(client->finished(), Client::kFailed);
  EXPECT_EQ(context.calls, 1);
  EXPECT_EQ(readFile(replyFile()), kPrevious);

  // Without a context the failure is simply not reported.
  auto orphan = Client::initWithServerName(url, nullptr);
  ASSERT_NE(orphan, nullptr);
  orphan->sendMessage({});
  EXPECT_EQ(orphan->finished(), Client::kFailed);
}

TEST_F(SoapClientTest, TurnsTheHostRunLoopWhileWaiting) {
  LoopbackServer server;
  server.server().Post("/ondrix-mfp-srv", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    res.set_content("<late/>", "text/xml");
  });
  server.start();
  auto client = Client::initWithServerName(server.url(), &context);
  ASSERT_NE(client, nullptr);
  client->sendMessage({});
  EXPECT_EQ(client->finished(), Client::kComplete);
  EXPECT_GT(runLoop.turns, 0);
  EXPECT_EQ(readFile(replyFile()), "<late/>");
}

TEST_F(SoapClientTest, ALaterReplyFromAnotherPrinterReplacesTheFile) {
  LoopbackServer first, second;
  first.server().Post("/ondrix-mfp-srv",
                      [](const httplib::Request&, httplib::Response& res) { res.set_content("<first/>", "text/xml"); });
  second.server().Post("/ondrix-mfp-srv",
                       [](const httplib::Request&, httplib::Response& res) { res.set_content("<2/>", "text/xml"); });
  first.start();
  second.start();
  for (const LoopbackServer* server : {&first, &second}) {
    auto client = Client::initWithServerName(server->url(), &context);
    ASSERT_NE(client, nullptr);
    client->sendMessage({});
  }
  EXPECT_EQ(readFile(replyFile()), "<2/>");
}

// The simulator as a device: its reply in pieces arrives whole, and it records what the client sent.
TEST_F(SoapClientTest, TalksToTheSimulatedDevice) {
  const std::filesystem::path record = scratch.path() / "request.txt";
  SimProcess sim({"--chunked", "--pieces", "6", "--folder", "Sales", "--folder", "Legal:protected",
                            "--record", record.string()});
  ASSERT_GT(sim.port(), 0);
  auto client = Client::initWithServerName("http://" + sim.address() + "/ondrix-mfp-srv", &context);
  ASSERT_NE(client, nullptr);
  client->sendMessage(bytesOf("<request/>"));
  ASSERT_EQ(client->finished(), Client::kComplete);

  const std::string reply = readFile(replyFile());
  EXPECT_NE(reply.find("<name>Sales</name>"), std::string::npos) << reply;
  EXPECT_NE(reply.find("<name>Legal</name>"), std::string::npos) << reply;
  EXPECT_TRUE(reply.ends_with("</SOAP-ENV:Envelope>\n")) << reply;

  const std::string request = readFile(record);
  EXPECT_TRUE(request.starts_with("POST /ondrix-mfp-srv\n")) << request;
  EXPECT_NE(request.find("\nSOAPAction: \"SoapActionDummy\"\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\nContent-Type: application/soap; charset=\"utf-8\"\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\nContent-Length: 10\n"), std::string::npos) << request;
  EXPECT_TRUE(request.ends_with("\n\n<request/>")) << request;

  // Folders from a file, one per line, a tab before the protection mark.
  const std::filesystem::path folders = scratch.path() / "folders.txt";
  writeFile(folders, "Sales\nLegal\tprotected\n\nR&D\n");
  SimProcess fromFile({"--folders", folders.string()});
  ASSERT_GT(fromFile.port(), 0);
  client = Client::initWithServerName("http://" + fromFile.address() + "/ondrix-mfp-srv", &context);
  ASSERT_NE(client, nullptr);
  client->sendMessage({});
  ASSERT_EQ(client->finished(), Client::kComplete);
  const std::string listed = readFile(replyFile());
  const std::size_t legal = listed.find("<name>Legal</name>");
  ASSERT_NE(legal, std::string::npos) << listed;
  EXPECT_EQ(listed.find("<password>true</password>"), listed.find("<password>", legal)) << listed;
  EXPECT_NE(listed.find("<name>R&amp;D</name>"), std::string::npos) << listed;
  EXPECT_EQ(context.calls, 0);
}

// Where the reply may live: only in a folder that nobody but the user can write into.
TEST(ReplyFilePath, TakesOnlyAFolderOfTheUsersOwn) {
  ScratchDir scratch;
  const std::filesystem::path base = scratch.path();
  const std::string own = "ondrix-pde-" + std::to_string(geteuid());
  const bool root = geteuid() == 0;

  // Each case lays out its folders under a fresh base; result is relative to it, empty for none.
  struct Case {
    const char* what;
    std::function<void(const std::filesystem::path&)> prepare;
    std::optional<std::string> runtimeDir;  // relative to the base unless absolute-looking
    std::optional<std::string> expected;    // relative to the base; none for no path
    bool needsRoot = false;
  };
  const auto makeDir = [](const std::filesystem::path& p, mode_t mode) {
    std::filesystem::create_directories(p);
    chmod(p.c_str(), mode);
  };
  const Case cases[] = {
      {"private runtime folder", [&](auto& b) { makeDir(b / "run", 0700); }, "run", "run/vwxyz.xml"},
      {"runtime folder others may read", [&](auto& b) { makeDir(b / "run", 0755); }, "run", "run/vwxyz.xml"},
      {"runtime folder others may write", [&](auto& b) { makeDir(b / "run", 0777); }, "run",
       "tmp/" + own + "/vwxyz.xml"},
      {"runtime folder missing", [](auto&) {}, "run", "tmp/" + own + "/vwxyz.xml"},
      {"runtime folder a symlink", [&](auto& b) {
         makeDir(b / "real", 0700);
         std::filesystem::create_directory_symlink(b / "real", b / "run");
       },
       "run", "tmp/" + own + "/vwxyz.xml"},
      {"no runtime folder: private folder made", [](auto&) {}, std::nullopt, "tmp/" + own + "/vwxyz.xml"},
      {"private folder already there", [&](auto& b) { makeDir(b / "tmp" / own, 0700); }, std::nullopt,
       "tmp/" + own + "/vwxyz.xml"},
      {"private folder open to others", [&](auto& b) { makeDir(b / "tmp" / own, 0755); }, std::nullopt,
       std::nullopt},
      {"private folder a symlink", [&](auto& b) {
         makeDir(b / "elsewhere", 0700);
         std::filesystem::create_directory_symlink(b / "elsewhere", b / "tmp" / own);
       },
       std::nullopt, std::nullopt},
      {"private name taken by a file", [&](auto& b) { writeFile(b / "tmp" / own, "x"); }, std::nullopt,
       std::nullopt},
      {"runtime folder of another user", [&](auto& b) {
         makeDir(b / "run", 0700);
         if (chown((b / "run").c_str(), 65534, 65534) != 0) ADD_FAILURE() << "chown";
       },
       "run", "tmp/" + own + "/vwxyz.xml", true},
      {"private folder of another user", [&](auto& b) {
         makeDir(b / "tmp" / own, 0700);
         if (chown((b / "tmp" / own).c_str(), 65534, 65534) != 0) ADD_FAILURE() << "chown";
       },
       std::nullopt, std::nullopt, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    if (c.needsRoot && !root) continue;
    const std::filesystem::path b = base / std::to_string(n++);
    std::filesystem::create_directories(b / "tmp");
    c.prepare(b);
    EnvOverride tmp("TMPDIR", (b / "tmp").string());
    EnvOverride runtime("XDG_RUNTIME_DIR",
                        c.runtimeDir ? std::optional<std::string>((b / *c.runtimeDir).string()) : std::nullopt);
    const auto path = replyFilePath();
    if (c.expected) {
      EXPECT_EQ(path, b / *c.expected) << c.what;
    } else {
      EXPECT_EQ(path, std::nullopt) << c.what;
    }
  }

  // A folder made by the lookup is the user's alone.
  EnvOverride tmp("TMPDIR", (base / "made").string());
  EnvOverride runtime("XDG_RUNTIME_DIR", std::nullopt);
  std::filesystem::create_directories(base / "made");
  ASSERT_TRUE(replyFilePath().has_value());
  struct stat st {};
  ASSERT_EQ(lstat((base / "made" / own).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A relative runtime folder is not trusted; the private folder is used.
  EnvOverride relative("XDG_RUNTIME_DIR", "run");
  EXPECT_EQ(replyFilePath(), base / "made" / own / "vwxyz.xml");
}

// A reply that cannot be stored is a failed query: it is reported once, and nothing is written anywhere.
TEST(ReplyFilePath, AReplyThatCannotBeStoredIsAFailure) {
  const std::string own = "ondrix-pde-" + std::to_string(geteuid());
  const struct {
    const char* what;
    bool needsRoot;
    std::function<void(const std::filesystem::path&)> prepare;  // given the base; runtime folder is base/run
    bool useRuntime;
  } cases[] = {
      {"reply path is a folder", false,
       [](const std::filesystem::path& b) {
         std::filesystem::create_directories(b / "run" / "vwxyz.xml" / "inside");
         chmod((b / "run").c_str(), 0700);
       },
       true},
      {"private folder open to everyone", false,
       [&](const std::filesystem::path& b) {
         std::filesystem::create_directories(b / own);
         chmod((b / own).c_str(), 0777);
       },
       false},
      {"private folder a link", false,
       [&](const std::filesystem::path& b) {
         std::filesystem::create_directories(b / "elsewhere");
         chmod((b / "elsewhere").c_str(), 0700);
         std::filesystem::create_directory_symlink(b / "elsewhere", b / own);
       },
       false},
      {"private folder of another user", true,
       [&](const std::filesystem::path& b) {
         std::filesystem::create_directories(b / own);
         chmod((b / own).c_str(), 0700);
         if (chown((b / own).c_str(), 65534, 65534) != 0) ADD_FAILURE() << "chown";
       },
       false},
  };
  EnvOverride noProxy("no_proxy", "*");
  LoopbackServer server;
  server.server().Post("/ondrix-mfp-srv",
                       [](const httplib::Request&, httplib::Response& res) { res.set_content("<r/>", "text/xml"); });
  server.start();

  for (const auto& c : cases) {
    if (c.needsRoot && geteuid() != 0) continue;
    ScratchDir scratch;
    c.prepare(scratch.path());
    EnvOverride tmp("TMPDIR", scratch.path().string());
    EnvOverride runtime("XDG_RUNTIME_DIR",
                        c.useRuntime ? std::optional<std::string>((scratch.path() / "run").string()) : std::nullopt);
    CountingContext context;
    auto client = Client::initWithServerName(server.url(), &context);
    ASSERT_NE(client, nullptr);
    client->sendMessage({});
    EXPECT_EQ(client->finished(), Client::kFailed) << c.what;
    EXPECT_EQ(client->writtenReplyFile(), std::nullopt) << c.what;
    EXPECT_EQ(context.calls, 1) << c.what;

    // Nothing but what the case laid out.
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(scratch.path()))
      if (!e.is_directory()) files.push_back(e.path().string());
    EXPECT_EQ(files, std::vector<std::string>{}) << c.what;
  }
}

}  // namespace
