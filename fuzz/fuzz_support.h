// What every fuzz target needs around the panel: a private scratch folder for the preferences and the
// reply file, the headless toolkit as the host's, and panels made as a print dialog makes them.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bundle.h"
#include "platform/defaults.h"
#include "platform/host_services.h"
#include "platform/runloop.h"
#include "toolkits/headless/headless_toolkit.h"
#include "plugin/panel.h"
#include "support/fake_host.h"

namespace fuzz {

// Set up once per process; lives until the process ends.
class Environment {
 public:
  static Environment& get() {
    static Environment* environment = new Environment();
    return *environment;
  }

  const std::filesystem::path& scratch() const { return scratch_; }
  const std::filesystem::path& prefs() const { return prefs_; }
  std::shared_ptr<const platform::Bundle> bundle() const { return bundle_; }
  testsupport::CapturingAlerts& alerts() { return alerts_; }

  // A host for the PPD file, queue "Fuzz".
  static std::shared_ptr<testsupport::FakeHost> host(const std::filesystem::path& ppd) {
    return std::make_shared<testsupport::FakeHost>(ppd, "Fuzz", "ipp://127.0.0.1:9/ipp/print");
  }
  static std::filesystem::path demoPPD(const std::string& name) {
    return std::filesystem::path(ONDRIX_RESOURCE_DIR) / "ppd" / name;
  }

 private:
  Environment() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ondrix-fuzz-XXXXXX").string();
    scratch_ = ::mkdtemp(pattern.data());
    prefs_ = scratch_ / "prefs";
    std::filesystem::create_directories(prefs_);
    // The reply file goes to the scratch folder too; nothing reaches the network (port 9 on loopback).
    ::setenv("XDG_RUNTIME_DIR", scratch_.c_str(), 1);
    ::setenv("no_proxy", "*", 1);
    platform::UserDefaults::setStandardFolderForTesting(prefs_);
    platform::setHostServices({&toolkit_, &runLoop_, &alerts_});
    bundle_ = std::make_shared<platform::Bundle>(ONDRIX_BUNDLE_DIR);
  }

  std::filesystem::path scratch_, prefs_;
  headless::HeadlessToolkit toolkit_;
  platform::RunLoop runLoop_;
  testsupport::CapturingAlerts alerts_;
  std::shared_ptr<const platform::Bundle> bundle_;
};

inline void writeBytes(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzz
