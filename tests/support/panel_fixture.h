// A panel as a print dialog makes it: a host callback object with a print session, print settings and a
// demo PPD, the headless toolkit handed over as the host's, the built bundle, and a private preference
// folder per test so that tests never touch the user's own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/alert.h"
#include "platform/bundle.h"
#include "platform/defaults.h"
#include "platform/host_services.h"
#include "platform/printcore.h"
#include "platform/runloop.h"
#include "toolkits/headless/headless_toolkit.h"
#include "plugin/panel.h"
#include "support/fake_host.h"
#include "support/scratch.h"
#include "util/ppd_access.h"

namespace testsupport {

// Text repeated, for inputs longer than a field keeps.
inline std::string repeat(const std::string& text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

inline std::filesystem::path demoPPD(const std::string& name) {
  return std::filesystem::path(ONDRIX_RESOURCE_DIR) / "ppd" / name;
}

class PanelFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UserDefaults::setStandardFolderForTesting(scratch() / "prefs");
    platform::UserDefaults::resetStandardUserDefaults();
    platform::setHostServices({&toolkit_, &runLoop_, &alerts});
    bundle_ = std::make_shared<platform::Bundle>(ONDRIX_BUNDLE_DIR);
  }

  void TearDown() override {
    panels_.clear();
    hosts_.clear();
    platform::setHostServices({});
    platform::UserDefaults::setStandardFolderForTesting({});
    platform::UserDefaults::resetStandardUserDefaults();
  }

  // A new host with the demo PPD of that name; the panel is made by makePanel.
  std::shared_ptr<FakeHost> makeHost(const std::string& ppdName = "demo-filing.ppd", std::string queue = "Demo",
                                     std::optional<std::string> uri = "ipp://192.0.2.7:631/ipp/print") {
    auto host = std::make_shared<FakeHost>(demoPPD(ppdName), std::move(queue), std::move(uri));
    hosts_.push_back(host);
    return host;
  }

  // A panel bound to the host, created as the plug-in's factory does; not yet viewed.
  OndrixPrintPdeTarvel& makePanel(const std::shared_ptr<FakeHost>& host) {
    panels_.push_back(std::make_unique<OndrixPrintPdeTarvel>(host, bundle_));
    return *panels_.back();
  }

  // A panel for a demo PPD whose view has been loaded and controls built.
  OndrixPrintPdeTarvel& makeViewedPanel(const std::string& ppdName = "demo-filing.ppd") {
    OndrixPrintPdeTarvel& panel = makePanel(makeHost(ppdName));
    panel.panelView();
    return panel;
  }

  // A control of the panel's loaded layout by name; fails the test when missing.
  ui::Control& control(OndrixPrintPdeTarvel& panel, const std::string& name) {
    ui::Control* c = panel.nib() ? panel.nib()->controlNamed(name) : nullptr;
    if (!c) ADD_FAILURE() << "no control " << name;
    return c ? *c : absentControl_;
  }

  const std::filesystem::path& scratch() const { return scratch_.path(); }
  const std::shared_ptr<const platform::Bundle>& bundle() const { return bundle_; }

  CapturingAlerts alerts;

 private:
  headless::HeadlessToolkit toolkit_;
  platform::RunLoop runLoop_;
  std::shared_ptr<const platform::Bundle> bundle_;
  ScratchDir scratch_;
  std::vector<std::shared_ptr<FakeHost>> hosts_;
  std::vector<std::unique_ptr<OndrixPrintPdeTarvel>> panels_;
  ui::Control absentControl_;
};

}  // namespace testsupport
