// Remote release control of a PR camera through the controller: entering and
// leaving it, the release destination, the parameter probe with its progress
// and cache file, releases announced by camera events and fetched into files.

#include "SimulatedPR.h"

#include "core/ProbeCache.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::uint32_t Busy = 0x00FF2019;

std::string Failure(const std::string& function) {
  return function + " errorcode 0x00FF2019, Device busy";
}

const std::string BothRefused = "Release to both camera and PC does not work for the connected "
                                "camera";

// Every shooting property of the simulated camera, to take away.
const std::vector<std::string> ShootingProperties = {"Quality",
                                                     "ImageFormat",
                                                     "ImageSize",
                                                     "DriveModeSetting",
                                                     "Strobe",
                                                     "Beep",
                                                     "ShootingMode",
                                                     "DriveMode",
                                                     "Metering",
                                                     "AFDistance",
                                                     "AFPoint",
                                                     "WhiteBalance",
                                                     "Contrast",
                                                     "ColorGain",
                                                     "Sharpness",
                                                     "ISO",
                                                     "Av",
                                                     "Tv",
                                                     "ExposureCompensation",
                                                     "StrobeCompensation",
                                                     "PhotoEffect",
                                                     "AFAssistLight"};

class PRReleaseControl : public SimulatedPR {
protected:
  void UseCamera(const nlohmann::json& properties = nlohmann::json::object()) {
    UseScenario({PRCameraSpec{.model = "PowerShot Test", .properties = properties}});
    ConnectFirstCamera();
    controller->OnRemoteProbeParamEvent = [this](std::int32_t percent) {
      probeReports.push_back(percent);
    };
  }

  RemoteStartInfoType
  Start(ReleaseModeType mode = ReleaseModeType::ReleaseModeOnlyToCamera,
        ReleaseDataKindType kind = ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture,
        bool probe = false, const std::string& cacheDirectory = "") {
    return controller->RemoteStart(mode, kind, probe, cacheDirectory);
  }

  // The property writes, as "D029=0800".
  static std::vector<std::string> Writes() {
    static const std::regex write(
        R"(^PR_SetDevicePropValue\(camera#, 0x0000([0-9A-F]{4}), [0-9]+, ([0-9A-F]*)\))");
    std::vector<std::string> found;
    for (const std::string& call : Calls()) {
      std::smatch match;
      if (std::regex_search(call, match, write)) {
        found.push_back(match.format("$1=$2"));
      }
    }
    return found;
  }

  // The description calls and shooting-mode switches of a probe, in order.
  static std::vector<std::string> ProbeCalls() {
    static const std::regex desc(R"(^PR_GetDevicePropDesc\(camera#, 0x0000([0-9A-F]{4}),)");
    static const std::regex mode(
        R"(^PR_SetDevicePropValue\(camera#, 0x0000D00C, 1, ([0-9A-F]+)\))");
    std::vector<std::string> found;
    for (const std::string& call : Calls()) {
      std::smatch match;
      if (std::regex_search(call, match, desc)) {
        found.push_back(match.format("$1"));
      } else if (std::regex_search(call, match, mode)) {
        found.push_back(match.format("mode $1"));
      }
    }
    return found;
  }

  std::vector<std::int32_t> probeReports;
};

// ---------------------------------------------------------------------------
// RemoteStart and RemoteEnd

