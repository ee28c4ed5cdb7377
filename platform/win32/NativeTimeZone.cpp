// The time zone on Windows, as GetTimeZoneInformation reports it.

#include "platform/Native.h"
#include "platform/TimeZone.h"

#include <windows.h>

namespace vostrel::platform::native {

TimeZoneInfo systemTimeZone() {
  TIME_ZONE_INFORMATION zone{};
  const DWORD which = GetTimeZoneInformation(&zone);
  if (which == TIME_ZONE_ID_INVALID) {
    return {};
  }
  TimeZoneInfo info;
  info.bias = zone.Bias;
  info.standardBias = zone.StandardBias;
  info.daylightBias = zone.DaylightBias;
  info.daylightInEffect = which == TIME_ZONE_ID_DAYLIGHT;
  return info;
}

} // namespace vostrel::platform::native
