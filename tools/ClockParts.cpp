#include "tools/ClockParts.h"

#include "platform/TimeZone.h"

#include <chrono>
#include <cstdio>

namespace vostrel::tools {

ClockParts LocalClockNow() {
  using namespace std::chrono;
  // The biases say how far UTC is ahead of the local time.
  const platform::TimeZoneInfo zone = platform::currentTimeZone();
  const minutes bias{zone.bias + (zone.daylightInEffect ? zone.daylightBias : zone.standardBias)};
  const auto local = time_point_cast<milliseconds>(system_clock::now()) - bias;
  const auto day = floor<days>(local);
  const year_month_day date{day};
  const hh_mm_ss<milliseconds> time{local - day};
  ClockParts parts;
  parts.Year = static_cast<int>(date.year());
  parts.Month = static_cast<std::int32_t>(static_cast<unsigned>(date.month()));
  parts.Day = static_cast<std::int32_t>(static_cast<unsigned>(date.day()));
  parts.Hour = static_cast<std::int32_t>(time.hours().count());
  parts.Minute = static_cast<std::int32_t>(time.minutes().count());
  parts.Second = static_cast<std::int32_t>(time.seconds().count());
  parts.Millisecond = static_cast<std::int32_t>(time.subseconds().count());
  return parts;
}

std::optional<ClockParts> ParseClockParts(const std::string& text) {
  ClockParts parts;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%n", &parts.Year, &parts.Month, &parts.Day,
                  &parts.Hour, &parts.Minute, &parts.Second, &consumed) != 6) {
    return std::nullopt;
  }
  const std::string fraction = text.substr(static_cast<std::size_t>(consumed));
  if (fraction.empty()) {
    return parts;
  }
  // A decimal fraction of the second: ".5" is 500 milliseconds.
  const std::string digits = fraction.substr(1);
  if (fraction[0] != '.' || digits.empty() || digits.size() > 3 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  parts.Millisecond = std::stoi((digits + "00").substr(0, 3));
  return parts;
}

} // namespace vostrel::tools
