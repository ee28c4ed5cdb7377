// Remote release control of a CD camera through the controller: entering and
// leaving it, the data kind, the parameter probe (listed and tried values)
// with its progress and cache file, failures during the start, and releases
// fetched into files with their events and progress.

#include "SimulatedCD.h"

#include "core/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::uint32_t Busy = 0x81;

std::string Failure(const std::string& function) {
  return function + " errorcode 0x00000081, Device busy";
}

// The value families and camera settings of the simulated camera.
const std::vector<std::string> Families = {
    "ImageFormat",  "ShootingMode", "Av",        "Tv",          "ExposureComp",
    "WhiteBalance", "AFDistance",   "FlashMode", "Metering",    "ISO",
    "Contrast",     "ColorGain",    "Sharpness", "PhotoEffect", "Beep"};

const std::vector<std::int32_t> ProbeProgress = {6,  18, 24, 29, 35, 41, 47,  53,
                                                 65, 71, 76, 82, 88, 94, 100, 100};

// The values (public) of a row that are flagged.
std::vector<int> Flagged(const SupportedParamValuesType& table, TxRemoteParamType kind) {
  std::vector<int> values;
  for (int value = 0; value < 80; ++value) {
    if (table.IsSupported(kind, value)) {
      values.push_back(value);
    }
  }
  return values;
}

class CDReleaseControl : public SimulatedCD {
protected:
  void UseCamera(const nlohmann::json& properties = nlohmann::json::object()) {
    UseScenario({CDCameraSpec{.properties = properties}});
    ConnectFirstCamera();
    controller->OnRemoteProbeParamEvent = [this](std::int32_t percent) {
      probeReports.push_back(percent);
    };
  }

  RemoteStartInfoType
  Start(ReleaseModeType mode = ReleaseModeType::ReleaseModeOnlyToPC,
        ReleaseDataKindType kind = ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture,
        bool probe = false, const std::string& cacheDirectory = "") {
    return controller->RemoteStart(mode, kind, probe, cacheDirectory);
  }

  RemoteStartInfoType Probe(const std::string& cacheDirectory = "") {
    return Start(ReleaseModeType::ReleaseModeOnlyToPC,
                 ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true, cacheDirectory);
  }

  // Every family made one the SDK cannot list.
  static nlohmann::json NotEnumerable() {
    nlohmann::json properties = nlohmann::json::object();
    for (const std::string& family : Families) {
      properties[family] = {{"enumerable", false}};
    }
    return properties;
  }

  static std::int64_t WorldValue(const std::string& name) {
    return WorldCamera(0).at("properties").at(name).at("value").get<std::int64_t>();
  }

  static std::map<std::string, std::int64_t> WorldSettings() {
    std::map<std::string, std::int64_t> values;
    for (const std::string& family : Families) {
      values[family] = WorldValue(family);
    }
    return values;
  }

  static std::size_t CallsOf(const std::string& function) {
    const auto functions = CalledFunctions();
    return static_cast<std::size_t>(std::count(functions.begin(), functions.end(), function));
  }

  std::vector<std::int32_t> probeReports;
};

// ---------------------------------------------------------------------------
// Starting and ending

TEST_F(CDReleaseControl, StartWithoutProbeReportsTheCapabilitiesOnly) {
  UseScenario({CDCameraSpec{.faculty = 0x40000000 | 0x1F}});
  ConnectFirstCamera();
  controller->OnRemoteProbeParamEvent = [this](std::int32_t p) { probeReports.push_back(p); };
  const RemoteStartInfoType info = Start();
  EXPECT_TRUE(controller->IsRemoteModeOn());
  const std::string context = std::to_string(controller->GetInstanceIndex());
  EXPECT_THAT(Calls(),
              ElementsAre("CDEnterReleaseControl(source#, handler, " + context + ") = 0x00000000",
                          "CDSelectReleaseDataKind(source#, 2) = 0x00000000",
                          "CDGetReleaseControlFaculty(source#) = 0x00000000 -> "
                          "0x4000001F"));
  EXPECT_TRUE(info.DoSupportZoom && info.DoSupportShootingPara && info.DoSupportViewfinder &&
              info.ReqViewfinderOffWhenShooting && info.DoSupportAfLockUnlock);
  EXPECT_THAT(probeReports, IsEmpty());

  Sim().clearCallLog();
  controller->RemoteEnd();
  EXPECT_FALSE(controller->IsRemoteModeOn());
  EXPECT_THAT(Calls(), ElementsAre("CDExitReleaseControl(source#) = 0x00000000"));
}

