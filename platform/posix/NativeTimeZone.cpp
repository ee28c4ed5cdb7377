// The time zone on POSIX systems, read through localtime_r. The C library
// knows the offset from UTC at a given moment and whether daylight saving
// time applies then; the standard and daylight offsets are taken from the
// middle of January and of July of the current year, one of which is in
// standard time in either hemisphere.

#include "platform/Native.h"
#include "platform/TimeZone.h"

#include <ctime>

namespace vostrel::platform::native {

namespace {

struct LocalOffset {
  long secondsEastOfUtc = 0;
  bool daylight = false;
};

std::optional<LocalOffset> localOffsetAt(std::time_t moment) {
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr) {
    return std::nullopt;
  }
  return LocalOffset{local.tm_gmtoff, local.tm_isdst > 0};
}

// A moment in the middle of the given month of the year of "now", local time.
std::time_t midMonth(std::time_t now, int month) {
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_mon = month;
  local.tm_mday = 15;
  local.tm_hour = 12;
  local.tm_min = 0;
  local.tm_sec = 0;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

std::int32_t minutesWestOfUtc(long secondsEast) {
  return static_cast<std::int32_t>(-secondsEast / 60);
}

} // namespace

TimeZoneInfo systemTimeZone() {
  tzset();
  const std::time_t now = std::time(nullptr);
  const auto current = localOffsetAt(now);
  if (!current) {
    return {};
  }
  std::optional<LocalOffset> standard;
  std::optional<LocalOffset> daylight;
  for (int month : {0, 6}) {
    const auto offset = localOffsetAt(midMonth(now, month));
    if (offset && offset->daylight) {
      daylight = offset;
    } else if (offset) {
      standard = offset;
    }
  }
  if (current->daylight) {
    daylight = current;
  } else {
    standard = current;
  }

  TimeZoneInfo info;
  info.bias =
      minutesWestOfUtc(standard ? standard->secondsEastOfUtc : current->secondsEastOfUtc - 3600);
  info.daylightBias = daylight ? minutesWestOfUtc(daylight->secondsEastOfUtc) - info.bias : 0;
  info.daylightInEffect = current->daylight;
  return info;
}

} // namespace vostrel::platform::native
