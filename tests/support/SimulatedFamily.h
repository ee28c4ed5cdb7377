#pragma once
// Common ground of the tests that drive one family's backend through a
// controller and that family's simulated library next to the test program:
// the simulator's control interface, scenarios built from camera
// descriptions, the call log with the handle numbers blanked out and a fake
// clock. A family supplies its library, its scenario section, the
// description of one camera and the camera model the controller connects.

#include "core/ECamException.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"
#include "sim/SimControlClient.h"
#include "support/LoggedCalls.h"
#include "support/MessageOf.h"
#include "support/SimulatedLibrary.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vostrel::test {

// The libraries and their scenario sections, so that a family's tests start
// with no camera of the other families attached.
inline constexpr std::array<std::array<const char*, 2>, 3> SimulatedLibraries = {{
    {"EDSDK.DLL", "eos"},
    {"PRSDK.DLL", "pr"},
    {"CDSDK.DLL", "cd"},
}};

// Family: struct with `using Spec`, static constexpr `Library`, `Section`,
// `Model` and `static nlohmann::json Camera(const Spec&)`.
template <typename Family>
class SimulatedFamily : public ::testing::Test {
protected:
  using Spec = typename Family::Spec;

  static sim::SimControlClient& Sim() { return SimulatedLibrary(Family::Library); }

  static std::string Scenario(const std::vector<Spec>& cameras) {
    nlohmann::json list = nlohmann::json::array();
    for (const Spec& camera : cameras) {
      list.push_back(Family::Camera(camera));
    }
    return nlohmann::json{{Family::Section, {{"cameras", list}}}}.dump();
  }

  void SetUp() override {
    Sim().clearFailures();
    // The controller starts every SDK: no camera of another family gets in
    // the way, where the build has that family's simulated library at all.
    for (const auto& [library, section] : SimulatedLibraries) {
      if (std::string(library) == Family::Library) {
        continue;
      }
      try {
        SimulatedLibrary(library).loadScenario(
            nlohmann::json{{section, {{"cameras", nlohmann::json::array()}}}}.dump());
      } catch (const std::runtime_error&) {
      }
    }
    UseScenario({Spec{}});
  }

  void TearDown() override {
    Sim().clearFailures();
    controller->CloseCameraEnumeration();
    controller.reset();
  }

  // Replaces the simulated cameras, then starts over with a new controller
  // that has enumerated them. Callbacks arrive during the SDK call or the
  // control call that causes them. The call log starts empty.
  void UseScenario(const std::vector<Spec>& cameras) { UseScenarioText(Scenario(cameras)); }

  // The same with a scenario text of the family's library.
  void UseScenarioText(const std::string& scenario) {
    if (controller) {
      controller->CloseCameraEnumeration();
      controller.reset();
    }
    Sim().loadScenario(scenario);
    Sim().setSynchronousCallbacks(true);
    controller = std::make_unique<TVostrel>();
    controller->OpenCameraEnumeration();
    Sim().clearCallLog();
  }

  void ConnectFirstCamera() {
    controller->Connect(Family::Model, 0);
    Sim().clearCallLog();
  }

  static std::vector<std::string> Calls() { return LoggedCalls(Sim()); }
  static std::vector<std::string> CalledFunctions() { return LoggedFunctions(Sim()); }

  // The simulated camera as the simulator describes it.
  static nlohmann::json WorldCamera(std::size_t camera) {
    return nlohmann::json::parse(Sim().describeWorld())
        .at(Family::Section)
        .at("cameras")
        .at(camera);
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
