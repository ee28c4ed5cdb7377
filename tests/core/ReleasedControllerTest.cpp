// A controller released while its camera is connected, as a host does when
// it closes a form without disconnecting: the camera keeps sending events
// from the SDK's thread, during and after the release. For every family no
// callback may reach the freed controller or its backend, nor a controller
// created later, whatever the SDK still holds.

#include "core/DeviceLists.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"
#include "sim/SimControl.h"
#include "support/LoggedCalls.h"
#include "support/SimulatedLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::test {
namespace {

constexpr std::uint32_t Busy = 0x00000081;

// One camera family of the default scenario: how to connect its camera, an
// event that the controller passes on as OnEvent, the calls that take the
// handlers back from the SDK and the call that would end the session.
struct Family {
  const char* name;
  const char* library;
  std::int32_t cameraType;
  bool afterCDCameras; // PR cameras are numbered after the CD cameras
  std::int32_t eventKind;
  std::uint32_t eventCode;
  std::uint32_t eventArgument;
  std::uint32_t eventParameter;
  std::vector<std::string> takingHandlersBack;
  std::string endingSession;
};

const std::vector<Family>& Families() {
  static const std::vector<Family> families{
      {"EOS",
       "EDSDK.DLL",
       CamModEOS,
       false,
       VOSTREL_SIM_PROPERTY_EVENT,
       0x0101,
       0x0B,
       0,
       {"EdsSetObjectEventHandler", "EdsSetPropertyEventHandler", "EdsSetCameraStateEventHandler"},
       "EdsCloseSession"},
      {"PR",
       "PRSDK.DLL",
       CamModPowerShot,
       true,
       VOSTREL_SIM_STATE_EVENT,
       0xC00A,
       0,
       2,
       {"PR_ClearEventCallBack"},
       "PR_DisconnectCamera"},
      {"CD",
       "CDSDK.DLL",
       CamModPowerShot,
       false,
       VOSTREL_SIM_STATE_EVENT,
       0x00000002,
       0,
       0,
       {"CDUnregisterEventCallbackFunction"},
       "CDCloseSource"},
  };
  return families;
}

std::vector<sim::SimControlClient*> AllSimulators() {
  std::vector<sim::SimControlClient*> simulators;
  for (const Family& family : Families()) {
    simulators.push_back(&SimulatedLibrary(family.library));
  }
  return simulators;
}

class ReleasedController : public ::testing::TestWithParam<Family> {
protected:
  void SetUp() override {
    for (sim::SimControlClient* simulator : AllSimulators()) {
      simulator->clearFailures();
      simulator->resetScenario();
      // Events come from the simulators' own threads, as from a camera.
      simulator->setSynchronousCallbacks(false);
    }
  }

  void TearDown() override {
    // Stopping the SDKs ends the sessions that the released controllers left.
    for (sim::SimControlClient* simulator : AllSimulators()) {
      simulator->clearFailures();
    }
    TVostrel closing;
    closing.CloseCameraEnumeration();
  }

  static const Family& Of() { return GetParam(); }
  static sim::SimControlClient& Sim() { return SimulatedLibrary(Of().library); }

  // A controller connected to the family's first camera, counting its events.
  std::unique_ptr<TVostrel> ConnectedController(std::atomic<int>& events) {
    auto controller = std::make_unique<TVostrel>();
    controller->OnEvent = [&events](EventCallbackType) { ++events; };
    controller->OpenCameraEnumeration();
    const auto number = Of().afterCDCameras ? static_cast<std::int32_t>(CDDeviceList().size()) : 0;
    controller->Connect(Of().cameraType, number);
    return controller;
  }

  static void RaiseEvent() {
    Sim().raiseEvent(0, Of().eventKind, Of().eventCode, Of().eventArgument, Of().eventParameter);
  }
  // From another thread, where a refusal must not end the program.
  static void RaiseEventQuietly() noexcept {
    try {
      RaiseEvent();
    } catch (...) {
    }
  }

