// The EOS connection through the controller: starting the SDK, enumerating
// and connecting cameras, and the operations on the camera as a whole, with
// the calls they make to the simulated EDSDK.DLL and their failures.

#include "SimulatedEOS.h"

#include "core/DeviceLists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;

// A result with high bits set; its low 16 bits mean "Device busy".
constexpr std::uint32_t Busy = 0x00FF0081;
constexpr const char* BusyText = " errorcode 0x00FF0081, Device busy";

std::string Failure(const std::string& function) {
  return function + BusyText;
}

std::string Repeat(char c, std::size_t count) {
  return std::string(count, c);
}

// ---------------------------------------------------------------------------
// Starting the SDK and enumerating

using EOSEnumeration = SimulatedEOS;

TEST_F(EOSEnumeration, ListsModelNamesAndKeepsTheCameraReferencesInTheSameOrder) {
  const std::string longModel = "EOS " + Repeat('L', 251);
  UseScenario({{.model = "EOS First"}, {.model = longModel}});

  const EnumerationListsType lists = controller->OpenCameraEnumeration();
  ASSERT_TRUE(lists.EOSNameList.lock());
  EXPECT_THAT(*lists.EOSNameList.lock(), ElementsAre("EOS First", longModel));
  EXPECT_EQ(EOSDeviceList().size(), 2u);
  EXPECT_THAT(Calls(),
              ElementsAre("EdsGetCameraList() = 0x00000000 -> list#",
                          "EdsGetChildCount(list#) = 0x00000000 -> 2",
                          "EdsGetChildAtIndex(list#, 0) = 0x00000000 -> camera#",
                          "EdsGetDeviceInfo(camera#) = 0x00000000 -> \"EOS First\"",
                          "EdsGetChildAtIndex(list#, 1) = 0x00000000 -> camera#",
                          "EdsGetDeviceInfo(camera#) = 0x00000000 -> \"" + longModel + "\"",
                          "EdsRelease(list#) = 0x00000000"));

  // A second enumeration starts the lists afresh.
  UseScenario({{.model = "EOS Only"}});
  EXPECT_THAT(*controller->OpenCameraEnumeration().EOSNameList.lock(), ElementsAre("EOS Only"));
  EXPECT_EQ(EOSDeviceList().size(), 1u);
}

TEST_F(EOSEnumeration, AFailedCallKeepsTheCamerasFoundSoFarAndReleasesTheList) {
  struct Case {
    const char* function;
    std::uint32_t passing;
    std::size_t camerasKept;
    bool listReleased;
  };
  const Case cases[] = {
      {"EdsGetCameraList", 0, 0, false},  {"EdsGetChildCount", 0, 0, true},
      {"EdsGetChildAtIndex", 1, 1, true}, {"EdsGetDeviceInfo", 1, 1, true},
      {"EdsRelease", 0, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    UseScenario({{.model = "EOS First"}, {.model = "EOS Second"}});
    const std::size_t references = Sim().liveReferences();
    FailCall(c.function, Busy, c.passing);

    EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), Failure(c.function));
    EXPECT_EQ(EOSDeviceList().size(), c.camerasKept);
    const std::vector<std::string> names = CalledFunctions();
    EXPECT_EQ(names.back() == "EdsRelease",
              c.listReleased || c.function == std::string("EdsRelease"));
    // Only the cameras found stay referenced (and the list, when its release failed).
    EXPECT_EQ(Sim().liveReferences(),
              references + c.camerasKept + (c.function == std::string("EdsRelease") ? 1 : 0));
  }
}

TEST_F(EOSEnumeration, StartingAndStoppingTheSDK) {
  controller->CloseCameraEnumeration();
  EXPECT_THAT(CalledFunctions(), ElementsAre("EdsTerminateSDK"));

  Sim().clearCallLog();
  FailCall("EdsInitializeSDK", Busy);
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), Failure("EdsInitializeSDK"));
  EXPECT_THAT(CalledFunctions(), ElementsAre("EdsInitializeSDK"));

  // The SDKs did not count as started, so the next enumeration starts them.
  Sim().clearCallLog();
  EXPECT_THAT(*controller->OpenCameraEnumeration().EOSNameList.lock(), ElementsAre("EOS Test"));
  EXPECT_EQ(CalledFunctions().front(), "EdsInitializeSDK");

  // A failing shutdown is not reported.
  FailCall("EdsTerminateSDK", Busy);
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraEnumeration(); }), "");
}

// ---------------------------------------------------------------------------
// Connecting

using EOSConnect = SimulatedEOS;

