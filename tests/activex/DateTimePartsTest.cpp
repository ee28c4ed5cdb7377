// Date-time values from the seven parts a host passes to SetTimeInCamera.

#include "activex/DateTimeParts.h"
#include "core/ECamException.h"
#include "eos/CameraTime.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

TEST(EncodeDateTimeTest, CountsDaysFromTheEndOf1899) {
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 1, 1, 0, 0, 0, 0), 2.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 12, 0, 0, 0), 36526.5);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2024, 2, 29, 18, 0, 0, 0), 45351.75);
  // Before the epoch the whole days count backwards, the time forwards.
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
}

TEST(EncodeDateTimeTest, TheCameraClockReadsBackEveryPart) {
  struct Parts {
    std::int32_t year, month, day, hour, minute, second, millisecond;
  };
  for (const Parts& p : {Parts{2024, 3, 10, 13, 45, 30, 250}, Parts{1, 1, 1, 0, 0, 0, 0},
                         Parts{9999, 12, 31, 23, 59, 59, 999}, Parts{1850, 6, 15, 8, 30, 0, 1}}) {
    const CameraTimeType time = CameraTimeFromDateTime(
        EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond));
    EXPECT_EQ(static_cast<std::int32_t>(time.year), p.year);
    EXPECT_EQ(static_cast<std::int32_t>(time.month), p.month);
    EXPECT_EQ(static_cast<std::int32_t>(time.day), p.day);
    EXPECT_EQ(static_cast<std::int32_t>(time.hour), p.hour);
    EXPECT_EQ(static_cast<std::int32_t>(time.minute), p.minute);
    EXPECT_EQ(static_cast<std::int32_t>(time.second), p.second);
    EXPECT_EQ(static_cast<std::int32_t>(time.milliseconds), p.millisecond) << p.year;
  }
}

TEST(EncodeDateTimeTest, ImpossiblePartsRaiseWithThePartsInTheMessage) {
  struct Parts {
    std::int32_t year, month, day, hour, minute, second, millisecond;
  };
  const Parts impossible[] = {
      {2023, 2, 29, 0, 0, 0, 0}, {2024, 4, 31, 0, 0, 0, 0},   {2024, 13, 1, 0, 0, 0, 0},
      {2024, 0, 1, 0, 0, 0, 0},  {2024, 1, 0, 0, 0, 0, 0},    {0, 1, 1, 0, 0, 0, 0},
      {10000, 1, 1, 0, 0, 0, 0}, {2024, 1, 1, 24, 0, 0, 0},   {2024, 1, 1, 0, 60, 0, 0},
      {2024, 1, 1, 0, 0, 60, 0}, {2024, 1, 1, 0, 0, 0, 1000}, {2024, 1, 1, -1, 0, 0, 0}};
  for (const Parts& p : impossible) {
    try {
      EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond);
      ADD_FAILURE() << "accepted " << p.year << "-" << p.month << "-" << p.day << " " << p.hour
                    << ":" << p.minute << ":" << p.second << "." << p.millisecond;
    } catch (const ECamException& error) {
      EXPECT_EQ(error.message().rfind("Invalid date or time: ", 0), 0U) << error.message();
    }
  }
  try {
    EncodeDateTime(2023, 2, 29, 7, 5, 3, 9);
    FAIL();
  } catch (const ECamException& error) {
    EXPECT_EQ(error.message(), "Invalid date or time: 2023-02-29 07:05:03.009");
  }
}

} // namespace
} // namespace vostrel
