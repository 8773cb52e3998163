// The print dialog's window, off screen: the demo models when no scheduler answers, a refused print that
// keeps the user's input, and a job from the window reaching a throw-away CUPS server with the options the
// command-line host sends for the same choices.
#include <gtest/gtest.h>

#include <cups/cups.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/plugin_loader.h"
#include "platform/alert.h"
#include "platform/host_services.h"
#include "plugin/panel.h"
#include "print_window.h"
#include "printer_list.h"
#include "qt/qt_steps.h"
#include "support/dump_filter.h"
#include "support/host_runner.h"
#include "support/scratch.h"
#include "support/throwaway_cups.h"
#include "toolkits/qt/qt_toolkit.h"

// Leaks inside libraries the test cannot free, for the leak checker of the sanitizer build: the font
// configuration Qt's font database keeps, and the PPD cache strings that libcups 2.4 loses when
// cupsMarkOptions is given the "sides" default a queue carries.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:_ppdCacheCreateWithPPD\n";
}

namespace {

namespace fs = std::filesystem;
using printdialog::PrinterEntry;
using printdialog::PrintWindow;
using testsupport::EnvOverride;
using testsupport::readFile;

const std::string kPrefix = "ondrix.print.PrintSettings.";

class Alerts : public platform::AlertPresenter {
 public:
  void present(const platform::Text& title, const platform::Text&, const platform::Text&) override {
    titles.push_back(title.utf8());
  }
  std::vector<std::string> titles;
};

class PrintWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "print_window_test";
    static char* argv[] = {name, nullptr};
    if (!qApp) new QApplication(argc, argv);
  }

  void SetUp() override {
    std::string error;
    plugIn_ = std::make_unique<host::LoadedPlugIn>(ONDRIX_BUNDLE_DIR, services_, error);
    ASSERT_TRUE(plugIn_->principal()) << error;
    platform::setHostServices(services_);
  }

  void useScheduler(const std::string& server) {
    cupsServer_.set(server);
    cupsSetServer(nullptr);  // CUPS keeps the server it found first; make it read CUPS_SERVER again
  }

  std::unique_ptr<PrintWindow> openWindow(printdialog::PrinterList printers, std::vector<std::string> files,
                                          std::optional<std::string> jobName = std::nullopt,
                                          fs::path settingsFile = {}) {
    auto window = std::make_unique<PrintWindow>(
        std::move(printers), plugIn_->principal(),
        printdialog::WindowOptions{ONDRIX_BUNDLE_DIR, std::move(files), std::move(jobName), std::move(settingsFile),
                                   std::string(kPrintDialogType)});
    window->inform = [this](const QString& title, const QString& text) {
      informed_.push_back((title + "\n" + text).toStdString());
    };
    window->show();
    return window;
  }

  // The panel's control by name, for the step driver's hands.
  static ui::Control& control(PrintWindow& window, const char* name) {
    ui::Control* c = static_cast<OndrixPrintPdeTarvel*>(window.panel())->nib()->controlNamed(name);
    EXPECT_TRUE(c) << name;
    return *c;
  }
  static void clickPrint(PrintWindow& window) {
    QTest::mouseClick(window.findChild<QWidget*>("printButton"), Qt::LeftButton);
  }
  static std::string summaryOf(PrintWindow& window) {
    QApplication::processEvents();
    return window.findChild<QLabel*>("summary")->text().toStdString();
  }
  static int indexOfModel(const printdialog::PrinterList& list, const std::string& model) {
    for (std::size_t i = 0; i < list.entries.size(); ++i)
      if (list.entries[i].label.find(model) != std::string::npos) return static_cast<int>(i);
    return -1;
  }

  testsupport::ScratchDir scratch_{"ondrix-window"};
  EnvOverride config_{"XDG_CONFIG_HOME", (scratch_.path() / "config").string()};
  EnvOverride runtime_{"XDG_RUNTIME_DIR", scratch_.path().string()};
  EnvOverride cupsServer_{"CUPS_SERVER", (scratch_.path() / "no-scheduler").string()};
  toolkits::qt::QtToolkit toolkit_;
  toolkits::qt::QtRunLoop runLoop_;
  Alerts alerts_;
  const platform::HostServices services_{&toolkit_, &runLoop_, &alerts_};
  std::unique_ptr<host::LoadedPlugIn> plugIn_;
  std::vector<std::string> informed_;
};

