#pragma once
// Time-zone information as the camera clock needs it: biases in minutes, in
// the sense "UTC = local time + bias", and whether daylight saving time is in
// effect now. Tests replace the source with ScopedTimeZone.

#include <cstdint>
#include <optional>

namespace vostrel::platform {

struct TimeZoneInfo {
  std::int32_t bias = 0;         // minutes, standard time
  std::int32_t standardBias = 0; // minutes added to bias in standard time
  std::int32_t daylightBias = 0; // minutes added to bias in daylight time (-60 typical)
  bool daylightInEffect = false;
};

TimeZoneInfo currentTimeZone();

class ScopedTimeZone {
public:
  explicit ScopedTimeZone(const TimeZoneInfo& info);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
  std::optional<TimeZoneInfo> previous_;
};

} // namespace vostrel::platform
