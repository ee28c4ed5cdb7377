// The control on simulated EOS cameras (the simulated EDSDK.DLL next to the
// test program): what its caches hold after successful and failed calls,
// the enumeration queries once the lists are gone, a clock set from seven
// parts, the parameters it sends and reads in remote mode, pictures
// announced from the simulator's thread and the card's thumbnails.

#include "activex/VostrelActiveX.h"
#include "core/JPEGImage.h"
#include "core/TempFolder.h"
#include "eos/EDSDKTYPES.h"
#include "eos/SimulatedEOS.h"
#include "platform/FileSystem.h"
#include "platform/TimeZone.h"
#include "sim/SimControl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace vostrel {
namespace {

using test::EOSCameraSpec;
using test::MessageOf;

class ControlCameraTest : public ::testing::Test {
protected:
  static sim::SimControlClient& Sim() { return test::SimulatedEDSDK(); }

  void SetUp() override {
    Sim().clearFailures();
    Sim().setSynchronousCallbacks(true);
    EOSCameraSpec travel;
    travel.model = "EOS Travel";
    travel.owner = "";
    travel.bodyId = 560078;
    travel.battery = 255;
    Sim().loadScenario(test::EOSScenario({EOSCameraSpec{}, travel}));
  }

  void TearDown() override {
    Sim().clearFailures();
    // Whatever the test left running ends; refusals of what was not running
    // do not matter here.
    for (const auto& end : {std::function<void()>([&] { control.RemoteEnd(); }),
                            std::function<void()>([&] { control.Disconnect(); })}) {
      try {
        end();
      } catch (const ECamException&) {
      }
    }
    control.CloseCameraEnumeration();
  }

  // A scenario of one camera with changes to its default properties.
  static void UseCameraWithProperties(const nlohmann::json& properties) {
    nlohmann::json scenario = nlohmann::json::parse(test::EOSScenario({EOSCameraSpec{}}));
    scenario["eos"]["cameras"][0]["properties"] = properties;
    Sim().loadScenario(scenario.dump());
  }

  // A 32-bit property of the first camera.
  static std::int32_t Property(std::uint32_t id) {
    const auto bytes = Sim().property(0, id);
    std::int32_t value = 0;
    if (!bytes || bytes->size() != sizeof value) {
      ADD_FAILURE() << "no 32-bit property " << id;
      return value;
    }
    std::memcpy(&value, bytes->data(), sizeof value);
    return value;
  }

  // The logged writes of a property since the log was last cleared.
  static std::vector<std::string> WritesOf(std::uint32_t id) {
    char name[16];
    std::snprintf(name, sizeof name, "0x%08X", id);
    std::vector<std::string> writes;
    for (const std::string& line : Sim().callLogLines()) {
      if (line.rfind("EdsSetPropertyData(", 0) == 0 && line.find(name) != std::string::npos) {
        writes.push_back(line);
      }
    }
    return writes;
  }

  void EnterRemoteMode() {
    control.OpenCameraEnumeration();
    control.Connect(CamModEOS, 0);
    control.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, "");
    Sim().clearCallLog();
  }

