// The PR connection through the controller: starting the SDK, enumerating
// and connecting cameras, and the operations on the camera as a whole, with
// the calls they make to the simulated PRSDK.DLL and their failures.

#include "SimulatedPR.h"

#include "core/DeviceLists.h"
#include "powershot_pr/PRSDKApi.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A result with high bits set; its low 16 bits mean "Device busy".
constexpr std::uint32_t Busy = 0x00FF2019;

std::string Failure(const std::string& function) {
  return function + " errorcode 0x00FF2019, Device busy";
}

const std::string NoPRCamera = "There seems to be no connected PowerShot cameras (newer than S80) "
                               "connected. Have you called the EnumerateCameras function before "
                               "calling Connect?";

// A byte in hexadecimal, repeated.
std::string Hex(const std::string& byte, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += byte;
  }
  return text;
}

// Date-time values: days since 1899-12-30.
constexpr TDateTime UnixEpoch = 25569.0;
constexpr double Millisecond = 1.0 / 86400000.0;

// ---------------------------------------------------------------------------
// Starting the SDK and enumerating

using PREnumeration = SimulatedPR;

TEST_F(PREnumeration, ListsModelNamesAfterTheCDCamerasAndKeepsTheEntries) {
  UseScenario({{.model = "PowerShot First"}, {.model = "PowerShot Second"}});

  const EnumerationListsType lists = controller->OpenCameraEnumeration();
  ASSERT_TRUE(lists.PowerShotNameList.lock());
  EXPECT_THAT(*lists.PowerShotNameList.lock(), ElementsAre("PowerShot First", "PowerShot Second"));
  EXPECT_EQ(PRDeviceList().size(), 2u);
  EXPECT_THAT(Calls(), ElementsAre("PR_GetDeviceList(110804) = 0x00000000 -> \"PowerShot "
                                   "First\", \"PowerShot Second\""));

  // The next enumeration starts the list afresh.
  UseScenario({{.model = "PowerShot Only"}});
  EXPECT_THAT(*controller->OpenCameraEnumeration().PowerShotNameList.lock(),
              ElementsAre("PowerShot Only"));
  EXPECT_EQ(PRDeviceList().size(), 1u);
}

TEST_F(PREnumeration, AFailedDeviceListKeepsTheEarlierEntries) {
  UseScenario({{.model = "PowerShot First"}, {.model = "PowerShot Second"}});
  FailCall("PR_GetDeviceList", Busy);
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), Failure("PR_GetDeviceList"));
  EXPECT_EQ(PRDeviceList().size(), 2u);
}

TEST_F(PREnumeration, AFailedStartIsTriedAgainByTheNextEnumeration) {
  controller->CloseCameraEnumeration();
  Sim().clearCallLog();
  FailCall("PR_StartSDK", Busy);
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), Failure("PR_StartSDK"));
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), "");
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_StartSDK", "PR_StartSDK", "PR_GetDeviceList"));
}

TEST_F(PREnumeration, ClosingFinishesTheSDKAndIgnoresItsResult) {
  FailCall("PR_FinishSDK", Busy);
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraEnumeration(); }), "");
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_FinishSDK"));
  // The next enumeration starts the SDK again.
  Sim().clearCallLog();
  controller->OpenCameraEnumeration();
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_StartSDK", "PR_GetDeviceList"));
}

TEST_F(PREnumeration, ACameraBothSDKsReportIsListedOnceAsAPRCamera) {
  UseScenario({{.model = "PowerShot Twin"}, {.model = "PowerShot Solo"}});
  // As the CD enumeration leaves them: three CD cameras, two of them of the
  // twin's model.
  std::vector<std::string> names = {"PowerShot Twin", "PowerShot Old", "PowerShot Twin"};
  CDDeviceList().assign(3, CDDeviceRecord{});
  CDDeviceList()[1][0] = 0x01; // marks the CD camera that stays

  TPRSDK backend;
  backend.OpenCameraEnumeration(names);
  EXPECT_THAT(names, ElementsAre("PowerShot Old", "PowerShot Twin", "PowerShot Solo"));
  ASSERT_EQ(CDDeviceList().size(), 1u);
  EXPECT_EQ(CDDeviceList()[0][0], 0x01);
  EXPECT_EQ(PRDeviceList().size(), 2u);
}

TEST_F(PREnumeration, ANameIsNotComparedWithTheCamerasOfTheSameEnumeration) {
  UseScenario({{.model = "PowerShot Same"}, {.model = "PowerShot Same"}});
  std::vector<std::string> names;
  CDDeviceList().clear();
  TPRSDK backend;
  backend.OpenCameraEnumeration(names);
  EXPECT_THAT(names, ElementsAre("PowerShot Same", "PowerShot Same"));
}

// ---------------------------------------------------------------------------
// Connecting