TEST_F(CDReleaseControl, WithoutShootingParametersNothingIsProbed) {
  UseScenario({CDCameraSpec{.faculty = 0x40000004}});
  ConnectFirstCamera();
  const RemoteStartInfoType info = Probe();
  EXPECT_FALSE(info.DoSupportShootingPara);
  EXPECT_TRUE(info.DoSupportViewfinder);
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDEnterReleaseControl", "CDSelectReleaseDataKind",
                                             "CDGetReleaseControlFaculty"));
  EXPECT_TRUE(std::all_of(info.SupportedParamValues.Flags.begin(),
                          info.SupportedParamValues.Flags.end(), [](auto f) { return f == 0; }));
}

TEST_F(CDReleaseControl, TheDataKindCombinesModeAndKind) {
  UseCamera();
  using Mode = ReleaseModeType;
  using Kind = ReleaseDataKindType;
  for (const Mode mode : {Mode::ReleaseModeOnlyToPC, Mode::ReleaseModeBothPCAndCamera,
                          Mode::ReleaseModeOnlyToCamera}) {
    for (const Kind kind :
         {Kind::ReleaseDataKindTakeOnlyThumbnail, Kind::ReleaseDataKindTakeOnlyPicture,
          Kind::ReleaseDataKingTakeBothThumbAndPic}) {
      Start(mode, kind);
      controller->RemoteEnd();
    }
  }
  std::vector<std::string> kinds;
  for (const std::string& call : Calls()) {
    if (call.starts_with("CDSelectReleaseDataKind(")) {
      kinds.push_back(call.substr(33, call.find(')') - 33));
    }
  }
  EXPECT_THAT(kinds, ElementsAre("1", "2", "3", "5", "10", "15", "4", "8", "12"));
}

TEST_F(CDReleaseControl, AFailureAfterEnteringLeavesReleaseControl) {
  UseCamera();
  FailCall("CDEnterReleaseControl", Busy);
  EXPECT_EQ(MessageOf([&] { Start(); }), Failure("CDEnterReleaseControl"));
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDEnterReleaseControl"));

  for (const char* step : {"CDSelectReleaseDataKind", "CDGetReleaseControlFaculty"}) {
    Sim().clearCallLog();
    FailCall(step, Busy);
    EXPECT_EQ(MessageOf([&] { Start(); }), Failure(step));
    EXPECT_FALSE(controller->IsRemoteModeOn());
    EXPECT_EQ(CalledFunctions().back(), "CDExitReleaseControl");
  }
  // The camera is not left under release control: a new start works.
  EXPECT_EQ(MessageOf([&] { Start(); }), "");
}

TEST_F(CDReleaseControl, AFailedEndStillLeavesRemoteMode) {
  UseCamera();
  Start();
  FailCall("CDExitReleaseControl", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteEnd(); }), Failure("CDExitReleaseControl"));
  EXPECT_FALSE(controller->IsRemoteModeOn());

  // The camera still under release control is let go of before the next
  // start enters it again; after an end the camera confirmed, a start only
  // enters.
  for (const char* first : {"CDExitReleaseControl", "CDEnterReleaseControl"}) {
    Sim().clearCallLog();
    EXPECT_EQ(MessageOf([&] { Start(); }), "");
    EXPECT_EQ(CalledFunctions().front(), first);
    controller->RemoteEnd();
  }
}

// ---------------------------------------------------------------------------
// The probe

