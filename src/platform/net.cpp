#include "platform/net.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <cctype>
#include <utility>

#include "platform/late_binding.h"

namespace platform::net {
namespace {

// libcurl is loaded when the first exchange needs it, not with the plug-in: it brings about thirty
// libraries of its own (TLS, LDAP, SSH, compression, ...), which were two thirds of the plug-in's
// loading time, and most dialogs never ask the printer for its folders.
struct Curl {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_url) url;
  decltype(&::curl_url_set) url_set;
  decltype(&::curl_url_get) url_get;
  decltype(&::curl_url_cleanup) url_cleanup;
  decltype(&::curl_free) free;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
  decltype(&::curl_multi_init) multi_init;
  decltype(&::curl_multi_add_handle) multi_add_handle;
  decltype(&::curl_multi_remove_handle) multi_remove_handle;
  decltype(&::curl_multi_perform) multi_perform;
  decltype(&::curl_multi_poll) multi_poll;
  decltype(&::curl_multi_info_read) multi_info_read;
  decltype(&::curl_multi_cleanup) multi_cleanup;
};

using platform::kOwnScopeFirst;

template <class F>
bool bind(void* library, const char* name, F& function) {
  return platform::bindFunction(library, name, function);
}

std::string& libraryName() {
  static std::string name = "libcurl.so.4";
  return name;
}

// libcurl, loaded and set up once (its global set-up is not thread-safe on every build); none when it
// cannot be loaded, and then every exchange fails to start. The library stays loaded until exit.
const Curl* curl() {
  static const Curl* loaded = [] () -> const Curl* {
    void* library = ::dlopen(libraryName().c_str(), RTLD_NOW | RTLD_LOCAL | kOwnScopeFirst);
    if (!library) return nullptr;
    static Curl c{};
    const bool ok = bind(library, "curl_global_init", c.global_init) && bind(library, "curl_url", c.url) &&
                    bind(library, "curl_url_set", c.url_set) && bind(library, "curl_url_get", c.url_get) &&
                    bind(library, "curl_url_cleanup", c.url_cleanup) && bind(library, "curl_free", c.free) &&
                    bind(library, "curl_easy_init", c.easy_init) && bind(library, "curl_easy_setopt", c.easy_setopt) &&
                    bind(library, "curl_easy_cleanup", c.easy_cleanup) &&
                    bind(library, "curl_slist_append", c.slist_append) &&
                    bind(library, "curl_slist_free_all", c.slist_free_all) &&
                    bind(library, "curl_multi_init", c.multi_init) &&
                    bind(library, "curl_multi_add_handle", c.multi_add_handle) &&
                    bind(library, "curl_multi_remove_handle", c.multi_remove_handle) &&
                    bind(library, "curl_multi_perform", c.multi_perform) &&
                    bind(library, "curl_multi_poll", c.multi_poll) &&
                    bind(library, "curl_multi_info_read", c.multi_info_read) &&
                    bind(library, "curl_multi_cleanup", c.multi_cleanup);
    if (!ok || c.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    return &c;
  }();
  return loaded;
}

// Handles exist only once libcurl is loaded.
struct EasyDeleter {
  void operator()(CURL* easy) const { curl()->easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl()->multi_cleanup(multi); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl()->slist_free_all(list); }
};
struct UrlDeleter {
  void operator()(CURLU* url) const { curl()->url_cleanup(url); }
};
struct CurlStringDeleter {
  void operator()(char* s) const { curl()->free(s); }
};

// The status of a status line "HTTP/x y text"; 0 when it carries none.
long statusOfLine(std::string_view line) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return 0;
  long status = 0;
  for (std::size_t i = space + 1; i < line.size() && i < space + 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return 0;
    status = status * 10 + (line[i] - '0');
  }
  return status;
}

}  // namespace

bool available() { return curl() != nullptr; }

void setLibraryNameForTesting(std::string name) { libraryName() = std::move(name); }

std::optional<std::string> normalizeHttpUrl(std::string_view text) {
  // libcurl reads "http:/host" and "http:///host" as if the slashes were right; an address with an empty
  // authority is not one the folder service could be at, so ask for the form exactly.
  constexpr std::string_view kPrefix = "http://";
  if (text.size() <= kPrefix.size() || text[kPrefix.size()] == '/') return std::nullopt;
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != kPrefix[i]) return std::nullopt;
  }

  const Curl* lib = curl();
  if (!lib) return std::nullopt;
  std::unique_ptr<CURLU, UrlDeleter> url(lib->url());
  if (!url) return std::nullopt;
  const std::string copy(text);
  if (lib->url_set(url.get(), CURLUPART_URL, copy.c_str(), 0) != CURLUE_OK) return std::nullopt;

  // Only plain http reaches the folder service, and only at a named host.
  char* part = nullptr;
  if (lib->url_get(url.get(), CURLUPART_SCHEME, &part, 0) != CURLUE_OK) return std::nullopt;
  const std::unique_ptr<char, CurlStringDeleter> scheme(part);
  if (std::string_view(scheme.get()) != "http") return std::nullopt;
  part = nullptr;
  if (lib->url_get(url.get(), CURLUPART_HOST, &part, 0) != CURLUE_OK) return std::nullopt;
  const std::unique_ptr<char, CurlStringDeleter> host(part);
  if (!host || !*host) return std::nullopt;

  part = nullptr;
  if (lib->url_get(url.get(), CURLUPART_URL, &part, 0) != CURLUE_OK) return std::nullopt;
  const std::unique_ptr<char, CurlStringDeleter> whole(part);
  return std::string(whole.get());
}

