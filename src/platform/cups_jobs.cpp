#include "platform/cups_jobs.h"

#include <algorithm>
#include <cstring>

namespace platform::cups {
namespace {

constexpr int kConnectTimeoutMs = 2000;
// The scheduler itself, for requests about all queues (Get-Jobs, subscriptions).
constexpr const char* kServerURI = "ipp://localhost/";

std::string text(ipp_attribute_t* attr) {
  const char* value = attr ? ippGetString(attr, 0, nullptr) : nullptr;
  return value ? value : "";
}

// The queue's name is the last part of its URI (".../printers/NAME" or ".../classes/NAME").
std::string queueOf(const std::string& printerURI) {
  const auto slash = printerURI.rfind('/');
  return slash == std::string::npos ? printerURI : printerURI.substr(slash + 1);
}

// Fills job from the attributes of one job group, starting at first; returns the attribute after the group.
ipp_attribute_t* readJob(ipp_t* response, ipp_attribute_t* first, const std::string& prefix, Job& job) {
  ipp_attribute_t* attr = first;
  for (; attr && ippGetGroupTag(attr) == IPP_TAG_JOB; attr = ippNextAttribute(response)) {
    const char* name = ippGetName(attr);
    if (!name) continue;
    if (!std::strcmp(name, "job-id"))
      job.id = ippGetInteger(attr, 0);
    else if (!std::strcmp(name, "job-name"))
      job.name = text(attr);
    else if (!std::strcmp(name, "job-originating-user-name"))
      job.user = text(attr);
    else if (!std::strcmp(name, "job-state"))
      job.state = ippGetInteger(attr, 0);
    else if (!std::strcmp(name, "job-hold-until"))
      job.holdUntil = text(attr);
    else if (!std::strcmp(name, "job-printer-uri"))
      job.queue = queueOf(text(attr));
    else if (std::strncmp(name, prefix.c_str(), prefix.size()) == 0) {
      char value[2048];
      ippAttributeString(attr, value, sizeof value);
      job.settings[name] = value;
    }
  }
  return attr;
}

}  // namespace

JobConnection::JobConnection(std::string user, std::string settingsPrefix)
    : user_(std::move(user)), prefix_(std::move(settingsPrefix)), server_(cupsServer()) {}

JobConnection::~JobConnection() = default;

ipp_t* JobConnection::newRequest(ipp_op_t op, int jobId) const {
  ipp_t* request = ippNewRequest(op);
  if (jobId > 0) {
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
  } else {
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, kServerURI);
  }
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, user_.c_str());
  return request;
}

IppPtr JobConnection::send(ipp_t* request, std::string& error) {
  if (!http_) {
    http_ = connectScheduler(server_, kConnectTimeoutMs);
    if (!http_) {
      ippDelete(request);
      error = "cannot reach the CUPS scheduler at " + server_;
      return nullptr;
    }
  }
  IppPtr response(cupsDoRequest(http_.get(), request, "/"));
  if (!response) {
    // A scheduler that went away leaves a dead connection; the next request makes a new one.
    http_.reset();
    error = "the CUPS scheduler at " + server_ + " did not answer: " + cupsLastErrorString();
  } else if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
    error = cupsLastErrorString();
  }
  return response;
}

std::optional<std::vector<Job>> JobConnection::userJobs(std::string& error) {
  ipp_t* request = newRequest(IPP_OP_GET_JOBS, 0);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
  ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 1);
  static const char* const kWanted[] = {"job-id",    "job-name",       "job-originating-user-name",
                                        "job-state", "job-hold-until", "job-printer-uri"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 6, nullptr, kWanted);
  IppPtr response = send(request, error);
  if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return std::nullopt;
  std::vector<Job> jobs;
  ipp_attribute_t* attr = ippFirstAttribute(response.get());
  while (attr) {
    if (ippGetGroupTag(attr) != IPP_TAG_JOB) {
      attr = ippNextAttribute(response.get());
      continue;
    }
    Job job;
    attr = readJob(response.get(), attr, prefix_, job);
    if (job.id > 0) jobs.push_back(std::move(job));
  }
  return jobs;
}