  static int DeliveredCallbacks() {
    const std::vector<std::string> lines = Sim().callLogLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.rfind("callback ", 0) == 0;
    }));
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
};

TEST_P(ReleasedController, EventsDuringAndAfterTheReleaseReachNobody) {
  std::atomic<int> events{0};
  auto controller = ConnectedController(events);
  RaiseEvent();
  Sim().waitIdle();
  ASSERT_EQ(events.load(), 1) << "the camera's events reach the connected controller";

  // The camera keeps sending while the host lets go.
  std::atomic<bool> released{false};
  std::atomic<bool> cameraDone{false};
  std::thread camera([&] {
    for (int i = 0; i < 200 && !released; ++i) {
      RaiseEventQuietly();
    }
    cameraDone = true;
  });
  while (events < 5 && !cameraDone) {
    std::this_thread::yield();
  }
  Sim().clearCallLog();
  controller.reset();
  released = true;
  camera.join();
  Sim().waitIdle();
  const int atRelease = events;

  // The handlers were taken back; the camera stays connected.
  const std::vector<std::string> calls = LoggedFunctions(Sim());
  for (const std::string& function : Of().takingHandlersBack) {
    EXPECT_NE(std::find(calls.begin(), calls.end(), function), calls.end()) << function;
  }
  EXPECT_EQ(std::find(calls.begin(), calls.end(), Of().endingSession), calls.end());

  RaiseEvent();
  Sim().waitIdle();
  EXPECT_EQ(events.load(), atRelease);
}

// The SDK does not let go of the handlers: it keeps calling them with the
// context of the released controller, also once no controller is left and
// another one has been created.
TEST_P(ReleasedController, AnSDKThatKeepsTheHandlersFindsNobody) {
  std::atomic<int> oldEvents{0};
  auto controller = ConnectedController(oldEvents);
  const std::int32_t oldKey = controller->GetInstanceIndex();
  for (const std::string& function : Of().takingHandlersBack) {
    Sim().injectFailure(function, Busy, 0, VOSTREL_SIM_ALWAYS);
  }
  controller.reset();
  Sim().clearFailures();
  EXPECT_FALSE(DeviceListsExist()) << "no controller is left";

  TVostrel next;
  std::atomic<int> nextEvents{0};
  next.OnEvent = [&nextEvents](EventCallbackType) { ++nextEvents; };
  EXPECT_NE(next.GetInstanceIndex(), oldKey);

  Sim().clearCallLog();
  for (int i = 0; i < 20; ++i) {
    RaiseEvent();
  }
  Sim().waitIdle();
  EXPECT_EQ(DeliveredCallbacks(), 20) << "the SDK still called the old handler";
  EXPECT_EQ(nextEvents.load(), 0);
  EXPECT_EQ(oldEvents.load(), 0);
}

// The host releases the controller from inside its own event, on the SDK's
// thread, while the camera keeps sending: the handler that fired the event
// uses the controller no more, and later events reach nobody.
TEST_P(ReleasedController, ReleasedFromItsOwnEventOnTheSDKsThread) {
  std::atomic<int> events{0};
  auto controller = ConnectedController(events);
  std::atomic<bool> destroyed{false};
  controller->OnEvent = [&](EventCallbackType) {
    ++events;
    if (!destroyed.exchange(true)) {
      controller.reset();
    }
  };
  // From here on only the event touches the controller.
  std::thread camera([&] {
    for (int i = 0; i < 200 && !destroyed; ++i) {
      RaiseEventQuietly();
    }
  });
  camera.join();
  Sim().waitIdle();
  ASSERT_TRUE(destroyed.load());
  EXPECT_EQ(controller, nullptr);
  const int atRelease = events;
  RaiseEvent();
  Sim().waitIdle();
  EXPECT_EQ(events.load(), atRelease);
}

INSTANTIATE_TEST_SUITE_P(Families, ReleasedController, ::testing::ValuesIn(Families()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vostrel::test
