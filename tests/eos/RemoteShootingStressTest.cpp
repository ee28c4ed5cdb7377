// Released pictures announced on the simulator's own thread while the
// caller keeps releasing and fetching: every picture arrives once, in
// release order, while unrelated camera events and shut-down warnings come
// in from yet another thread.

#include "ShootingFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vostrel::test {
namespace {

TEST_F(EOSShooting, PicturesAnnouncedOnTheSDKThreadAreFetchedOnceEachInOrder) {
  constexpr int Pictures = 24;
  constexpr std::uint32_t PropertyChanged = 0x0101;
  constexpr std::uint32_t WillSoonShutDown = 0x0303;

  Sim().setSynchronousCallbacks(false);
  StartRemote(ReleaseModeType::ReleaseModeBothPCAndCamera);
  // The receivers are assigned once the property event of the release-mode
  // write has been delivered, not while the SDK's thread may read them.
  Sim().waitIdle();
  CountAnnouncedPictures();
  std::atomic<int> cameraEvents{0};
  controller->OnEvent = [&](EventCallbackType) { ++cameraEvents; };
  std::atomic<int> progressReports{0};
  controller->OnRemoteTakePictureEvent = [&](std::int32_t) { ++progressReports; };

  std::thread noise([] {
    for (int i = 0; i < Pictures; ++i) {
      Sim().raiseEvent(0, VOSTREL_SIM_PROPERTY_EVENT, PropertyChanged, 0x0405);
      Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, WillSoonShutDown);
    }
  });

  std::vector<std::string> fetched;
  int taken = 0;
  while (fetched.size() < static_cast<std::size_t>(Pictures)) {
    if (taken < Pictures) {
      controller->RemoteTakePicture();
      ++taken;
    }
    if (fetched.size() < static_cast<std::size_t>(announced.load())) {
      const std::string file = folder.file("picture" + std::to_string(fetched.size()) + ".jpg");
      controller->RemoteGetPicture(file, PictureTypeFull);
      fetched.push_back(file);
    } else if (taken == Pictures) {
      // Everything is released; let the remaining announcements arrive.
      Sim().waitIdle();
      ASSERT_GT(announced.load(), static_cast<int>(fetched.size()));
    }
  }
  noise.join();
  Sim().waitIdle();

  EXPECT_EQ(announced.load(), Pictures);
  const std::vector<std::string> released = NewCardFiles();
  ASSERT_EQ(released.size(), static_cast<std::size_t>(Pictures));
  for (std::size_t i = 0; i < released.size(); ++i) {
    EXPECT_EQ(platform::readFile(fetched[i]), CardBytes(released[i])) << released[i];
  }
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(folder.file("extra.jpg"), 1); }),
            "There are no pictures to download");
  EXPECT_EQ(Sim().liveReferences(), referencesBefore);
  EXPECT_GE(cameraEvents.load(), Pictures);
  EXPECT_EQ(WorldCamera(0).at("keepAwakeCount"), Pictures);
  EXPECT_GE(progressReports.load(), Pictures);
}

} // namespace
} // namespace vostrel::test
