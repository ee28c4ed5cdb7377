#pragma once
// Conversion of a date-time value into the camera's clock record.

#include "core/CamDefines.h"
#include "eos/EDSDKTYPES.h"

#include <cstdint>

namespace vostrel {

// Splits a date-time (days since 1899-12-30, the time of day as the fraction)
// into the fields of the camera clock, after adding correctionMinutes. The
// time is rounded to the nearest millisecond. As usual for this kind of
// value, a negative value counts its whole days backwards from the epoch and
// its fraction forwards from midnight of that day (-1.25 is 1899-12-29 06:00).
// A value outside the years 1 to 9999 (or not a number) raises
// ECamException "Date/Time is out of range".
CameraTimeType CameraTimeFromDateTime(TDateTime dateTime, std::int64_t correctionMinutes = 0);

} // namespace vostrel
