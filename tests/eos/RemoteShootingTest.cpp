// Remote shooting of an EOS camera through the controller and the simulated
// EDSDK.DLL: entering remote mode, releasing, the queue of released pictures
// and their transfer into files, progress, and the camera's shut-down
// warning.

#include "ShootingFixture.h"

#include "core/JPEGImage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

constexpr std::uint32_t Busy = 0x00FF0081;

std::string BusyFailure(const std::string& function) {
  return function + " errorcode 0x00FF0081, Device busy";
}

// ---------------------------------------------------------------------------
// Entering remote mode

TEST_F(EOSShooting, RemoteStartWritesTheSaveToValueOfTheReleaseMode) {
  struct Case {
    ReleaseModeType mode;
    const char* saveTo;
  };
  const Case cases[] = {
      {ReleaseModeType::ReleaseModeOnlyToPC, "02000000"},
      {ReleaseModeType::ReleaseModeBothPCAndCamera, "03000000"},
      {ReleaseModeType::ReleaseModeOnlyToCamera, "01000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saveTo);
    Sim().clearCallLog();
    const RemoteStartInfoType info = controller->RemoteStart(
        c.mode, ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, folder.file("cache"));

    EXPECT_TRUE(info.DoSupportShootingPara);
    EXPECT_FALSE(info.DoSupportZoom);
    EXPECT_FALSE(info.DoSupportViewfinder);
    EXPECT_FALSE(info.ReqViewfinderOffWhenShooting);
    EXPECT_FALSE(info.DoSupportAfLockUnlock);
    EXPECT_EQ(info.SupportedParamValues.Flags, SupportedParamValuesType{}.Flags);
    EXPECT_THAT(Calls(), ElementsAre("EdsSetPropertyData(camera#, 0x0000000B, 0, 4, " +
                                     std::string(c.saveTo) + ") = 0x00000000"));
    EXPECT_TRUE(controller->IsRemoteModeOn());
  }
  // Without probing no cache file is read or written.
  EXPECT_FALSE(platform::fileExists(folder.file("cache")));
}

TEST_F(EOSShooting, AReleaseModeWithoutSaveToValueIsRefusedBeforeAnyWrite) {
  const auto unknown = static_cast<ReleaseModeType>(3);
  EXPECT_EQ(MessageOf([&] {
              controller->RemoteStart(unknown, ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture,
                                      false, "");
            }),
            "RemoteStart : Release mode 3 is not valid for your EOS camera. Value must be 0, 1 or "
            "2.");
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(controller->IsRemoteModeOn());
}

TEST_F(EOSShooting, AFailingSaveToWriteLeavesRemoteModeOff) {
  FailCall("EdsSetPropertyData", Busy);
  EXPECT_EQ(MessageOf([&] {
              controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                                      ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false,
                                      "");
            }),
            BusyFailure("EdsSetPropertyData"));
  EXPECT_FALSE(controller->IsRemoteModeOn());
}

// ---------------------------------------------------------------------------
// Releasing

TEST_F(EOSShooting, ReleasesTheShutterAndReportsTheShotsLeft) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToCamera);
  EXPECT_EQ(controller->RemoteGetNumberOfAvailableShots(), 250);

  controller->RemoteTakePicture();
  EXPECT_TRUE(Logged("EdsSendCommand(camera#, 0, 0) = 0x00000000"));
  EXPECT_EQ(controller->RemoteGetNumberOfAvailableShots(), 249);
  EXPECT_EQ(NewCardFiles(), std::vector<std::string>{"DCIM/100EOS/IMG_0003.JPG"});

  FailCall("EdsSendCommand", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteTakePicture(); }), BusyFailure("EdsSendCommand"));
  FailCall("EdsGetPropertyData", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetNumberOfAvailableShots(); }),
            BusyFailure("EdsGetPropertyData"));
}

TEST_F(EOSShooting, AFLockIsRefusedEitherWayAndRemoteModeStaysOn) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  for (const bool lock : {true, false}) {
    EXPECT_EQ(MessageOf([&] { controller->RemoteAFLock(lock); }),
              "RemoteAFLock is not supported for your EOS camera.");
  }
  EXPECT_TRUE(controller->IsRemoteModeOn());
  EXPECT_TRUE(Calls().empty());
}

// ---------------------------------------------------------------------------
// Fetching released pictures

TEST_F(EOSShooting, NothingIsFetchedOrCreatedBeforeARelease) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  CountAnnouncedPictures();
  const std::string file = folder.file("early.jpg");
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(file, PictureTypeFull); }),
            "There are no pictures to download");
  EXPECT_FALSE(platform::fileExists(file));
  EXPECT_TRUE(Calls().empty());
}

