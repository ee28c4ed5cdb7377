#pragma once
// The seven parts of a date and time, as SetTimeInCamera takes them.

#include <cstdint>
#include <optional>
#include <string>

namespace vostrel::tools {

struct ClockParts {
  std::int32_t Year = 0, Month = 0, Day = 0;
  std::int32_t Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The local time of this computer now.
ClockParts LocalClockNow();

// "YYYY-MM-DD HH:MM:SS" with an optional fraction of the second of up to
// three digits; nullopt for other text.
// The parts are not checked against the calendar: the control does that.
std::optional<ClockParts> ParseClockParts(const std::string& text);

} // namespace vostrel::tools
