// The print dialog's window, off screen: the demo models when no scheduler answers, a refused print that
// keeps the user's input, and a job from the window reaching a throw-away CUPS server with the options the
// command-line host sends for the same choices.
#include <gtest/gtest.h>

#include <cups/cups.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include <clocale>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/plugin_loader.h"
#include "platform/alert.h"
#include "platform/host_services.h"
#include "plugin/panel.h"
#include "print_window.h"
#include "printer_list.h"
#include "qt/qt_steps.h"
#include "qt/window_facts.h"
#include "qt/window_setup.h"
#include <nlohmann/json.hpp>

#include "support/dump_filter.h"
#include "support/fake_host.h"
#include "support/host_runner.h"
#include "support/panel_window.h"
#include "support/qt_app.h"
#include "support/scratch.h"
#include "support/throwaway_cups.h"
#include "toolkits/qt/qt_controls.h"
#include "toolkits/qt/qt_naming.h"
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

class PrintWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::qtApplication(); }

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
    testsupport::showKeepingMessages(*window, informed_);
    return window;
  }

  static ui::Control& control(PrintWindow& window, const char* name) { return testsupport::panelControl(window, name); }
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
  testsupport::CapturingAlerts alerts_;
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
  EXPECT_EQ(alerts_.titles(), std::vector<std::string>{"Information"});
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
  ASSERT_TRUE(cups.startWithRecordingQueue("Test", why)) << why;
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

// What a screen reader announces for a widget.
std::string accessibleName(QWidget* w) {
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(w);
  return access ? access->text(QAccessible::Name).toStdString() : std::string();
}

// The window's language as a user chooses it at start: gettext's environment, the process's locale and
// the translators installed; the window's translators go with the case.
class WindowLanguage {
 public:
  explicit WindowLanguage(const std::string& language) : language_("LANGUAGE", language.c_str()) {
    std::setlocale(LC_ALL, "");
    host::qt::installWindowLanguage(ONDRIX_BUNDLE_DIR);
  }
  ~WindowLanguage() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(t);
      delete t;
    }
  }

 private:
  EnvOverride locale_{"LC_ALL", "C.UTF-8"};
  EnvOverride language_;
};

// The panel's operable controls a user can reach now, in the layout's order.
std::vector<toolkits::qt::Node*> operableControls(PrintWindow& window) {
  using toolkits::Kind;
  std::vector<toolkits::qt::Node*> out;
  auto* nib = dynamic_cast<toolkits::qt::QtNib*>(static_cast<OndrixPrintPdeTarvel*>(window.panel())->nib());
  for (const auto& node : nib->nodes_) {
    const Kind k = node->kind_;
    const bool operable = k == Kind::textField || k == Kind::checkBox || k == Kind::holdButton ||
                          k == Kind::pushButton || k == Kind::radioButton || k == Kind::popUpButton;
    if (operable && node->widget_ && !node->effectivelyHidden()) out.push_back(node.get());
  }
  return out;
}

