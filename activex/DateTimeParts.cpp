#include "activex/DateTimeParts.h"

#include "core/ECamException.h"

#include <chrono>
#include <iomanip>
#include <sstream>

namespace vostrel {

namespace {

constexpr std::chrono::sys_days DateTimeEpoch{std::chrono::year{1899} / 12 / 30};
constexpr double MillisecondsPerDay = 24.0 * 60 * 60 * 1000;

bool Within(std::int32_t value, std::int32_t first, std::int32_t last) {
  return value >= first && value <= last;
}

[[noreturn]] void RaiseInvalid(std::int32_t year, std::int32_t month, std::int32_t day,
                               std::int32_t hour, std::int32_t minute, std::int32_t second,
                               std::int32_t millisecond) {
  std::ostringstream text;
  text << "Invalid date or time: " << std::setfill('0') << std::setw(4) << year << '-'
       << std::setw(2) << month << '-' << std::setw(2) << day << ' ' << std::setw(2) << hour << ':'
       << std::setw(2) << minute << ':' << std::setw(2) << second << '.' << std::setw(3)
       << millisecond;
  throw ECamException(text.str());
}

} // namespace

TDateTime EncodeDateTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                         std::int32_t minute, std::int32_t second, std::int32_t millisecond) {
  const bool partsInRange = Within(year, 1, 9999) && Within(month, 1, 12) && Within(day, 1, 31) &&
                            Within(hour, 0, 23) && Within(minute, 0, 59) && Within(second, 0, 59) &&
                            Within(millisecond, 0, 999);
  if (!partsInRange) {
    RaiseInvalid(year, month, day, hour, minute, second, millisecond);
  }
  const std::chrono::year_month_day date{std::chrono::year{year},
                                         std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) { // February 30, April 31, February 29 of a common year
    RaiseInvalid(year, month, day, hour, minute, second, millisecond);
  }
  const double days = static_cast<double>((std::chrono::sys_days{date} - DateTimeEpoch).count());
  const double timeOfDay =
      (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / MillisecondsPerDay;
  return days < 0 ? days - timeOfDay : days + timeOfDay;
}

} // namespace vostrel
