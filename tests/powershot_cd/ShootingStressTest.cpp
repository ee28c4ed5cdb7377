// Release events announced on the simulated CDSDK.DLL's own thread while the
// caller keeps releasing and fetching, with camera events (dial changes and
// shut-down warnings that make the controller read the owner name) from yet
// another thread: every release is announced once and every picture fetched
// complete.

#include "SimulatedCD.h"

#include "core/TempFolder.h"
#include "powershot_cd/CDEVENT.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace vostrel::test {
namespace {

using CDShootingStress = SimulatedCD;

TEST_F(CDShootingStress, ReleaseEventsArriveWhileTheHostFetches) {
  constexpr int Pictures = 16;
  ConnectFirstCamera();
  Sim().setSynchronousCallbacks(false);
  std::atomic<int> announced{0};
  std::atomic<int> cameraEvents{0};
  std::atomic<int> progress{0};
  controller->OnRemoteEvent = [&](RemoteEventCallbackType event,
                                  const AdditionNotifyRemoteEventType& data) {
    if (event == RemoteEventCallbackType::RemoteEventCallbackReleaseComplete) {
      announced += data.NumOfEvents;
    }
  };
  controller->OnEvent = [&](EventCallbackType) { ++cameraEvents; };
  controller->OnRemoteGetPictureEvent = [&](std::int32_t) { ++progress; };
  controller->RemoteStart(ReleaseModeType::ReleaseModeBothPCAndCamera,
                          ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");

  std::thread noise([] {
    for (int i = 0; i < Pictures; ++i) {
      Sim().raiseEvent(0, 3, cdEventWord(cdEventSeverityInfo, cdEventDialChanged), 0, 0);
      Sim().raiseEvent(0, 3, cdEventWord(cdEventSeverityWarning, cdEventShutdownTimerUpdate), 0, 0);
    }
  });

  TempFolder folder;
  int taken = 0;
  int fetched = 0;
  while (fetched < Pictures) {
    if (taken < Pictures) {
      controller->RemoteTakePicture();
      ++taken;
    }
    if (fetched < announced.load()) {
      const auto file = folder.path() / ("picture" + std::to_string(fetched) + ".jpg");
      controller->RemoteGetPicture(file.string(), 0);
      std::ifstream in(file, std::ios::binary);
      const std::string content(std::istreambuf_iterator<char>(in), {});
      ASSERT_GT(content.size(), 1000u);
      EXPECT_EQ(content.substr(content.size() - 2), "\xFF\xD9") << file;
      ++fetched;
    } else if (taken == Pictures) {
      Sim().waitIdle();
      ASSERT_GT(announced.load(), fetched);
    }
  }
  noise.join();
  Sim().waitIdle();
  EXPECT_EQ(announced.load(), Pictures);
  EXPECT_GE(cameraEvents.load(), Pictures);
  EXPECT_GE(progress.load(), Pictures);
  controller->RemoteEnd();
  EXPECT_EQ(Sim().liveReferences(), 1u);
}

} // namespace
} // namespace vostrel::test
