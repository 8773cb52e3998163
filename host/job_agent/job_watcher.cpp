#include "job_watcher.h"

#include <algorithm>

#include "printer_list.h"
#include "util/ppd_access.h"

namespace jobagent {

std::optional<platform::cups::Queue> ondrixQueue(const std::string& name) {
  std::string error;
  std::optional<platform::cups::Queue> queue = platform::cups::lookUpQueue(name, error);
  if (!queue) return std::nullopt;
  const ppd::FilePtr ppd = ppd::openFile(queue->ppdFile.string());
  if (!printdialog::isOndrixModel(ppd.get())) return std::nullopt;
  return queue;
}

bool waitsForPanel(const platform::cups::Job& job, const std::string& user) {
  return job.user == user && job.state == IPP_JSTATE_HELD && job.holdUntil != "no-hold" && !job.settings.count(kSpoolTimeKey);
}

JobWatcher::JobWatcher(platform::cups::JobConnection& cups, std::filesystem::path claims,
                       std::function<bool(const std::string& queue)> isOndrixQueue)
    : cups_(cups), claims_(std::move(claims)), isOndrixQueue_(std::move(isOndrixQueue)) {}

JobWatcher::~JobWatcher() {
  if (subscription_) cups_.cancelSubscription(*subscription_);
}

void JobWatcher::lostScheduler(const std::string& message) {
  if (!reachable_) return;
  reachable_ = false;
  if (report) report(message, false);
}

void JobWatcher::foundScheduler() {
  if (reachable_) return;
  reachable_ = true;
  if (report) report("the CUPS scheduler at " + cups_.server() + " answers again", true);
}

// The job as the scheduler describes it now, with every attribute, when it still waits for the panel.
std::optional<platform::cups::Job> JobWatcher::stillWaiting(int id, std::string& error) {
  std::optional<platform::cups::Job> job = cups_.job(id, error);
  if (!job) return std::nullopt;
  // The owner is checked here, before any change, whatever the scheduler's policy would allow.
  if (!waitsForPanel(*job, cups_.user())) {
    error = "job " + std::to_string(id) + " no longer waits for " + cups_.user();
    return std::nullopt;
  }
  return job;
}

std::vector<Offer> JobWatcher::waitingJobs() {
  std::vector<Offer> offers;
  std::string error;
  std::optional<std::vector<platform::cups::Job>> jobs = cups_.userJobs(error);
  if (!jobs) {
    lostScheduler(error);
    return offers;
  }
  foundScheduler();
  std::sort(jobs->begin(), jobs->end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  for (const platform::cups::Job& listed : *jobs) {
    if (!waitsForPanel(listed, cups_.user()) || kept_.count(listed.id)) continue;
    auto known = ondrixQueues_.find(listed.queue);
    if (known == ondrixQueues_.end()) known = ondrixQueues_.emplace(listed.queue, isOndrixQueue_(listed.queue)).first;
    if (!known->second) continue;
    const std::string name = "job-" + fileNameOf(cups_.server()) + "-" + std::to_string(listed.id) + ".claim";
    std::optional<Claim> claim = Claim::take(claims_ / name);
    if (!claim) continue;
    // Another agent may have completed the job between the list and the claim; the spool time shows in
    // the job's full description only.
    std::optional<platform::cups::Job> job = stillWaiting(listed.id, error);
    if (!job) continue;
    offers.push_back(Offer{std::move(*job), std::move(*claim)});
  }
  return offers;
}

bool JobWatcher::poll() {
  std::string error;
  if (!subscription_) {
    subscription_ = cups_.createSubscription({"job-created", "job-state-changed"}, kLeaseSeconds, error);
    if (!subscription_) {
      lostScheduler(error);
      return false;
    }
    foundScheduler();
    sequence_ = 1;
    renewAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(kLeaseSeconds / 2);
    // Jobs may have come while nobody listened, and a restarted scheduler may have new queues.
    ondrixQueues_.clear();
    return true;
  }
  if (std::chrono::steady_clock::now() >= renewAt_) {
    if (!cups_.renewSubscription(*subscription_, kLeaseSeconds, error)) {
      subscription_.reset();
      return false;
    }
    renewAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(kLeaseSeconds / 2);
  }
  const platform::cups::Notifications found = cups_.getNotifications(*subscription_, sequence_);
  using Status = platform::cups::Notifications::Status;
  switch (found.status) {
    case Status::events:
      sequence_ = found.nextSequence;
      return true;
    case Status::none:
      return false;
    case Status::subscriptionGone:
    case Status::unreachable:
      // A scheduler that restarted may keep the subscription or forget it; a new one costs little, and the
      // old one, if kept, is given up so that it does not pile events until its lease ends.
      if (found.status == Status::unreachable)
        lostScheduler("the CUPS scheduler at " + cups_.server() + " went away");
      else
        cups_.cancelSubscription(*subscription_);
      subscription_.reset();
      return false;
  }
  return false;
}

bool JobWatcher::release(const Offer& offer, const std::map<std::string, std::string, std::less<>>& values,
                         std::string& error) {
  const std::optional<platform::cups::Job> job = stillWaiting(offer.job.id, error);
  if (!job) return false;
  const std::map<std::string, std::string> chosen(values.begin(), values.end());
  // Keys of an earlier choice that the panel has now removed must not reach the filter.
  std::vector<std::string> removed;
  for (const auto& [key, value] : job->settings)
    if (!chosen.count(key)) removed.push_back(key);
  return cups_.setJobAttributes(job->id, chosen, removed, error) && cups_.releaseJob(job->id, error);
}

bool JobWatcher::cancel(const Offer& offer, std::string& error) {
  const std::optional<platform::cups::Job> job = cups_.job(offer.job.id, error);
  if (!job) return false;
  if (job->user != cups_.user()) {
    error = "job " + std::to_string(job->id) + " is not " + cups_.user() + "'s";
    return false;
  }
  return cups_.cancelJob(job->id, error);
}

}  // namespace jobagent
