// Remote shooting with the simulated EDSDK.DLL: a release stores a picture
// and announces it with object event 0x208 from the simulator's thread; the
// transfer reports its progress; RAW qualities give RAW files.

#include "EdsTestSupport.h"

#include "sim/world/Jpeg.h"
#include "sim/world/RawFormat.h"

#include <atomic>

namespace vostrel::sim::test {
namespace {

class EdsShootingTest : public EdsTest {
protected:
  // Opens camera 0, listens to it and sets where pictures go.
  EdsCameraRef shootingCamera(EdsUInt32 saveTo) {
    EdsCameraRef camera = openCamera(0);
    listen(camera);
    EXPECT_EQ(setProperty32(camera, EdsPropSaveTo, saveTo), EdsErrOK);
    control().waitIdle();
    return camera;
  }

  // The items announced for transfer so far.
  std::vector<EdsDirectoryItemRef> announced() {
    control().waitIdle();
    std::vector<EdsDirectoryItemRef> items;
    for (const Delivery& delivery : recorder_.deliveries("object")) {
      EXPECT_EQ(delivery.event, EdsObjectEventTransferRequest);
      items.push_back(delivery.object);
    }
    return items;
  }

  std::string nameOf(EdsDirectoryItemRef item) {
    DirectoryItemInfoType info{};
    EXPECT_EQ(eds().EdsGetDirectoryItemInfo(item, &info), EdsErrOK);
    return info.fileName;
  }
};

TEST_F(EdsShootingTest, ReleaseAnnouncesTheNewPictureFromTheSimulatorsThread) {
  EdsCameraRef camera = shootingCamera(EdsSaveToBoth);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  const auto items = announced();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_NE(recorder_.deliveries("object")[0].thread, std::this_thread::get_id());
  EXPECT_EQ(nameOf(items[0]), "IMG_0007.JPG");
  EXPECT_NE(control().listFiles(0).find("DCIM/101EOSST/IMG_0007.JPG"), std::string::npos);
  EXPECT_EQ(property32(camera, EdsPropAvailableShots), 311u);
  EXPECT_EQ(eds().EdsRelease(items[0]), EdsErrOK);
}

TEST_F(EdsShootingTest, SynchronousCallbacksArriveDuringTheCall) {
  control().setSynchronousCallbacks(true);
  EdsCameraRef camera = shootingCamera(EdsSaveToHost);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  // Delivered before the call returned, on this thread, without waiting.
  const auto objects = recorder_.deliveries("object");
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].thread, std::this_thread::get_id());
  control().setSynchronousCallbacks(false);
}

TEST_F(EdsShootingTest, DownloadReportsRisingProgressEndingAtHundred) {
  EdsCameraRef camera = shootingCamera(EdsSaveToHost);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  const EdsDirectoryItemRef picture = announced().at(0);
  DirectoryItemInfoType info{};
  ASSERT_EQ(eds().EdsGetDirectoryItemInfo(picture, &info), EdsErrOK);
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &stream), EdsErrOK);
  ASSERT_EQ(eds().EdsSetProgressCallback(stream, Recorder::onProgress, EdsProgressPeriodically,
                                         &recorder_),
            EdsErrOK);
  ASSERT_EQ(eds().EdsDownload(picture, info.size, stream), EdsErrOK);
  // Every report was delivered before the download returned.
  const auto progress = recorder_.deliveries("progress");
  ASSERT_GE(progress.size(), 2u);
  for (std::size_t i = 1; i < progress.size(); ++i) {
    EXPECT_GT(progress[i].value, progress[i - 1].value);
  }
  EXPECT_EQ(progress.back().value, 100u);
  EXPECT_NE(progress.back().thread, std::this_thread::get_id());
  const Rgb8Image image = decodeJpeg(streamBytes(stream));
  EXPECT_EQ(image.width, 320);

  // A picture released only to the PC is on no card and leaves after its
  // transfer; the card and the shots left are untouched.
  EXPECT_EQ(control().listFiles(0).find("IMG_0007"), std::string::npos);
  EXPECT_EQ(property32(camera, EdsPropAvailableShots), 312u);
  ASSERT_EQ(eds().EdsDownloadComplete(picture), EdsErrOK);
  EXPECT_EQ(eds().EdsGetDirectoryItemInfo(picture, &info), EdsErrFileNotFound);
}