using PRConnect = SimulatedPR;

TEST_F(PRConnect, RefusesCameraNumbersOutsideTheListBeforeAnySDKCall) {
  UseScenario({{.model = "PowerShot A"}, {.model = "PowerShot B"}});
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModPowerShot, -1); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. Value must be at "
            "least zero. Currently ConnectToCamera = -1");
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModPowerShot, 2); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. There are only 2 "
            "PowerShot cameras connected. Currently is parameter ConnectToCamera = 2");
  UseScenario({});
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModPowerShot, 0); }), NoPRCamera);
  EXPECT_THAT(Calls(), IsEmpty());
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
}

TEST_F(PRConnect, ConnectsRegistersTheHandlerAndReadsTheCamera) {
  UseScenario({{.model = "PowerShot A"}, {.model = "PowerShot B", .owner = "Field Team"}});
  const ConnectInfoType info = controller->Connect(CamModPowerShot, 1);

  EXPECT_EQ(info.CameraModel, CamModPowerShot);
  EXPECT_EQ(info.CameraModelName, "PowerShot B");
  EXPECT_EQ(info.OwnerName, "Field Team");
  EXPECT_EQ(info.BatterySource, BatterySourceLitium);
  EXPECT_EQ(info.BatteryStatus, BatteryStatusNormal);
  EXPECT_EQ(controller->GetConnectInfo().CameraModelName, "PowerShot B");
  EXPECT_TRUE(WorldCamera(1).at("sessionOpen").get<bool>());
  EXPECT_FALSE(WorldCamera(0).at("sessionOpen").get<bool>());

  const std::string context = std::to_string(controller->GetInstanceIndex());
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0], "PR_CreateCameraObject(device) = 0x00000000 -> camera#");
  EXPECT_EQ(calls[1], "PR_ConnectCamera(camera#) = 0x00000000");
  EXPECT_EQ(calls[2].rfind("PR_GetDevicePropValue(camera#, 0x0000D033, 260) = 0x00000000 -> "
                           "0B0000004669656C64205465616D00",
                           0),
            0u)
      << calls[2];
  EXPECT_EQ(calls[3], "PR_GetDevicePropValue(camera#, 0x0000D002, 2) = 0x00000000 -> 0200");
  EXPECT_EQ(calls[4], "PR_GetDevicePropValue(camera#, 0x0000D003, 4) = 0x00000000 -> 01000000");
  EXPECT_EQ(calls[5], "PR_SetEventCallBack(camera#, " + context + ", handler) = 0x00000000");
  EXPECT_EQ(calls[6].rfind("PR_GetDeviceInfo(camera#, 1048576) = 0x00000000 -> ", 0), 0u)
      << calls[6];
  EXPECT_TRUE(controller->RemoteSupported());
}