TEST_F(CDReleaseControl, ListedValuesAreFlaggedAndTheCameraRestored) {
  UseCamera({{"ShootingMode", 3}, {"Beep", 0}});
  const auto before = WorldSettings();
  const RemoteStartInfoType info = Probe();
  const SupportedParamValuesType& table = info.SupportedParamValues;
  EXPECT_THAT(probeReports, ElementsAreArray(ProbeProgress));
  EXPECT_THAT(Flagged(table, RemoteParamCompQuality), ElementsAre(1, 2, 3));
  EXPECT_THAT(Flagged(table, RemoteParamImageSize), ElementsAre(1, 2, 3));
  EXPECT_THAT(Flagged(table, RemoteParamImageMode),
              ElementsAre(1, 2, 3, 4, 16, 17, 18, 19, 20, 22));
  EXPECT_THAT(Flagged(table, RemoteParamAv), ElementsAre(10, 11, 12, 13, 14, 15, 16));
  EXPECT_THAT(Flagged(table, RemoteParamTv), ElementsAre(20, 23, 26, 29, 32, 35, 38, 44));
  EXPECT_EQ(Flagged(table, RemoteParamExposureCompensation).size(), 13u);
  EXPECT_THAT(Flagged(table, RemoteParamWhiteBalanceSetting), ElementsAre(1, 2, 3, 4, 5, 6, 13));
  EXPECT_THAT(Flagged(table, RemoteParamAFDistance), ElementsAre(1, 2, 3));
  EXPECT_THAT(Flagged(table, RemoteParamStrobeSetting), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(Flagged(table, RemoteParamStrobeCompSetting), ElementsAre(4, 5, 6, 7, 8, 9, 10));
  EXPECT_THAT(Flagged(table, RemoteParamMLWeiMode), ElementsAre(1, 2, 3));
  EXPECT_THAT(Flagged(table, RemoteParamISO), ElementsAre(1, 2, 3, 4, 5));
  EXPECT_THAT(Flagged(table, RemoteParamContrast), ElementsAre(1, 2, 3));
  EXPECT_THAT(Flagged(table, RemoteParamSharpness), ElementsAre(1, 2, 3));
  EXPECT_THAT(Flagged(table, RemoteParamPhotoEffect), ElementsAre(1, 3, 4, 5, 6));
  EXPECT_THAT(Flagged(table, RemoteParamBeep), ElementsAre(1, 2));
  // The kinds the CD cameras do not have.
  EXPECT_THAT(Flagged(table, RemoteParamDriveMode), ElementsAre(0));
  EXPECT_THAT(Flagged(table, RemoteParamColorSpace), ElementsAre(0));
  EXPECT_THAT(Flagged(table, RemoteParamPictureStyle), IsEmpty());

  // The flash compensation is tried even though the flash mode is listed.
  EXPECT_EQ(CallsOf("CDSetFlashSetting"), 13u + 0u + 1u + 1u);
  // Every enumeration is released, the settings are back, and the camera is
  // in the automatic mode.
  EXPECT_EQ(Sim().liveReferences(), 1u);
  auto after = WorldSettings();
  EXPECT_EQ(after["ShootingMode"], 1);
  after["ShootingMode"] = before.at("ShootingMode");
  EXPECT_EQ(after, before);
}

TEST_F(CDReleaseControl, FamiliesTheSDKCannotListAreTried) {
  const RemoteStartInfoType listed = [&] {
    UseCamera();
    return Probe();
  }();
  UseCamera(NotEnumerable());
  const auto before = WorldSettings();
  probeReports.clear();
  const platform::Milliseconds sleptBefore = clock.slept();
  const RemoteStartInfoType tried = Probe();
  // The trials find what the lists hold: the same table.
  EXPECT_EQ(tried.SupportedParamValues.Flags, listed.SupportedParamValues.Flags);
  // Some 300 trials and every progress report, without a pause.
  EXPECT_THAT(probeReports, ElementsAreArray(ProbeProgress));
  EXPECT_EQ(clock.slept(), sleptBefore);
  EXPECT_EQ(CallsOf("CDSetImageFormatAttribute"), 30u + 1u); // every pair, then the restore
  EXPECT_EQ(CallsOf("CDSetAvValue"), 40u + 1u);
  EXPECT_EQ(CallsOf("CDSetTvValue"), 59u + 1u);
  EXPECT_EQ(CallsOf("CDSetFlashSetting"), 7u + 13u + 2u);
  auto after = WorldSettings();
  after["ShootingMode"] = before.at("ShootingMode");
  EXPECT_EQ(after, before);
  EXPECT_EQ(WorldValue("ShootingMode"), 1);
}

TEST_F(CDReleaseControl, WithoutTheManualModeApertureAndShutterFindNothing) {
  auto properties = NotEnumerable();
  properties["ShootingMode"] = {{"accepted", {0, 1, 2, 3}}, {"enumerable", false}};
  UseCamera(properties);
  const RemoteStartInfoType info = Probe();
  EXPECT_THAT(Flagged(info.SupportedParamValues, RemoteParamAv), ElementsAre(0));
  EXPECT_THAT(Flagged(info.SupportedParamValues, RemoteParamTv), ElementsAre(0));
  EXPECT_EQ(CallsOf("CDSetAvValue"), 0u + 1u); // only the restore
}

TEST_F(CDReleaseControl, AnEmptyListFindsNothingAndTriesNothing) {
  UseCamera({{"AFDistance", {{"accepted", nlohmann::json::array()}}},
             {"Metering", {{"accepted", nlohmann::json::array()}}}});
  const RemoteStartInfoType info = Probe();
  EXPECT_THAT(Flagged(info.SupportedParamValues, RemoteParamAFDistance), ElementsAre(0));
  EXPECT_THAT(Flagged(info.SupportedParamValues, RemoteParamMLWeiMode), ElementsAre(0));
  EXPECT_EQ(CallsOf("CDSetAFDistanceSetting"), 1u); // the restore
}

TEST_F(CDReleaseControl, TheCacheFileIsWrittenAndReadInstead) {
  UseCamera();
  TempFolder folder;
  const RemoteStartInfoType first = Probe(folder.path().string());
  // Named after the model and the image mode the camera is in.
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.path() / "PowerShot Test Mode16"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
  controller->RemoteEnd();

  probeReports.clear();
  Sim().clearCallLog();
  const RemoteStartInfoType second = Probe(folder.path().string());
  EXPECT_EQ(second.SupportedParamValues.Flags, first.SupportedParamValues.Flags);
  EXPECT_THAT(probeReports, IsEmpty());
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDEnterReleaseControl", "CDSelectReleaseDataKind",
                                             "CDGetReleaseControlFaculty", "CDSetShootingMode",
                                             "CDGetShootingMode", "CDSetShootingMode"));
}