TEST_F(PRReleaseControl, StartEntersReleaseControlAndReportsTheCapabilities) {
  UseCamera({{"0xD02A", 0}}); // a zoom property
  const RemoteStartInfoType info = Start();
  EXPECT_TRUE(controller->IsRemoteModeOn());
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_InitiateReleaseControl", "PR_SetDevicePropValue",
                                             "PR_SetDevicePropValue", "PR_GetDeviceInfo"));
  EXPECT_THAT(Writes(), ElementsAre("D029=0800", "D00C=01"));
  EXPECT_TRUE(info.DoSupportZoom);
  EXPECT_TRUE(info.DoSupportShootingPara);
  EXPECT_TRUE(info.DoSupportViewfinder);
  EXPECT_FALSE(info.ReqViewfinderOffWhenShooting);
  EXPECT_TRUE(info.DoSupportAfLockUnlock);
  // Without probing: no progress and no supported values.
  EXPECT_THAT(probeReports, IsEmpty());
  EXPECT_TRUE(std::all_of(info.SupportedParamValues.Flags.begin(),
                          info.SupportedParamValues.Flags.end(),
                          [](std::uint8_t flag) { return flag == 0; }));

  Sim().clearCallLog();
  controller->RemoteEnd();
  EXPECT_FALSE(controller->IsRemoteModeOn());
  EXPECT_THAT(Calls(), ElementsAre("PR_TerminateReleaseControl(camera#) = 0x00000000"));
}

TEST_F(PRReleaseControl, CapabilitiesFollowTheDeviceInformation) {
  UseScenario({PRCameraSpec{.operations = std::vector<std::uint16_t>{0x1001, 0x9008},
                            .properties = {{"Zoom", nullptr}}}});
  ConnectFirstCamera();
  const RemoteStartInfoType info = Start();
  EXPECT_FALSE(info.DoSupportZoom);
  EXPECT_TRUE(info.DoSupportShootingPara);
  EXPECT_FALSE(info.DoSupportViewfinder);
  EXPECT_FALSE(info.DoSupportAfLockUnlock);
}

TEST_F(PRReleaseControl, TheDestinationCombinesModeAndKind) {
  UseCamera();
  using Mode = ReleaseModeType;
  using Kind = ReleaseDataKindType;
  for (const Mode mode : {Mode::ReleaseModeOnlyToPC, Mode::ReleaseModeOnlyToCamera}) {
    for (const Kind kind :
         {Kind::ReleaseDataKindTakeOnlyThumbnail, Kind::ReleaseDataKindTakeOnlyPicture,
          Kind::ReleaseDataKingTakeBothThumbAndPic}) {
      Start(mode, kind);
      controller->RemoteEnd();
    }
  }
  std::vector<std::string> destinations;
  for (const std::string& write : Writes()) {
    if (write.starts_with("D029=")) {
      destinations.push_back(write.substr(5));
    }
  }
  EXPECT_THAT(destinations, ElementsAre("0100", "0200", "0300", "0400", "0800", "0C00"));
}

TEST_F(PRReleaseControl, BothPCAndCameraIsRefusedAndReleaseControlLeftAgain) {
  UseCamera();
  EXPECT_EQ(MessageOf([&] { Start(ReleaseModeType::ReleaseModeBothPCAndCamera); }), BothRefused);
  EXPECT_FALSE(controller->IsRemoteModeOn());
  EXPECT_THAT(CalledFunctions(),
              ElementsAre("PR_InitiateReleaseControl", "PR_TerminateReleaseControl"));
  // The camera is not left under release control: a new start works.
  EXPECT_EQ(MessageOf([&] { Start(); }), "");
  EXPECT_TRUE(controller->IsRemoteModeOn());
}

TEST_F(PRReleaseControl, AFailedStepOfTheStartLeavesReleaseControl) {
  UseCamera();
  FailCall("PR_InitiateReleaseControl", Busy);
  EXPECT_EQ(MessageOf([&] { Start(); }), Failure("PR_InitiateReleaseControl"));
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_InitiateReleaseControl"));

  for (const char* step : {"PR_SetDevicePropValue", "PR_GetDeviceInfo"}) {
    Sim().clearCallLog();
    FailCall(step, Busy);
    EXPECT_EQ(MessageOf([&] { Start(); }), Failure(step));
    EXPECT_FALSE(controller->IsRemoteModeOn());
    EXPECT_EQ(CalledFunctions().back(), "PR_TerminateReleaseControl");
  }
  // A camera that refuses the shooting mode starts all the same.
  FailCall("PR_SetDevicePropValue", Busy, 1);
  EXPECT_EQ(MessageOf([&] { Start(); }), "");
}

