// Jobs submitted to a throw-away CUPS server: the files of one Print go as one job of several documents,
// all of them or nothing.
#include "platform/printcore_cups.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/scratch.h"
#include "support/throwaway_cups.h"

namespace {

namespace fs = std::filesystem;

class PrintFiles : public testsupport::RecordingCupsTest {
 protected:
  void SetUp() override {
    RecordingCupsTest::SetUp();
    if (!IsSkipped() && !HasFatalFailure()) cupsSetServer(cups_.socket().c_str());
  }
  void TearDown() override { cupsSetServer(nullptr); }

  // The jobs the queue has had, done or not.
  int jobsOnTheQueue() {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Test", 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count, jobs);
    return count;
  }

  // The scheduler's count of the job's documents; -1 when it does not say.
  int documentsOf(int job) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/printers/Test");
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    const std::unique_ptr<ipp_t, decltype(&ippDelete)> response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"),
                                                                 &ippDelete);
    ipp_attribute_t* documents = ippFindAttribute(response.get(), "number-of-documents", IPP_TAG_INTEGER);
    return documents ? ippGetInteger(documents, 0) : -1;
  }

  testsupport::ScratchDir files_;
};

}  // namespace

TEST_F(PrintFiles, SendsAllFilesAsOneJobOrNothing) {
  testsupport::writeFile(files_.path() / "a.txt", "first\n");
  testsupport::writeFile(files_.path() / "b.txt", "second\n");
  const fs::path missing = files_.path() / "missing.txt";
  const struct {
    const char* name;
    std::vector<fs::path> files;
    int documents;  // 0: nothing may be sent
  } cases[] = {
      {"a missing second file", {files_.path() / "a.txt", missing}, 0},
      {"a missing first file", {missing, files_.path() / "a.txt"}, 0},
      {"a folder", {files_.path() / "a.txt", files_.path()}, 0},
      {"one file", {files_.path() / "a.txt"}, 1},
      {"two files", {files_.path() / "a.txt", files_.path() / "b.txt"}, 2},
  };
  platform::PrintSettings settings;
  settings.setValue("ondrix.print.PrintSettings.filing", "0");
  int jobs = 0;
  for (const auto& c : cases) {
    const auto result = platform::cups::printFiles("Test", c.files, "Report", settings);
    if (c.documents == 0) {
      EXPECT_EQ(result.jobId, 0) << c.name;
      const fs::path& bad = c.files[0] == missing || c.files[1] == missing ? missing : c.files[1];
      EXPECT_NE(result.error.find(bad.string()), std::string::npos) << c.name << ": " << result.error;
    } else {
      ASSERT_NE(result.jobId, 0) << c.name << ": " << result.error;
      ++jobs;
      EXPECT_EQ(documentsOf(result.jobId), c.documents) << c.name;
    }
    EXPECT_EQ(jobsOnTheQueue(), jobs) << c.name;
  }
  EXPECT_EQ(cups_.takeRecordedOptions()["ondrix.print.PrintSettings.filing"], "0");
}
