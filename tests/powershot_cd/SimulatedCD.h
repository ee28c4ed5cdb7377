#pragma once
// Common ground of the tests that drive the CD backend through a controller
// and the simulated CDSDK.DLL next to the test program.

#include "support/SimulatedFamily.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::test {

// One camera of a scenario; the fields left alone keep these values.
struct CDCameraSpec {
  std::string model = "PowerShot Test";
  std::string owner = "Test Owner";
  // Source in bits 28 to 31, level in bits 0 to 3: lithium, normal.
  std::uint32_t battery = 0x20000006;
  std::string clock = "2024-05-01T09:30:00";
  // Kilobytes of the card; 0: no usable card.
  std::uint32_t cardKilobytes = 1024 * 1024;
  std::vector<std::string> files = {"DCIM/100_PSHT/IMG_0001.JPG"};
  // The capability word of the release control; the simulator's when not
  // given.
  std::optional<std::uint32_t> faculty;
  // Entries of the camera's settings map, by scenario name.
  nlohmann::json properties = nlohmann::json::object();
};

struct CDFamily {
  using Spec = CDCameraSpec;
  static constexpr const char* Library = "CDSDK.DLL";
  static constexpr const char* Section = "cd";
  static constexpr TxCamModType Model = CamModPowerShot;

  static nlohmann::json Camera(const Spec& camera) {
    nlohmann::json entry = {{"model", camera.model},
                            {"owner", camera.owner},
                            {"battery", camera.battery},
                            {"clock", camera.clock},
                            {"volumes",
                             {{{"label", "CF"},
                               {"capacityKilobytes", camera.cardKilobytes},
                               {"files", camera.files}}}}};
    entry["properties"] = camera.properties;
    if (camera.faculty) {
      entry["properties"]["ReleaseControlFaculty"] = *camera.faculty;
    }
    return entry;
  }
};

using SimulatedCD = SimulatedFamily<CDFamily>;

} // namespace vostrel::test
