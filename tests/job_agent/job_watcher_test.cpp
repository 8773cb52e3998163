// Which jobs wait for the panel: the agent's own check, made before any change whatever the scheduler's
// policy and its "my-jobs" filter would already have left out.
#include <gtest/gtest.h>

#include <string>

#include "job_watcher.h"

namespace {

TEST(WaitsForPanel, OnlyTheUsersOwnHeldJobsThatNoPanelHasSeen) {
  constexpr int kPending = 3, kHeld = 4, kProcessing = 5;
  const struct {
    const char* what;
    std::string user;
    int state;
    std::string holdUntil;
    bool spoolTime;
    bool waits;
  } cases[] = {
      {"held by the queue", "alice", kHeld, "indefinite", false, true},
      {"held until the night", "alice", kHeld, "night", false, true},
      {"another user's", "bob", kHeld, "indefinite", false, false},
      {"a user whose name starts alike", "alice2", kHeld, "indefinite", false, false},
      {"through a panel already", "alice", kHeld, "indefinite", true, false},
      {"released, waiting for the printer", "alice", kPending, "no-hold", false, false},
      {"held although no-hold", "alice", kHeld, "no-hold", false, false},
      {"printing", "alice", kProcessing, "indefinite", false, false},
  };
  for (const auto& c : cases) {
    platform::cups::Job job;
    job.id = 1;
    job.queue = "Office";
    job.user = c.user;
    job.state = c.state;
    job.holdUntil = c.holdUntil;
    if (c.spoolTime) job.settings[jobagent::kSpoolTimeKey] = "3132";
    EXPECT_EQ(jobagent::waitsForPanel(job, "alice"), c.waits) << c.what;
  }
}

}  // namespace
