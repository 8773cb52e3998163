#include "platform/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scratch.h"

namespace {

// A device that refuses every write: the error ends the write at once, reported, never retried. In a child,
// so that a writer that retries shows as a failure instead of hanging the suite.
TEST(AtomicFile, AWriteErrorEndsTheWrite) {
  const int status = testsupport::runInChild(
      [] {
        const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        if (fd < 0) return 2;
        const std::vector<std::uint8_t> bytes(100000, 'x');
        return platform::writeAll(fd, bytes) ? 1 : 0;
      },
      std::chrono::seconds(10));
  EXPECT_EQ(status, 0) << "1: reported as written, -1: hung";
}

// The mode asked for, whatever the umask; a target that cannot be replaced stays, without a temporary.
TEST(AtomicFile, ReplacesWholeWithTheModeAskedOrLeavesTheTarget) {
  testsupport::ScratchDir dir;
  const std::vector<std::uint8_t> bytes{'n', 'e', 'w'};
  const mode_t old = ::umask(0777);
  EXPECT_TRUE(platform::writeFileAtomically(dir.path() / "f", bytes, {".f.", 0600, true}));
  ::umask(old);
  EXPECT_EQ(testsupport::readFile(dir.path() / "f"), "new");
  EXPECT_EQ(std::filesystem::status(dir.path() / "f").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  std::filesystem::create_directories(dir.path() / "d" / "inside");
  EXPECT_FALSE(platform::writeFileAtomically(dir.path() / "d", bytes, {".d.", 0600, false}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