TEST_F(EOSShooting, AFileNameOfMoreThan254CharactersIsRefusedBeforeTheFileIsCreated) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  CountAnnouncedPictures();
  controller->RemoteTakePicture();
  Sim().clearCallLog();

  const std::string prefix = folder.file("");
  const std::string tooLong = prefix + std::string(255 - prefix.size(), 'x');
  ASSERT_EQ(tooLong.size(), 255u);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(tooLong, PictureTypeFull); }),
            "Filename " + tooLong + " too long");
  EXPECT_FALSE(platform::fileExists(tooLong));
  EXPECT_TRUE(Calls().empty());

  // 254 characters are fine, and the refused call left the picture queued.
  const std::string longest = tooLong.substr(0, 254);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(longest, PictureTypeFull); }), "");
  EXPECT_TRUE(platform::fileExists(longest));
}

TEST_F(EOSShooting, ReleasedPicturesAreFetchedInReleaseOrderByteForByte) {
  StartRemote(ReleaseModeType::ReleaseModeBothPCAndCamera);
  CountAnnouncedPictures();
  controller->RemoteTakePicture();
  controller->RemoteTakePicture();
  ASSERT_EQ(announced.load(), 2);
  const std::vector<std::string> released = NewCardFiles();
  ASSERT_EQ(released.size(), 2u);
  ASSERT_NE(CardBytes(released[0]), CardBytes(released[1]));

  const std::string first = folder.file("first.jpg");
  const std::string second = folder.file("second.jpg");
  platform::writeFile(first, {'o', 'l', 'd', '!', '!', '!', '!', '!', '!'});
  controller->RemoteGetPicture(first, PictureTypeFull);
  controller->RemoteGetPicture(second, PictureTypeFull);

  EXPECT_EQ(platform::readFile(first), CardBytes(released[0]));
  EXPECT_EQ(platform::readFile(second), CardBytes(released[1]));
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(folder.file("third.jpg"), 1); }),
            "There are no pictures to download");
  // Every item, and every stream, went back to the SDK.
  EXPECT_EQ(Sim().liveReferences(), referencesBefore);
}

TEST_F(EOSShooting, AFullTransferWritesTheFileAndCompletesTheItem) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  CountAnnouncedPictures();
  controller->RemoteTakePicture();
  Sim().clearCallLog();

  const std::string file = folder.file("picture.jpg");
  controller->RemoteGetPicture(file, PictureTypeFull);
  std::vector<std::string> names = CalledFunctions();
  EXPECT_THAT(names, ElementsAre("EdsCreateFileStream", "EdsGetDirectoryItemInfo",
                                 "EdsSetProgressCallback", "EdsDownload", "EdsRelease",
                                 "EdsDownloadComplete", "EdsRelease"));
  // The picture is written beside the file asked for and takes its name
  // once it is complete.
  const std::string created = Calls().at(0);
  const std::string expectedStart = "EdsCreateFileStream(\"" + folder.file("~");
  EXPECT_EQ(created.substr(0, expectedStart.size()), expectedStart) << created;
  EXPECT_NE(created.find(".jpg\", 1, 1) = 0x00000000"), std::string::npos) << created;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_THAT(Calls(), Contains("EdsSetProgressCallback(stream#, handler, 2) = 0x00000000"));
  // "Only to PC" keeps the picture in the camera's memory, not on its card.
  EXPECT_TRUE(NewCardFiles().empty());
  EXPECT_EQ(TJPEGImage::FromFile(file)->Width(), 320);
}

TEST_F(EOSShooting, AThumbnailLeavesThePictureQueuedForTheFullFetch) {
  StartRemote(ReleaseModeType::ReleaseModeBothPCAndCamera);
  CountAnnouncedPictures();
  controller->RemoteTakePicture();
  const std::string picture = NewCardFiles().at(0);
  Sim().clearCallLog();

  const std::string thumbnail = folder.file("thumb.jpg");
  controller->RemoteGetPicture(thumbnail, PictureTypeThumbnail);
  const auto image = TJPEGImage::FromFile(thumbnail);
  EXPECT_EQ(image->Width(), 160);
  EXPECT_EQ(image->Height(), 120);
  EXPECT_THAT(CalledFunctions(),
              ElementsAre("EdsCreateFileStream", "EdsDownloadThumbnail", "EdsRelease"));

  // A picture type without a transfer creates an empty file and keeps the item too.
  const std::string nothing = folder.file("nothing.jpg");
  controller->RemoteGetPicture(nothing, 2);
  EXPECT_TRUE(platform::fileExists(nothing));
  EXPECT_TRUE(platform::readFile(nothing).empty());

  const std::string full = folder.file("full.jpg");
  controller->RemoteGetPicture(full, PictureTypeFull);
  EXPECT_EQ(platform::readFile(full), CardBytes(picture));
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(thumbnail, PictureTypeThumbnail); }),
            "There are no pictures to download");
}