TEST_F(PRReleaseControl, AFailedEndStillLeavesRemoteMode) {
  UseCamera();
  Start();
  FailCall("PR_TerminateReleaseControl", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteEnd(); }), Failure("PR_TerminateReleaseControl"));
  EXPECT_FALSE(controller->IsRemoteModeOn());

  // The camera still under release control is let go of before the next
  // start enters it again, whatever it answers.
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { Start(); }), "");
  ASSERT_GE(CalledFunctions().size(), 2u);
  EXPECT_EQ(CalledFunctions()[0], "PR_TerminateReleaseControl");
  EXPECT_EQ(CalledFunctions()[1], "PR_InitiateReleaseControl");

  // After an end the camera confirmed, a start only enters.
  controller->RemoteEnd();
  Sim().clearCallLog();
  Start();
  EXPECT_EQ(CalledFunctions().front(), "PR_InitiateReleaseControl");
}

TEST_F(PRReleaseControl, AvailableShotsComeFromTheCamera) {
  UseCamera();
  Start();
  EXPECT_EQ(controller->RemoteGetNumberOfAvailableShots(), 250);
  FailCall("PR_RC_GetNumAvailableShot", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetNumberOfAvailableShots(); }),
            Failure("PR_RC_GetNumAvailableShot"));
}

// ---------------------------------------------------------------------------
// Probing

TEST_F(PRReleaseControl, ProbingFlagsTheDescribedValuesAndReportsEveryStep) {
  UseCamera();
  const SupportedParamValuesType table =
      Start(ReleaseModeType::ReleaseModeOnlyToPC,
            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true)
          .SupportedParamValues;
  EXPECT_THAT(probeReports, ElementsAre(5, 10, 14, 19, 24, 29, 33, 38, 43, 48, 52, 57, 62, 67, 71,
                                        76, 81, 86, 90, 95, 100));
  EXPECT_THAT(ProbeCalls(),
              ElementsAre("mode 01", "D008", "D006", "D007", "D00C", "mode 04", "D01D", "D01E",
                          "mode 01", "D01F", "D013", "D011", "D012", "D041", "D00A", "D020", "D00E",
                          "D010", "D01C", "D017", "D018", "D019", "D040", "D00B", "mode 01"));

  const auto flagged = [&](TxRemoteParamType kind) {
    std::vector<int> values;
    for (int value = 0; value < 40; ++value) {
      if (table.IsSupported(kind, value)) {
        values.push_back(value);
      }
    }
    return values;
  };
  EXPECT_THAT(flagged(RemoteParamImageSize), ElementsAre(1, 3, 4, 5));
  EXPECT_THAT(flagged(RemoteParamCompQuality), ElementsAre(1, 2, 3, 5)); // 5: the RAW format
  EXPECT_THAT(flagged(RemoteParamImageMode), ElementsAre(1, 2, 16, 17, 18));
  EXPECT_THAT(flagged(RemoteParamDriveMode), ElementsAre(1, 2, 6, 7));
  EXPECT_THAT(flagged(RemoteParamWhiteBalanceSetting), ElementsAre(1, 2, 3, 4, 5, 7));
  EXPECT_THAT(flagged(RemoteParamContrast), ElementsAre(1, 2, 3));
  EXPECT_THAT(flagged(RemoteParamISO), ElementsAre(1, 2, 3, 4, 5));
  EXPECT_THAT(flagged(RemoteParamAv), ElementsAre(10, 11, 12, 13, 14, 15, 16));
  EXPECT_THAT(flagged(RemoteParamAFAssistLight), ElementsAre(1, 2));
  // Without a PR property: not offered, or not supported.
  EXPECT_THAT(flagged(RemoteParamCompQualityPic2RAW), ElementsAre(0));
  EXPECT_THAT(flagged(RemoteParamImageSizePic2RAW), ElementsAre(0));
  EXPECT_THAT(flagged(RemoteParamColorSpace), ElementsAre(0));
  EXPECT_THAT(flagged(RemoteParamAFMode), ElementsAre(0));
  EXPECT_FALSE(table.IsSupported(RemoteParamWhiteBalanceShift, 0));
  EXPECT_FALSE(table.IsSupported(RemoteParamPictureStyle, 0));
}

