// The control on simulated EOS cameras (the simulated EDSDK.DLL next to the
// test program): what its caches hold after successful and failed calls,
// the enumeration queries once the lists are gone, and a clock set from
// seven parts.

#include "activex/VostrelActiveX.h"
#include "eos/SimulatedEOS.h"
#include "platform/TimeZone.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

using test::EOSCameraSpec;
using test::MessageOf;

class ControlCameraTest : public ::testing::Test {
protected:
  static sim::SimControlClient& Sim() {
    static const std::unique_ptr<platform::DynamicLibrary> library =
        platform::DynamicLibrary::open("EDSDK.DLL");
    if (!library) {
      throw std::runtime_error("EDSDK.DLL is not next to the test program");
    }
    static sim::SimControlClient client(*library);
    return client;
  }

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
    try {
      control.Disconnect();
    } catch (const ECamException&) {
      // Not connected.
    }
    control.CloseCameraEnumeration();
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

} // namespace
} // namespace vostrel
