// The plug-in's bundle: its resource folder and the localised strings table (gettext).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace platform {

class Bundle {
 public:
  // bundlePath is the bundle's folder; resources live in bundlePath/Contents/Resources and the
  // strings table in its locale/ subfolder as <textDomain>.mo.
  explicit Bundle(std::filesystem::path bundlePath, std::string textDomain = "ondrix-pde");

  // The bundle whose shared library contains the given address (bundleForClass:); none when the
  // address lies in no bundle laid out as .../X.plugin/Contents/Linux/lib*.so.
  static std::shared_ptr<const Bundle> bundleContaining(const void* address);
  // The bundle folder of a library at <bundle>/Contents/Linux/<name>.so; none for a library elsewhere.
  static std::optional<std::filesystem::path> bundlePathOfLibrary(const std::filesystem::path& library);

  const std::filesystem::path& bundlePath() const { return bundlePath_; }
  std::filesystem::path resourcePath() const;

  // pathForResource:ofType: — name plus "." plus type in the resource folder; none when missing.
  std::optional<std::filesystem::path> pathForResource(std::string_view name, std::string_view type) const;
  // The whole file of a resource; none when missing or unreadable.
  std::optional<std::vector<std::uint8_t>> contentsOfResource(std::string_view name, std::string_view type) const;

  // localizedStringForKey:value:table: with the default table. A key without translation comes back as
  // value when value is non-empty, else as the key itself.
  Text localizedStringForKey(const Text& key, const Text& value = Text()) const;

 private:
  std::filesystem::path bundlePath_;
  std::string textDomain_;
  std::string resourceFolder_;
  // Every label of a layout is looked up in the strings table: its folder is made once, not per lookup.
  std::string localeFolder_;
  struct Translations;
  std::shared_ptr<Translations> translations_;  // shared by copies, which look up the same table
};

}  // namespace platform