TEST_F(PRConnect, MapsTheBatterySourceAndStatus) {
  struct Case {
    std::uint32_t kind;
    std::uint32_t status;
    std::uint8_t source;
    std::uint8_t state;
  };
  const Case cases[] = {
      {1, 1, BatterySourceAC, BatteryStatusNormal},
      {2, 2, BatterySourceLitium, BatteryStatusWeak},
      {3, 3, BatterySourceNiMH, BatteryStatusSafetyLow},
      {4, 0, BatterySourceNiCD, BatteryStatusUnknown},
      {5, 4, BatterySourceAlMN, BatteryStatusUnknown},
      {6, 1, BatterySourceUnknown, BatteryStatusNormal},
      {0, 1, BatterySourceUnknown, BatteryStatusNormal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    UseScenario({{.batteryStatus = c.status, .batteryKind = c.kind}});
    const ConnectInfoType info = controller->Connect(CamModPowerShot, 0);
    EXPECT_EQ(info.BatterySource, c.source);
    EXPECT_EQ(info.BatteryStatus, c.state);
  }
}

TEST_F(PRConnect, ACameraWithoutReleaseControlIsNotRemoteCapable) {
  UseScenario({{.operations = std::vector<std::uint16_t>{0x1001, 0x1002, 0x900B}}});
  controller->Connect(CamModPowerShot, 0);
  EXPECT_FALSE(controller->RemoteSupported());
  // A camera of the next connection that has it is.
  controller->Disconnect();
  UseScenario({{.operations = std::vector<std::uint16_t>{0x9008}}});
  controller->Connect(CamModPowerShot, 0);
  EXPECT_TRUE(controller->RemoteSupported());
}

TEST_F(PRConnect, AFailedCallLeavesTheControllerUnconnectedAndTheNextConnectStartsAfresh) {
  struct Case {
    const char* function;
    std::uint32_t passing;
  };
  const Case cases[] = {
      {"PR_CreateCameraObject", 0}, {"PR_ConnectCamera", 0},      {"PR_GetDevicePropValue", 0},
      {"PR_GetDevicePropValue", 1}, {"PR_GetDevicePropValue", 2}, {"PR_SetEventCallBack", 0},
      {"PR_GetDeviceInfo", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " after " + std::to_string(c.passing));
    UseScenario({PRCameraSpec{}});
    FailCall(c.function, Busy, c.passing);
    EXPECT_EQ(MessageOf([&] { controller->Connect(CamModPowerShot, 0); }), Failure(c.function));
    EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
    // Nothing stays behind in the SDK: no connection, no camera object.
    EXPECT_FALSE(WorldCamera(0).at("sessionOpen").get<bool>());
    EXPECT_EQ(Sim().liveReferences(), 0u);
    const std::vector<std::string> called = CalledFunctions();
    const bool connected = std::string(c.function) != "PR_CreateCameraObject" &&
                           std::string(c.function) != "PR_ConnectCamera";
    EXPECT_EQ(std::count(called.begin(), called.end(), "PR_DisconnectCamera"), connected ? 1 : 0);
    EXPECT_EQ(std::count(called.begin(), called.end(), "PR_DestroyCameraObject"),
              std::string(c.function) == "PR_CreateCameraObject" ? 0 : 1);
    EXPECT_EQ(controller->Connect(CamModPowerShot, 0).CameraModel, CamModPowerShot);
  }
}

TEST_F(PRConnect, CameraEventsReachTheControllerFromTheSimulatorsThread) {
  std::vector<EventCallbackType> events;
  controller->OnEvent = [&](EventCallbackType event) { events.push_back(event); };
  ConnectFirstCamera();
  Sim().setSynchronousCallbacks(false);

  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0xC00A, 0, 2); // battery weak
  Sim().detachCamera(0);
  Sim().waitIdle();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].Severity, EventSeverityType::EventSeverityWarning);
  EXPECT_EQ(events[0].Event, EventEnumType::EventBatteryLevelWeak);
  EXPECT_EQ(events[1].Severity, EventSeverityType::EventSeverityClosing);
  EXPECT_EQ(events[1].Event, EventEnumType::EventConnectionDisappeared);
}

TEST_F(PRConnect, DisconnectClearsTheHandlerDisconnectsAndDestroysTheCameraObject) {
  std::vector<EventCallbackType> events;
  controller->OnEvent = [&](EventCallbackType event) { events.push_back(event); };
  ConnectFirstCamera();
  controller->Disconnect();
  EXPECT_THAT(Calls(), ElementsAre("PR_ClearEventCallBack(camera#) = 0x00000000",
                                   "PR_DisconnectCamera(camera#) = 0x00000000",
                                   "PR_DestroyCameraObject(camera#) = 0x00000000"));
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
  EXPECT_FALSE(WorldCamera(0).at("sessionOpen").get<bool>());
  // The camera object went with the connection.
  EXPECT_EQ(Sim().liveReferences(), 0u);
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0xC00A, 0, 2);
  EXPECT_THAT(events, IsEmpty());
}

TEST_F(PRConnect, AFailedClearOfTheHandlerKeepsTheCameraConnected) {
  ConnectFirstCamera();
  FailCall("PR_ClearEventCallBack", Busy);
  EXPECT_EQ(MessageOf([&] { controller->Disconnect(); }), Failure("PR_ClearEventCallBack"));
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_ClearEventCallBack"));
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModPowerShot);
}

// A disconnection the camera does not confirm is reported, and the camera
// object goes all the same. The host's next Disconnect has nothing left to
// undo and ends the connection; the camera connects again.
TEST_F(PRConnect, AFailedDisconnectionStillDestroysTheCameraObject) {
  ConnectFirstCamera();
  FailCall("PR_DisconnectCamera", Busy);
  EXPECT_EQ(MessageOf([&] { controller->Disconnect(); }), Failure("PR_DisconnectCamera"));
  EXPECT_THAT(Calls(), ElementsAre("PR_ClearEventCallBack(camera#) = 0x00000000",
                                   "PR_DisconnectCamera(camera#) = 0x00FF2019",
                                   "PR_DestroyCameraObject(camera#) = 0x00000000"));
  EXPECT_EQ(Sim().liveReferences(), 0u);
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModPowerShot);

  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->Disconnect(); }), "");
  EXPECT_THAT(Calls(), IsEmpty());
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
  EXPECT_EQ(controller->Connect(CamModPowerShot, 0).CameraModel, CamModPowerShot);
  EXPECT_EQ(Sim().liveReferences(), 1u);
}

// ---------------------------------------------------------------------------
// The camera as a whole

class PRCamera : public SimulatedPR {
protected:
  void SetUp() override {
    SimulatedPR::SetUp();
    ConnectFirstCamera();
  }
};

