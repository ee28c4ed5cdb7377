// Splitting date-time values into the fields of the camera clock.

#include "eos/CameraTime.h"
#include "core/ECamException.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace vostrel {
namespace {

constexpr double Hour = 1.0 / 24;
constexpr double Millisecond = 1.0 / 86400000;

struct TimeCase {
  const char* what;
  double dateTime;
  std::int64_t correctionMinutes;
  CameraTimeType expected; // year, month, day, hour, minute, second, millisecond
};

const TimeCase TimeCases[] = {
    {"the epoch", 0.0, 0, {1899, 12, 30, 0, 0, 0, 0}},
    {"first day of 1900", 2.0, 0, {1900, 1, 1, 0, 0, 0, 0}},
    {"1900 has no 29 February", 61.0, 0, {1900, 3, 1, 0, 0, 0, 0}},
    {"noon on the first day of 2000", 36526.5, 0, {2000, 1, 1, 12, 0, 0, 0}},
    {"leap day", 45351 + 13.5 * Hour, 0, {2024, 2, 29, 13, 30, 0, 0}},
    {"day after the leap day", 45352.0, 0, {2024, 3, 1, 0, 0, 0, 0}},
    {"seconds and milliseconds",
     39277 + (((14 * 60 + 5) * 60 + 9) * 1000 + 250) * Millisecond,
     0,
     {2007, 7, 14, 14, 5, 9, 250}},
    {"milliseconds are rounded to the nearest",
     36526 + (12 * 3600 * 1000 + 0.6) * Millisecond,
     0,
     {2000, 1, 1, 12, 0, 0, 1}},
    {"rounding up at the end of a day moves to the next day",
     45352 - 0.4 * Millisecond,
     0,
     {2024, 3, 1, 0, 0, 0, 0}},
    {"a negative value counts days back and the time forward",
     -1.25,
     0,
     {1899, 12, 29, 6, 0, 0, 0}},
    {"one hour of correction", 45291 + 10 * Hour, 60, {2023, 12, 31, 11, 0, 0, 0}},
    {"correction across the end of the year", 45291 + 23.5 * Hour, 60, {2024, 1, 1, 0, 30, 0, 0}},
    {"negative correction across the start of a month",
     45352 + 0.25 * Hour,
     -60,
     {2024, 2, 29, 23, 15, 0, 0}},
    {"first day of the range", -693593.0, 0, {1, 1, 1, 0, 0, 0, 0}},
    {"last day of the range", 2958465.5, 0, {9999, 12, 31, 12, 0, 0, 0}},
};

TEST(CameraTimeFromDateTime, SplitsIntoCivilDateAndTime) {
  for (const TimeCase& c : TimeCases) {
    const CameraTimeType t = CameraTimeFromDateTime(c.dateTime, c.correctionMinutes);
    const CameraTimeType& e = c.expected;
    EXPECT_EQ(t.year, e.year) << c.what;
    EXPECT_EQ(t.month, e.month) << c.what;
    EXPECT_EQ(t.day, e.day) << c.what;
    EXPECT_EQ(t.hour, e.hour) << c.what;
    EXPECT_EQ(t.minute, e.minute) << c.what;
    EXPECT_EQ(t.second, e.second) << c.what;
    EXPECT_EQ(t.milliseconds, e.milliseconds) << c.what;
  }
}

TEST(CameraTimeFromDateTime, RefusesValuesOutsideTheCalendar) {
  const double refused[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            2958466.0,
                            -693594.0,
                            1e300};
  for (double value : refused) {
    try {
      CameraTimeFromDateTime(value);
      ADD_FAILURE() << "nothing raised for " << value;
    } catch (const ECamException& e) {
      EXPECT_EQ(e.message(), "Date/Time is out of range") << value;
    }
  }
}

} // namespace
} // namespace vostrel