TEST_F(EdsShootingTest, ProgressCanCancelTheTransfer) {
  EdsCameraRef camera = shootingCamera(EdsSaveToHost);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  const EdsDirectoryItemRef picture = announced().at(0);
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &stream), EdsErrOK);
  ASSERT_EQ(eds().EdsSetProgressCallback(stream, Recorder::onProgress, EdsProgressPeriodically,
                                         &recorder_),
            EdsErrOK);
  recorder_.cancelAt(1);
  DirectoryItemInfoType info{};
  ASSERT_EQ(eds().EdsGetDirectoryItemInfo(picture, &info), EdsErrOK);
  EXPECT_EQ(eds().EdsDownload(picture, info.size, stream), EdsErrOperationCancelled);
  EXPECT_EQ(recorder_.deliveries("progress").size(), 1u);
  EdsUInt32 length = 0;
  ASSERT_EQ(eds().EdsGetLength(stream, &length), EdsErrOK);
  EXPECT_LT(length, info.size);
}

TEST_F(EdsShootingTest, ACameraUnpluggedDuringADownloadBreaksItOffAfterItsFirstBlock) {
  EdsCameraRef camera = shootingCamera(EdsSaveToHost);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  const EdsDirectoryItemRef picture = announced().at(0);
  DirectoryItemInfoType info{};
  ASSERT_EQ(eds().EdsGetDirectoryItemInfo(picture, &info), EdsErrOK);
  const auto download = [&](EdsStreamRef& stream) {
    EXPECT_EQ(eds().EdsCreateMemoryStream(0, &stream), EdsErrOK);
    EXPECT_EQ(eds().EdsSetProgressCallback(stream, Recorder::onProgress, EdsProgressPeriodically,
                                           &recorder_),
              EdsErrOK);
    return eds().EdsDownload(picture, info.size, stream);
  };
  // The first download is let through whole; the camera goes during the second.
  EXPECT_THROW(control().detachCameraDuring(2, "EdsDownload", 1), std::runtime_error);
  EXPECT_THROW(control().detachCameraDuring(0, "", 1), std::runtime_error);
  control().detachCameraDuring(0, "EdsDownload", 1);
  EdsStreamRef whole = nullptr;
  ASSERT_EQ(download(whole), EdsErrOK);
  const std::size_t reports = recorder_.deliveries("progress").size();
  EdsStreamRef broken = nullptr;
  EXPECT_EQ(download(broken), EdsErrCommDisconnected);
  EXPECT_EQ(recorder_.deliveries("progress").size(), reports + 1);
  EdsUInt32 length = 0;
  ASSERT_EQ(eds().EdsGetLength(broken, &length), EdsErrOK);
  EXPECT_GT(length, 0u);
  EXPECT_LT(length, info.size);

  // Unplugged as by VostrelSim_DetachCamera: it said so, and answers no more.
  control().waitIdle();
  const auto states = recorder_.deliveries("state");
  ASSERT_EQ(states.size(), 1u);
  EXPECT_EQ(states[0].event, EdsStateEventShutdown);
  EXPECT_EQ(eds().EdsDownload(picture, info.size, whole), EdsErrCommDisconnected);
  EdsUInt32 value = 0;
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrCommDisconnected);
}

