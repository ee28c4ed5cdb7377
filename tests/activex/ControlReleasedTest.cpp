// A control that its host destroys while the camera keeps sending, for each
// family: events from the simulator's thread, viewfinder frames streamed by
// the PowerShot simulators, and transfer progress that an SDK reports from
// its own thread. Destroyed in remote mode without ending anything, and
// destroyed from inside one of its own events on the SDK's thread: nothing
// reaches the control once it is gone (the sanitizers see any use of it).

#include "activex/ReleasedCameraFamilies.h"
#include "activex/VostrelActiveX.h"
#include "core/InstanceRegistry.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace vostrel {
namespace {

using test::ReleasedFamily;

// Waits, bounded, for a condition that threads of the simulator bring about.
bool Eventually(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::yield();
  }
  return true;
}

class ControlReleased : public ::testing::TestWithParam<ReleasedFamily> {
protected:
  static const ReleasedFamily& Family() { return GetParam(); }

  void SetUp() override { Family().UseItsCameraAlone(); }

  void TearDown() override {
    for (const ReleasedFamily& family : test::ReleasedFamilies()) {
      try {
        family.Sim().clearFailures();
      } catch (...) {
      }
    }
    // Stopping the SDKs ends the session that the destroyed control left.
    TVostrel closing;
    closing.CloseCameraEnumeration();
  }

  // A control in remote mode on the family's camera, its viewfinder on
  // where the camera has one; every event it fires is counted.
  std::unique_ptr<TVostrelActiveX> ControlInRemoteMode(const std::function<void()>& onEveryEvent) {
    auto control = std::make_unique<TVostrelActiveX>();
    control->OnEvent = [=](TxEventSeverityType, TxEventEnumType) { onEveryEvent(); };
    control->OnRemoteEvent = [=](TxRemoteEventCallbackType, TxNotifyRemoteEventValidType,
                                 std::int32_t, TxypeOfPictureType) { onEveryEvent(); };
    control->OnViewfinderEvent = [=](const std::string&) { onEveryEvent(); };
    control->OnRemoteTakePictureEvent = [=](std::int32_t) { onEveryEvent(); };
    control->OnRemoteGetPictureEvent = [=](std::int32_t) { onEveryEvent(); };
    control->OpenCameraEnumeration();
    control->Connect(Family().cameraType, 0);
    control->RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, "");
    if (Family().viewfinder) {
      control->RemoteStartViewfinder();
    }
    return control;
  }

  // Transfer progress as the family's SDK reports it from its own thread to
  // the handler it was given, with the context of the control's controller.
  static void ReportTransferProgress(std::int32_t key) {
    if (Family().cameraType == test::EOSCameraType) {
      TVostrel::EOSProgressHandler(50, const_cast<std::int32_t*>(InstanceRegistry::KeyAddress(key)),
                                   nullptr);
    } else if (std::string(Family().section) == "pr") {
      PRProgressRecord block{};
      block.Percentage = 50;
      TVostrel::PRPictureDataHandler(0, 0, static_cast<SDKContext>(key), &block);
    } else {
      TVostrel::TakePictureProgressHandler(50, 0, static_cast<SDKContext>(key));
      TVostrel::RemoteGetPictureProgressHandler(50, 0, static_cast<SDKContext>(key));
    }
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
};

TEST_P(ControlReleased, DestroyedInRemoteModeWhileTheCameraSends) {
  std::atomic<int> events{0};
  auto control = ControlInRemoteMode([&events] { ++events; });
  const std::int32_t key = control->Controller().GetInstanceIndex();
  Family().RaiseEventsQuietly();
  ReportTransferProgress(key);
  Family().Sim().waitIdle();
  ASSERT_GE(events.load(), static_cast<int>(Family().events.size()));
  if (Family().viewfinder) {
    const int before = events;
    ASSERT_TRUE(Eventually([&] { return events > before + 2; })) << "no viewfinder frames";
  }

  std::atomic<bool> gone{false};
  std::atomic<int> rounds{0};
  std::thread camera([&] {
    while (!gone) {
      Family().RaiseEventsQuietly();
      ReportTransferProgress(key);
      ++rounds;
    }
  });
  ASSERT_TRUE(Eventually([&] { return rounds >= 3; }));
  control.reset();
  gone = true;
  camera.join();
  Family().Sim().waitIdle();
  const int atRelease = events;

  Family().RaiseEventsQuietly();
  ReportTransferProgress(key);
  Family().Sim().waitIdle();
  EXPECT_EQ(events.load(), atRelease);
}

// The host destroys the control from the first event it gets once it is in
// remote mode, on the thread the SDK calls it on (a viewfinder frame, where
// the camera streams them), while the camera keeps sending.
TEST_P(ControlReleased, DestroyedFromItsOwnEventOnTheSDKsThread) {
  std::unique_ptr<TVostrelActiveX> control;
  std::atomic<int> events{0};
  std::atomic<bool> armed{false};
  std::atomic<bool> destroyed{false};
  std::atomic<bool> released{false};
  control = ControlInRemoteMode([&] {
    ++events;
    if (armed && !destroyed.exchange(true)) {
      // Destroying the control destroys this closure: nothing it captured
      // is reached afterwards but through a copy made before.
      std::atomic<bool>* const done = &released;
      control.reset();
      done->store(true);
    }
  });
  // From here on only the event touches the control.
  armed = true;
  std::thread camera([&] {
    while (!destroyed) {
      Family().RaiseEventsQuietly();
      std::this_thread::yield();
    }
  });
  // The destroying event is done with the control once it says so.
  const bool gone = Eventually([&] { return released.load(); });
  destroyed = true;
  camera.join();
  Family().Sim().waitIdle();
  ASSERT_TRUE(gone) << "no event reached the control";
  EXPECT_EQ(control, nullptr);
  const int atRelease = events;
  Family().RaiseEventsQuietly();
  Family().Sim().waitIdle();
  EXPECT_EQ(events.load(), atRelease);
}

INSTANTIATE_TEST_SUITE_P(Families, ControlReleased, ::testing::ValuesIn(test::ReleasedFamilies()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vostrel
