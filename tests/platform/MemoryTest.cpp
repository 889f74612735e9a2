// The memory limits of the process's control groups, read from a tree of cgroup files laid out
// as the kernel shows them.

#include "platform/Memory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TestSupport.h"

namespace {

class ControlGroupTest : public ::testing::Test {
 protected:
  void Put(const std::string& relative, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(dir.File(relative)).parent_path());
    WriteFileBytes(dir.File(relative), text);
  }
  std::int64_t Headroom() const { return ControlGroupHeadroomBytes(dir.Path()); }

  TempDir dir;
};

TEST_F(ControlGroupTest, UnifiedHierarchyTakesTheLeastOverTheGroupAndItsParents) {
  Put("proc/self/cgroup", "0::/user.slice/viewer.scope\n");
  Put("proc/self/mountinfo",
      "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
      "30 23 0:26 / /sys/fs/cgroup rw,nosuid,nodev - cgroup2 cgroup2 rw,nsdelegate\n");
  const std::string parent = "sys/fs/cgroup/user.slice/";
  Put(parent + "memory.max", "1000000000\n");
  Put(parent + "memory.current", "600000000\n");
  // The inactive file cache is taken back before memory is refused.
  Put(parent + "memory.stat", "anon 400000000\nfile 200000000\ninactive_file 100000000\n");
  Put(parent + "viewer.scope/memory.max", "max\n");
  Put(parent + "viewer.scope/memory.current", "300000000\n");
  EXPECT_EQ(Headroom(), 500'000'000);

  Put(parent + "viewer.scope/memory.max", "700000000\n");
  EXPECT_EQ(Headroom(), 400'000'000);
}

TEST_F(ControlGroupTest, MemoryControllerOfTheFirstHierarchiesCountsItsLimitsToo) {
  // A unified hierarchy without the memory controller beside the v1 memory controller.
  Put("proc/self/cgroup", "5:devices:/\n4:memory:/jobs/run7\n0::/\n");
  Put("proc/self/mountinfo",
      "32 23 0:29 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755\n"
      "36 32 0:33 / /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,memory\n"
      "37 32 0:34 / /sys/fs/cgroup/devices rw,relatime - cgroup cgroup rw,devices\n"
      "42 32 0:39 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw\n");
  Put("sys/fs/cgroup/unified/cgroup.procs", "1\n");
  const std::string jobs = "sys/fs/cgroup/memory/jobs/";
  Put(jobs + "memory.limit_in_bytes", "2000000000\n");
  Put(jobs + "memory.usage_in_bytes", "1500000000\n");
  Put(jobs + "memory.stat", "cache 600000000\ntotal_inactive_file 500000000\n");
  Put(jobs + "run7/memory.limit_in_bytes", "9223372036854771712\n");  // no limit of its own
  Put(jobs + "run7/memory.usage_in_bytes", "100000000\n");
  EXPECT_EQ(Headroom(), 1'000'000'000);

  // Without any limit, nothing is known.
  Put(jobs + "memory.limit_in_bytes", "9223372036854771712\n");
  EXPECT_EQ(Headroom(), -1);
}

}  // namespace