// In English, German and Japanese: the window's own texts in the language (none of the English ones left
// in German or Japanese), every panel tab title whole at the default size, every operable control of the
// panel named for a screen reader, padlocks after their fields, the summary readable as text.
TEST_F(PrintWindowTest, OneLanguagePerWindowWholeTabsAndNamedControls) {
  useScheduler((scratch_.path() / "no-scheduler").string());
  std::set<std::string> english;
  for (const std::string language : {"", "de", "ja"}) {
    SCOPED_TRACE("language " + language);
    const WindowLanguage chosen(language);
    auto window = openWindow(printdialog::listPrinters(ONDRIX_BUNDLE_DIR), {});
    QApplication::processEvents();
    auto* tabs = window->findChild<QTabWidget*>("tabs");
    QWidget* view = window->findChild<QWidget*>("panelArea")->findChild<QTabWidget*>()->parentWidget();

    // The window's texts on each of its pages but the printer's options, which are the PPD's words.
    std::set<std::string> texts;
    for (int page = 0; page < tabs->count(); ++page) {
      if (page == 1) continue;
      tabs->setCurrentIndex(page);
      const host::WindowFacts facts = host::qt::windowFacts(*window, view);
      texts.insert(facts.title);
      for (const auto* list : {&facts.tabs, &facts.buttons, &facts.labels}) texts.insert(list->begin(), list->end());
    }
    texts.insert(toolkits::qt::withoutMnemonic(window->findChild<QPushButton*>("chooseButton")->text()).toStdString());
    if (language.empty()) {
      english = texts;
      EXPECT_TRUE(english.count("Cancel") && english.count("Printer Options")) << ::testing::PrintToString(english);
    } else {
      for (const std::string& t : texts) EXPECT_FALSE(english.count(t)) << t << " is still English";
    }

    // At the size the window opens with, every tab title of the panel shows whole; the picture of the
    // German window is the README's.
    tabs->setCurrentWidget(window->findChild<QWidget*>("panelArea"));
    QApplication::processEvents();
    const host::WindowFacts facts = host::qt::windowFacts(*window, view);
    if (language == "de") {
      EXPECT_TRUE(window->grab().save(QString::fromStdString((fs::current_path() / "print-dialog-de.png").string())));
    }
    ASSERT_EQ(facts.panelTabs.size(), 3u);
    for (const auto& tab : facts.panelTabs) EXPECT_TRUE(tab.whole) << tab.title;
    // The window cannot be made narrower than that; made wider, it gives the panel the room.
    EXPECT_GE(window->width(), window->minimumSizeHint().width());
    const int panelWidth = view->width();
    window->resize(window->width() + 200, window->height());
    QApplication::processEvents();
    EXPECT_EQ(view->width(), panelWidth + 200);
    window->resize(window->minimumSize());
    QApplication::processEvents();
    for (const auto& tab : host::qt::windowFacts(*window, view).panelTabs) EXPECT_TRUE(tab.whole) << tab.title;

    // Named for a screen reader, on every page of the panel.
    auto* panelTabs = view->findChild<QTabWidget*>();
    for (int page = 0; page < panelTabs->count(); ++page) {
      panelTabs->setCurrentIndex(page);
      for (toolkits::qt::Node* node : operableControls(*window))
        EXPECT_FALSE(accessibleName(node->widget_).empty()) << node->name_;
    }
    const std::string field = accessibleName(toolkits::qt::widgetOf(control(*window, "loginNameEditText")));
    const std::string padlock = accessibleName(toolkits::qt::widgetOf(control(*window, "loginNameButton")));
    EXPECT_NE(padlock.find(field), std::string::npos) << padlock;
    if (language.empty()) {
      EXPECT_EQ(padlock, "Hold Login Name");
    } else {
      EXPECT_FALSE(english.count(field) || padlock.starts_with("Hold")) << field << " / " << padlock;
    }

    // The summary is read as plain text, its table's lines as "title: value".
    QAccessibleInterface* summary = QAccessible::queryAccessibleInterface(window->findChild<QLabel*>("summary"));
    EXPECT_FALSE(summary->text(QAccessible::Name).isEmpty());
    const std::string read = summary->text(QAccessible::Description).toStdString();
    EXPECT_EQ(read.find('<'), std::string::npos) << read;
    const SummaryInfo info = window->panel()->summaryInfo();
    ASSERT_FALSE(info.empty());
    EXPECT_NE(read.find(info.begin()->first.utf8() + ": " + info.begin()->second.utf8()), std::string::npos) << read;
  }
}

// The keyboard alone: Tab walks the window in reading order (the printer, the tabs, the panel's controls
// in its layout's order, then Print and Cancel), a label's mnemonic reaches its field, Space toggles a
// padlock, Enter in a field prints and Escape cancels.
TEST_F(PrintWindowTest, KeyboardReachesEverythingInReadingOrder) {
  useScheduler((scratch_.path() / "no-scheduler").string());
  auto window = openWindow(printdialog::listPrinters(ONDRIX_BUNDLE_DIR), {});
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  // The panel's page of credentials, where most controls take input from the start.
  host::qt::QtActions hands(*window);
  ASSERT_TRUE(hands.select(control(*window, "tabView"), 1));
  auto* printerBox = window->findChild<QWidget*>("printerBox");
  printerBox->setFocus();
  std::vector<QWidget*> walk{printerBox};
  for (int i = 0; i < 100; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == printerBox) break;
    walk.push_back(QApplication::focusWidget());
  }
  ASSERT_GE(walk.size(), 4u);
  EXPECT_EQ(walk[walk.size() - 2]->objectName(), "printButton");
  EXPECT_EQ(walk.back()->objectName(), "cancelButton");
  EXPECT_EQ(walk[1], window->findChild<QTabWidget*>("tabs")->tabBar());
  // Every control of the panel's page a user may operate now, in the layout's order.
  std::vector<std::string> expected, reached;
  for (toolkits::qt::Node* node : operableControls(*window))
    if (node->widget_->isVisible() && node->widget_->isEnabled() && (node->widget_->focusPolicy() & Qt::TabFocus))
      expected.push_back(node->name_);
  for (QWidget* w : walk)
    if (std::find(expected.begin(), expected.end(), w->objectName().toStdString()) != expected.end())
      reached.push_back(w->objectName().toStdString());
  EXPECT_EQ(reached, expected);
  EXPECT_GE(expected.size(), 5u);

  auto* label = qobject_cast<QLabel*>(toolkits::qt::widgetOf(control(*window, "loginNameStaticText")));
  QWidget* field = toolkits::qt::widgetOf(control(*window, "loginNameEditText"));
  ASSERT_EQ(label->buddy(), field);
  const qsizetype mark = label->text().indexOf('&');
  ASSERT_GE(mark, 0) << label->text().toStdString();
  QTest::keyClick(window.get(), label->text()[mark + 1].toLatin1(), Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), field);

  auto* padlock = qobject_cast<QToolButton*>(toolkits::qt::widgetOf(control(*window, "loginNameButton")));
  QTest::keyClick(field, Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), padlock);
  QTest::keyClick(padlock, Qt::Key_Space);
  EXPECT_TRUE(padlock->isChecked());
  EXPECT_EQ(control(*window, "loginNameButton").asButton()->state(), 1);

  QTest::keyClick(toolkits::qt::widgetOf(control(*window, "jobNameEditText")), Qt::Key_Return);
  EXPECT_EQ(window->result(), QDialog::Accepted);
  ASSERT_EQ(informed_.size(), 1u);

  auto second = openWindow(printdialog::listPrinters(ONDRIX_BUNDLE_DIR), {});
  QApplication::setActiveWindow(second.get());
  QTest::keyClick(second->findChild<QWidget*>("printerBox"), Qt::Key_Escape);
  EXPECT_EQ(second->result(), QDialog::Rejected);
  EXPECT_FALSE(second->isVisible());
  EXPECT_EQ(informed_.size(), 1u);
}

