// The plug-in's bundle: resources under Contents/Resources and the strings table through gettext (one
// <textDomain>.mo per language under Resources/locale).
#include "platform/bundle.h"

#include <dlfcn.h>
#include <libintl.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <system_error>
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
void bindDomain(const std::string& domain, const std::filesystem::path& localeFolder) {
  static std::mutex mutex;
  static std::map<std::string, std::string> bound;
  const std::lock_guard lock(mutex);
  const std::string folder = localeFolder.string();
  auto found = bound.find(domain);
  if (found != bound.end() && found->second == folder) return;
  bindtextdomain(domain.c_str(), folder.c_str());
  bind_textdomain_codeset(domain.c_str(), "UTF-8");
  bound[domain] = folder;
}

}  // namespace

Bundle::Bundle(std::filesystem::path bundlePath, std::string textDomain)
    : bundlePath_(std::move(bundlePath)), textDomain_(std::move(textDomain)) {}

// Code in any other place than a bundle's library (the host, a test program) has no bundle.
std::shared_ptr<const Bundle> Bundle::bundleContaining(const void* address) {
  if (!address) return nullptr;
  Dl_info info{};
  if (dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname) return nullptr;

  // The loader may have been given a relative or linked path; the layout counts where the file really is.
  std::error_code error;
  const std::filesystem::path library = std::filesystem::weakly_canonical(info.dli_fname, error);
  if (error) return nullptr;
  const auto bundlePath = bundlePathOfLibrary(library);
  if (!bundlePath) return nullptr;
  return std::make_shared<const Bundle>(*bundlePath);
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

std::filesystem::path Bundle::resourcePath() const { return bundlePath_ / "Contents" / "Resources"; }

// An empty type means the name is the whole file name.
std::optional<std::filesystem::path> Bundle::pathForResource(std::string_view name, std::string_view type) const {
  if (name.empty() || !isPlainName(name) || !isPlainName(type)) return std::nullopt;
  std::string file(name);
  if (!type.empty()) file.append(".").append(type);
  std::filesystem::path path = resourcePath() / file;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  return path;
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

// gettext answers with the key's own pointer when it has no translation. An empty key would give the
// catalogue's header and a key with a zero character would be cut short, so neither is looked up.
Text Bundle::localizedStringForKey(const Text& key, const Text& value) const {
  const Text untranslated = !value.isEmpty() ? value : (key.isNone() ? Text::empty() : key);
  if (key.isEmpty() || key.utf16().find(u'\0') != std::u16string::npos) return untranslated;

  bindDomain(textDomain_, resourcePath() / "locale");
  const std::string msgid = key.utf8();
  const char* translated = dgettext(textDomain_.c_str(), msgid.c_str());
  if (!translated || translated == msgid.c_str()) return untranslated;
  return Text::fromUtf8(translated);
}

}  // namespace platform