std::optional<Job> JobConnection::job(int id, std::string& error) {
  ipp_t* request = newRequest(IPP_OP_GET_JOB_ATTRIBUTES, id);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "all");
  IppPtr response = send(request, error);
  if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return std::nullopt;
  Job job;
  for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr; attr = ippNextAttribute(response.get())) {
    if (ippGetGroupTag(attr) != IPP_TAG_JOB) continue;
    readJob(response.get(), attr, prefix_, job);
    break;
  }
  if (job.id != id) {
    error = "the scheduler described no job " + std::to_string(id);
    return std::nullopt;
  }
  return job;
}

bool JobConnection::setJobAttributes(int id, const std::map<std::string, std::string>& values,
                                     const std::vector<std::string>& removed, std::string& error) {
  ipp_t* request = newRequest(IPP_OP_SET_JOB_ATTRIBUTES, id);
  // The same encoding as the options of a submitted job, so the filter cannot tell the two apart.
  cups_option_t* options = nullptr;
  int count = 0;
  for (const auto& [key, value] : values) count = cupsAddOption(key.c_str(), value.c_str(), count, &options);
  cupsEncodeOptions2(request, count, options, IPP_TAG_JOB);
  cupsFreeOptions(count, options);
  for (const std::string& name : removed) ippAddOutOfBand(request, IPP_TAG_JOB, IPP_TAG_DELETEATTR, name.c_str());
  IppPtr response = send(request, error);
  return response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

bool JobConnection::simple(ipp_op_t op, int jobId, std::string& error) {
  IppPtr response = send(newRequest(op, jobId), error);
  return response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

bool JobConnection::releaseJob(int id, std::string& error) { return simple(IPP_OP_RELEASE_JOB, id, error); }

bool JobConnection::cancelJob(int id, std::string& error) { return simple(IPP_OP_CANCEL_JOB, id, error); }

std::optional<int> JobConnection::createSubscription(const std::vector<std::string>& events, int leaseSeconds,
                                                     std::string& error) {
  ipp_t* request = newRequest(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS, 0);
  ippAddString(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-pull-method", nullptr, "ippget");
  std::vector<const char*> names;
  for (const std::string& e : events) names.push_back(e.c_str());
  ippAddStrings(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-events", static_cast<int>(names.size()),
                nullptr, names.data());
  ippAddInteger(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-lease-duration", leaseSeconds);
  IppPtr response = send(request, error);
  if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return std::nullopt;
  ipp_attribute_t* id = ippFindAttribute(response.get(), "notify-subscription-id", IPP_TAG_INTEGER);
  if (!id) {
    error = "the scheduler gave the subscription no id";
    return std::nullopt;
  }
  return ippGetInteger(id, 0);
}

bool JobConnection::renewSubscription(int id, int leaseSeconds, std::string& error) {
  ipp_t* request = newRequest(IPP_OP_RENEW_SUBSCRIPTION, 0);
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", id);
  ippAddInteger(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-lease-duration", leaseSeconds);
  IppPtr response = send(request, error);
  return response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

Notifications JobConnection::getNotifications(int id, int sequence) {
  ipp_t* request = newRequest(IPP_OP_GET_NOTIFICATIONS, 0);
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-ids", id);
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-sequence-numbers", sequence);
  ippAddBoolean(request, IPP_TAG_OPERATION, "notify-wait", 0);
  std::string error;
  IppPtr response = send(request, error);
  Notifications result;
  result.nextSequence = sequence;
  if (!response) return result;
  // A scheduler that restarted without the subscription answers that it knows no such one.
  if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
    result.status = Notifications::Status::subscriptionGone;
    return result;
  }
  result.status = Notifications::Status::none;
  for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr; attr = ippNextAttribute(response.get())) {
    if (ippGetGroupTag(attr) != IPP_TAG_EVENT_NOTIFICATION || !ippGetName(attr) ||
        std::strcmp(ippGetName(attr), "notify-sequence-number") != 0)
      continue;
    result.status = Notifications::Status::events;
    result.nextSequence = std::max(result.nextSequence, ippGetInteger(attr, 0) + 1);
  }
  return result;
}

void JobConnection::cancelSubscription(int id) {
  ipp_t* request = newRequest(IPP_OP_CANCEL_SUBSCRIPTION, 0);
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", id);
  std::string ignored;
  send(request, ignored);
}

}  // namespace platform::cups