// Quality stands for the quality 0xD006 and the format selector 0xD007: a
// camera with only one of them is described only what it lists.
TEST_F(PRReleaseControl, QualityDescribesOnlyTheQualityPropertiesTheCameraLists) {
  const auto probe = [&] {
    return Start(ReleaseModeType::ReleaseModeOnlyToPC,
                 ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true)
        .SupportedParamValues;
  };
  const auto qualities = [](const SupportedParamValuesType& table) {
    std::vector<int> values;
    for (int value = 0; value < 8; ++value) {
      if (table.IsSupported(RemoteParamCompQuality, value)) {
        values.push_back(value);
      }
    }
    return values;
  };
  const auto described = [] {
    std::vector<std::string> codes;
    for (const std::string& call : ProbeCalls()) {
      if (call == "D006" || call == "D007") {
        codes.push_back(call);
      }
    }
    return codes;
  };

  UseCamera({{"ImageFormat", nullptr}});
  Sim().clearCallLog();
  EXPECT_THAT(qualities(probe()), ElementsAre(1, 2, 3));
  EXPECT_THAT(described(), ElementsAre("D006"));
  controller->RemoteEnd();

  UseCamera({{"Quality", nullptr}});
  Sim().clearCallLog();
  EXPECT_THAT(qualities(probe()), ElementsAre(5)); // the RAW format only
  EXPECT_THAT(described(), ElementsAre("D007"));
}

TEST_F(PRReleaseControl, ACameraWithoutParametersIsProbedToTheEnd) {
  nlohmann::json none = nlohmann::json::object();
  for (const std::string& name : ShootingProperties) {
    none[name] = nullptr;
  }
  UseCamera(none);
  const SupportedParamValuesType table =
      Start(ReleaseModeType::ReleaseModeOnlyToPC,
            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true)
          .SupportedParamValues;
  ASSERT_EQ(probeReports.size(), 21u);
  EXPECT_EQ(probeReports.back(), 100);
  EXPECT_THAT(CalledFunctions(), Not(Contains("PR_GetDevicePropDesc")));
  for (const TxRemoteParamType kind : {RemoteParamImageSize,
                                       RemoteParamCompQuality,
                                       RemoteParamImageMode,
                                       RemoteParamAv,
                                       RemoteParamTv,
                                       RemoteParamExposureCompensation,
                                       RemoteParamWhiteBalanceSetting,
                                       RemoteParamAFDistance,
                                       RemoteParamAFFocusingPoint,
                                       RemoteParamAFAssistLight,
                                       RemoteParamStrobeSetting,
                                       RemoteParamStrobeCompSetting,
                                       RemoteParamDriveMode,
                                       RemoteParamMLWeiMode,
                                       RemoteParamISO,
                                       RemoteParamContrast,
                                       RemoteParamColorGain,
                                       RemoteParamSharpness,
                                       RemoteParamPhotoEffect,
                                       RemoteParamBeep}) {
    EXPECT_TRUE(table.IsSupported(kind, 0)) << kind;
  }
}

TEST_F(PRReleaseControl, AValueOutsideTheConversionFlagsNothing) {
  UseCamera(
      {{"Quality", {{"value", 1}, {"accepted", {1, 9}}}}, {"ImageFormat", {{"accepted", {1}}}}});
  const SupportedParamValuesType table =
      Start(ReleaseModeType::ReleaseModeOnlyToPC,
            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true)
          .SupportedParamValues;
  EXPECT_FALSE(table.IsSupported(RemoteParamCompQuality, 0));
  EXPECT_TRUE(table.IsSupported(RemoteParamCompQuality, 1));
  EXPECT_FALSE(table.IsSupported(RemoteParamCompQuality, 5));
}