TEST_F(EOSConnect, RefusesCameraNumbersOutsideTheList) {
  UseScenario({{.model = "EOS First"}, {.model = "EOS Second"}});
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModEOS, -1); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. Value must be at "
            "least zero. Currently ConnectToCamera = -1");
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModEOS, 2); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. There are only 2 "
            "EOS cameras connected. Currently is parameter ConnectToCamera = 2");

  UseScenario({});
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModEOS, 0); }),
            "There seems to be no connected EOS cameras connected. Have you called the "
            "EnumerateCameras function before calling Connect?");

  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
}

TEST_F(EOSConnect, RegistersTheHandlersOpensTheSessionAndReadsTheCamera) {
  UseScenario({{.model = "EOS First"}, {.model = "EOS Second", .owner = "Second Owner"}});

  const ConnectInfoType info = controller->Connect(CamModEOS, 1);
  EXPECT_EQ(info.CameraModel, CamModEOS);
  EXPECT_EQ(info.CameraModelName, "EOS Second");
  EXPECT_EQ(info.OwnerName, "Second Owner");
  EXPECT_EQ(controller->GetConnectInfo().CameraModelName, "EOS Second");
  EXPECT_THAT(
      Calls(),
      ElementsAre("EdsSetObjectEventHandler(camera#, 0x00000200, handler) = 0x00000000",
                  "EdsSetPropertyEventHandler(camera#, 0x00000100, handler) = 0x00000000",
                  "EdsSetCameraStateEventHandler(camera#, 0x00000300, handler) = 0x00000000",
                  "EdsOpenSession(camera#) = 0x00000000",
                  "EdsGetDeviceInfo(camera#) = 0x00000000 -> \"EOS Second\"",
                  "EdsGetPropertyData(camera#, 0x00000004, 0, 256) = 0x00000000",
                  "EdsGetPropertyData(camera#, 0x00000008, 0, 4) = 0x00000000"));
}

TEST_F(EOSConnect, MapsTheBatteryLevel) {
  struct Case {
    std::uint32_t level;
    TxBatterySourceType source;
    TxBatteryStatusType status;
  };
  const Case cases[] = {
      {255, BatterySourceAC, BatteryStatusNormal},
      {80, BatterySourceLitium, BatteryStatusNormal},
      {50, BatterySourceLitium, BatteryStatusWeak},
      {30, BatterySourceLitium, BatteryStatusSafetyLow},
      {10, BatterySourceUnknown, BatteryStatusUnknown},
      {0, BatterySourceUnknown, BatteryStatusUnknown},
      // Only the low byte of the level counts.
      {0x150, BatterySourceLitium, BatteryStatusNormal},
      {0xFFFFFF1E, BatterySourceLitium, BatteryStatusSafetyLow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    UseScenario({{.battery = c.level}});
    const ConnectInfoType info = controller->Connect(CamModEOS, 0);
    EXPECT_EQ(info.BatterySource, c.source);
    EXPECT_EQ(info.BatteryStatus, c.status);
  }
}

TEST_F(EOSConnect, AFailedCallLeavesTheControllerUnconnected) {
  struct Case {
    const char* function;
    std::uint32_t passing;
  };
  const Case cases[] = {
      {"EdsSetObjectEventHandler", 0},
      {"EdsSetPropertyEventHandler", 0},
      {"EdsSetCameraStateEventHandler", 0},
      {"EdsOpenSession", 0},
      {"EdsGetDeviceInfo", 0},
      {"EdsGetPropertyData", 0}, // owner name
      {"EdsGetPropertyData", 1}, // battery level
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " after " + std::to_string(c.passing));
    UseScenario({EOSCameraSpec{}});
    FailCall(c.function, Busy, c.passing);

    EXPECT_EQ(MessageOf([&] { controller->Connect(CamModEOS, 0); }), Failure(c.function));
    EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
    EXPECT_EQ(MessageOf([&] { controller->GetBodyID(); }), "No camera is connected");
    EXPECT_EQ(WorldCamera(0).at("sessionOpen"), false);

    // A session opened before the failure is closed again, so the camera
    // can be connected at the next attempt.
    EXPECT_EQ(controller->Connect(CamModEOS, 0).CameraModel, CamModEOS);
  }
}

TEST_F(EOSConnect, TheHandlersFindTheirOwnController) {
  UseScenario({{.model = "EOS First"}, {.model = "EOS Second"}});
  TVostrel other;
  std::vector<EventCallbackType> events;
  std::vector<EventCallbackType> otherEvents;
  controller->OnEvent = [&](EventCallbackType event) { events.push_back(event); };
  other.OnEvent = [&](EventCallbackType event) { otherEvents.push_back(event); };

  other.Connect(CamModEOS, 1);
  controller->Connect(CamModEOS, 0);
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x0301);
  Sim().raiseEvent(1, VOSTREL_SIM_PROPERTY_EVENT, 0x0101, 0x0405);
  Sim().waitIdle();

  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Severity, EventSeverityType::EventSeverityClosing);
  EXPECT_EQ(events[0].Event, EventEnumType::EventRemoteShutdownReasonNotKnown);
  ASSERT_EQ(otherEvents.size(), 1u);
  EXPECT_EQ(otherEvents[0].Severity, EventSeverityType::EventSeverityInfo);
  EXPECT_EQ(otherEvents[0].Event, EventEnumType::EventRemoteParameterChanged);
  other.Disconnect();
}

