#pragma once
// Common ground of the tests that drive the CD backend through a controller
// and the simulated CDSDK.DLL next to the test program: the simulator's
// control interface, scenarios built from camera descriptions, the call log
// with the handle numbers blanked out and a fake clock.

#include "core/ECamException.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"
#include "sim/SimControlClient.h"
#include "support/LoggedCalls.h"
#include "support/MessageOf.h"
#include "support/SimulatedLibrary.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
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

inline std::string CDScenario(const std::vector<CDCameraSpec>& cameras) {
  nlohmann::json list = nlohmann::json::array();
  for (const CDCameraSpec& camera : cameras) {
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
    list.push_back(entry);
  }
  return nlohmann::json{{"cd", {{"cameras", list}}}}.dump();
}

class SimulatedCD : public ::testing::Test {
protected:
  static sim::SimControlClient& Sim() { return SimulatedLibrary("CDSDK.DLL"); }

  void SetUp() override {
    Sim().clearFailures();
    // The controller starts every SDK: no EOS or PR camera gets in the way.
    SimulatedLibrary("EDSDK.DLL").loadScenario(R"({"eos": {"cameras": []}})");
    SimulatedLibrary("PRSDK.DLL").loadScenario(R"({"pr": {"cameras": []}})");
    UseScenario({CDCameraSpec{}});
  }

  void TearDown() override {
    Sim().clearFailures();
    controller->CloseCameraEnumeration();
    controller.reset();
  }

  // Replaces the simulated cameras, then starts over with a new controller
  // that has enumerated them. Callbacks arrive during the SDK call or the
  // control call that causes them. The call log starts empty.
  void UseScenario(const std::vector<CDCameraSpec>& cameras) {
    if (controller) {
      controller->CloseCameraEnumeration();
      controller.reset();
    }
    Sim().loadScenario(CDScenario(cameras));
    Sim().setSynchronousCallbacks(true);
    controller = std::make_unique<TVostrel>();
    controller->OpenCameraEnumeration();
    Sim().clearCallLog();
  }

  void ConnectFirstCamera() {
    controller->Connect(CamModPowerShot, 0);
    Sim().clearCallLog();
  }

  static std::vector<std::string> Calls() { return LoggedCalls(Sim()); }
  static std::vector<std::string> CalledFunctions() { return LoggedFunctions(Sim()); }

  // The simulated camera as the simulator describes it.
  static nlohmann::json WorldCamera(std::size_t camera) {
    return nlohmann::json::parse(Sim().describeWorld()).at("cd").at("cameras").at(camera);
  }

  // Makes the call of the entry point after `passing` successful ones fail.
  static void FailCall(const std::string& entryPoint, std::uint32_t result,
                       std::uint32_t passing = 0) {
    Sim().injectFailure(entryPoint, result, passing, 1);
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  std::unique_ptr<TVostrel> controller;
};

} // namespace vostrel::test
