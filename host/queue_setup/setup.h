// The two things ondrix-queue-setup does: set up a queue with the private policy, and check a queue.
// Each returns the command's exit status and prints its report (stdout) or its failure (stderr).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace queuesetup {

// The command's exit statuses.
enum Exit : int {
  kOk = 0,
  kCheckFailed = 1,
  kUsage = 2,
  kNoScheduler = 3,
  kNotAuthorised = 4,
  kBadModel = 5,
  kRefused = 6,
};

struct SetupRequest {
  std::string queue;
  std::string deviceUri;
  std::optional<std::string> model;
  std::optional<std::filesystem::path> ppdFile;
  bool askEveryJob = false;
};

// Creates or updates the queue, adds or updates the private policy in cupsd.conf and points the queue at
// it. A failure after the queue was changed says what was done.
int setUpQueue(const SetupRequest& request);

// kOk when the queue's policy keeps every secret key private, kCheckFailed with the reason otherwise.
int checkQueue(const std::string& queue);

}  // namespace queuesetup