TEST_F(PRReleaseControl, TheProbeIsKeptInTheCacheFileOfTheModel) {
  TempFolder folder;
  UseCamera();
  const std::string cache = folder.file("cache");
  const SupportedParamValuesType table =
      Start(ReleaseModeType::ReleaseModeOnlyToPC,
            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true, cache)
          .SupportedParamValues;
  SupportedParamValuesType stored{};
  ASSERT_TRUE(ReadProbeCache(platform::joinPath(cache, "PowerShot Test Mode0"), stored));
  EXPECT_EQ(stored.Flags, table.Flags);
}

TEST_F(PRReleaseControl, AFailedDescriptionEndsTheProbeAndTheStart) {
  UseCamera();
  FailCall("PR_GetDevicePropDesc", Busy, 3); // the shooting mode's
  EXPECT_EQ(MessageOf([&] {
              Start(ReleaseModeType::ReleaseModeOnlyToPC,
                    ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true);
            }),
            Failure("PR_GetDevicePropDesc"));
  EXPECT_THAT(probeReports, ElementsAre(5, 10, 14));
  EXPECT_FALSE(controller->IsRemoteModeOn());
  EXPECT_EQ(CalledFunctions().back(), "PR_TerminateReleaseControl");
}

// ---------------------------------------------------------------------------
// Taking and fetching pictures

class PRShooting : public PRReleaseControl {
protected:
  void SetUp() override {
    PRReleaseControl::SetUp();
    UseCamera();
    controller->OnRemoteEvent = [this](RemoteEventCallbackType event,
                                       const AdditionNotifyRemoteEventType& data) {
      std::lock_guard lock(eventsLock);
      remoteEvents.emplace_back(event, data.NumOfEvents);
    };
    controller->OnRemoteGetPictureEvent = [this](std::int32_t percent) {
      std::lock_guard lock(eventsLock);
      pictureProgress.push_back(percent);
    };
    Start();
    Sim().clearCallLog();
  }

  static std::vector<std::uint8_t> OnCard(const std::string& name) {
    return Sim().readFile(0, 0, "DCIM/100_PSHT/" + name).value_or(std::vector<std::uint8_t>{});
  }

  TempFolder folder;
  std::mutex eventsLock;
  std::vector<std::pair<RemoteEventCallbackType, std::int32_t>> remoteEvents;
  std::vector<std::int32_t> pictureProgress;
};

TEST_F(PRShooting, AReleaseIsAnnouncedAndFetchedIntoTheFile) {
  controller->RemoteTakePicture();
  ASSERT_THAT(remoteEvents, ElementsAre(std::pair{
                                RemoteEventCallbackType::RemoteEventCallbackReleaseComplete, 1}));
  EXPECT_EQ(controller->PendingReleaseItemCount(), 1u);

  const std::string file = folder.file("picture.jpg");
  controller->RemoteGetPicture(file, PictureTypeFull);
  EXPECT_EQ(controller->PendingReleaseItemCount(), 0u);
  const std::vector<std::uint8_t> picture = OnCard("IMG_0001.JPG");
  ASSERT_FALSE(picture.empty());
  EXPECT_EQ(platform::readFile(file), picture);
  ASSERT_FALSE(pictureProgress.empty());
  EXPECT_EQ(pictureProgress.back(), 100);

  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], "PR_RC_Release(camera#) = 0x00000000");
  EXPECT_EQ(
      calls[1].rfind("PR_RC_GetReleasedData(camera#, object#, 0x0000C008, 100000, handler)", 0), 0u)
      << calls[1];
}

