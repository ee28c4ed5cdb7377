// The short soak: a few hundred cycles of the rig's long run, on a fake
// clock, with a fixed seed.

#include "rig/Soak.h"
#include "RigFixture.h"

namespace vostrel::test {
namespace {

TEST(Soak, HundredsOfCyclesUnderRandomFailuresLoseNothingAndLeakNothing) {
  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  TempFolder folder;
  SoakOptions options;
  options.Cycles = 200;
  options.Seed = 17;
  // Failures and reconnects more often than in the long run, so that a
  // short run meets each kind several times.
  options.FailureRate = 0.08;
  options.ReconnectRate = 0.03;
  const SoakReport report = RunSoak(options, folder.path().string());
  EXPECT_TRUE(report.Faults.empty()) << Describe(report);
  EXPECT_EQ(report.Cycles, options.Cycles);
  EXPECT_GT(report.FailuresInjected, 10) << Describe(report);
  EXPECT_GT(report.FailuresSeen, 0) << Describe(report);
  EXPECT_GT(report.Reconnects, 2) << Describe(report);
  EXPECT_GT(report.PicturesVerified, options.Cycles * 8 / 10) << Describe(report);
  EXPECT_EQ(report.ReferenceGrowth, 0) << Describe(report);
  // The same seed gives the same run.
  const SoakReport again = RunSoak({.Cycles = 40, .Seed = 17}, folder.path().string());
  const SoakReport same = RunSoak({.Cycles = 40, .Seed = 17}, folder.path().string());
  EXPECT_EQ(Describe(again), Describe(same));
}

} // namespace
} // namespace vostrel::test
