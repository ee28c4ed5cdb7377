#pragma once
// Common ground of the controller tests: a controller whose process-wide
// lists exist, a fake clock so that no wait sleeps for real, and helpers to
// expect a refusal by its message.

#include "core/DeviceLists.h"
#include "core/ECamException.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"

#include "core/VostrelTestAccess.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vostrel::test {

inline CDDeviceRecord CDRecord() {
  return CDDeviceRecord{};
}
inline PRDeviceRecord PRRecord() {
  return PRDeviceRecord{};
}

class ControllerTest : public ::testing::Test {
protected:
  // The camera lists as the two PowerShot enumerations would leave them.
  void SetPowerShotCameras(std::size_t cdCount, std::size_t prCount) {
    CDDeviceList().assign(cdCount, CDRecord());
    PRDeviceList().assign(prCount, PRRecord());
  }
  void SetConnection(std::uint8_t model, std::int32_t cameraNumber) {
    TVostrelTestAccess::SetConnection(controller, model, cameraNumber);
  }
  void SetRemoteMode(bool on) { TVostrelTestAccess::SetRemoteMode(controller, on); }
  void SetViewfinder(bool on) { TVostrelTestAccess::SetViewfinder(controller, on); }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  TVostrel controller;
};

} // namespace vostrel::test