TEST_F(EdsShootingTest, ACallWithoutCallbacksLosesItsCameraAsItReturns) {
  EdsCameraRef camera = shootingCamera(EdsSaveToHost);
  // Cleared before it was due: nothing happens.
  control().detachCameraDuring(0, "EdsGetPropertyData", 0);
  control().clearFailures();
  EdsUInt32 value = 0;
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrOK);
  control().detachCameraDuring(0, "EdsGetPropertyData", 0);
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrOK);
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrCommDisconnected);
  control().waitIdle();
  EXPECT_EQ(recorder_.deliveries("state").size(), 1u);
}

TEST_F(EdsShootingTest, PicturesKeptOnlyOnTheCardAreNotAnnounced) {
  EdsCameraRef camera = shootingCamera(EdsSaveToCamera);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  EXPECT_TRUE(announced().empty());
  const std::string files = control().listFiles(0);
  EXPECT_NE(files.find("IMG_0007.JPG"), std::string::npos);
  EXPECT_NE(files.find("IMG_0008.JPG"), std::string::npos);
  EXPECT_EQ(property32(camera, EdsPropAvailableShots), 310u);
}

TEST_F(EdsShootingTest, RawWithJpegGivesTwoFilesOfOneNumberInReleaseOrder) {
  EdsCameraRef camera = shootingCamera(EdsSaveToBoth);
  const ImageQualityValueType rawAndJpeg = {0, 2, 4, 0, 1, 5};
  ASSERT_EQ(
      eds().EdsSetPropertyData(camera, EdsPropImageQuality, 0, sizeof(rawAndJpeg), &rawAndJpeg),
      EdsErrOK);
  ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
  const auto items = announced();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(nameOf(items[0]), "IMG_0007.CR2");
  EXPECT_EQ(nameOf(items[1]), "IMG_0007.JPG");
  const auto raw = control().readFile(0, 0, "DCIM/101EOSST/IMG_0007.CR2");
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ(decodeRaw(*raw).number, 7u);
}

// An object handler that gives the announced reference straight back.
EdsError EDSCALLBACK releaseOnArrival(EdsUInt32, void* object, void* context) {
  if (eds().EdsRelease(object) == EdsErrOK) {
    ++*static_cast<std::atomic<int>*>(context);
  }
  return 0;
}

TEST_F(EdsShootingTest, HandlersMayCallTheSdkWhileTheHostKeepsCalling) {
  EdsCameraRef camera = shootingCamera(EdsSaveToBoth);
  std::atomic<int> released{0};
  ASSERT_EQ(eds().EdsSetObjectEventHandler(camera, EdsObjectEventAll, releaseOnArrival, &released),
            EdsErrOK);
  for (int shot = 0; shot < 10; ++shot) {
    ASSERT_EQ(eds().EdsSendCommand(camera, EdsCommandTakePicture, 0), EdsErrOK);
    EXPECT_EQ(property32(camera, EdsPropAvailableShots), 311u - static_cast<EdsUInt32>(shot));
  }
  control().waitIdle();
  EXPECT_EQ(released.load(), 10);
  EXPECT_EQ(control().liveReferences(), 1u); // the camera
}

TEST_F(EdsShootingTest, AFullCardOrAMissingCardRefusesTheRelease) {
  loadCameras(R"([{"model": "Full", "availableShots": 0},
                  {"model": "Empty", "volumes": []}])");
  EdsCameraRef full = openCamera(0);
  EdsCameraRef empty = openCamera(1);
  EXPECT_EQ(eds().EdsSendCommand(full, EdsCommandTakePicture, 0), EdsErrDeviceMemoryFull);
  EXPECT_EQ(eds().EdsSendCommand(empty, EdsCommandTakePicture, 0), EdsErrDeviceNoDisk);
  // Without a card, pictures can still go to the PC.
  EXPECT_EQ(setProperty32(empty, EdsPropSaveTo, EdsSaveToHost), EdsErrOK);
  EXPECT_EQ(eds().EdsSendCommand(empty, EdsCommandTakePicture, 0), EdsErrOK);
}

} // namespace
} // namespace vostrel::sim::test
