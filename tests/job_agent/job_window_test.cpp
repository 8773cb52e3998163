// The job agent's window, off screen, on jobs that a throw-away CUPS server holds: Print releases the job
// with the panel's keys, a refused print keeps the window and the job, closing keeps the job for the next
// start, Cancel Job cancels it. The picture of the window is the README's.
#include <gtest/gtest.h>

#include <cups/cups.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QTest>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/plugin_loader.h"
#include "job_watcher.h"
#include "job_window.h"
#include "platform/alert.h"
#include "platform/host_services.h"
#include "plugin/panel.h"
#include "qt/qt_steps.h"
#include "support/fake_host.h"
#include "support/host_runner.h"
#include "support/panel_window.h"
#include "support/qt_app.h"
#include "support/scratch.h"
#include "support/throwaway_cups.h"
#include "toolkits/qt/qt_toolkit.h"

// Leaks inside libraries the test cannot free (see print_window_test.cpp).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:_ppdCacheCreateWithPPD\n"; }

namespace {

namespace fs = std::filesystem;
using jobagent::JobWindow;
using jobagent::Outcome;
using testsupport::EnvOverride;

const std::string kPrefix = "ondrix.print.PrintSettings.";
constexpr int kHeld = 4, kCancelled = 7;

class JobWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::qtApplication(); }

  void SetUp() override {
    if (!testsupport::ThrowawayCups::available()) GTEST_SKIP() << "needs root and cups-daemon/cups-client";
    std::string why;
    const fs::path ppds = fs::path(ONDRIX_RESOURCE_DIR) / "ppd";
    ASSERT_TRUE(cups_.start(why) && cups_.addRecordingQueue("Office", ppds / "demo-filing.ppd", why) &&
                cups_.holdEveryJob("Office", why) &&
                cups_.addRecordingQueue("Accounts", ppds / "demo-printsystem.ppd", why) &&
                cups_.holdEveryJob("Accounts", why))
        << why;
    fs::create_directories(scratch_.path() / "claims");
    cupsSetServer(cups_.socket().c_str());
    std::string error;
    plugIn_ = std::make_unique<host::LoadedPlugIn>(ONDRIX_BUNDLE_DIR, services_, error);
    ASSERT_TRUE(plugIn_->principal()) << error;
    platform::setHostServices(services_);
    connection_ = std::make_unique<platform::cups::JobConnection>("root", kPrefix);
  }

  int submit(const std::string& queue, const std::string& title) {
    const fs::path file = cups_.base() / "letter.txt";
    testsupport::writeFile(file, "Dear printer,\n");
    const testsupport::RunResult r =
        testsupport::runProgram("/usr/bin/lp", {"-d", queue, "-t", title, file.string()}, cups_.env());
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? std::stoi(r.out.substr(r.out.find(queue + "-") + queue.size() + 1)) : 0;
  }

  std::unique_ptr<jobagent::JobWatcher> newWatcher() {
    return std::make_unique<jobagent::JobWatcher>(*connection_, scratch_.path() / "claims", [](const std::string& q) {
      return jobagent::ondrixQueue(q).has_value();
    });
  }

  // The window for the watcher's first waiting job; none when nothing waits.
  JobWindow* openWindow(jobagent::JobWatcher& watcher) {
    std::vector<jobagent::Offer> offers = watcher.waitingJobs();
    if (offers.empty()) return nullptr;
    auto queue = jobagent::ondrixQueue(offers.front().job.queue);
    EXPECT_TRUE(queue);
    auto* window = new JobWindow(std::move(offers.front()), std::move(*queue), watcher, *plugIn_->principal(),
                                 [this](const jobagent::Offer&, Outcome o) { outcomes_.push_back(o); });
    testsupport::showKeepingMessages(*window, informed_);
    return window;
  }

  static ui::Control& control(JobWindow& window, const char* name) { return testsupport::panelControl(window, name); }
  static void click(JobWindow& window, const char* button) {
    QTest::mouseClick(window.findChild<QWidget*>(button), Qt::LeftButton);
    QApplication::processEvents();
  }
  int stateOf(int id) {
    std::string error;
    const auto job = connection_->job(id, error);
    return job ? job->state : -1;
  }

  testsupport::ThrowawayCups cups_;
  testsupport::ScratchDir scratch_{"ondrix-job-window"};
  EnvOverride server_{"CUPS_SERVER", cups_.socket().string()};
  EnvOverride config_{"XDG_CONFIG_HOME", (scratch_.path() / "config").string()};
  EnvOverride runtime_{"XDG_RUNTIME_DIR", scratch_.path().string()};
  toolkits::qt::QtToolkit toolkit_;
  toolkits::qt::QtRunLoop runLoop_;
  testsupport::CapturingAlerts alerts_;
  const platform::HostServices services_{&toolkit_, &runLoop_, &alerts_};
  std::unique_ptr<host::LoadedPlugIn> plugIn_;
  std::unique_ptr<platform::cups::JobConnection> connection_;
  std::vector<Outcome> outcomes_;
  std::vector<std::string> informed_;
};

