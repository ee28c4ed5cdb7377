#pragma once
// Common ground of the tests that drive the PR backend through a controller
// and the simulated PRSDK.DLL next to the test program.

#include "support/SimulatedFamily.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::test {

// One camera of a scenario; the fields left alone keep these values.
struct PRCameraSpec {
  std::string model = "PowerShot Test";
  std::string owner = "Test Owner";
  std::uint32_t bodyId = 4711;
  std::uint32_t batteryStatus = 1;
  std::uint32_t batteryKind = 2;
  std::string clock = "2024-05-01T09:30:00";
  // The operations of the device information; the simulator's default list
  // when not given.
  std::optional<std::vector<std::uint16_t>> operations;
  // Changes to the simulator's default properties, by name or code.
  nlohmann::json properties = nlohmann::json::object();
  // Size and rate of the viewfinder frames; the simulator's default when null.
  nlohmann::json viewfinder = nullptr;
};

struct PRFamily {
  using Spec = PRCameraSpec;
  static constexpr const char* Library = "PRSDK.DLL";
  static constexpr const char* Section = "pr";
  static constexpr TxCamModType Model = CamModPowerShot;

  static nlohmann::json Camera(const Spec& camera) {
    nlohmann::json entry = {
        {"model", camera.model},   {"owner", camera.owner},
        {"bodyId", camera.bodyId}, {"battery", camera.batteryStatus},
        {"clock", camera.clock},   {"properties", {{"BatteryKind", camera.batteryKind}}}};
    if (!camera.properties.is_null()) {
      entry["properties"].update(camera.properties);
    }
    if (camera.operations) {
      entry["operations"] = *camera.operations;
    }
    if (!camera.viewfinder.is_null()) {
      entry["viewfinder"] = camera.viewfinder;
    }
    return entry;
  }
};

using SimulatedPR = SimulatedFamily<PRFamily>;

} // namespace vostrel::test
