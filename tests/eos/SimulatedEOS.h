#pragma once
// Common ground of the tests that drive the EOS backend through a controller
// and the simulated EDSDK.DLL next to the test program: the simulator's
// control interface (resolved from the library the binding loads), scenarios
// built from camera descriptions, the call log with the reference numbers
// blanked out, a fake clock and a fixed time zone.

#include "core/ECamException.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "platform/TimeZone.h"
#include "sim/SimControlClient.h"
#include "support/LoggedCalls.h"
#include "support/MessageOf.h"
#include "support/SimulatedEDSDK.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vostrel::test {

// One camera of a scenario; the fields left alone keep these values.
struct EOSCameraSpec {
  std::string model = "EOS Test";
  std::string owner = "Test Owner";
  std::uint32_t bodyId = 4711;
  std::uint32_t battery = 80;
  std::string clock = "2024-05-01T09:30:00";
  // Files on the one card; without a card the camera has no volume at all.
  bool card = true;
  std::vector<std::string> files = {"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG"};
};

inline std::string EOSScenario(const std::vector<EOSCameraSpec>& cameras) {
  nlohmann::json list = nlohmann::json::array();
  for (const EOSCameraSpec& camera : cameras) {
    nlohmann::json volumes = nlohmann::json::array();
    if (camera.card) {
      volumes.push_back({{"label", "CF"}, {"files", camera.files}});
    }
    list.push_back({{"model", camera.model},
                    {"owner", camera.owner},
                    {"bodyId", camera.bodyId},
                    {"battery", camera.battery},
                    {"clock", camera.clock},
                    {"volumes", volumes}});
  }
  return nlohmann::json{{"eos", {{"cameras", list}}}}.dump();
}

class SimulatedEOS : public ::testing::Test {
protected:
  static sim::SimControlClient& Sim() { return SimulatedEDSDK(); }

  void SetUp() override {
    Sim().clearFailures();
    UseScenario({EOSCameraSpec{}});
  }

  void TearDown() override {
    Sim().clearFailures();
    controller->CloseCameraEnumeration();
    controller.reset();
  }

  // Replaces the simulated cameras, then starts over with a new controller
  // that has enumerated them. Callbacks arrive during the SDK call that causes
  // them (a scenario brings its own mode, so this follows the load). The call
  // log starts empty.
  void UseScenario(const std::vector<EOSCameraSpec>& cameras) {
    if (controller) {
      controller->CloseCameraEnumeration();
      controller.reset();
    }
    Sim().loadScenario(EOSScenario(cameras));
    Sim().setSynchronousCallbacks(true);
    controller = std::make_unique<TVostrel>();
    controller->OpenCameraEnumeration();
    Sim().clearCallLog();
  }

  void ConnectFirstCamera() {
    controller->Connect(CamModEOS, 0);
    Sim().clearCallLog();
  }

  // The logged SDK calls (callbacks left out), each reference shown as its
  // kind only ("camera#").
  static std::vector<std::string> Calls() { return LoggedCalls(Sim()); }

  // The names of the logged SDK calls, in order.
  static std::vector<std::string> CalledFunctions() { return LoggedFunctions(Sim()); }

  // The simulated camera as the simulator describes it (scenario format,
  // with the state the calls left: "clock", "owner", "sessionOpen", ...).
  static nlohmann::json WorldCamera(std::size_t camera) {
    return nlohmann::json::parse(Sim().describeWorld()).at("eos").at("cameras").at(camera);
  }

  // Makes the call of the entry point after `passing` successful ones fail.
  static void FailCall(const std::string& entryPoint, std::uint32_t result,
                       std::uint32_t passing = 0) {
    Sim().injectFailure(entryPoint, result, passing, 1);
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  platform::ScopedTimeZone standardTime{platform::TimeZoneInfo{-60, 0, -60, false}};
  std::unique_ptr<TVostrel> controller;
};

} // namespace vostrel::test
