// Administering a CUPS scheduler as lpadmin and cupsctl do: its cupsd.conf through /admin/conf, queues
// through CUPS-Add-Modify-Printer, models through CUPS-Get-PPDs. The default server (CUPS_SERVER or the
// local one); a fresh connection per call, so that calls after the scheduler restarted find it again.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace platform::cupsadmin {

enum class Status { Ok, NoScheduler, NotAuthorised, NotFound, Refused };

// What a call came to: Ok, or the kind of failure with the scheduler's own message.
struct Result {
  Status status = Status::Ok;
  std::string message;
  bool ok() const { return status == Status::Ok; }
};

// How long a scheduler may take to restart after its cupsd.conf changed: it waits for printing jobs first.
inline constexpr auto kRestartTimeout = std::chrono::seconds(60);

// The server the calls go to, as CUPS names it (a socket path or host name).
std::string server();

// Never asks for a password on a terminal-less run (tests, scripts): libcups would otherwise prompt.
void askPasswordsOnTerminalOnly();

// Fetches cupsd.conf into `text`. Needs an administrator.
Result fetchServerConfig(std::string& text);
// Replaces cupsd.conf with `text`; the scheduler then restarts itself, and the call returns once it began
// to (a minute at most: it waits for printing jobs). Needs an administrator.
Result putServerConfig(const std::string& text);

// Ok when the scheduler's drivers offer the model `ppdName` (as lpinfo -m lists it), NotFound when not.
Result findModel(const std::string& ppdName);

// The changes of one CUPS-Add-Modify-Printer request; what is not given stays as the queue has it.
struct QueueChanges {
  std::optional<std::string> deviceUri;
  std::optional<std::string> model;              // a ppd-name of the scheduler's drivers
  std::optional<std::filesystem::path> ppdFile;  // sent with the request
  bool enable = false;                           // idle and accepting jobs
  std::optional<std::string> opPolicy;
  std::optional<std::string> holdUntilDefault;   // job-hold-until-default
};
// Creates the queue or changes it.
Result addModifyQueue(const std::string& queue, const QueueChanges& changes);

// The queue's printer-op-policy into `policy`; NotFound when the scheduler has no such queue.
Result queuePolicy(const std::string& queue, std::string& policy);

}  // namespace platform::cupsadmin
