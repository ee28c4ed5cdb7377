#pragma once
// Common ground of the tests that drive the PR backend through a controller
// and the simulated PRSDK.DLL next to the test program: the simulator's
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
#include <stdexcept>
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

inline std::string PRScenario(const std::vector<PRCameraSpec>& cameras) {
  nlohmann::json list = nlohmann::json::array();
  for (const PRCameraSpec& camera : cameras) {
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
    list.push_back(entry);
  }
  return nlohmann::json{{"pr", {{"cameras", list}}}}.dump();
}

class SimulatedPR : public ::testing::Test {
protected:
  static sim::SimControlClient& Sim() { return SimulatedLibrary("PRSDK.DLL"); }

  void SetUp() override {
    Sim().clearFailures();
    // The controller starts every SDK: no EOS camera gets in the way.
    SimulatedLibrary("EDSDK.DLL").loadScenario(R"({"eos": {"cameras": []}})");
    // No CD camera comes before the PR cameras, where the build has the
    // simulated CDSDK.DLL at all.
    try {
      SimulatedLibrary("CDSDK.DLL").loadScenario(R"({"cd": {"cameras": []}})");
    } catch (const std::runtime_error&) {
    }
    UseScenario({PRCameraSpec{}});
  }

  void TearDown() override {
    Sim().clearFailures();
    controller->CloseCameraEnumeration();
    controller.reset();
  }

  // Replaces the simulated cameras, then starts over with a new controller
  // that has enumerated them. Callbacks arrive during the SDK call or the
  // control call that causes them. The call log starts empty.
  void UseScenario(const std::vector<PRCameraSpec>& cameras) {
    if (controller) {
      controller->CloseCameraEnumeration();
      controller.reset();
    }
    Sim().loadScenario(PRScenario(cameras));
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
    return nlohmann::json::parse(Sim().describeWorld()).at("pr").at("cameras").at(camera);
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
