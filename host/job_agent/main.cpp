// ondrix-job-agent: completes the user's held jobs on Ondrix queues with the Job Handling panel, whatever
// application printed them. A queue that holds every job (job-hold-until-default=indefinite) makes each job
// wait; the agent shows the panel for it, writes the panel's keys into the job and releases it.
#include <CLI/CLI.hpp>

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "claim.h"
#include "engine/bundle_location.h"
#include "engine/engine.h"
#include "engine/plugin_loader.h"
#include "engine/steps.h"
#include "job_watcher.h"
#include "job_window.h"
#include "platform/cups_jobs.h"
#include "platform/host_services.h"
#include "qt/panel_frame.h"
#include "qt/qt_steps.h"
#include "qt/window_setup.h"
#include "toolkits/qt/qt_toolkit.h"

namespace {

constexpr std::string_view kProgram = "ondrix-job-agent";
// How often a running agent asks for its subscription's events: a new job's window opens within this.
constexpr int kPollMs = 250;
// --once found no scheduler to ask.
constexpr int kExitNoScheduler = 3;

volatile std::sig_atomic_t stopRequested = 0;
extern "C" void requestStop(int) { stopRequested = 1; }

// The name of the user the agent runs as: every job it touches must be this user's.
std::optional<std::string> runningUser() {
  const passwd* pw = ::getpwuid(::geteuid());
  if (!pw || !pw->pw_name) return std::nullopt;
  return std::string(pw->pw_name);
}

void announce(const jobagent::Offer& offer, jobagent::Outcome outcome) {
  std::cout << "job=" << offer.job.queue << "-" << offer.job.id << " " << jobagent::outcomeWord(outcome) << std::endl;
}

struct Options {
  bool once = false;
  std::string bundle;
  std::vector<std::string> steps;  // empty: windows
  bool scripted = false;           // --steps was given
};

// The agent: hands each waiting job to a window or to the script.
class Agent {
 public:
  Agent(const Options& options, jobagent::JobWatcher& watcher, OndrixPrintPdeTarvelPDEPlugIn* plugIn)
      : options_(options), watcher_(watcher), plugIn_(plugIn) {}

  void offerWaitingJobs() {
    for (jobagent::Offer& offer : watcher_.waitingJobs()) {
      if (options_.scripted)
        runScript(offer);
      else
        openWindow(std::move(offer));
    }
  }
  int worst() const { return worst_; }
  int windowsOpened() const { return windows_; }