TEST_F(CDReleaseControl, AFailedProbeRestoresTheCameraAndLeavesReleaseControl) {
  // Each checked call of the probe: an enumeration's count, next and release.
  const std::vector<std::string> checked = {"CDGetImageFormatAttributeCount",
                                            "CDEnumImageFormatAttributeNext",
                                            "CDEnumImageFormatAttributeRelease",
                                            "CDGetShootingModeCount",
                                            "CDEnumShootingModeNext",
                                            "CDEnumShootingModeRelease",
                                            "CDEnumAvValueNext",
                                            "CDEnumTvValueRelease",
                                            "CDGetExposureCompCount",
                                            "CDEnumWBSettingNext",
                                            "CDEnumAFDistanceSettingRelease",
                                            "CDEnumFlashSettingNext",
                                            "CDGetRelCamSettingDataCount",
                                            "CDEnumRelCamSettingDataNext",
                                            "CDEnumRelCamSettingDataRelease"};
  for (const std::string& function : checked) {
    SCOPED_TRACE(function);
    UseCamera({{"ShootingMode", 3}, {"Contrast", 1}});
    const auto before = WorldSettings();
    probeReports.clear();
    FailCall(function, Busy);
    EXPECT_EQ(MessageOf([&] { Probe(); }), Failure(function));
    EXPECT_FALSE(controller->IsRemoteModeOn());
    EXPECT_EQ(CalledFunctions().back(), "CDExitReleaseControl");
    // The source, and the enumeration whose release failed; every other one
    // is released.
    EXPECT_EQ(Sim().liveReferences(), function.ends_with("Release") ? 2u : 1u);
    auto after = WorldSettings();
    EXPECT_EQ(after["ShootingMode"], 1);
    after["ShootingMode"] = before.at("ShootingMode");
    EXPECT_EQ(after, before);
    EXPECT_EQ(MessageOf([&] { Start(); }), "");
  }
}

// ---------------------------------------------------------------------------
// Shooting