TEST_F(EOSShooting, TransferProgressArrivesAsTakePictureProgress) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  CountAnnouncedPictures();
  std::vector<std::int32_t> takeProgress;
  std::vector<std::int32_t> otherProgress;
  controller->OnRemoteTakePictureEvent = [&](std::int32_t percent) {
    takeProgress.push_back(percent);
  };
  controller->OnRemoteGetPictureEvent = [&](std::int32_t percent) {
    otherProgress.push_back(percent);
  };
  controller->OnGetPictureEvent = [&](std::int32_t percent) { otherProgress.push_back(percent); };
  controller->RemoteTakePicture();
  controller->RemoteTakePicture();

  controller->RemoteGetPicture(folder.file("thumb.jpg"), PictureTypeThumbnail);
  EXPECT_TRUE(takeProgress.empty());

  const auto sleptBefore = clock.slept();
  controller->RemoteGetPicture(folder.file("full.jpg"), PictureTypeFull);
  ASSERT_GE(takeProgress.size(), 2u);
  EXPECT_TRUE(std::is_sorted(takeProgress.begin(), takeProgress.end()));
  EXPECT_EQ(takeProgress.back(), 100);
  EXPECT_TRUE(otherProgress.empty());
  // Each report is followed by a pause of 10 ms.
  EXPECT_EQ(clock.slept() - sleptBefore, 10ms * takeProgress.size());
}

TEST_F(EOSShooting, AFailingTransferStillConsumesThePicture) {
  struct Case {
    const char* function;
    std::uint32_t passing;
    // References the failure leaves with the host (a stream it could not give back).
    std::size_t leftOver;
  };
  const Case cases[] = {
      {"EdsGetDirectoryItemInfo", 0, 0},
      {"EdsSetProgressCallback", 0, 0},
      {"EdsDownload", 0, 0},
      {"EdsDownloadComplete", 0, 0},
      {"EdsRelease", 0, 1}, // the stream's release fails; the item is still given back
  };
  StartRemote(ReleaseModeType::ReleaseModeBothPCAndCamera);
  CountAnnouncedPictures();
  std::size_t leftOver = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    controller->RemoteTakePicture();
    Sim().clearCallLog();
    FailCall(c.function, Busy, c.passing);

    EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(folder.file("p.jpg"), 1); }),
              BusyFailure(c.function));
    EXPECT_THAT(Calls(), Contains(::testing::StartsWith("EdsDownloadComplete(item#)")));
    EXPECT_THAT(Calls(), Contains("EdsRelease(item#) = 0x00000000"));
    EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(folder.file("p.jpg"), 1); }),
              "There are no pictures to download");
    leftOver += c.leftOver;
    EXPECT_EQ(Sim().liveReferences(), referencesBefore + leftOver);
  }
}

TEST_F(EOSShooting, AFileStreamThatCannotBeCreatedLeavesThePictureQueued) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  CountAnnouncedPictures();
  controller->RemoteTakePicture();
  Sim().clearCallLog();

  FailCall("EdsCreateFileStream", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(folder.file("p.jpg"), 1); }),
            BusyFailure("EdsCreateFileStream"));
  EXPECT_THAT(CalledFunctions(), ElementsAre("EdsCreateFileStream"));

  controller->RemoteGetPicture(folder.file("p.jpg"), PictureTypeFull);
  EXPECT_FALSE(platform::readFile(folder.file("p.jpg")).empty());
}

// Pictures not fetched stay queued through RemoteEnd and a new RemoteStart,
// but the session's end gives their references back.
TEST_F(EOSShooting, PicturesNotFetchedAreGivenBackAtDisconnect) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  CountAnnouncedPictures();
  controller->RemoteTakePicture();
  controller->RemoteTakePicture();
  controller->RemoteEnd();
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  controller->RemoteGetPicture(folder.file("p.jpg"), PictureTypeFull);
  EXPECT_EQ(Sim().liveReferences(), referencesBefore + 1);

  controller->RemoteEnd();
  controller->Disconnect();
  EXPECT_EQ(Sim().liveReferences(), referencesBefore);
  controller->Connect(CamModEOS, 0);
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(folder.file("p.jpg"), 1); }),
            "There are no pictures to download");
}

TEST_F(EOSShooting, WithoutARemoteEventReceiverReleasedPicturesAreGivenBack) {
  StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  controller->RemoteTakePicture();

  EXPECT_THAT(Calls(), ElementsAre("EdsSendCommand(camera#, 0, 0) = 0x00000000",
                                   "EdsRelease(item#) = 0x00000000"));
  EXPECT_EQ(Sim().liveReferences(), referencesBefore);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(folder.file("p.jpg"), 1); }),
            "There are no pictures to download");
}

// ---------------------------------------------------------------------------
// The camera's shut-down warning

TEST_F(EOSShooting, TheShutDownWarningKeepsTheCameraAwakeOnlyWhileCameraEventsAreReceived) {
  constexpr std::uint32_t WillSoonShutDown = 0x0303;
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, WillSoonShutDown);
  EXPECT_THAT(CalledFunctions(), Not(Contains("EdsSendCommand")));
  EXPECT_EQ(WorldCamera(0).at("keepAwakeCount"), 0);

  std::vector<EventCallbackType> events;
  controller->OnEvent = [&](EventCallbackType event) { events.push_back(event); };
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, WillSoonShutDown);
  EXPECT_THAT(Calls(), Contains("EdsSendCommand(camera#, 1, 0) = 0x00000000"));
  EXPECT_EQ(WorldCamera(0).at("keepAwakeCount"), 1);
  // The warning itself is not passed on.
  EXPECT_TRUE(events.empty());
}

} // namespace
} // namespace vostrel::test