TEST_F(PrintWindowTest, WithoutSchedulerTheDemoModelsShowThePanelAndTheJobOptionsItWouldSend) {
  useScheduler((scratch_.path() / "no-scheduler").string());
  printdialog::PrinterList printers = printdialog::listPrinters(ONDRIX_BUNDLE_DIR);
  ASSERT_EQ(printers.entries.size(), 4u);
  for (const PrinterEntry& e : printers.entries) {
    EXPECT_EQ(e.kind, PrinterEntry::Kind::demo) << e.label;
    EXPECT_TRUE(e.ondrix) << e.label;
  }
  EXPECT_EQ(printers.note, printdialog::PrinterList::Note::noScheduler);
  EXPECT_EQ(printers.entries[printers.chosen].label, "Ondrix MX-4070");
  const int directoryModel = indexOfModel(printers, "MX-8090");
  const int frenchModel = indexOfModel(printers, "MX-2010");  // its PPD is in ISO Latin-1

  const fs::path job = scratch_.path() / "report.txt";
  testsupport::writeFile(job, "text\n");
  auto window = openWindow(std::move(printers), {job.string()});
  auto* tabs = window->findChild<QTabWidget*>("tabs");
  ASSERT_TRUE(window->panel());
  EXPECT_EQ(tabs->currentWidget()->objectName(), "panelArea");
  EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Job Handling");
  EXPECT_NE(summaryOf(*window).find("Off"), std::string::npos);

  // The summary follows a click in the panel; the picture shows the window as a user sees it.
  host::qt::QtActions hands(*window);
  ASSERT_TRUE(hands.click(control(*window, "retentionCheckBox")));
  EXPECT_NE(summaryOf(*window).find("<td>On</td>"), std::string::npos) << summaryOf(*window);
  const QPixmap picture = window->grab();
  ASSERT_FALSE(picture.isNull());
  EXPECT_TRUE(picture.save(QString::fromStdString((fs::current_path() / "print-dialog.png").string())));

  // Another printer: the panel ends and one for the directory-service model takes its place.
  // The old panel's address may be reused by the new one, so the model tells them apart, not the address.
  ASSERT_EQ(static_cast<OndrixPrintPdeTarvel*>(window->panel())->active_directory, 0);
  window->choosePrinter(directoryModel);
  ASSERT_TRUE(window->panel());
  EXPECT_EQ(tabs->currentWidget()->objectName(), "panelArea");
  EXPECT_EQ(static_cast<OndrixPrintPdeTarvel*>(window->panel())->active_directory, 1);

  window->choosePrinter(frenchModel);
  EXPECT_EQ(window->findChild<QComboBox*>("ppd-Duplex")->itemText(0), "Désactivé");
  window->choosePrinter(directoryModel);

  clickPrint(*window);
  ASSERT_EQ(informed_.size(), 1u);
  EXPECT_NE(informed_[0].find("copies=1\n"), std::string::npos) << informed_[0];
  // The job is named after its file: "report.txt" in hex.
  EXPECT_NE(informed_[0].find(kPrefix + "jobName=7265706F72742E747874\n"), std::string::npos) << informed_[0];
  EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(PrintWindowTest, RefusedPrintKeepsTheWindowOpenWithTheUsersInput) {
  useScheduler((scratch_.path() / "no-scheduler").string());
  printdialog::PrinterList printers = printdialog::listPrinters(ONDRIX_BUNDLE_DIR);
  printers.chosen = indexOfModel(printers, "BP-70");  // a print-system model: authentication required
  const fs::path job = scratch_.path() / "report.txt";
  testsupport::writeFile(job, "text\n");
  auto window = openWindow(std::move(printers), {job.string()});
  window->findChild<QSpinBox*>("copies")->setValue(3);
  QTest::keyClicks(window->findChild<QLineEdit*>("pageRanges"), "2-3");

  clickPrint(*window);
  EXPECT_EQ(alerts_.titles, std::vector<std::string>{"Information"});
  EXPECT_TRUE(informed_.empty());
  EXPECT_TRUE(window->isVisible());
  EXPECT_NE(window->result(), QDialog::Accepted);
  EXPECT_EQ(window->findChild<QSpinBox*>("copies")->value(), 3);
  EXPECT_EQ(window->findChild<QLineEdit*>("pageRanges")->text(), "2-3");
  EXPECT_EQ(window->findChild<QListWidget*>("fileList")->count(), 1);

  // With a user number the same window prints, and the job carries what was typed before the refusal.
  host::qt::QtActions hands(*window);
  ASSERT_TRUE(hands.select(control(*window, "authenticationMatrix"), 1));
  ASSERT_EQ(hands.type(*control(*window, "userNumberEditText").asTextField(), platform::Text::fromUtf8("4711")), 4u);
  clickPrint(*window);
  ASSERT_EQ(informed_.size(), 1u);
  for (const char* option : {"copies=3\n", "page-ranges=2-3\n", "ondrix.print.PrintSettings.userNumber=04711\n"})
    EXPECT_NE(informed_[0].find(option), std::string::npos) << option << informed_[0];
  EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(PrintWindowTest, JobFromTheWindowReachesCupsWithTheCommandLineHostsOptions) {
  if (!testsupport::ThrowawayCups::available()) GTEST_SKIP() << "needs root and cups-daemon/cups-client";
  testsupport::ThrowawayCups cups;
  std::string why;
  ASSERT_TRUE(cups.start(why)) << why;
  ASSERT_TRUE(cups.addRecordingQueue("Test", fs::path(ONDRIX_RESOURCE_DIR) / "ppd" / "demo-filing.ppd", why)) << why;
  const fs::path job = cups.base() / "job.txt";
  testsupport::writeFile(job, "Hello, printer.\n");

  // The command-line host: its choices as steps, copies, pages and duplex in its print settings.
  const fs::path hostSettings = cups.base() / "host.settings";
  testsupport::writeFile(hostSettings, "copies=2\npage-ranges=1-2\nDuplex=DuplexNoTumble\n");
  const testsupport::RunResult r = testsupport::runProgram(
      ONDRIX_HOST_EXE,
      {"--cups", "Test", "--print", job.string(), "--settings", hostSettings.string(), "--job-name", "Quarterly",
       "view", "restore", "click", "retentionCheckBox", "type", "suspendKeyEditText", "1234", "save", "print"},
      cups.env());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::map<std::string, std::string> fromHost = cups.takeRecordedOptions();
  ASSERT_FALSE(fromHost.empty()) << cups.errorLog();

  // The window: the same choices made on its widgets. It starts from the host's spool time only, so that the
  // values bound to it (pass-code digests, per-job keys) can be compared.
  const std::string hostKeys = readFile(hostSettings);
  const auto spool = hostKeys.find(kPrefix + "spoolTime=");
  ASSERT_NE(spool, std::string::npos);
  const fs::path windowSettings = cups.base() / "window.settings";
  testsupport::writeFile(windowSettings, hostKeys.substr(spool, hostKeys.find('\n', spool) + 1 - spool));
  useScheduler(cups.socket().string());
  printdialog::PrinterList printers = printdialog::listPrinters(ONDRIX_BUNDLE_DIR);
  ASSERT_EQ(printers.entries.size(), 1u);  // an Ondrix queue: no demo models
  EXPECT_TRUE(printers.entries[0].ondrix);
  auto window = openWindow(std::move(printers), {job.string()}, "Quarterly", windowSettings);
  window->findChild<QSpinBox*>("copies")->setValue(2);
  QTest::keyClicks(window->findChild<QLineEdit*>("pageRanges"), "1-2");
  auto* duplex = window->findChild<QComboBox*>("ppd-Duplex");
  ASSERT_TRUE(duplex);
  duplex->setCurrentIndex(duplex->findData("DuplexNoTumble"));
  emit duplex->activated(duplex->currentIndex());
  host::qt::QtActions hands(*window);
  ASSERT_TRUE(hands.click(control(*window, "retentionCheckBox")));
  ASSERT_EQ(hands.type(*control(*window, "suspendKeyEditText").asTextField(), platform::Text::fromUtf8("1234")), 4u);
  clickPrint(*window);
  EXPECT_TRUE(informed_.empty()) << informed_[0];
  EXPECT_EQ(window->result(), QDialog::Accepted);
  const std::map<std::string, std::string> fromWindow = cups.takeRecordedOptions();
  ASSERT_FALSE(fromWindow.empty()) << cups.errorLog();

  // Every option either dialog chose reaches the filter alike; CUPS's own (job-uuid, times) may differ.
  auto ours = [](const std::map<std::string, std::string>& received) {
    std::map<std::string, std::string> kept;
    for (const auto& [key, value] : received)
      if (key.rfind(kPrefix, 0) == 0 || key == "copies" || key == "page-ranges" || key == "Duplex") kept[key] = value;
    return kept;
  };
  EXPECT_EQ(ours(fromWindow), ours(fromHost));
  EXPECT_EQ(fromWindow.at("copies"), "2");
  EXPECT_EQ(fromWindow.at("Duplex"), "DuplexNoTumble");
  EXPECT_EQ(fromWindow.at("page-ranges"), "1-2");
  EXPECT_EQ(fromWindow.at(kPrefix + "jobSuspend"), "2");
  EXPECT_TRUE(fromWindow.count(kPrefix + "jobSuspendKey"));
}

TEST(PrintDialogSteps, PrintTheCommandLineHostsLinesAndStatus) {
  const testsupport::ScratchDir scratch("ondrix-window-steps");
  const std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", (scratch.path() / "config").string()},
                                               {"XDG_RUNTIME_DIR", scratch.path().string()},
                                               {"QT_QPA_PLATFORM", "offscreen"}};
  const std::vector<std::string> args{"--ppd", std::string(ONDRIX_RESOURCE_DIR) + "/ppd/demo-printsystem.ppd",
                                      "--steps", "view", "restore", "click", "retentionCheckBox", "type",
                                      "userNumberEditText", "12a", "save", "print", "summary", "dump"};
  const testsupport::RunResult host = testsupport::runProgram(ONDRIX_HOST_EXE, args, env);
  fs::remove_all(scratch.path() / "config");
  const testsupport::RunResult window = testsupport::runProgram(ONDRIX_PRINT_DIALOG_EXE, args, env);
  EXPECT_EQ(host.status, 1);
  EXPECT_EQ(window.status, host.status);
  EXPECT_NE(host.out.find("alert: Information"), std::string::npos) << host.out;
  EXPECT_EQ(testsupport::withoutToolkitOnlyFacts(window.out), testsupport::withoutToolkitOnlyFacts(host.out));
  EXPECT_NE(window.out.find("\"accessibleName\":\"Hold Login Name\""), std::string::npos) << window.out;
}

}  // namespace
