// Layouts of the panel's bundle load through the toolkit the host handed over, and only from its resources.
#include "ui/nib_loading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/host_services.h"
#include "support/temp_bundle.h"

namespace {

namespace fs = std::filesystem;
using platform::Bundle;
using testsupport::TempBundle;

// A toolkit that records which layout files it was asked for.
class RecordingToolkit : public ui::Toolkit {
 public:
  class RootView : public ui::View {
   public:
    ui::Window* window() const override { return nullptr; }
  };
  class LoadedNib : public ui::Nib {
   public:
    ui::View& rootView() override { return root_; }
    ui::Control* controlNamed(std::string_view) override { return nullptr; }

   private:
    RootView root_;
  };

  std::unique_ptr<ui::Nib> loadNib(const fs::path& file, ui::NibOwner&) override {
    files.push_back(file);
    return std::make_unique<LoadedNib>();
  }
  std::vector<fs::path> files;
};

class NoOwner : public ui::NibOwner {
 public:
  void connectOutlet(std::string_view, ui::Control&) override {}
};

TEST(NibLoading, LayoutsLoadThroughTheHostsToolkit) {
  TempBundle temp;
  temp.write("JobControl4.ui", "<ui/>");
  const Bundle bundle(temp.path());
  NoOwner owner;
  const platform::HostServices saved = platform::hostServices();

  // Without a toolkit from the host there is nothing to load with.
  platform::setHostServices({});
  EXPECT_FALSE(ui::canLoadNibs());
  EXPECT_EQ(ui::loadNibNamed(bundle, "JobControl4", owner), nullptr);

  RecordingToolkit toolkit;
  platform::HostServices services;
  services.toolkit = &toolkit;
  platform::setHostServices(services);
  EXPECT_TRUE(ui::canLoadNibs());
  EXPECT_NE(ui::loadNibNamed(bundle, "JobControl4", owner), nullptr);
  EXPECT_EQ(ui::loadNibNamed(bundle, "JobControl5", owner), nullptr);
  EXPECT_EQ(ui::loadNibNamed(bundle, "../Resources/JobControl4", owner), nullptr);
  ASSERT_EQ(toolkit.files.size(), 1u);
  EXPECT_EQ(toolkit.files[0], temp.resources() / "JobControl4.ui");

  platform::setHostServices(saved);
}

}  // namespace