TEST_F(EOSConnect, DisconnectClosesTheSession) {
  ConnectFirstCamera();
  FailCall("EdsCloseSession", Busy);
  EXPECT_EQ(MessageOf([&] { controller->Disconnect(); }), Failure("EdsCloseSession"));
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModEOS);

  controller->Disconnect();
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
  EXPECT_THAT(CalledFunctions(), ElementsAre("EdsCloseSession", "EdsCloseSession"));

  // Connecting again registers the handlers again and opens a new session.
  Sim().clearCallLog();
  EXPECT_EQ(controller->Connect(CamModEOS, 0).CameraModel, CamModEOS);
  EXPECT_EQ(CalledFunctions().front(), "EdsSetObjectEventHandler");
}

// ---------------------------------------------------------------------------
// The camera as a whole

constexpr double Hour = 1.0 / 24;
constexpr double May2024 = 45413; // 2024-05-01

class EOSCamera : public SimulatedEOS {
protected:
  static std::string CameraClock() { return WorldCamera(0).at("clock"); }
  static std::string CameraOwner() { return WorldCamera(0).at("owner"); }
};

TEST_F(EOSCamera, SetTimeInCameraWritesTheClockRecord) {
  ConnectFirstCamera();
  controller->SetTimeInCamera(May2024 + 14 * Hour + 5.0 / 1440 + 9.25 / 86400);
  EXPECT_EQ(CameraClock(), "2024-05-01T14:05:09.250");
  EXPECT_THAT(Calls(),
              ElementsAre("EdsGetPropertySize(camera#, 0x00000006, 0) = 0x00000000 -> 23, 28",
                          "EdsSetPropertyData(camera#, 0x00000006, 0, 28, "
                          "E807000005000000010000000E0000000500000009000000FA000000) = "
                          "0x00000000"));
}

TEST_F(EOSCamera, SetTimeInCameraAddsTheDaylightBiasDuringDaylightSavingTime) {
  struct Case {
    bool daylight;
    std::int32_t daylightBias;
    double dateTime;
    const char* clock;
  };
  const Case cases[] = {
      {false, -60, May2024 + 10 * Hour, "2024-05-01T10:00:00.000"},
      {true, -60, May2024 + 10 * Hour, "2024-05-01T11:00:00.000"},
      {true, -30, May2024 + 10 * Hour, "2024-05-01T10:30:00.000"},
      {true, -60, May2024 - 0.5 * Hour, "2024-05-01T00:30:00.000"},
  };
  ConnectFirstCamera();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.daylight ? "daylight saving time" : "standard time");
    platform::ScopedTimeZone zone({-60, 0, c.daylightBias, c.daylight});
    controller->SetTimeInCamera(c.dateTime);
    EXPECT_EQ(CameraClock(), c.clock);
  }
}

TEST_F(EOSCamera, SetTimeInCameraFailures) {
  ConnectFirstCamera();
  for (const char* function : {"EdsGetPropertySize", "EdsSetPropertyData"}) {
    FailCall(function, Busy);
    EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(May2024); }), Failure(function));
    EXPECT_EQ(CameraClock(), "2024-05-01T09:30:00.000");
  }
  EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(1e300); }), "Date/Time is out of range");
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModEOS);
}

TEST_F(EOSCamera, SetOwnerNameWritesTheNameWithItsTerminatingZero) {
  ConnectFirstCamera();
  controller->SetOwnerName("Ann");
  EXPECT_EQ(CameraOwner(), "Ann");
  EXPECT_THAT(Calls(),
              ElementsAre("EdsGetPropertySize(camera#, 0x00000004, 0) = 0x00000000 -> 2, 32",
                          "EdsSetPropertyData(camera#, 0x00000004, 0, 4, 416E6E00) = 0x00000000"));

  // The simulated camera holds 31 characters and the zero.
  controller->SetOwnerName(Repeat('x', 31));
  EXPECT_EQ(CameraOwner(), Repeat('x', 31));
  controller->SetOwnerName("");
  EXPECT_EQ(CameraOwner(), "");
}

