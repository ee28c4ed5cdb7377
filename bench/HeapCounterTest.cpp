// The counting operator new and delete of the benchmark programs: every
// form of allocation is counted while it lives, and only the growth during
// the measured action is reported.

#include "bench/HeapCounter.h"

#include <benchmark/benchmark.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace vostrel::bench {
namespace {

constexpr std::size_t MiB = 1024 * 1024;

struct alignas(64) Aligned {
  unsigned char Bytes[64];
};

TEST(HeapCounterTest, CountsEveryFormOfAllocationUntilItIsDeleted) {
  const std::size_t before = LiveHeapBytes();
  auto* single = new int(1);
  auto* array = new char[MiB];
  auto* aligned = new Aligned[MiB / sizeof(Aligned)];
  auto* quiet = new (std::nothrow) char[MiB];
  // Unused allocations may be left out by the compiler altogether.
  benchmark::DoNotOptimize(single);
  benchmark::DoNotOptimize(array);
  benchmark::DoNotOptimize(aligned);
  benchmark::DoNotOptimize(quiet);
  EXPECT_GE(LiveHeapBytes() - before, 3 * MiB + sizeof(int));
  delete single;
  delete[] array;
  delete[] aligned;
  delete[] quiet;
  EXPECT_EQ(LiveHeapBytes(), before);
}

TEST(HeapCounterTest, PeakGrowthIsTheHighestLevelAboveTheStart) {
  // Memory that lives before and after the action does not count.
  const auto kept = std::make_unique<std::vector<char>>(4 * MiB);
  const std::size_t peak = PeakHeapGrowth([] {
    std::vector<char> first(MiB);
    {
      std::vector<char> second(2 * MiB);
      benchmark::DoNotOptimize(second.data());
    }
    std::vector<char> third(MiB);
    benchmark::DoNotOptimize(first.data());
    benchmark::DoNotOptimize(third.data());
  });
  // first + second at once; third comes after second is gone.
  EXPECT_GE(peak, 3 * MiB);
  EXPECT_LT(peak, 3 * MiB + 64 * 1024);
}

} // namespace
} // namespace vostrel::bench
