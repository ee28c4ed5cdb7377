#include "platform/TimeZone.h"

#include "platform/Native.h"

#include <mutex>

namespace vostrel::platform {

namespace {

// The time zone a test installed; empty when the system's is in use. Read and
// written under one lock, since the camera clock may be set from any thread.
std::mutex overrideLock;
std::optional<TimeZoneInfo> installedZone;

std::optional<TimeZoneInfo> exchangeInstalledZone(const std::optional<TimeZoneInfo>& zone) {
  std::lock_guard<std::mutex> lock(overrideLock);
  std::optional<TimeZoneInfo> previous = installedZone;
  installedZone = zone;
  return previous;
}

} // namespace

TimeZoneInfo currentTimeZone() {
  {
    std::lock_guard<std::mutex> lock(overrideLock);
    if (installedZone) {
      return *installedZone;
    }
  }
  return native::systemTimeZone();
}

ScopedTimeZone::ScopedTimeZone(const TimeZoneInfo& info) : previous_(exchangeInstalledZone(info)) {}

ScopedTimeZone::~ScopedTimeZone() {
  exchangeInstalledZone(previous_);
}

} // namespace vostrel::platform
