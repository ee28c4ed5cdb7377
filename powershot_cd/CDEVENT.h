#pragma once
// The camera events of CDSDK.DLL as the camera event handler receives them:
// an event word with the severity in bits 16 to 19 and the event in the low
// 16 bits, and a pointer to the event's 32-bit data.

#include <cstdint>

namespace vostrel {

// Severities, bits 16 to 19 of the event word.
inline constexpr std::uint32_t cdEventSeverityShift = 16;
inline constexpr std::uint32_t cdEventSeverityMask = 0xF;
inline constexpr std::uint32_t cdEventSeverityInfo = 0x0;
inline constexpr std::uint32_t cdEventSeverityWarning = 0x2;
inline constexpr std::uint32_t cdEventSeverityShutdown = 0x4;

// Events, the low 16 bits of the event word.
inline constexpr std::uint32_t cdEventMask = 0xFFFF;
inline constexpr std::uint32_t cdEventBatteryLevelChanged = 1; // data: the level in bits 0 to 3
inline constexpr std::uint32_t cdEventDialChanged = 2;
inline constexpr std::uint32_t cdEventCFGateOpened = 3;
inline constexpr std::uint32_t cdEventBatteryCoverOpened = 4;
inline constexpr std::uint32_t cdEventShutdownTimerUpdate = 5; // the camera is about to sleep
inline constexpr std::uint32_t cdEventUnrecoverableError = 6;
inline constexpr std::uint32_t cdEventUnknownCommand = 7;
inline constexpr std::uint32_t cdEventReleaseParamChanged = 11;
inline constexpr std::uint32_t cdEventConnectionDisappeared = 13;

// The event word of an event of the given severity.
constexpr std::uint32_t cdEventWord(std::uint32_t severity, std::uint32_t event) {
  return (severity & cdEventSeverityMask) << cdEventSeverityShift | (event & cdEventMask);
}

} // namespace vostrel
