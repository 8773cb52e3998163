// The order of the setup: everything that can be checked first (the PPD, the model, the right to change
// cupsd.conf), then the queue, then the policy, then the queue's use of it. cupsd knows a policy only
// after the restart that a new cupsd.conf causes, so the last step waits for it.
#include "queue_setup/setup.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <thread>

#include "platform/cups_admin.h"
#include "queue_setup/policy.h"
#include "settings/keys.h"

namespace queuesetup {
namespace {

namespace admin = platform::cupsadmin;

constexpr auto kRestartPoll = std::chrono::milliseconds(200);

int exitFor(admin::Status status) {
  switch (status) {
    case admin::Status::Ok: return kOk;
    case admin::Status::NoScheduler: return kNoScheduler;
    case admin::Status::NotAuthorised: return kNotAuthorised;
    case admin::Status::NotFound:
    case admin::Status::Refused: return kRefused;
  }
  return kRefused;
}

// Prints the failure, with what was done before it, and returns its exit status.
int fail(const admin::Result& result, const std::string& done = {}) {
  std::cerr << "ondrix-queue-setup: " << result.message << "\n";
  if (!done.empty()) std::cerr << "ondrix-queue-setup: " << done << "\n";
  return exitFor(result.status);
}

// A PPD the scheduler can take: readable, and a PPD by its first line. Empty when it is; the reason else.
std::string unreadablePPD(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string first;
  if (!in || !std::getline(in, first)) return "cannot read the PPD " + file.string();
  if (!first.starts_with("*PPD-Adobe:")) return file.string() + " is no PPD (it does not begin with *PPD-Adobe:)";
  return {};
}

// Sets the queue's policy once the scheduler knows it: until its restart it refuses the name.
admin::Result pointQueueAtPolicy(const std::string& queue) {
  const auto deadline = std::chrono::steady_clock::now() + admin::kRestartTimeout;
  admin::QueueChanges changes;
  changes.opPolicy = std::string(kPolicyName);
  for (;;) {
    admin::Result result = admin::addModifyQueue(queue, changes);
    const bool restarting = result.status == admin::Status::NoScheduler || result.status == admin::Status::Refused;
    if (!restarting || std::chrono::steady_clock::now() >= deadline) return result;
    std::this_thread::sleep_for(kRestartPoll);
  }
}

}  // namespace

int setUpQueue(const SetupRequest& request) {
  admin::askPasswordsOnTerminalOnly();
  if (request.ppdFile) {
    if (const std::string why = unreadablePPD(*request.ppdFile); !why.empty()) {
      std::cerr << "ondrix-queue-setup: " << why << "\n";
      return kBadModel;
    }
  }
  // Reading cupsd.conf needs the rights that changing it needs: a user without them fails here, before
  // anything changed.
  std::string conf;
  if (const admin::Result read = admin::fetchServerConfig(conf); !read.ok()) return fail(read);
  if (request.model) {
    // A scheduler that cannot list its models cannot copy one for the queue either.
    if (const admin::Result found = admin::findModel(*request.model); !found.ok()) {
      if (found.status == admin::Status::NoScheduler || found.status == admin::Status::NotAuthorised)
        return fail(found);
      std::cerr << "ondrix-queue-setup: " << found.message << "\n";
      return kBadModel;
    }
  }

  admin::QueueChanges queue;
  queue.deviceUri = request.deviceUri;
  queue.model = request.model;
  queue.ppdFile = request.ppdFile;
  queue.enable = true;
  if (request.askEveryJob) queue.holdUntilDefault = "indefinite";
  if (const admin::Result made = admin::addModifyQueue(request.queue, queue); !made.ok()) return fail(made);

  const std::string queueDone = "the queue \"" + request.queue + "\" was set up (PPD, device URI" +
                                (request.askEveryJob ? ", every job held" : "") + ", enabled and accepting jobs)";
  const std::vector<std::string> secret = settingskeys::keyNames(true);
  const std::string wanted = withPrivatePolicy(conf, secret);
  if (wanted != conf) {
    if (const admin::Result put = admin::putServerConfig(wanted); !put.ok())
      return fail(put, queueDone + ", but cupsd.conf was not changed: other users can read its jobs' credentials");
  }
  if (const admin::Result pointed = pointQueueAtPolicy(request.queue); !pointed.ok())
    return fail(pointed, queueDone + " and cupsd.conf has the policy " + std::string(kPolicyName) +
                             ", but the queue does not use it yet: run the command again");

  std::cout << request.queue << ": set up; the policy " << kPolicyName << " keeps " << secret.size()
            << " job options private to the job's owner and administrators"
            << (request.askEveryJob ? "; every job waits until it is released" : "") << "\n";
  return kOk;
}

int checkQueue(const std::string& queue) {
  admin::askPasswordsOnTerminalOnly();
  std::string policy;
  if (const admin::Result asked = admin::queuePolicy(queue, policy); !asked.ok()) {
    if (asked.status != admin::Status::NotFound) return fail(asked);
    std::cout << queue << ": not safe: " << asked.message << "\n";
    return kCheckFailed;
  }
  std::string conf;
  if (const admin::Result read = admin::fetchServerConfig(conf); !read.ok()) return fail(read);

  const std::vector<std::string> secret = settingskeys::keyNames(true);
  const Exposure exposure = exposureUnder(conf, policy, secret);
  const std::string uses = "its policy \"" + policy + "\"";
  if (!exposure.policyKnown) {
    std::cout << queue << ": not safe: its policy \"" << policy << "\" is not in cupsd.conf\n";
  } else if (exposure.everyoneMayRead) {
    std::cout << queue << ": not safe: " << uses << " lets every user read its jobs' private values "
              << "(JobPrivateAccess all)\n";
  } else if (!exposure.shown.empty()) {
    std::cout << queue << ": not safe: " << uses << " shows " << exposure.shown.size() << " of the "
              << secret.size() << " secret job options to other users, " << exposure.shown.front() << " first\n";
  } else {
    std::cout << queue << ": safe: " << uses << " keeps every secret job option private\n";
    return kOk;
  }
  return kCheckFailed;
}

}  // namespace queuesetup