  static nlohmann::json WorldCamera(std::size_t camera) {
    return nlohmann::json::parse(Sim().describeWorld()).at("eos").at("cameras").at(camera);
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  platform::ScopedTimeZone standardTime{platform::TimeZoneInfo{-60, 0, -60, false}};
  TVostrelActiveX control;
};

TEST_F(ControlCameraTest, EnumerationQueriesReadTheListsWhileTheyExist) {
  control.OpenCameraEnumeration();
  EXPECT_EQ(control.OpenCameraEnumeration_GetEOSNr(), 2);
  EXPECT_EQ(control.OpenCameraEnumeration_GetModel(CamModEOS, 0), "EOS Test");
  EXPECT_EQ(control.OpenCameraEnumeration_GetModel(CamModEOS, 1), "EOS Travel");
  EXPECT_EQ(control.OpenCameraEnumeration_GetModel(CamModEOS, 2), ""); // the count itself
  EXPECT_EQ(control.OpenCameraEnumeration_GetModel(CamModEOS, -1), "");
  EXPECT_EQ(control.OpenCameraEnumeration_GetModel(CamModNone, 0), "");
  EXPECT_EQ(control.OpenCameraEnumeration_GetModel(CamModPowerShot,
                                                   control.OpenCameraEnumeration_GetPowerShotNr()),
            "");

  // Closing releases the controller's lists: the control reads nothing of
  // them any more.
  control.CloseCameraEnumeration();
  EXPECT_EQ(control.OpenCameraEnumeration_GetEOSNr(), 0);
  EXPECT_EQ(control.OpenCameraEnumeration_GetPowerShotNr(), 0);
  EXPECT_EQ(control.OpenCameraEnumeration_GetModel(CamModEOS, 0), "");

  // A new enumeration is seen through the same queries.
  Sim().loadScenario(test::EOSScenario({EOSCameraSpec{}}));
  control.OpenCameraEnumeration();
  EXPECT_EQ(control.OpenCameraEnumeration_GetEOSNr(), 1);
}

TEST_F(ControlCameraTest, OnlyASuccessfulConnectRefreshesTheCamera) {
  control.OpenCameraEnumeration();
  control.Connect(CamModEOS, 1);
  EXPECT_EQ(control.Connect_CameraModel(), CamModEOS);
  EXPECT_EQ(control.Connect_CameraModelName(), "EOS Travel");
  EXPECT_EQ(control.Connect_OwnerName(), "");
  EXPECT_EQ(control.Connect_Battery_BatterySource(), BatterySourceAC);
  EXPECT_EQ(control.Connect_Battery_BatteryStatus(), BatteryStatusNormal);
  EXPECT_EQ(control.GetBodyID(), 560078U);

  EXPECT_EQ(MessageOf([&] { control.Connect(CamModEOS, 0); }), "Camera already connected.");
  EXPECT_EQ(control.Connect_CameraModelName(), "EOS Travel");

  // The record of a finished connection stays readable.
  control.Disconnect();
  EXPECT_EQ(control.Connect_CameraModelName(), "EOS Travel");
  EXPECT_NE(MessageOf([&] { control.Connect(CamModEOS, 5); }), "");
  EXPECT_EQ(control.Connect_CameraModel(), CamModEOS);
  EXPECT_EQ(control.Connect_CameraModelName(), "EOS Travel");

  control.Connect(CamModEOS, 0);
  EXPECT_EQ(control.Connect_CameraModelName(), "EOS Test");
  EXPECT_EQ(control.Connect_OwnerName(), "Test Owner");
  EXPECT_EQ(control.Connect_Battery_BatterySource(), BatterySourceLitium);
}

TEST_F(ControlCameraTest, TheClockIsSetFromSevenParts) {
  control.OpenCameraEnumeration();
  control.Connect(CamModEOS, 0);
  control.SetTimeInCamera(2024, 2, 29, 13, 45, 30, 250);
  EXPECT_EQ(WorldCamera(0).at("clock").get<std::string>(), "2024-02-29T13:45:30.250");

  EXPECT_EQ(MessageOf([&] { control.SetTimeInCamera(2023, 2, 29, 13, 45, 30, 0); }),
            "Invalid date or time: 2023-02-29 13:45:30.000");
  EXPECT_EQ(WorldCamera(0).at("clock").get<std::string>(), "2024-02-29T13:45:30.250");
}

TEST_F(ControlCameraTest, RemoteStartKeepsTheCapabilitiesOfTheCamera) {
  control.OpenCameraEnumeration();
  control.Connect(CamModEOS, 0);
  control.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, true, "");
  EXPECT_TRUE(control.RemoteStart_DoSupportShootingPara());
  EXPECT_FALSE(control.RemoteStart_DoSupportZoom());
  EXPECT_FALSE(control.RemoteStart_DoSupportViewfinder());
  EXPECT_FALSE(control.RemoteStart_ReqViewfinderOffWhenShooting());
  EXPECT_FALSE(control.RemoteStart_DoSupportAfLockUnlock());
  const std::string tv = control.RemoteStart_GetRemoteParamSupported(RemoteParamTv);
  EXPECT_EQ(tv.size(), 60U);
  EXPECT_NE(tv.find('1'), std::string::npos) << tv;
  EXPECT_EQ(control.RemoteStart_GetRemoteParamSupported(RemoteParamWhiteBalanceKelvin), "");

