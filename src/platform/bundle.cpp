// The plug-in's bundle: resources under Contents/Resources and the strings table through gettext (one
// <textDomain>.mo per language under Resources/locale).
#include "platform/bundle.h"

#include <dlfcn.h>
#include <libintl.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <system_error>
#include <unordered_map>
#include <utility>


namespace platform {
namespace {

// Resources are small (layouts, a request template, images); anything larger is not ours.
constexpr std::uintmax_t kMaxResourceBytes = 16u << 20;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A resource name or type may not leave the resource folder.
bool isPlainName(std::string_view name) {
  return name.find('/') == std::string_view::npos && name.find("..") == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// gettext keeps one folder per domain for the whole process. Bundles that share a domain but live in
// different folders (tests, a reloaded plug-in) rebind it when they differ from the last binding.
void bindDomain(const std::string& domain, const std::string& folder) {
  static std::mutex mutex;
  static std::map<std::string, std::string> bound;
  const std::lock_guard lock(mutex);
  auto found = bound.find(domain);
  if (found != bound.end() && found->second == folder) return;
  bindtextdomain(domain.c_str(), folder.c_str());
  bind_textdomain_codeset(domain.c_str(), "UTF-8");
  bound[domain] = folder;
}

}  // namespace

Bundle::Bundle(std::filesystem::path bundlePath, std::string textDomain)
    : bundlePath_(std::move(bundlePath)),
      textDomain_(std::move(textDomain)),
      resourceFolder_((bundlePath_ / "Contents" / "Resources").string()),
      localeFolder_(resourceFolder_ + "/locale"),
      translations_(std::make_shared<Translations>()) {}

// Code in any other place than a bundle's library (the host, a test program) has no bundle. A loaded
// library's bundle is found once: resolving the library's real path is most of a panel's set-up, and the
// library stays where it was loaded from.
std::shared_ptr<const Bundle> Bundle::bundleContaining(const void* address) {
  if (!address) return nullptr;
  Dl_info info{};
  if (dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname) return nullptr;

  static std::mutex mutex;
  static std::map<std::pair<const void*, std::string>, std::shared_ptr<const Bundle>> found;
  const std::lock_guard lock(mutex);
  auto key = std::make_pair(static_cast<const void*>(info.dli_fbase), std::string(info.dli_fname));
  if (auto known = found.find(key); known != found.end()) return known->second;

  // The loader may have been given a relative or linked path; the layout counts where the file really is.
  std::shared_ptr<const Bundle> bundle;
  std::error_code error;
  const std::filesystem::path library = std::filesystem::weakly_canonical(info.dli_fname, error);
  if (!error) {
    if (const auto bundlePath = bundlePathOfLibrary(library)) bundle = std::make_shared<const Bundle>(*bundlePath);
  }
  found.emplace(std::move(key), bundle);
  return bundle;
}

// A plain look at the path's parts; the bundle folder must have a name of its own.
std::optional<std::filesystem::path> Bundle::bundlePathOfLibrary(const std::filesystem::path& library) {
  if (library.extension() != ".so") return std::nullopt;
  const std::filesystem::path linuxFolder = library.parent_path();
  const std::filesystem::path contents = linuxFolder.parent_path();
  if (linuxFolder.filename() != "Linux" || contents.filename() != "Contents") return std::nullopt;
  std::filesystem::path bundle = contents.parent_path();
  if (bundle.filename().empty() || bundle.filename() == "." || bundle.filename() == "..") return std::nullopt;
  return bundle;
}

std::filesystem::path Bundle::resourcePath() const { return resourceFolder_; }

// An empty type means the name is the whole file name. Built as text: each step of a path is split into
// its parts again, and resources are looked up several times per panel.
std::optional<std::filesystem::path> Bundle::pathForResource(std::string_view name, std::string_view type) const {
  if (name.empty() || !isPlainName(name) || !isPlainName(type)) return std::nullopt;
  std::string file = resourceFolder_;
  file.append("/").append(name);
  if (!type.empty()) file.append(".").append(type);
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return std::filesystem::path(std::move(file));
}

std::optional<std::vector<std::uint8_t>> Bundle::contentsOfResource(std::string_view name,
                                                                     std::string_view type) const {
  const auto path = pathForResource(name, type);
  if (!path) return std::nullopt;
  FilePtr file(std::fopen(path->c_str(), "rb"));
  if (!file) return std::nullopt;

  // Read up to one byte past the limit, so that a file that grew after the check is refused as well.
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[8192];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
    if (bytes.size() + n > kMaxResourceBytes) return std::nullopt;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

// A panel looks up every label of its layout, and each lookup through gettext converts the key, asks the
// catalogue and converts the answer. The answers are kept per bundle for as long as the message locale
// and LANGUAGE stay what they were when gettext gave them.
struct Bundle::Translations {
  static constexpr std::size_t kMaxKept = 1024;
  std::mutex mutex;
  std::string locale;
  std::string language;
  std::unordered_map<std::u16string, std::optional<Text>> kept;  // none: no translation
};

// gettext answers with the key's own pointer when it has no translation. An empty key would give the
// catalogue's header and a key with a zero character would be cut short, so neither is looked up.
Text Bundle::localizedStringForKey(const Text& key, const Text& value) const {
  const Text untranslated = !value.isEmpty() ? value : (key.isNone() ? Text::empty() : key);
  const std::u16string& units = key.utf16();
  if (key.isEmpty() || units.find(u'\0') != std::u16string::npos) return untranslated;

  const char* locale = std::setlocale(LC_MESSAGES, nullptr);
  const char* language = std::getenv("LANGUAGE");
  Translations& t = *translations_;
  const std::lock_guard lock(t.mutex);
  if (t.locale != (locale ? locale : "") || t.language != (language ? language : "") || t.kept.size() >= t.kMaxKept) {
    t.kept.clear();
    t.locale = locale ? locale : "";
    t.language = language ? language : "";
  }
  auto found = t.kept.find(units);
  if (found == t.kept.end()) {
    bindDomain(textDomain_, localeFolder_);
    const std::string msgid = key.utf8();
    const char* translated = dgettext(textDomain_.c_str(), msgid.c_str());
    std::optional<Text> answer;
    if (translated && translated != msgid.c_str()) answer = Text::fromUtf8(translated);
    found = t.kept.emplace(units, std::move(answer)).first;
  }
  return found->second ? *found->second : untranslated;
}

}  // namespace platform
