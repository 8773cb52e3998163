// The scheduler's job operations, as one user: that user's unfinished jobs with their attributes, adding
// attributes to a job, releasing and cancelling it, and a pull subscription (ippget) that tells of new jobs.
// Every request names the user as requesting-user-name; the scheduler's policy decides what it may do.
#pragma once

#include <cups/cups.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cups_connection.h"

namespace platform::cups {

// One job as the scheduler describes it.
struct Job {
  int id = 0;
  std::string queue;      // the queue's name, from job-printer-uri
  std::string name;       // job-name
  std::string user;       // job-originating-user-name
  int state = 0;          // job-state (IPP_JSTATE_HELD is 4)
  std::string holdUntil;  // job-hold-until; empty when the job has none
  // The job's attributes whose names start with the prefix asked for (the print-settings keys).
  std::map<std::string, std::string> settings;
};

// What one Get-Notifications found.
struct Notifications {
  enum class Status { events, none, subscriptionGone, unreachable };
  Status status = Status::unreachable;
  int nextSequence = 0;  // the sequence number to ask from next time
};

class JobConnection {
 public:
  // user: who every request is made as. settingsPrefix: the attribute names a job's settings are read by.
  // The server is CUPS_SERVER or the local one, as cupsServer() says when the connection is made.
  JobConnection(std::string user, std::string settingsPrefix);
  ~JobConnection();
  JobConnection(const JobConnection&) = delete;
  JobConnection& operator=(const JobConnection&) = delete;

  const std::string& user() const { return user_; }
  // The scheduler's address (a socket path or host name), for naming what belongs to it.
  const std::string& server() const { return server_; }

  // The user's jobs the scheduler has not finished (pending, held, processing, stopped); none with the
  // reason when the scheduler does not answer.
  std::optional<std::vector<Job>> userJobs(std::string& error);
  // One job with every attribute the user may see; none with the reason.
  std::optional<Job> job(int id, std::string& error);

  // Adds or replaces the values on the job (encoded as job options of a submission are) and deletes the
  // attributes named in removed. False with the scheduler's reason.
  bool setJobAttributes(int id, const std::map<std::string, std::string>& values,
                        const std::vector<std::string>& removed, std::string& error);
  bool releaseJob(int id, std::string& error);
  bool cancelJob(int id, std::string& error);

  // A subscription to the server's job events (all queues), pulled with getNotifications; its id, or none
  // with the reason.
  std::optional<int> createSubscription(const std::vector<std::string>& events, int leaseSeconds, std::string& error);
  bool renewSubscription(int id, int leaseSeconds, std::string& error);
  // The events from sequence on, without waiting for more.
  Notifications getNotifications(int id, int sequence);
  void cancelSubscription(int id);

 private:
  // Sends the request (consumed) and returns the answer, which may carry an error status; none, with the
  // connection dropped so that the next request connects again, when the scheduler did not answer.
  IppPtr send(ipp_t* request, std::string& error);
  ipp_t* newRequest(ipp_op_t op, int jobId) const;
  bool simple(ipp_op_t op, int jobId, std::string& error);

  std::string user_;
  std::string prefix_;
  std::string server_;
  HttpPtr http_;
};

}  // namespace platform::cups
