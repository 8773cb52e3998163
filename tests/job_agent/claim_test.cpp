// Claims on a job: one holder at a time, across processes; a claim file left by an agent that died does not
// block the job; a finished claim leaves no file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "claim.h"
#include "support/child_process.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using jobagent::Claim;

TEST(Claim, OneHolderAtATimeAndNoneAfterTheHolderIsGone) {
  const testsupport::ScratchDir scratch("ondrix-claims");
  const fs::path file = scratch.path() / "job-server-7.claim";

  // A claim file with no live holder, as an agent killed by SIGKILL leaves it.
  testsupport::writeFile(file, "99999\n");
  {
    std::optional<Claim> mine = Claim::take(file);
    ASSERT_TRUE(mine);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Neither this process again (a second window for the job) nor another agent gets it now.
    EXPECT_FALSE(Claim::take(file));
    EXPECT_EQ(testsupport::runInChild([&] { return Claim::take(file) ? 1 : 0; }), 0);
  }
  EXPECT_FALSE(fs::exists(file));
  // Another agent takes it once the first one is done.
  EXPECT_EQ(testsupport::runInChild([&] { return Claim::take(file) ? 1 : 0; }), 1);
}

}  // namespace
