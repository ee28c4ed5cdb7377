// The ratio table of the benchmark programs: which runs make a pair, how
// repeated runs and missing partners show, and the ratio counters.

#include "bench/RatioTable.h"

#include <gtest/gtest.h>

#include <string>

namespace vostrel::bench {
namespace {

TEST(RatioTableTest, PairsRunsByTheirNameWithoutTheRoleSegment) {
  RatioTable table;
  table.Add("Copy 16 MiB/baseline/real_time", 0.002);
  table.Add("Unpaired/real_time", 1.0);
  table.Add("Copy 16 MiB/subject/real_time", 0.005);
  // A role word inside a longer segment marks no role.
  table.Add("Copy/subjects/x", 1.0);

  EXPECT_EQ(table.Render(), "Ratios of real time per iteration (subject / baseline)\n"
                            "  Copy 16 MiB/real_time  5 ms / 2 ms = 2.5\n");
}

TEST(RatioTableTest, AveragesRepeatedRunsAndPicksTheTimeUnit) {
  RatioTable table;
  table.Add("Event/subject", 30e-9);
  table.Add("Event/baseline", 2e-9);
  table.Add("Event/subject", 50e-9);
  table.Add("Event/baseline", 6e-9);

  EXPECT_EQ(table.Render(), "Ratios of real time per iteration (subject / baseline)\n"
                            "  Event  40 ns / 4 ns = 10\n");
}

TEST(RatioTableTest, APairWithoutPartnerOrTimeShowsNoRatio) {
  RatioTable table;
  table.Add("Alone/subject", 1.5);
  table.Add("Left/baseline", 1.0);
  table.Add("Instant/baseline", 0.0);
  table.Add("Instant/subject", 1e-6);

  EXPECT_EQ(table.Render(), "Ratios of real time per iteration (subject / baseline)\n"
                            "  Alone    no baseline run\n"
                            "  Left     no subject run\n"
                            "  Instant  1 us / 0 ns = n/a\n");
}

TEST(RatioTableTest, ListsRatioCountersOfEveryBenchmark) {
  RatioTable table;
  table.Add("Copy/baseline", 1.0, {{"peak heap/picture", 1.0}});
  table.Add("Copy/subject", 1.0, {{"peak heap/picture", 0.25}, {"calls", 34812}});
  table.Add("Copy/subject", 1.0, {{"peak heap/picture", 0.75}, {"calls", 34812}});

  EXPECT_EQ(table.Render(), "Ratios of real time per iteration (subject / baseline)\n"
                            "  Copy                              1 s / 1 s = 1\n"
                            "Ratio counters\n"
                            "  Copy/baseline: peak heap/picture  1\n"
                            "  Copy/subject: calls               34812\n"
                            "  Copy/subject: peak heap/picture   0.5\n");
}

TEST(RatioTableTest, NothingToShowIsEmpty) {
  RatioTable table;
  table.Add("Plain", 1.0);
  EXPECT_EQ(table.Render(), "");
}

} // namespace
} // namespace vostrel::bench
