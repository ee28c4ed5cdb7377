#include "eos/CameraTime.h"

#include "core/ECamException.h"

#include <cmath>

namespace vostrel {
namespace {

constexpr std::int64_t MillisecondsPerDay = 24LL * 60 * 60 * 1000;

// 1899-12-30, the day the date-time values count from, as days since
// 1970-01-01.
constexpr std::int64_t EpochDaysSince1970 = -25569;

// The date-time values the clock can take: 0001-01-01 up to 9999-12-31.
constexpr double FirstDay = -693593.0;
constexpr double DayAfterLast = 2958466.0;

struct CivilDate {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

// The proleptic Gregorian date of a day counted from 1970-01-01.
constexpr CivilDate civilFromDays(std::int64_t days) {
  days += 719468; // shift the origin to 0000-03-01
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153; // March = 0
  const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
  return {year, month, day};
}

static_assert(civilFromDays(0).year == 1970 && civilFromDays(0).month == 1);
static_assert(civilFromDays(EpochDaysSince1970).year == 1899 &&
              civilFromDays(EpochDaysSince1970).month == 12 &&
              civilFromDays(EpochDaysSince1970).day == 30);

// Milliseconds since the epoch's midnight on a continuous time line.
std::int64_t millisecondsSinceEpoch(TDateTime dateTime) {
  const double wholeDays = std::trunc(dateTime);
  const double timeOfDay = std::fabs(dateTime - wholeDays);
  return static_cast<std::int64_t>(wholeDays) * MillisecondsPerDay +
         std::llround(timeOfDay * static_cast<double>(MillisecondsPerDay));
}

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
  const std::int64_t quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

CameraTimeType CameraTimeFromDateTime(TDateTime dateTime, std::int64_t correctionMinutes) {
  if (!(dateTime >= FirstDay && dateTime < DayAfterLast)) {
    throw ECamException("Date/Time is out of range");
  }
  const std::int64_t total = millisecondsSinceEpoch(dateTime) + correctionMinutes * 60 * 1000;
  const std::int64_t days = floorDivide(total, MillisecondsPerDay);
  std::int64_t rest = total - days * MillisecondsPerDay;

  const CivilDate date = civilFromDays(days + EpochDaysSince1970);
  CameraTimeType time{};
  time.year = static_cast<EdsUInt32>(date.year);
  time.month = date.month;
  time.day = date.day;
  time.milliseconds = static_cast<EdsUInt32>(rest % 1000);
  rest /= 1000;
  time.second = static_cast<EdsUInt32>(rest % 60);
  rest /= 60;
  time.minute = static_cast<EdsUInt32>(rest % 60);
  time.hour = static_cast<EdsUInt32>(rest / 60);
  return time;
}

} // namespace vostrel
