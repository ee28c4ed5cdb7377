// The short soak: a few hundred cycles of the rig's long run, on a fake
// clock, with a fixed seed.

#include "rig/Soak.h"
#include "RigFixture.h"

namespace vostrel::test {
namespace {

class Soak : public ::testing::Test {
protected:
  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  TempFolder folder;
};

TEST_F(Soak, HundredsOfCyclesUnderRandomFailuresLoseNothingAndLeakNothing) {
  SoakOptions options;
  options.Cycles = 300;
  options.Seed = 17;
  // Failures and reconnects more often than in the long run, so that a
  // short run meets each kind several times.
  options.FailureRate = 0.04;
  options.ReconnectRate = 0.03;
  options.SampleEvery = 10;
  const SoakReport report = RunSoak(options, folder.path().string());
  EXPECT_EQ(SoakProblems(report, 0), std::vector<std::string>{}) << Describe(report);
  EXPECT_EQ(report.Cycles, options.Cycles);
  EXPECT_GT(report.FailuresInjected, 20) << Describe(report);
  // A failed call of the controller may have met more than one injected
  // failure (a transfer's clean-up fails too), never none.
  EXPECT_GT(report.FailuresSeen, report.FailuresInjected * 8 / 10) << Describe(report);
  EXPECT_LE(report.FailuresSeen, report.FailuresInjected) << Describe(report);
  // Some failed fetches lose their picture (the transfer had begun),
  // others leave it queued and it arrives on the next attempt.
  EXPECT_GT(report.PicturesLostWithMessage, 0) << Describe(report);
  EXPECT_LT(report.PicturesLostWithMessage, report.FailuresSeen) << Describe(report);
  EXPECT_GT(report.Reconnects, 2) << Describe(report);
  EXPECT_GT(report.PicturesVerified, options.Cycles * 8 / 10) << Describe(report);
}

TEST_F(Soak, TheSameSeedGivesTheSameRun) {
  const SoakOptions options{.Cycles = 80, .Seed = 5, .FailureRate = 0.1, .ReconnectRate = 0.05};
  const SoakReport first = RunSoak(options, folder.path().string());
  const SoakReport again = RunSoak(options, folder.path().string());
  EXPECT_EQ(Describe(first), Describe(again));
  EXPECT_GT(first.FailuresInjected, 0);
  SoakOptions other = options;
  other.Seed = 6;
  EXPECT_NE(Describe(RunSoak(other, folder.path().string())), Describe(first));
}

TEST_F(Soak, AKeepGoingThatSaysNoEndsTheRun) {
  int asked = 0;
  const SoakReport report =
      RunSoak({.Cycles = 1000, .KeepGoing = [&] { return ++asked <= 12; }, .FailureRate = 0},
              folder.path().string());
  EXPECT_EQ(report.Cycles, 12);
  EXPECT_EQ(report.PicturesVerified + report.PicturesLostWithMessage, 12);
}

} // namespace
} // namespace vostrel::test