TEST_F(JobWindowTest, PrintReleasesTheJobWithThePanelsKeys) {
  const int id = submit("Office", "Minutes of the board");
  auto watcher = newWatcher();
  QPointer<JobWindow> window = openWindow(*watcher);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->offer().job.id, id);
  EXPECT_EQ(window->findChild<QLabel*>("jobName")->text(), "Minutes of the board");
  EXPECT_EQ(window->findChild<QLabel*>("queueName")->text(), "Office");
  ASSERT_TRUE(window->panel());

  host::qt::QtActions hands(*window);
  ASSERT_TRUE(hands.click(control(*window, "retentionCheckBox")));
  ASSERT_EQ(hands.type(*control(*window, "suspendKeyEditText").asTextField(), platform::Text::fromUtf8("1234")), 4u);
  QApplication::processEvents();
  EXPECT_NE(window->findChild<QLabel*>("summary")->text().toStdString().find("<td>On</td>"), std::string::npos);
  const QPixmap picture = window->grab();
  ASSERT_FALSE(picture.isNull());
  EXPECT_TRUE(picture.save(QString::fromStdString((fs::current_path() / "job-agent.png").string())));

  click(*window, "printButton");
  EXPECT_TRUE(informed_.empty()) << informed_[0];
  EXPECT_EQ(outcomes_, std::vector<Outcome>{Outcome::released});
  const std::map<std::string, std::string> received = cups_.takeRecordedOptions();
  ASSERT_FALSE(received.empty()) << cups_.errorLog();
  EXPECT_EQ(received.at(kPrefix + "jobSuspend"), "2");
  EXPECT_TRUE(received.count(kPrefix + "jobSuspendKey"));
  // "Minutes of the board" in hex: the job's own name.
  EXPECT_EQ(received.at(kPrefix + "jobName"), "4D696E75746573206F662074686520626F617264");
  QApplication::processEvents();
  EXPECT_TRUE(window.isNull());  // the window went with its job
}

TEST_F(JobWindowTest, RefusedPrintKeepsWindowAndJobAndClosingKeepsTheJobForTheNextStart) {
  const int id = submit("Accounts", "Payroll");  // a print-system model: authentication required
  auto watcher = newWatcher();
  QPointer<JobWindow> window = openWindow(*watcher);
  ASSERT_TRUE(window);
  click(*window, "printButton");
  EXPECT_EQ(alerts_.titles(), std::vector<std::string>{"Information"});
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(outcomes_.empty());
  EXPECT_EQ(stateOf(id), kHeld);

  // Closed: kept, and this agent does not offer it again; the next start does.
  window->close();
  QApplication::processEvents();
  EXPECT_EQ(outcomes_, std::vector<Outcome>{Outcome::kept});
  EXPECT_EQ(stateOf(id), kHeld);
  EXPECT_TRUE(watcher->waitingJobs().empty());
  auto nextStart = newWatcher();
  window = openWindow(*nextStart);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->offer().job.id, id);
  // While its window is open, no other agent gets the job.
  EXPECT_TRUE(newWatcher()->waitingJobs().empty());

  click(*window, "cancelJobButton");
  EXPECT_EQ(outcomes_, (std::vector<Outcome>{Outcome::kept, Outcome::cancelled}));
  EXPECT_EQ(stateOf(id), kCancelled);
}

}  // namespace
