// Cameras of a rig fired together: every camera releases once, and not one
// of them before the thread of every camera was ready (the simulator's
// release times against the times the threads reached the barrier); a
// camera that fails does not hold up the others.

#include "RigFixture.h"

#include "core/ReleaseTogether.h"
#include "support/SimulatedEDSDK.h"

#include <algorithm>

namespace vostrel::test {
namespace {

class ReleaseTogether : public ::testing::Test {
protected:
  static sim::SimControlClient& Sim() { return SimulatedEDSDK(); }

  void Connect(int count) {
    Sim().loadScenario(RigScenario("eos", count));
    Sim().setSynchronousCallbacks(false);
    for (int i = 0; i < count; ++i) {
      controllers.push_back(std::make_unique<TVostrel>());
      if (i == 0) {
        controllers.front()->OpenCameraEnumeration();
      }
      controllers.back()->Connect(CamModEOS, i);
      controllers.back()->RemoteStart(ReleaseModeType::ReleaseModeOnlyToCamera,
                                      ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false,
                                      "");
      pointers.push_back(controllers.back().get());
    }
  }

  void TearDown() override {
    Sim().clearFailures();
    Sim().waitIdle();
    for (auto& controller : controllers) {
      try {
        controller->Disconnect();
      } catch (const ECamException&) {
        // The unplugged camera refuses; its controller forgets it all the same.
      }
    }
    if (!controllers.empty()) {
      controllers.front()->CloseCameraEnumeration();
    }
  }

  static nlohmann::json WorldCameras() {
    return nlohmann::json::parse(Sim().describeWorld()).at("eos").at("cameras");
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  std::vector<std::unique_ptr<TVostrel>> controllers;
  std::vector<TVostrel*> pointers;
};

TEST_F(ReleaseTogether, EveryCameraReleasesOnceFromItsOwnThread) {
  constexpr int Cameras = 16;
  Connect(Cameras);
  const std::vector<ReleaseOutcome> outcomes = RemoteTakePictureTogether(pointers);
  ASSERT_EQ(outcomes.size(), static_cast<std::size_t>(Cameras));
  std::int64_t lastReady = 0;
  for (const ReleaseOutcome& outcome : outcomes) {
    EXPECT_TRUE(outcome.Released()) << outcome.Error;
    EXPECT_GT(outcome.ReadyAt, 0);
    lastReady = std::max(lastReady, outcome.ReadyAt);
  }
  const nlohmann::json cameras = WorldCameras();
  for (int i = 0; i < Cameras; ++i) {
    const ReleaseOutcome& outcome = outcomes[static_cast<std::size_t>(i)];
    EXPECT_EQ(cameras.at(i).at("releaseCount"), 1) << "camera " << i;
    // No thread was let go, and no camera asked to release, before the
    // last thread had reached the barrier.
    EXPECT_GE(outcome.StartedAt, lastReady) << "camera " << i;
    EXPECT_GE(cameras.at(i).at("lastReleaseNanoseconds").get<std::int64_t>(), lastReady)
        << "camera " << i;
  }
}

TEST_F(ReleaseTogether, ACameraThatFailsDoesNotHoldUpTheOthers) {
  Connect(4);
  Sim().detachCamera(2);
  Sim().waitIdle();
  const std::vector<ReleaseOutcome> outcomes = RemoteTakePictureTogether(pointers);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(outcomes[static_cast<std::size_t>(i)].Released(), i != 2) << "camera " << i;
  }
  EXPECT_NE(outcomes[2].Error.find("EdsSendCommand"), std::string::npos) << outcomes[2].Error;
  EXPECT_TRUE(RemoteTakePictureTogether({}).empty());
}

} // namespace
} // namespace vostrel::test
