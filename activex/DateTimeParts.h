#pragma once
// Date-time values built from the parts a host passes: year, month, day,
// hour, minutes, seconds and milliseconds.

#include "core/CamDefines.h"

#include <cstdint>

namespace vostrel {

// The date-time value (days since 1899-12-30, the time of day as the
// fraction) of a date of the years 1 to 9999 and a time of day. A date
// before 1899-12-30 counts its whole days backwards and its time forwards
// from that day's midnight (1899-12-29 06:00 is -1.25). Parts that do not
// form a real date and time (February 30, hour 24, month 0, ...) raise
// ECamException "Invalid date or time: <the parts>".
TDateTime EncodeDateTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                         std::int32_t minute, std::int32_t second, std::int32_t millisecond);

} // namespace vostrel
