// The print core backed by a CUPS server: a queue's identifier, device URI and PPD come from CUPS, and a
// job is submitted with every print-settings value as a job option.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/printcore.h"

namespace platform::cups {

struct Queue {
  Printer printer;
  // A copy of the queue's PPD fetched from the server; removed when the Queue goes.
  std::filesystem::path ppdFile;

  Queue(Printer p, std::filesystem::path ppd) : printer(std::move(p)), ppdFile(std::move(ppd)) {}
  Queue(Queue&& other) noexcept;
  Queue& operator=(Queue&&) = delete;
  Queue(const Queue&) = delete;
  ~Queue();
};

// Looks the queue up on the default server (CUPS_SERVER or the local one); none with a message when the
// scheduler cannot be reached, does not know the queue or has no PPD for it.
std::optional<Queue> lookUpQueue(const std::string& name, std::string& error);

// A queue of the default server as cupsEnumDests gives it: its name, whether it is the user's default,
// and its options (the queue's attributes such as "device-uri" and its default job options).
struct Destination {
  std::string name;
  bool isDefault = false;
  std::map<std::string, std::string> options;
};
// The queues the default server has set up (printers merely discovered on the network are left out); none
// with a message when no scheduler answers.
std::optional<std::vector<Destination>> enumerateDestinations(std::string& error);

struct SubmitResult {
  int jobId = 0;      // 0 on failure
  std::string error;  // on failure: the file that cannot be read, or CUPS's own message
};
// Submits the files to the queue as one job of several documents, in their order (as lp does), under the
// title, with each print-settings value as a job option. Every file is opened before anything is sent, so
// an unreadable one sends nothing; a failure midway cancels the job, so that no part of it prints and a
// second try sends every file once. The job says "job-hold-until=no-hold" (unless the settings name a hold):
// it has been through the panel already, so a queue that holds its jobs for the job agent prints it at once.
SubmitResult printFiles(const std::string& queue, const std::vector<std::filesystem::path>& files,
                        const std::string& title, const PrintSettings& settings);
// The same for one file.
SubmitResult printFile(const std::string& queue, const std::filesystem::path& file, const std::string& title,
                       const PrintSettings& settings);

}  // namespace platform::cups