class CDShooting : public CDReleaseControl {
protected:
  void SetUp() override {
    CDReleaseControl::SetUp();
    UseCamera();
    controller->OnRemoteEvent = [this](RemoteEventCallbackType event,
                                       const AdditionNotifyRemoteEventType& data) {
      events.push_back({event, data.NumOfEvents});
    };
    controller->OnRemoteTakePictureEvent = [this](std::int32_t p) { releaseProgress.push_back(p); };
    controller->OnRemoteGetPictureEvent = [this](std::int32_t p) { transferProgress.push_back(p); };
  }

  static std::string FileContent(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  std::vector<std::pair<RemoteEventCallbackType, std::int32_t>> events;
  std::vector<std::int32_t> releaseProgress;
  std::vector<std::int32_t> transferProgress;
  TempFolder folder;
};

TEST_F(CDShooting, APictureIsReleasedAnnouncedAndFetchedIntoTheFile) {
  Start(ReleaseModeType::ReleaseModeBothPCAndCamera);
  const std::int32_t shots = controller->RemoteGetNumberOfAvailableShots();
  controller->RemoteTakePicture();
  EXPECT_THAT(releaseProgress, ElementsAre(50, 100));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].first, RemoteEventCallbackType::RemoteEventCallbackReleaseComplete);
  EXPECT_EQ(events[0].second, 1);
  EXPECT_EQ(controller->RemoteGetNumberOfAvailableShots(), shots - 1);

  const auto file = folder.path() / "shot.jpg";
  controller->RemoteGetPicture(file.string(), 0);
  const std::string content = FileContent(file);
  ASSERT_GT(content.size(), 1000u);
  EXPECT_EQ(content.substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(transferProgress.back(), 100);
  EXPECT_TRUE(std::is_sorted(transferProgress.begin(), transferProgress.end()));
  EXPECT_THAT(Calls(), Contains(::testing::StartsWith(
                           "CDGetReleasedData(source#, handler, " +
                           std::to_string(controller->GetInstanceIndex()) + ", 3, \"")));
}

TEST_F(CDShooting, ThumbnailAndPictureAreTwoItemsOfOneShot) {
  Start(ReleaseModeType::ReleaseModeOnlyToPC,
        ReleaseDataKindType::ReleaseDataKingTakeBothThumbAndPic);
  controller->RemoteTakePicture();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].second, 1); // two data items, one shot
  controller->RemoteGetPicture((folder.path() / "thumb.jpg").string(), 0);
  controller->RemoteGetPicture((folder.path() / "picture.jpg").string(), 0);
  const auto thumbnail = FileContent(folder.path() / "thumb.jpg");
  const auto picture = FileContent(folder.path() / "picture.jpg");
  EXPECT_LT(thumbnail.size(), picture.size());
  EXPECT_EQ(thumbnail.substr(0, 2), "\xFF\xD8");
  // Nothing is left to fetch.
  EXPECT_EQ(
      MessageOf([&] { controller->RemoteGetPicture((folder.path() / "more.jpg").string(), 0); }),
      "CDGetReleasedData errorcode 0x000000F1, Invalid function call");
}

TEST_F(CDShooting, FailuresOfTheShootingCallsAreReported) {
  Start();
  FailCall("CDRelease", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteTakePicture(); }), Failure("CDRelease"));
  EXPECT_THAT(events, IsEmpty());
  FailCall("CDGetNumAvailableShot", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetNumberOfAvailableShots(); }),
            Failure("CDGetNumAvailableShot"));

  controller->RemoteTakePicture();
  FailCall("CDGetReleasedData", Busy);
  const auto file = folder.path() / "failed.jpg";
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetPicture(file.string(), 0); }),
            Failure("CDGetReleasedData"));
  EXPECT_FALSE(std::filesystem::exists(file));
  // The picture is still there to fetch.
  controller->RemoteGetPicture(file.string(), 0);
  EXPECT_EQ(FileContent(file).substr(0, 2), "\xFF\xD8");
}

TEST_F(CDShooting, AFileThatCannotBeWrittenIsReported) {
  Start();
  controller->RemoteTakePicture();
  EXPECT_EQ(MessageOf([&] {
              controller->RemoteGetPicture((folder.path() / "no" / "such.jpg").string(), 0);
            }),
            "CDGetReleasedData errorcode 0x00000023, File open error");
}

} // namespace
} // namespace vostrel::test