TEST_F(PRShooting, PicturesAreFetchedOldestFirstAndAFailedFetchIsRetried) {
  controller->RemoteTakePicture();
  controller->RemoteTakePicture();
  EXPECT_EQ(controller->PendingReleaseItemCount(), 2u);

  FailCall("PR_RC_GetReleasedData", Busy);
  const std::string first = folder.file("first.jpg");
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(first, PictureTypeFull); }),
            Failure("PR_RC_GetReleasedData"));
  EXPECT_EQ(controller->PendingReleaseItemCount(), 2u);

  controller->RemoteGetPicture(first, PictureTypeFull);
  const std::string second = folder.file("second.jpg");
  controller->RemoteGetPicture(second, PictureTypeFull);
  EXPECT_EQ(platform::readFile(first), OnCard("IMG_0001.JPG"));
  EXPECT_EQ(platform::readFile(second), OnCard("IMG_0002.JPG"));
  EXPECT_NE(OnCard("IMG_0001.JPG"), OnCard("IMG_0002.JPG"));
}

// Releases announced to an earlier connection are forgotten: the pictures
// of the new connection are fetched at once.
TEST_F(PRShooting, AReconnectedCameraFetchesItsOwnReleases) {
  controller->RemoteTakePicture();
  controller->RemoteTakePicture();
  controller->RemoteEnd();
  controller->Disconnect();
  EXPECT_EQ(controller->PendingReleaseItemCount(), 0u);

  controller->Connect(CamModPowerShot, 0);
  Start();
  controller->RemoteTakePicture();
  EXPECT_EQ(controller->PendingReleaseItemCount(), 1u);
  const std::string file = folder.file("picture.jpg");
  controller->RemoteGetPicture(file, PictureTypeFull);
  EXPECT_EQ(platform::readFile(file), OnCard("IMG_0003.JPG"));
  EXPECT_EQ(controller->PendingReleaseItemCount(), 0u);
}

// A release that the SDK reports on its own thread as the connection ends
// reaches a controller that is no longer connected: the next Connect forgets
// it, so the new connection's first picture is its own.
TEST_F(PRShooting, AReleaseReportedAfterTheDisconnectionIsForgottenByTheNextConnect) {
  controller->RemoteTakePicture();
  controller->RemoteEnd();
  controller->Disconnect();
  ASSERT_EQ(controller->PendingReleaseItemCount(), 0u);
  PREventRecord late{};
  late[PREventCodeOffset] = 0x08; // release complete, 0xC008
  late[PREventCodeOffset + 1] = 0xC0;
  TVostrel::PREventHandler(0, static_cast<SDKContext>(controller->GetInstanceIndex()), late.data());
  ASSERT_EQ(controller->PendingReleaseItemCount(), 1u);

  controller->Connect(CamModPowerShot, 0);
  EXPECT_EQ(controller->PendingReleaseItemCount(), 0u);
  Start();
  controller->RemoteTakePicture();
  const std::string file = folder.file("picture.jpg");
  controller->RemoteGetPicture(file, PictureTypeFull);
  EXPECT_EQ(platform::readFile(file), OnCard("IMG_0002.JPG"));
}

TEST_F(PRShooting, AFailedReleaseQueuesNothing) {
  FailCall("PR_RC_Release", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteTakePicture(); }), Failure("PR_RC_Release"));
  EXPECT_THAT(remoteEvents, IsEmpty());
  EXPECT_EQ(controller->PendingReleaseItemCount(), 0u);
}

TEST_F(PRShooting, ReleasesAnnouncedFromTheSimulatorsThreadAreFetched) {
  Sim().setSynchronousCallbacks(false);
  controller->RemoteTakePicture();
  Sim().waitIdle();
  {
    std::lock_guard lock(eventsLock);
    EXPECT_EQ(remoteEvents.size(), 1u);
  }
  const std::string file = folder.file("picture.jpg");
  controller->RemoteGetPicture(file, PictureTypeFull);
  EXPECT_EQ(platform::readFile(file), OnCard("IMG_0001.JPG"));
}

} // namespace
} // namespace vostrel::test