// The libcurl handles of one exchange. Declared order is teardown order in reverse: the easy handle
// leaves the multi handle before either goes, and the header list outlives the easy handle using it.
struct PostExchange::Handles {
  std::unique_ptr<curl_slist, SlistDeleter> headers;
  std::unique_ptr<CURLM, MultiDeleter> multi;
  std::unique_ptr<CURL, EasyDeleter> easy;
  PostDelegate* delegate = nullptr;
  std::string url;
  bool attached = false;

  ~Handles() {
    if (attached) curl()->multi_remove_handle(multi.get(), easy.get());
    easy.reset();
    multi.reset();
  }

  // libcurl's body callback: hands the bytes on; a refusal makes libcurl fail the transfer.
  static size_t onBody(char* data, size_t size, size_t count, void* self) {
    const size_t n = size * count;
    auto* handles = static_cast<Handles*>(self);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    return handles->delegate->didReceiveData({bytes, n}) ? n : 0;
  }

  // libcurl's header callback: a status line opens a new response (redirects and interim replies
  // included), whose body replaces whatever came before.
  static size_t onHeader(char* data, size_t size, size_t count, void* self) {
    const size_t n = size * count;
    const std::string_view line(data, n);
    if (line.starts_with("HTTP/")) static_cast<Handles*>(self)->delegate->didReceiveResponse(statusOfLine(line));
    return n;
  }
};

PostExchange::PostExchange(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

PostExchange::~PostExchange() = default;

std::unique_ptr<PostExchange> PostExchange::start(const PostRequest& request, PostDelegate& delegate) {
  const Curl* lib = curl();
  if (!lib) return nullptr;
  auto h = std::make_unique<Handles>();
  h->delegate = &delegate;
  h->url = request.url;
  h->multi.reset(lib->multi_init());
  h->easy.reset(lib->easy_init());
  if (!h->multi || !h->easy) return nullptr;

  for (const std::string& line : request.headers) {
    curl_slist* grown = lib->slist_append(h->headers.get(), line.c_str());
    if (!grown) return nullptr;
    (void)h->headers.release();
    h->headers.reset(grown);
  }

  // libcurl reads the body from the caller's bytes; an empty body still needs a valid pointer.
  static const char kNoBytes[] = "";
  const char* body = request.body.empty() ? kNoBytes : reinterpret_cast<const char*>(request.body.data());

  CURL* e = h->easy.get();
  bool ok = lib->easy_setopt(e, CURLOPT_URL, h->url.c_str()) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http") == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_FOLLOWLOCATION, request.maxRedirects > 0 ? 1L : 0L) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_MAXREDIRS, request.maxRedirects) == CURLE_OK;
  // By default a 301, 302 or 303 turns the POST into a GET without a body but with our Content-Length,
  // and the service waits for a body that never comes: keep the request as it was sent.
  ok = ok && lib->easy_setopt(e, CURLOPT_POSTREDIR,
                              static_cast<long>(CURL_REDIR_POST_301 | CURL_REDIR_POST_302 | CURL_REDIR_POST_303)) ==
                 CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_POST, 1L) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size())) ==
                 CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_POSTFIELDS, body) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_HTTPHEADER, h->headers.get()) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(request.transportTimeout.count())) ==
                 CURLE_OK;
  if (request.maxBodyBytes > 0)
    ok = ok && lib->easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBodyBytes)) ==
                   CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_WRITEFUNCTION, &Handles::onBody) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_WRITEDATA, h.get()) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_HEADERFUNCTION, &Handles::onHeader) == CURLE_OK;
  ok = ok && lib->easy_setopt(e, CURLOPT_HEADERDATA, h.get()) == CURLE_OK;
  if (!ok) return nullptr;

  if (lib->multi_add_handle(h->multi.get(), e) != CURLM_OK) return nullptr;
  h->attached = true;
  return std::unique_ptr<PostExchange>(new PostExchange(std::move(h)));
}

// Takes the transfer's end from libcurl's message queue, when it has ended.
void PostExchange::collectResult() {
  int left = 0;
  while (CURLMsg* message = curl()->multi_info_read(handles_->multi.get(), &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    state_ = message->data.result == CURLE_OK ? State::finished : State::failed;
  }
}

PostExchange::State PostExchange::step(std::chrono::milliseconds wait) {
  if (state_ != State::running) return state_;
  int running = 0;

  // Work first, so that a transfer that is already done is not held up by the wait.
  if (curl()->multi_perform(handles_->multi.get(), &running) != CURLM_OK) return state_ = State::failed;
  collectResult();
  if (state_ != State::running) return state_;

  if (curl()->multi_poll(handles_->multi.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr) != CURLM_OK)
    return state_ = State::failed;
  if (curl()->multi_perform(handles_->multi.get(), &running) != CURLM_OK) return state_ = State::failed;
  collectResult();
  return state_;
}

}  // namespace platform::net