// The files of one Print go as one job: with one of them missing nothing is sent and the message names it;
// once it is there, one Print sends each file once.
TEST_F(PrintWindowTest, FilesOfOnePrintGoAsOneJobOrNotAtAll) {
  if (!testsupport::ThrowawayCups::available()) GTEST_SKIP() << "needs root and cups-daemon/cups-client";
  testsupport::ThrowawayCups cups;
  std::string why;
  ASSERT_TRUE(cups.startWithRecordingQueue("Test", why)) << why;
  useScheduler(cups.socket().string());
  const fs::path first = cups.base() / "first.txt";
  const fs::path second = cups.base() / "second.txt";
  testsupport::writeFile(first, "first\n");
  const auto jobs = [] {
    cups_job_t* list = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, "Test", 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count, list);
    return count;
  };

  auto window = openWindow(printdialog::listPrinters(ONDRIX_BUNDLE_DIR), {first.string(), second.string()});
  clickPrint(*window);
  ASSERT_EQ(informed_.size(), 1u);
  EXPECT_NE(informed_[0].find(second.string()), std::string::npos) << informed_[0];
  EXPECT_NE(window->result(), QDialog::Accepted);
  EXPECT_EQ(jobs(), 0);

  testsupport::writeFile(second, "second\n");
  clickPrint(*window);
  EXPECT_EQ(informed_.size(), 1u);
  EXPECT_EQ(window->result(), QDialog::Accepted);
  EXPECT_EQ(jobs(), 1);
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

// The window step: the dialog's window in German as a script sees it, every panel tab title whole, nothing
// on stderr (Qt's offscreen platform included); the command-line host has no window.
TEST(PrintDialogSteps, WindowStepTellsTheWindowsTextsAndWholeTabs) {
  const testsupport::ScratchDir scratch("ondrix-window-step");
  std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", (scratch.path() / "config").string()},
                                         {"XDG_RUNTIME_DIR", scratch.path().string()},
                                         {"QT_QPA_PLATFORM", "offscreen"},
                                         {"LC_ALL", "C.UTF-8"},
                                         {"LANGUAGE", "de"}};
  const std::vector<std::string> args{"--steps", "view", "window"};
  const testsupport::RunResult german = testsupport::runProgram(ONDRIX_PRINT_DIALOG_EXE, args, env);
  ASSERT_EQ(german.status, 0) << german.err;
  EXPECT_EQ(german.err, "");
  const nlohmann::json facts = nlohmann::json::parse(german.out)["window"];
  EXPECT_EQ(facts["title"], "Drucken");
  EXPECT_EQ(facts["buttons"], nlohmann::json::array({"Drucken", "Abbrechen"}));
  EXPECT_EQ(facts["tabs"].back(), "Auftragsverwaltung");
  ASSERT_EQ(facts["panelTabs"].size(), 3u);
  for (const auto& tab : facts["panelTabs"]) EXPECT_TRUE(tab["whole"].get<bool>()) << tab;
  EXPECT_EQ(facts["panelTabs"][1]["title"], "Authentifizierung und Auftrags-ID");

  const testsupport::RunResult host = testsupport::runProgram(ONDRIX_HOST_EXE, args, env);
  EXPECT_EQ(host.status, 2);
  EXPECT_NE(host.err.find("no window"), std::string::npos) << host.err;
}

}  // namespace
