#include "core/progress.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/kernel_runtime.h"

namespace parvela {
namespace {

struct CountingMonitor : WorkMonitor {
  std::vector<Progress> seen;
  int stopAfter = -1;
  void progress(const Progress& p) override { seen.push_back(p); }
  bool cancelRequested() override { return stopAfter >= 0 && static_cast<int>(seen.size()) >= stopAfter; }
};

TEST(ProgressTest, CheckpointsReachOnlyTheInstallingThreadAndStopOnRequest) {
  checkpoint(Stage::Elimination, 1, 3);  // no monitor: nothing happens
  CountingMonitor outer;
  {
    MonitorScope scope(&outer);
    checkpoint(Stage::Elimination, 1, 3);
    {
      CountingMonitor inner;
      MonitorScope nested(&inner);
      checkpoint(Stage::Iteration, 2, 10, 0.5, 1);
      ASSERT_EQ(inner.seen.size(), 1u);
      EXPECT_EQ(inner.seen[0].part, 1);
      EXPECT_DOUBLE_EQ(inner.seen[0].measure, 0.5);
    }
    EXPECT_EQ(currentMonitor(), &outer);
    std::thread other([] { checkpoint(Stage::Elimination, 2, 3); });
    other.join();
    outer.stopAfter = 2;
    EXPECT_THROW(checkpoint(Stage::Elimination, 2, 3), WorkCancelled);
    EXPECT_THROW(pollCancel(), WorkCancelled);
  }
  EXPECT_EQ(outer.seen.size(), 2u);
  EXPECT_EQ(currentMonitor(), nullptr);
}

TEST(KernelRuntimeTest, PiecesCoverTheRangeOnGrainBoundariesForOneAndTwoThreads) {
  for (int threads : {1, 2}) {
    kernels::setThreadCount(threads);
    for (std::size_t len : {0u, 1u, 7u, 16u, 17u, 1000u}) {
      std::vector<int> hits(len + 5, 0);
      kernels::parallelRanges(5, 5 + len, 8, 2, [&](std::size_t lo, std::size_t hi) {
        EXPECT_EQ((lo - 5) % 8, 0u);
        for (std::size_t i = lo; i < hi; ++i) ++hits[i];
      });
      for (std::size_t i = 5; i < 5 + len; ++i) EXPECT_EQ(hits[i], 1) << threads << " " << len;
    }
  }
  kernels::setThreadCount(2);
  EXPECT_LE(kernels::activeIsa(), kernels::detectedIsa());
}

}  // namespace
}  // namespace parvela