TEST_F(EOSCamera, SetOwnerNameRefusesNamesTooLong) {
  ConnectFirstCamera();
  // Beyond 254 characters the camera is not even asked.
  EXPECT_EQ(MessageOf([&] { controller->SetOwnerName(Repeat('n', 255)); }),
            "The owner name to set is too long");
  EXPECT_TRUE(Calls().empty());

  // Up to 254 the camera's own size decides: the name and its zero must fit.
  for (std::size_t length : {254u, 32u}) {
    Sim().clearCallLog();
    EXPECT_EQ(MessageOf([&] { controller->SetOwnerName(Repeat('n', length)); }),
              "The owner name to set is too long");
    EXPECT_THAT(CalledFunctions(), ElementsAre("EdsGetPropertySize"));
  }
  EXPECT_EQ(CameraOwner(), "Test Owner");
}

TEST_F(EOSCamera, SetOwnerNameFailures) {
  ConnectFirstCamera();
  for (const char* function : {"EdsGetPropertySize", "EdsSetPropertyData"}) {
    FailCall(function, Busy);
    EXPECT_EQ(MessageOf([&] { controller->SetOwnerName("Ann"); }), Failure(function));
  }
  EXPECT_EQ(CameraOwner(), "Test Owner");
}

TEST_F(EOSCamera, GetBodyIDReadsTheWholeValue) {
  UseScenario({{.bodyId = 0xFEDCBA98}});
  ConnectFirstCamera();
  EXPECT_EQ(controller->GetBodyID(), 0xFEDCBA98u);
  EXPECT_THAT(Calls(), ElementsAre("EdsGetPropertyData(camera#, 0x00000003, 0, 4) = 0x00000000"));

  FailCall("EdsGetPropertyData", Busy);
  EXPECT_EQ(MessageOf([&] { controller->GetBodyID(); }), Failure("EdsGetPropertyData"));
}

TEST_F(EOSCamera, FormatCameraCardEmptiesTheFirstCardAndReleasesIt) {
  ConnectFirstCamera();
  const std::size_t references = Sim().liveReferences();
  ASSERT_NE(Sim().listFiles(0), "");

  controller->FormatCameraCard();
  EXPECT_EQ(Sim().listFiles(0), "");
  EXPECT_EQ(Sim().liveReferences(), references);
  EXPECT_THAT(Calls(), ElementsAre("EdsGetChildCount(camera#) = 0x00000000 -> 1",
                                   "EdsGetChildAtIndex(camera#, 0) = 0x00000000 -> volume#",
                                   "EdsFormatVolume(volume#) = 0x00000000",
                                   "EdsRelease(volume#) = 0x00000000"));
}

TEST_F(EOSCamera, FormatCameraCardFailures) {
  struct Case {
    const char* function;
    bool volumeReleased;
  };
  const Case cases[] = {{"EdsGetChildCount", true},
                        {"EdsGetChildAtIndex", true},
                        {"EdsFormatVolume", true},
                        {"EdsRelease", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    UseScenario({EOSCameraSpec{}});
    ConnectFirstCamera();
    const std::size_t references = Sim().liveReferences();
    FailCall(c.function, Busy);

    EXPECT_EQ(MessageOf([&] { controller->FormatCameraCard(); }), Failure(c.function));
    EXPECT_EQ(Sim().liveReferences(), references + (c.volumeReleased ? 0 : 1));
    EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModEOS);
  }

  UseScenario({{.card = false}});
  ConnectFirstCamera();
  EXPECT_EQ(MessageOf([&] { controller->FormatCameraCard(); }),
            "FormatCameraCard : No volumes found");
  EXPECT_THAT(CalledFunctions(), ElementsAre("EdsGetChildCount"));
}

TEST_F(EOSCamera, RemoteSupportedAsksNothing) {
  ConnectFirstCamera();
  EXPECT_TRUE(controller->RemoteSupported());
  EXPECT_TRUE(Calls().empty());
}

TEST_F(EOSCamera, KeepCameraAwakeExtendsTheShutDownTimer) {
  ConnectFirstCamera();
  controller->KeepCameraAwake();
  EXPECT_THAT(Calls(), ElementsAre("EdsSendCommand(camera#, 1, 0) = 0x00000000"));
  EXPECT_EQ(WorldCamera(0).at("keepAwakeCount"), 1);

  FailCall("EdsSendCommand", Busy);
  EXPECT_EQ(MessageOf([&] { controller->KeepCameraAwake(); }), Failure("EdsSendCommand"));

  // The camera's warning that it will soon shut down keeps it awake, but
  // only while someone listens to camera events.
  Sim().clearCallLog();
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x0303);
  Sim().waitIdle();
  EXPECT_TRUE(Calls().empty());

  controller->OnEvent = [](EventCallbackType) {};
  Sim().clearCallLog();
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x0303);
  Sim().waitIdle();
  EXPECT_THAT(CalledFunctions(), ElementsAre("EdsSendCommand"));
  EXPECT_EQ(WorldCamera(0).at("keepAwakeCount"), 2);
}

} // namespace
} // namespace vostrel::test
