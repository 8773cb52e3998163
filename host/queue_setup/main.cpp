// ondrix-queue-setup: sets up a CUPS queue for an Ondrix printer so that no other user reads the
// credentials in its jobs' options, or checks that a queue keeps them private.
#include <algorithm>
#include <cstring>
#include <optional>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "queue_setup/setup.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: ondrix-queue-setup QUEUE --device-uri URI (--model NAME | --ppd FILE) [--ask-every-job]\n"
    "       ondrix-queue-setup --check QUEUE\n"
    "\n"
    "Creates or updates the CUPS queue QUEUE for an Ondrix printer (PPD, device URI, enabled and accepting\n"
    "jobs) and keeps the job options of the Job Handling panel that carry credentials and names private to\n"
    "the job's owner and administrators: cupsd.conf gets the policy ondrix-private, a copy of its default\n"
    "policy with those options in JobPrivateValues, and the queue uses it. Every other line of cupsd.conf\n"
    "stays. Run as a CUPS administrator; the scheduler is CUPS_SERVER's or the local one.\n"
    "\n"
    "  --device-uri URI   the printer's device URI, as lpadmin -v takes it\n"
    "  --model NAME       a model of the scheduler's drivers, as lpadmin -m takes it (lpinfo -m lists them)\n"
    "  --ppd FILE         a PPD file, as lpadmin -P takes it\n"
    "  --ask-every-job    hold every job (job-hold-until-default indefinite) until it is released\n"
    "  --check QUEUE      tell whether QUEUE keeps every secret job option private\n"
    "  --version, --help\n"
    "\n"
    "Exit status: 0 done, or the queue is safe; 1 the queue is not safe (--check); 2 bad usage;\n"
    "3 no scheduler answers; 4 not authorised; 5 unknown model or unreadable PPD; 6 the scheduler refused\n"
    "a change.\n";

int usage(const std::string& why) {
  std::cerr << "ondrix-queue-setup: " << why << "\n" << kUsage;
  return queuesetup::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  queuesetup::SetupRequest request;
  std::optional<std::string> check;
  bool haveUri = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&](std::string& out) {
      if (i + 1 >= args.size() || args[i + 1].empty()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (arg == "--help") {
      std::cout << kUsage;
      return queuesetup::kOk;
    } else if (arg == "--version") {
      std::cout << "ondrix-queue-setup " ONDRIX_VERSION "\n";
      return queuesetup::kOk;
    } else if (arg == "--device-uri") {
      if (!value(request.deviceUri)) return usage("--device-uri needs a URI");
      haveUri = true;
    } else if (arg == "--model") {
      if (!value(v)) return usage("--model needs a model name");
      request.model = v;
    } else if (arg == "--ppd") {
      if (!value(v)) return usage("--ppd needs a file");
      request.ppdFile = v;
    } else if (arg == "--ask-every-job") {
      request.askEveryJob = true;
    } else if (arg == "--check") {
      if (!value(v)) return usage("--check needs a queue");
      check = v;
    } else if (arg.starts_with("-")) {
      return usage("unknown option " + arg);
    } else if (request.queue.empty()) {
      request.queue = arg;
    } else {
      return usage("one queue at a time: " + arg);
    }
  }
  if (check) {
    if (!request.queue.empty() || haveUri || request.model || request.ppdFile || request.askEveryJob)
      return usage("--check takes only the queue");
    return queuesetup::checkQueue(*check);
  }
  if (request.queue.empty()) return usage("which queue?");
  // CUPS takes names of printable characters other than space, "/", "\\", "?", "'", "\"" and "#".
  const auto unfit = [](unsigned char c) { return c < 0x21 || c == 0x7f || std::strchr("/\\?'\"#", c); };
  if (request.queue.size() > 127 || std::any_of(request.queue.begin(), request.queue.end(), unfit))
    return usage("\"" + request.queue + "\" is no CUPS queue name");
  if (!haveUri) return usage("--device-uri is needed");
  if (request.model.has_value() == request.ppdFile.has_value()) return usage("give --model or --ppd, one of them");
  return queuesetup::setUpQueue(request);
}