  // A failed start keeps what the last one found.
  control.RemoteEnd();
  Sim().injectFailure("EdsSetPropertyData", 0x00000081, 0, VOSTREL_SIM_ALWAYS);
  EXPECT_NE(MessageOf([&] {
              control.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, "");
            }),
            "");
  EXPECT_EQ(control.RemoteStart_GetRemoteParamSupported(RemoteParamTv), tv);
  EXPECT_TRUE(control.RemoteStart_DoSupportShootingPara());
}

TEST_F(ControlCameraTest, OneImageFieldIsSentWithTheCurrentOthers) {
  EnterRemoteMode();
  const std::int32_t quality = control.RemoteGetRemoteParams(RemoteParamCompQuality);
  ASSERT_EQ(control.RemoteGetRemoteParams(RemoteParamImageSize), 1);
  ASSERT_NE(quality, 0);
  // The camera takes an image size only together with a quality.
  control.RemoteSetRemoteParams(RemoteParamImageSize, 2);
  EXPECT_EQ(control.RemoteGetRemoteParams(RemoteParamImageSize), 2);
  EXPECT_EQ(control.RemoteGetRemoteParams(RemoteParamCompQuality), quality);
  EXPECT_EQ(WritesOf(EdsPropImageQuality).size(), 1U);
}

TEST_F(ControlCameraTest, ColourTemperatureTravelsWithTheWhiteBalance) {
  UseCameraWithProperties({{"WhiteBalance", 9}, {"ColorTemperature", 6500}});
  EnterRemoteMode();
  ASSERT_EQ(control.RemoteGetRemoteParams(RemoteParamWhiteBalanceSetting), 13);
  ASSERT_EQ(control.RemoteGetRemoteParams(RemoteParamWhiteBalanceKelvin), 6500);

  // Setting 13 sends the current temperature along instead of 0 K.
  Sim().clearCallLog();
  control.RemoteSetRemoteParams(RemoteParamWhiteBalanceSetting, 13);
  EXPECT_EQ(WritesOf(EdsPropColorTemperature).size(), 1U);
  EXPECT_EQ(Property(EdsPropColorTemperature), 6500);

  // The temperature goes with the current setting.
  control.RemoteSetRemoteParams(RemoteParamWhiteBalanceKelvin, 5550);
  EXPECT_EQ(Property(EdsPropColorTemperature), 5500);
  EXPECT_EQ(Property(EdsPropWhiteBalance), 9);

  // Any other setting sends no temperature.
  Sim().clearCallLog();
  control.RemoteSetRemoteParams(RemoteParamWhiteBalanceSetting, 2);
  EXPECT_EQ(Property(EdsPropWhiteBalance), 1);
  EXPECT_TRUE(WritesOf(EdsPropColorTemperature).empty());
}

TEST_F(ControlCameraTest, ValuesAreSentInTheirLowByteAndReadSigned) {
  UseCameraWithProperties({{"ISOSpeed", {{"accepted", nullptr}}},
                           {"PictureStyle", {-2, 5, -1, 3, -1, -1}},
                           {"WhiteBalanceShift", {-3, 2}}});
  EnterRemoteMode();
  control.RemoteSetRemoteParams(RemoteParamISO, 260);
  EXPECT_EQ(control.RemoteGetRemoteParams(RemoteParamISO), 4);
  EXPECT_EQ(Property(EdsPropIsoSpeed), 69); // the code of public value 4

  EXPECT_EQ(control.RemoteGetRemoteParams_PictureStyle(RemoteParamPictureStyleContrast), -2);
  EXPECT_EQ(control.RemoteGetRemoteParams_PictureStyle(RemoteParamPictureStyleSharpness), 5);
  EXPECT_EQ(control.RemoteGetRemoteParams_PictureStyle(RemoteParamPictureStyleSaturation), -1);
  EXPECT_EQ(control.RemoteGetRemoteParams_PictureStyle(RemoteParamPictureStyleColorTone), 3);
  EXPECT_EQ(control.RemoteGetRemoteParams_WhitebalanceShift(RemoteParamWhitebalanceShiftAmberBlue),
            -3);
  EXPECT_EQ(
      control.RemoteGetRemoteParams_WhitebalanceShift(RemoteParamWhitebalanceShiftGreenMagenta), 2);

  // The groups and unknown kinds send nothing, and say nothing of it.
  Sim().clearCallLog();
  control.RemoteSetRemoteParams(RemoteParamPictureStyle, 1);
  control.RemoteSetRemoteParams(RemoteParamWhiteBalanceShift, 1);
  control.RemoteSetRemoteParams(27, 1);
  for (const std::string& line : Sim().callLogLines()) {
    EXPECT_EQ(line.rfind("EdsSetPropertyData(", 0), std::string::npos) << line;
  }
}

