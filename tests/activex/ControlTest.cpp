// The control on its own controller, without a camera: cached queries before
// any call, errors passing through, the thumbnail errors, and the controller's
// events arriving (or not) at the control's events, raised through the
// controller's SDK handlers as an SDK would call them.

#include "activex/Thumbnails.h"
#include "activex/VostrelActiveX.h"
#include "core/ECamException.h"
#include "core/JPEGImage.h"
#include "core/TempFolder.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include "support/GreyJpeg.h"
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace vostrel {
namespace {

using test::EncodeGrey;

// The message of the error that the call raises, or "" when it succeeds.
template <typename Call>
std::string ErrorOf(Call&& call) {
  try {
    call();
  } catch (const ECamException& error) {
    return error.message();
  }
  return {};
}

TEST(ControlCacheTest, EverythingReadsEmptyBeforeTheFirstCall) {
  const TVostrelActiveX control;
  EXPECT_EQ(control.OpenCameraEnumeration_GetPowerShotNr(), 0);
  EXPECT_EQ(control.OpenCameraEnumeration_GetEOSNr(), 0);
  for (const std::int32_t family :
       std::initializer_list<std::int32_t>{CamModNone, CamModPowerShot, CamModEOS, 3}) {
    for (const std::int32_t number : {-1, 0, 1}) {
      EXPECT_EQ(control.OpenCameraEnumeration_GetModel(family, number), "");
    }
  }
  EXPECT_EQ(control.Connect_CameraModel(), CamModNone);
  EXPECT_EQ(control.Connect_CameraModelName(), "");
  EXPECT_EQ(control.Connect_OwnerName(), "");
  EXPECT_EQ(control.Connect_Battery_BatterySource(), BatterySourceUnknown);
  EXPECT_EQ(control.Connect_Battery_BatteryStatus(), BatteryStatusUnknown);
  EXPECT_FALSE(control.RemoteStart_DoSupportZoom());
  EXPECT_FALSE(control.RemoteStart_DoSupportAfLockUnlock());
  EXPECT_EQ(control.RemoteStart_GetRemoteParamSupported(RemoteParamTv), std::string(60, '0'));
  EXPECT_EQ(control.OpenCameraCollection_GetNrOfPictures(), 0);
  EXPECT_EQ(control.OpenCameraCollection_NameOfImage(0), "");
  EXPECT_EQ(control.OpenCameraCollection_NameOfImage(-1), "");
  EXPECT_EQ(control.OpenRAWObject_GetRemoteParamSupported(RAWParamWhiteBalanceSetting),
            std::string(17, '0'));
}

TEST(ControlCallTest, ControllerErrorsPassThroughUnchanged) {
  TVostrelActiveX control;
  EXPECT_EQ(ErrorOf([&] { control.Disconnect(); }), "No camera is connected");
  EXPECT_EQ(ErrorOf([&] { control.GetBodyID(); }), "No camera is connected");
  EXPECT_EQ(ErrorOf([&] { control.RemoteEnd(); }), "Camera not in remote mode");
  EXPECT_EQ(ErrorOf([&] { control.RemoteGetRemoteParams(RemoteParamISO); }),
            "Camera not in remote mode");
  EXPECT_EQ(ErrorOf([&] { control.RemoteSetRemoteParams(RemoteParamISO, 4); }),
            "Camera not in remote mode");
  EXPECT_EQ(ErrorOf([&] { control.RemoteSetRemoteParams(RemoteParamImageSize, 1); }),
            "Camera not in remote mode");
  EXPECT_EQ(ErrorOf([&] { control.RemoteSetRemoteParams_WhitebalanceShift(true, 1, 1); }),
            "Camera not in remote mode");
  EXPECT_EQ(ErrorOf([&] { control.RemoteGetZoomPos_MaxZoomPos(); }), "Camera not in remote mode");
  EXPECT_EQ(ErrorOf([&] { control.RemoteStopViewfinder(); }), "Camera not in viewfinder mode");
  EXPECT_EQ(ErrorOf([&] { control.RemoteStart(ReleaseModeOnlyToPC, 1, false, ""); }),
            "No camera is connected");
  EXPECT_EQ(ErrorOf([&] { control.DeletePicture(0); }), "No camera is connected");
  // A failed call refreshes no cache.
  EXPECT_EQ(control.Connect_CameraModel(), CamModNone);
}

TEST(ControlCallTest, KindsThatSendNothingSucceedWithoutAskingTheController) {
  TVostrelActiveX control;
  // Without remote mode, any call of the controller would be refused.
  for (const std::int32_t kind : std::initializer_list<std::int32_t>{RemoteParamWhiteBalanceShift,
                                                                     RemoteParamPictureStyle, 27}) {
    EXPECT_EQ(ErrorOf([&] { control.RemoteSetRemoteParams(kind, 3); }), "") << "kind " << kind;
  }
}

TEST(ControlCallTest, ImpossibleDatesFailBeforeTheControllerIsAsked) {
  TVostrelActiveX control;
  EXPECT_EQ(ErrorOf([&] { control.SetTimeInCamera(2023, 2, 29, 12, 0, 0, 0); }),
            "Invalid date or time: 2023-02-29 12:00:00.000");
  EXPECT_EQ(ErrorOf([&] { control.SetTimeInCamera(2024, 2, 29, 12, 0, 0, 0); }),
            "No camera is connected");
}

TEST(ThumbnailTest, ErrorsInTheirOrder) {
  TVostrelActiveX control;
  EXPECT_EQ(ErrorOf([&] { control.OpenCameraCollection_GetThumbnail(0, "thumb.jpg"); }),
            "Thumbnail not received since not set in OpenCameraCollection");

  const ImageListType list{{"IMG_0001.JPG", 0, nullptr}, {"IMG_0002.CR2", 0, nullptr}};
  // Without thumbnails even a valid number fails.
  EXPECT_EQ(ErrorOf([&] { ThumbnailEntry(list, false, 0); }),
            "Thumbnail not received since not set in OpenCameraCollection");
  EXPECT_EQ(ErrorOf([&] { ThumbnailEntry(list, true, 2); }),
            "PictureNumber too high. Picture 2 does not exists");
  EXPECT_EQ(ErrorOf([&] { ThumbnailEntry({}, true, 0); }),
            "PictureNumber too high. Picture 0 does not exists");
  EXPECT_EQ(ErrorOf([&] { ThumbnailEntry(list, true, -1); }),
            "PictureNumber too low. Picture -1 does not exist");
  // A picture the camera made no thumbnail for.
  EXPECT_EQ(ErrorOf([&] { ThumbnailEntry(list, true, 1); }),
            "Picture 1 (IMG_0002.CR2) has no thumbnail");
}

TEST(ThumbnailTest, TheEntryOfTheNumberSavesItsOwnBytes) {
  const std::vector<std::uint8_t> first = EncodeGrey(4, 3);
  const std::vector<std::uint8_t> second = EncodeGrey(16, 12);
  const ImageListType list{{"IMG_0001.JPG", 0, TJPEGImage::FromBytes(first)},
                           {"IMG_0002.JPG", 0, TJPEGImage::FromBytes(second)}};
  test::TempFolder folder;
  const std::string file = folder.file("thumb.jpg");
  SaveThumbnail(ThumbnailEntry(list, true, 1), file);
  EXPECT_EQ(platform::readFile(file), second);
  SaveThumbnail(ThumbnailEntry(list, true, 0), file);
  EXPECT_EQ(platform::readFile(file), first);
}

// ---------------------------------------------------------------------------
// Events

struct RemoteEventArgs {
  TxRemoteEventCallbackType event;
  TxNotifyRemoteEventValidType valid;
  std::int32_t count;
  TxypeOfPictureType picture;
  bool operator==(const RemoteEventArgs&) const = default;
};

class ControlEventTest : public ::testing::Test {
protected:
  ControlEventTest() {
    control.OnEvent = [this](TxEventSeverityType severity, TxEventEnumType event) {
      cameraEvents.emplace_back(severity, event);
    };
    control.OnRemoteEvent = [this](TxRemoteEventCallbackType event,
                                   TxNotifyRemoteEventValidType valid, std::int32_t count,
                                   TxypeOfPictureType picture) {
      remoteEvents.push_back({event, valid, count, picture});
    };
  }

  SDKContext Context() const {
    return static_cast<SDKContext>(control.Controller().GetInstanceIndex());
  }

  // Progress handlers pause after each report; the fake clock keeps it short.
  platform::FakeClock fakeClock;
  platform::ScopedClock scopedClock{fakeClock};
  TVostrelActiveX control;
  std::vector<std::pair<TxEventSeverityType, TxEventEnumType>> cameraEvents;
  std::vector<RemoteEventArgs> remoteEvents;
};

TEST_F(ControlEventTest, CameraEventsArriveAsSeverityAndEvent) {
  const std::uint32_t weak = 4;
  TVostrel::CDCameraEventHandler(0x20001, &weak, 0, Context());
  TVostrel::CDCameraEventHandler(0x40000 | 13, nullptr, 0, Context());
  ASSERT_EQ(cameraEvents.size(), 2U);
  EXPECT_EQ(cameraEvents[0], std::make_pair(EventSeverityWarning, EventBatteryLevelWeak));
  EXPECT_EQ(cameraEvents[1], std::make_pair(EventSeverityClosing, EventConnectionDisappeared));
}

TEST_F(ControlEventTest, OnlyRemoteEventsWithDataReachTheHost) {
  const std::uint32_t three = 3;
  // Release start, changed by UI, reset, release on, viewfinder on/off and an
  // unknown code carry no data.
  for (const std::uint32_t code : {28U, 27U, 10U, 30U, 32U, 33U, 31U}) {
    TVostrel::ReleaseEventHandler(code, &three, 0, Context());
  }
  EXPECT_TRUE(remoteEvents.empty());

  TVostrel::ReleaseEventHandler(29, &three, 0, Context());
  std::int32_t eosContext = control.Controller().GetInstanceIndex();
  TVostrel::EOSObjectEventHandler(0x0208, nullptr, &eosContext);
  const std::vector<RemoteEventArgs> expected{
      {RemoteEventCallbackReleaseComplete, NotifyRemoteEventValid1, 3, TypeOfPictureNo},
      {RemoteEventCallbackReleaseImageReady, NotifyRemoteEventValid2, 0, TypeOfPicturePicture}};
  EXPECT_EQ(remoteEvents, expected);
}

TEST_F(ControlEventTest, ProgressPassesThroughToTheEventOfTheSameName) {
  std::vector<std::pair<std::string, std::int32_t>> reports;
  const auto note = [&](const char* name) {
    return [&reports, name](std::int32_t percent) { reports.emplace_back(name, percent); };
  };
  control.OnRemoteTakePictureEvent = note("take");
  control.OnRemoteGetPictureEvent = note("remote-get");
  control.OnGetPictureEvent = note("get");
  control.OnRemoteProbeParamEvent = note("probe");

  TVostrel::TakePictureProgressHandler(10, 0, Context());
  TVostrel::RemoteGetPictureProgressHandler(20, 0, Context());
  TVostrel::GetPictureProgressHandler(30, 0, Context());
  TVostrel::ReportProbeProgress(control.Controller().GetInstanceIndex(), 40);
  const std::vector<std::pair<std::string, std::int32_t>> expected{
      {"take", 10}, {"remote-get", 20}, {"get", 30}, {"probe", 40}};
  EXPECT_EQ(reports, expected);
}

TEST_F(ControlEventTest, UnassignedEventsAreDropped) {
  control.OnEvent = nullptr;
  control.OnRemoteEvent = nullptr;
  const std::uint32_t one = 1;
  TVostrel::CDCameraEventHandler(2, &one, 0, Context());
  TVostrel::ReleaseEventHandler(29, &one, 0, Context());
  TVostrel::TakePictureProgressHandler(50, 0, Context());
  EXPECT_TRUE(cameraEvents.empty());
  EXPECT_TRUE(remoteEvents.empty());
}

// Points the environment variable "Temp" at a folder for one test.
class ScopedTemp {
public:
  explicit ScopedTemp(const std::optional<std::string>& value)
      : previous_(platform::environmentVariable("Temp")) {
    platform::setEnvironmentVariable("Temp", value);
  }
  ~ScopedTemp() { platform::setEnvironmentVariable("Temp", previous_); }
  ScopedTemp(const ScopedTemp&) = delete;
  ScopedTemp& operator=(const ScopedTemp&) = delete;

private:
  std::optional<std::string> previous_;
};

TEST_F(ControlEventTest, ViewfinderFramesGoToZeroJpgInTemp) {
  test::TempFolder folder;
  const std::string tempFolder = platform::withoutTrailingSeparator(folder.file(""));
  const ScopedTemp temp(tempFolder);
  const std::string frameFile = platform::joinPath(tempFolder, "0.jpg");

  const std::vector<std::uint8_t> first{0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
  const std::vector<std::uint8_t> second{0xFF, 0xD8, 9, 0xFF, 0xD9};
  TVostrel::CDViewfinderHandler(first.data(), static_cast<std::uint32_t>(first.size()), 0,
                                Context());
  EXPECT_FALSE(platform::fileExists(frameFile)) << "written without a handler";

  std::vector<std::string> announced;
  std::vector<std::vector<std::uint8_t>> contents;
  control.OnViewfinderEvent = [&](const std::string& fileName) {
    announced.push_back(fileName);
    contents.push_back(platform::readFile(fileName));
  };
  TVostrel::CDViewfinderHandler(first.data(), static_cast<std::uint32_t>(first.size()), 0,
                                Context());
  TVostrel::PRViewfinderHandler(0, Context(), static_cast<std::uint32_t>(second.size()),
                                second.data());
  EXPECT_EQ(announced, (std::vector<std::string>{frameFile, frameFile}));
  EXPECT_EQ(contents, (std::vector<std::vector<std::uint8_t>>{first, second}));
  // The shorter second frame replaced the first one whole.
  EXPECT_EQ(platform::readFile(frameFile), second);
}

// A host may read the frame file at any moment, not only during the event
// (a script host, which hears no events, polls it): whatever it reads is a
// whole frame, never an empty or half-written file.
TEST_F(ControlEventTest, AFrameFileReadWhileFramesArriveHoldsAWholeFrame) {
  test::TempFolder folder;
  const std::string tempFolder = platform::withoutTrailingSeparator(folder.file(""));
  const ScopedTemp temp(tempFolder);
  const std::string frameFile = platform::joinPath(tempFolder, "0.jpg");
  const std::vector<std::uint8_t> small{0xFF, 0xD8, 7, 0xFF, 0xD9};
  std::vector<std::uint8_t> large(256 * 1024, 0x55);
  large.front() = 0xFF;
  large[1] = 0xD8;
  large[large.size() - 2] = 0xFF;
  large.back() = 0xD9;
  control.OnViewfinderEvent = [](const std::string&) {};

  std::atomic<bool> done{false};
  std::atomic<int> partial{0};
  std::atomic<int> reads{0};
  std::thread host([&] {
    while (!done) {
      try {
        const std::vector<std::uint8_t> seen = platform::readFile(frameFile);
        ++reads;
        if (seen != small && seen != large) {
          ++partial;
        }
      } catch (const std::exception&) {
        // Not there yet, or being replaced just now.
      }
    }
  });
  for (int frame = 0; frame < 200; ++frame) {
    const std::vector<std::uint8_t>& bytes = frame % 2 == 0 ? large : small;
    TVostrel::PRViewfinderHandler(0, Context(), static_cast<std::uint32_t>(bytes.size()),
                                  bytes.data());
  }
  done = true;
  host.join();
  EXPECT_EQ(partial.load(), 0) << "of " << reads.load() << " reads";
}

TEST_F(ControlEventTest, WithoutTempTheFrameGoesToTheSystemTemporaryFolder) {
  const ScopedTemp temp(std::nullopt);
  const std::string frameFile = platform::joinPath(platform::temporaryFolder(), "0.jpg");
  std::string announced;
  control.OnViewfinderEvent = [&](const std::string& fileName) { announced = fileName; };
  const std::uint8_t frame[] = {0xFF, 0xD8, 0xFF, 0xD9};
  TVostrel::CDViewfinderHandler(frame, sizeof frame, 0, Context());
  EXPECT_EQ(announced, frameFile);
  EXPECT_EQ(platform::readFile(frameFile),
            std::vector<std::uint8_t>(std::begin(frame), std::end(frame)));
  platform::removeFile(frameFile);
}

} // namespace
} // namespace vostrel