TEST_F(PRCamera, SetTimeInCameraSendsSecondsSince1970RoundedToTheSecond) {
  controller->SetTimeInCamera(UnixEpoch + 600 * Millisecond);
  EXPECT_THAT(Calls(), ElementsAre("PR_SetDevicePropValue(camera#, 0x0000D034, 4, 01000000) = "
                                   "0x00000000"));
  controller->SetTimeInCamera(UnixEpoch + 400 * Millisecond);
  EXPECT_EQ(WorldCamera(0).at("clock"), "1970-01-01T00:00:00.000");

  // 2024-05-01 09:30:15.499, taken as it is.
  controller->SetTimeInCamera(45413.0 + (9 * 3600 + 30 * 60 + 15) / 86400.0 + 499 * Millisecond);
  EXPECT_EQ(WorldCamera(0).at("clock"), "2024-05-01T09:30:15.000");
}

TEST_F(PRCamera, SetTimeInCameraReportsEveryFailureWithItsOwnMessage) {
  const std::string message = "It is not possible to set time in the current connected camera";
  FailCall("PR_SetDevicePropValue", Busy);
  EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(45413.5); }), message);

  // Times the camera's 32-bit count of seconds cannot hold are not sent at
  // all: before 1970, and beyond 2106-02-07 06:28:15.
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(UnixEpoch - 1.0); }), message);
  EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(UnixEpoch + 49711.0); }), message);
  EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(PRCamera, SetOwnerNameWritesTheCountedBlock) {
  const std::string longest(31, 'N');
  controller->SetOwnerName(longest);
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], "PR_SetDevicePropValue(camera#, 0x0000D033, 260, 20000000" + Hex("4E", 31) +
                          Hex("00", 29) + "...) = 0x00000000");
  EXPECT_EQ(WorldCamera(0).at("owner"), longest);
}

TEST_F(PRCamera, SetOwnerNameRefusesLongNamesAndReportsFailuresWithItsOwnMessage) {
  EXPECT_EQ(MessageOf([&] { controller->SetOwnerName(std::string(32, 'N')); }),
            "The owner name to set is too long");
  EXPECT_THAT(Calls(), IsEmpty());
  FailCall("PR_SetDevicePropValue", Busy);
  EXPECT_EQ(MessageOf([&] { controller->SetOwnerName("Ann"); }),
            "It is not possible to set owner name in the current connected camera");
  EXPECT_EQ(WorldCamera(0).at("owner"), "Test Owner");
}

TEST_F(PRCamera, GetBodyIDReadsTheWholeValue) {
  UseScenario({{.bodyId = 4000000001u}});
  ConnectFirstCamera();
  EXPECT_EQ(controller->GetBodyID(), 4000000001u);
  EXPECT_THAT(Calls(), ElementsAre("PR_GetDevicePropValue(camera#, 0x0000D049, 4) = 0x00000000 "
                                   "-> 01286BEE"));
  FailCall("PR_GetDevicePropValue", Busy);
  EXPECT_EQ(MessageOf([&] { controller->GetBodyID(); }), Failure("PR_GetDevicePropValue"));
}

TEST_F(PRCamera, KeepCameraAwakeReadsTheOwnerName) {
  controller->KeepCameraAwake();
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_GetDevicePropValue"));
  EXPECT_EQ(Calls()[0].rfind("PR_GetDevicePropValue(camera#, 0x0000D033, 260)", 0), 0u);
  FailCall("PR_GetDevicePropValue", Busy);
  EXPECT_EQ(MessageOf([&] { controller->KeepCameraAwake(); }), Failure("PR_GetDevicePropValue"));
}

TEST_F(PRCamera, TheCardOperationsAreRefusedWithoutTouchingTheCamera) {
  EXPECT_EQ(MessageOf([&] { controller->FormatCameraCard(); }),
            "FormatCameraCard is not supported for you camera.");
  EXPECT_EQ(MessageOf([&] { controller->FormatCameraCard(); }),
            "FormatCameraCard is not supported for you camera.");
  TPRSDK backend;
  ImageListType list;
  EXPECT_EQ(MessageOf([&] { backend.OpenCameraCollection("", false, list); }),
            "OpenCameraCollection is not supported for you camera.");
  EXPECT_EQ(MessageOf([&] { backend.CloseCameraCollection(list); }),
            "CloseCameraCollection is not supported for you camera.");
  EXPECT_EQ(MessageOf([&] { backend.GetPicture(0, "x.jpg", nullptr, 0); }),
            "GetPicture is not supported for you camera.");
  EXPECT_EQ(MessageOf([&] { backend.DeletePicture(list, 0); }),
            "DeletePicture is not supported for you camera.");
  EXPECT_THAT(Calls(), IsEmpty());
}

} // namespace
} // namespace vostrel::test