 private:
  // The script's steps on the job's panel, on Qt widgets off screen; the print step releases the job and
  // the cancel step cancels it.
  void runScript(const jobagent::Offer& offer) {
    std::vector<std::string> words{std::string(kProgram), "--cups", offer.job.queue, "--job-name", offer.job.name};
    if (!options_.bundle.empty()) words.insert(words.end(), {"--bundle", options_.bundle});
    words.push_back("--steps");
    words.insert(words.end(), options_.steps.begin(), options_.steps.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    jobagent::Outcome outcome = jobagent::Outcome::kept;
    host::JobActions actions;
    actions.release = [&](const platform::PrintSettings& settings) {
      return complete(outcome, jobagent::Outcome::released,
                      [&](std::string& error) { return watcher_.release(offer, settings.values(), error); });
    };
    actions.cancel = [&] {
      return complete(outcome, jobagent::Outcome::cancelled,
                      [&](std::string& error) { return watcher_.cancel(offer, error); });
    };
    // The panel's view in the frame the window gives it, so that the window step sees what a window shows.
    host::qt::PanelFrame parent;
    const int status = host::qt::runSteps(static_cast<int>(words.size()), argv.data(), parent, kProgram, &actions);
    if (outcome == jobagent::Outcome::kept) watcher_.keep(offer.job.id);
    worst_ = std::max(worst_, status == host::kExitRefused ? 0 : status);
    announce(offer, outcome);
  }

  // Runs the operation once per job; its failure goes to stderr.
  template <typename Operation>
  bool complete(jobagent::Outcome& outcome, jobagent::Outcome wanted, Operation operation) {
    std::string error = "the job was " + std::string(jobagent::outcomeWord(outcome)) + " already";
    if (outcome == jobagent::Outcome::kept && operation(error)) {
      outcome = wanted;
      return true;
    }
    std::cerr << kProgram << ": " << error << std::endl;
    return false;
  }

  void openWindow(jobagent::Offer offer) {
    std::optional<platform::cups::Queue> queue = jobagent::ondrixQueue(offer.job.queue);
    if (!queue || !plugIn_) return;
    auto* window = new jobagent::JobWindow(std::move(offer), std::move(*queue), watcher_, *plugIn_, announce);
    window->show();
    window->raise();
    ++windows_;
  }

  const Options& options_;
  jobagent::JobWatcher& watcher_;
  OndrixPrintPdeTarvelPDEPlugIn* plugIn_;
  int worst_ = 0;
  int windows_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  host::qt::quietOffscreenPlatform();
  // The steps are the words after --steps; the agent's own options come before.
  char** stepsAt = std::find_if(argv + 1, argv + argc, [](const char* a) { return std::string_view(a) == "--steps"; });
  Options o;
  o.scripted = stepsAt != argv + argc;
  if (o.scripted) o.steps.assign(stepsAt + 1, argv + argc);

  CLI::App cli{
      "Shows the Job Handling panel for each of your print jobs that an Ondrix queue holds, then "
      "releases the job with the panel's choices.",
      std::string(kProgram)};
  cli.add_flag("--once", o.once, "handle the jobs waiting now, then exit");
  cli.add_option("--bundle", o.bundle,
                 "the plug-in bundle folder (default: $ONDRIX_PDE_BUNDLE, else the installed one)");
  cli.set_version_flag("--version", std::string(kProgram) + " " ONDRIX_VERSION);
  cli.footer(
      "--steps STEP...  instead of a window, run ondrix-pde-host's steps on each job's panel (off screen without a\n"
      "                 display); an approved print step releases the job, the step cancel cancels it.\n"
      "Output: one line per job, job=QUEUE-ID released|cancelled|kept.\n"
      "Exit status: 0 done; 2 bad usage, a step the layout does not fit, or no private runtime folder; 3 the\n"
      "print system refused an operation on a job (its reason on stderr), or --once found no scheduler.\n"
      "Environment: CUPS_SERVER (the scheduler), XDG_RUNTIME_DIR (claims and the session's lock),\n"
      "XDG_SESSION_ID (one running agent per session), ONDRIX_PDE_BUNDLE, LANGUAGE=de|ja with a UTF-8 LANG.");
  try {
    cli.parse(static_cast<int>(stepsAt - argv), argv);
  } catch (const CLI::ParseError& e) {
    const int code = cli.exit(e);
    return code == 0 ? host::kExitOk : host::kExitUsage;
  }
  const auto fail = [](const std::string& message) {
    std::cerr << kProgram << ": " << message << std::endl;
    return host::kExitUsage;
  };
  std::string error;
  if (o.scripted && !host::parseSteps(o.steps, error)) return fail(error);
  if (o.bundle.empty()) o.bundle = host::defaultBundle().string();
  if (!host::isBundle(o.bundle))
    return fail("no plug-in bundle at " + o.bundle + " (it lacks Contents/Linux/libondrix-pde.so)");
  const std::optional<std::string> user = runningUser();
  if (!user) return fail("the user running the agent has no name");
  cupsSetUser(user->c_str());
  const std::optional<std::filesystem::path> claims = jobagent::claimFolder();
  if (!claims) return fail("no private runtime folder for the job claims (XDG_RUNTIME_DIR, else /tmp/ondrix-pde-UID)");

  // One running agent per session; --once runs beside it, the claims keep them apart.
  const char* session = std::getenv("XDG_SESSION_ID");
  const std::optional<jobagent::Claim> sessionLock =
      o.once ? std::nullopt
             : jobagent::Claim::take(*claims / ("agent-" + jobagent::fileNameOf(session ? session : "") + ".lock"));
  if (!o.once && !sessionLock) {
    std::cerr << kProgram << ": an agent runs in this session already" << std::endl;
    return host::kExitOk;
  }

  // A script needs no screen, so without a display its widgets are made off screen.
  if (o.scripted && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  std::setlocale(LC_ALL, "");
  host::qt::installWindowLanguage(o.bundle);
  app.setQuitOnLastWindowClosed(o.once);

  // Windows need the plug-in loaded once for the process; a script's runs load it themselves.
  toolkits::qt::QtToolkit toolkit;
  toolkits::qt::QtRunLoop runLoop;
  toolkits::qt::MessageBoxAlerts alerts;
  const platform::HostServices services{&toolkit, &runLoop, &alerts};
  std::unique_ptr<host::LoadedPlugIn> plugIn;
  std::unique_ptr<platform::Bundle> pdeBundle;
  if (!o.scripted) {
    platform::setHostServices(services);
    plugIn = std::make_unique<host::LoadedPlugIn>(o.bundle, services, error);
    if (!plugIn->principal()) return fail(error);
    pdeBundle = std::make_unique<platform::Bundle>(o.bundle);
    plugIn->principal()->initWithBundle(pdeBundle.get());
  }

  platform::cups::JobConnection cups(*user, std::string(settingskeys::kPrefix));
  jobagent::JobWatcher watcher(cups, *claims,
                               [](const std::string& queue) { return jobagent::ondrixQueue(queue).has_value(); });
  watcher.report = [&o](const std::string& message, bool answers) {
    std::cerr << kProgram << ": " << message << (o.once || answers ? "" : "; waiting for it") << std::endl;
  };
  Agent agent(o, watcher, plugIn ? plugIn->principal() : nullptr);

  if (o.once) {
    agent.offerWaitingJobs();
    if (!watcher.schedulerAnswers()) return kExitNoScheduler;
    if (agent.windowsOpened() > 0) app.exec();
    return agent.worst();
  }
  std::signal(SIGTERM, requestStop);
  std::signal(SIGINT, requestStop);
  // The subscription is made on the first turn; the jobs that wait already are offered at once.
  watcher.poll();
  agent.offerWaitingJobs();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (stopRequested) {
      // Open windows close as if the user closed them: their jobs stay held and their lines are written.
      for (QWidget* w : QApplication::topLevelWidgets()) w->close();
      app.quit();
      return;
    }
    if (watcher.poll()) agent.offerWaitingJobs();
  });
  timer.start(kPollMs);
  app.exec();
  return agent.worst();
}
