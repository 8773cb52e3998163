// The job agent's eyes on the scheduler, without widgets: which of the user's jobs wait for the Job
// Handling panel, a claim on each so that two agents never handle one job, and a pull subscription that
// tells when to look again (renewed before its lease ends, made anew when the scheduler restarted).
//
//   JobWatcher watcher(connection, claims, isOndrixQueue);
//   for (auto& offer : watcher.waitingJobs()) ...;          // the jobs waiting at start
//   every quarter second: if (watcher.poll()) for (auto& offer : watcher.waitingJobs()) ...;
//   watcher.release(offer, settings) / watcher.cancel(offer) / watcher.keep(offer.job.id)
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "claim.h"
#include "platform/cups_jobs.h"
#include "platform/printcore_cups.h"
#include "settings/keys.h"

namespace jobagent {

// The spool time's attribute, which marks a job that has been through a panel.
inline const std::string kSpoolTimeKey =
    std::string(settingskeys::kPrefix) + std::string(settingskeys::kSpoolTime.name);

// A job waiting for the panel, claimed for the one who holds the offer.
struct Offer {
  platform::cups::Job job;
  Claim claim;
};

// The queue with a copy of its PPD, when the PPD is an Ondrix model's (the print dialog's test); none for
// another model's queue, a queue without PPD or a scheduler out of reach.
std::optional<platform::cups::Queue> ondrixQueue(const std::string& name);

// Whether the job waits for the panel on behalf of user: the user's own, held (not merely pending), held
// by the queue or a hold time rather than "no-hold", and without the spool time a panel writes. The
// queue's model is checked apart.
bool waitsForPanel(const platform::cups::Job& job, const std::string& user);

class JobWatcher {
 public:
  // cups: the connection, as the user the agent runs as; claims: the folder of the claim files;
  // isOndrixQueue: whether a queue's PPD is an Ondrix model's. All borrowed for the watcher's life.
  JobWatcher(platform::cups::JobConnection& cups, std::filesystem::path claims,
             std::function<bool(const std::string& queue)> isOndrixQueue);
  ~JobWatcher();
  JobWatcher(const JobWatcher&) = delete;
  JobWatcher& operator=(const JobWatcher&) = delete;

  // The jobs waiting now on Ondrix queues that no other agent holds, each claimed, oldest first; jobs
  // this watcher was told to keep are left out.
  std::vector<Offer> waitingJobs();

  // One turn of watching: subscribes when there is no subscription, renews its lease, pulls its events.
  // True when the jobs should be looked at again (events came, or a new subscription began, as after a
  // restart of the scheduler). Never waits for events.
  bool poll();

  // Completes the job with the panel's values: checks again that it is the user's and still waits, sets
  // every value on it, deletes the print-settings keys it carried that the panel did not write, and
  // releases it. False with the reason.
  bool release(const Offer& offer, const std::map<std::string, std::string, std::less<>>& values, std::string& error);
  // Cancels the job after the same check of its owner.
  bool cancel(const Offer& offer, std::string& error);
  // Leaves the job held and does not offer it again while this watcher lives.
  void keep(int jobId) { kept_.insert(jobId); }

  // Whether the scheduler answered the last request.
  bool schedulerAnswers() const { return reachable_; }

  // Told once when the scheduler stops answering (answers false) and once when it answers again (for stderr).
  std::function<void(const std::string& message, bool answers)> report;

  // The lease asked for a subscription; it is renewed when half of it has passed.
  static constexpr int kLeaseSeconds = 600;

 private:
  std::optional<platform::cups::Job> stillWaiting(int id, std::string& error);
  void lostScheduler(const std::string& message);
  void foundScheduler();

  platform::cups::JobConnection& cups_;
  std::filesystem::path claims_;
  std::function<bool(const std::string&)> isOndrixQueue_;
  std::map<std::string, bool> ondrixQueues_;  // the answers of isOndrixQueue_, until the scheduler restarts
  std::set<int> kept_;
  std::optional<int> subscription_;
  int sequence_ = 1;
  std::chrono::steady_clock::time_point renewAt_;
  bool reachable_ = true;
};

}  // namespace jobagent