TEST_F(ControlCameraTest, PicturesAnnouncedFromTheSimulatorsThreadAreFetched) {
  Sim().setSynchronousCallbacks(false);
  EnterRemoteMode();
  std::atomic<int> ready{0};
  std::atomic<int> lastPercent{0};
  control.OnRemoteEvent = [&](TxRemoteEventCallbackType event, TxNotifyRemoteEventValidType valid,
                              std::int32_t count, TxypeOfPictureType picture) {
    if (event == RemoteEventCallbackReleaseImageReady && valid == NotifyRemoteEventValid2 &&
        count == 0 && picture == TypeOfPicturePicture) {
      ++ready;
    }
  };
  // An EOS camera reports the transfer as take-picture progress.
  control.OnRemoteTakePictureEvent = [&](std::int32_t percent) { lastPercent = percent; };

  control.RemoteTakePicture();
  Sim().waitIdle();
  ASSERT_EQ(ready.load(), 1);
  test::TempFolder folder;
  const std::string file = folder.file("picture.jpg");
  control.RemoteGetPicture(file, PictureTypeFull);
  EXPECT_EQ(lastPercent.load(), 100);
  EXPECT_EQ(TJPEGImage::FromFile(file)->Width(), 320);
  Sim().waitIdle();
}

TEST_F(ControlCameraTest, ThumbnailsOnlyWhenAskedForAndOnlyOfJpegPictures) {
  EOSCameraSpec camera;
  camera.files = {"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.CR2"};
  Sim().loadScenario(test::EOSScenario({camera}));
  control.OpenCameraEnumeration();
  control.Connect(CamModEOS, 0);
  test::TempFolder folder;
  const std::string thumbnail = folder.file("thumb.jpg");

  control.OpenCameraCollection(folder.file(""), false);
  ASSERT_EQ(control.OpenCameraCollection_GetNrOfPictures(), 2);
  EXPECT_EQ(control.OpenCameraCollection_NameOfImage(1), "IMG_0002.CR2");
  EXPECT_EQ(control.OpenCameraCollection_NameOfImage(2), "");
  EXPECT_EQ(MessageOf([&] { control.OpenCameraCollection_GetThumbnail(0, thumbnail); }),
            "Thumbnail not received since not set in OpenCameraCollection");
  control.CloseCameraCollection();

  control.OpenCameraCollection(folder.file(""), true);
  EXPECT_EQ(MessageOf([&] { control.OpenCameraCollection_GetThumbnail(2, thumbnail); }),
            "PictureNumber too high. Picture 2 does not exists");
  EXPECT_EQ(MessageOf([&] { control.OpenCameraCollection_GetThumbnail(1, thumbnail); }),
            "Picture 1 (IMG_0002.CR2) has no thumbnail");
  EXPECT_FALSE(platform::fileExists(thumbnail));
  control.OpenCameraCollection_GetThumbnail(0, thumbnail);
  const auto image = TJPEGImage::FromFile(thumbnail);
  EXPECT_EQ(image->Width(), 160);
  EXPECT_EQ(image->Height(), 120);
  control.CloseCameraCollection();
}

} // namespace
} // namespace vostrel
