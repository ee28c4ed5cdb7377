// The time-zone information that the camera clock corrections use.

#include "platform/TimeZone.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <thread>

namespace vostrel::platform {
namespace {

bool operator==(const TimeZoneInfo& a, const TimeZoneInfo& b) {
  return a.bias == b.bias && a.standardBias == b.standardBias && a.daylightBias == b.daylightBias &&
         a.daylightInEffect == b.daylightInEffect;
}

TEST(ScopedTimeZone, OverridesAndRestoresInNestedOrder) {
  const TimeZoneInfo system = currentTimeZone();
  const TimeZoneInfo berlinSummer{-60, 0, -60, true};
  const TimeZoneInfo newYorkWinter{300, 0, -60, false};
  {
    ScopedTimeZone summer(berlinSummer);
    EXPECT_TRUE(currentTimeZone() == berlinSummer);
    {
      ScopedTimeZone winter(newYorkWinter);
      EXPECT_TRUE(currentTimeZone() == newYorkWinter);
    }
    EXPECT_TRUE(currentTimeZone() == berlinSummer);
  }
  EXPECT_TRUE(currentTimeZone() == system);
}

TEST(ScopedTimeZone, OverrideIsSafeAgainstReadersOnOtherThreads) {
  const TimeZoneInfo fixed{-120, 0, -60, true};
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      static_cast<void>(currentTimeZone());
    }
  });
  for (int i = 0; i < 100; ++i) {
    ScopedTimeZone zone(fixed);
    EXPECT_TRUE(currentTimeZone() == fixed);
  }
  done = true;
  reader.join();
}

#ifndef _WIN32
// The system's zone, steered through TZ. Biases are minutes west of UTC.
class SystemTimeZone : public ::testing::Test {
protected:
  ~SystemTimeZone() override { setEnvironmentVariable("TZ", previous); }
  TimeZoneInfo zone(const std::string& rule) {
    setEnvironmentVariable("TZ", rule);
    return currentTimeZone();
  }
  std::optional<std::string> previous = environmentVariable("TZ");
};

TEST_F(SystemTimeZone, StandardBiasIsReportedWhateverTheSeason) {
  struct Case {
    const char* rule;
    std::int32_t bias;
    std::int32_t daylightBias;
  };
  // No daylight saving, northern and southern hemisphere, a half-hour shift.
  for (const Case& expected : {Case{"UTC0", 0, 0}, Case{"<+0530>-5:30", -330, 0},
                               Case{"CET-1CEST,M3.5.0,M10.5.0/3", -60, -60},
                               Case{"AEST-10AEDT,M10.1.0,M4.1.0/3", -600, -60},
                               Case{"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", -630, -30}}) {
    SCOPED_TRACE(expected.rule);
    const TimeZoneInfo info = zone(expected.rule);
    EXPECT_EQ(info.bias, expected.bias);
    EXPECT_EQ(info.standardBias, 0);
    EXPECT_EQ(info.daylightBias, expected.daylightBias);
  }
  EXPECT_FALSE(zone("UTC0").daylightInEffect);
  // Daylight time from 1 January to 31 December is in effect now.
  const TimeZoneInfo always = zone("XST5XDT,J1/0,J365/25");
  EXPECT_TRUE(always.daylightInEffect);
  EXPECT_EQ(always.bias, 300);
  EXPECT_EQ(always.daylightBias, -60);
}
#endif

} // namespace
} // namespace vostrel::platform
