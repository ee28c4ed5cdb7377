// The CD connection through the controller: starting the SDK, enumerating
// and connecting cameras, the camera's events, and the operations on the
// camera as a whole, with the calls they make to the simulated CDSDK.DLL and
// their failures.

#include "SimulatedCD.h"

#include "core/DeviceLists.h"
#include "platform/TimeZone.h"
#include "powershot_cd/CDAPI.h"
#include "powershot_cd/CDSDKApi.h"

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
constexpr std::uint32_t Busy = 0x80010081;

std::string Failure(const std::string& function) {
  return function + " errorcode 0x80010081, Device busy";
}

const std::string NoCDCamera = "There seems to be no connected PowerShot cameras connected. Have "
                               "you called the EnumerateCameras function before calling Connect?";

// A byte in hexadecimal, repeated.
std::string Hex(const std::string& byte, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += byte;
  }
  return text;
}

// The calls of one property search that finds `code` after the properties
// listed before it, with the calls that use the property in between.
std::vector<std::string> PropertySearch(const std::vector<std::string>& found,
                                        const std::vector<std::string>& use) {
  std::vector<std::string> calls = {"CDEnumDevicePropertyReset(source#, 0) = 0x00000000 -> enum#",
                                    "CDGetDevicePropertyCount(enum#) = 0x00000000 -> 3"};
  for (const std::string& property : found) {
    calls.push_back("CDEnumDevicePropertyNext(enum#) = 0x00000000 -> " + property);
  }
  calls.insert(calls.end(), use.begin(), use.end());
  calls.push_back("CDEnumDevicePropertyRelease(enum#) = 0x00000000");
  return calls;
}

const std::string BatteryProperty = "0x0000000F size 4";
const std::string OwnerProperty = "0x0800000C size 32";
const std::string TimeProperty = "0x0800000D size 4";

// Date-time values: days since 1899-12-30.
constexpr TDateTime UnixEpoch = 25569.0;
constexpr double Millisecond = 1.0 / 86400000.0;

// ---------------------------------------------------------------------------
// Starting the SDK and enumerating

using CDEnumeration = SimulatedCD;

TEST_F(CDEnumeration, ListsTheCamerasInSDKOrderAndKeepsTheirRecords) {
  UseScenario({{.model = "PowerShot First"}, {.model = "PowerShot Second"}});
  const EnumerationListsType lists = controller->OpenCameraEnumeration();
  ASSERT_TRUE(lists.PowerShotNameList.lock());
  EXPECT_THAT(*lists.PowerShotNameList.lock(), ElementsAre("PowerShot First", "PowerShot Second"));
  ASSERT_EQ(CDDeviceList().size(), 2u);
  // The record of each camera is the SDK's, model name at offset 8.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(CDDeviceList()[1].data() + 8)),
            "PowerShot Second");
  EXPECT_THAT(Calls(), ElementsAre("CDEnumDeviceReset(1) = 0x00000000 -> enum#",
                                   "CDGetDeviceCount(enum#) = 0x00000000 -> 2",
                                   "CDEnumDeviceNext(enum#) = 0x00000000 -> \"PowerShot First\"",
                                   "CDEnumDeviceNext(enum#) = 0x00000000 -> \"PowerShot Second\"",
                                   "CDEnumDeviceRelease(enum#) = 0x00000000"));

  // The next enumeration empties the list and the records first.
  UseScenario({{.model = "PowerShot Only"}});
  EXPECT_THAT(*controller->OpenCameraEnumeration().PowerShotNameList.lock(),
              ElementsAre("PowerShot Only"));
  EXPECT_EQ(CDDeviceList().size(), 1u);
}

TEST_F(CDEnumeration, CDCamerasComeBeforeThePRCamerasAndReachTheirOwnBackend) {
  SimulatedLibrary("PRSDK.DLL")
      .loadScenario(R"({"pr": {"cameras": [{"model": "PowerShot Newer"}]}})");
  UseScenario({{.model = "PowerShot Older"}});
  EXPECT_THAT(*controller->OpenCameraEnumeration().PowerShotNameList.lock(),
              ElementsAre("PowerShot Older", "PowerShot Newer"));

  EXPECT_EQ(controller->Connect(CamModPowerShot, 0).CameraModelName, "PowerShot Older");
  EXPECT_TRUE(WorldCamera(0).at("sessionOpen").get<bool>());
  controller->Disconnect();
  EXPECT_EQ(controller->Connect(CamModPowerShot, 1).CameraModelName, "PowerShot Newer");
  EXPECT_FALSE(WorldCamera(0).at("sessionOpen").get<bool>());
  controller->Disconnect();
}

TEST_F(CDEnumeration, StartsTheSDKWithItsVersionAndFinishesItIgnoringTheResult) {
  FailCall("CDFinishSDK", Busy);
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraEnumeration(); }), "");
  Sim().clearCallLog();
  controller->OpenCameraEnumeration();
  const std::vector<std::string> calls = Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0], "CDStartSDK(version 40 7.3, 0) = 0x00000000");
}

TEST_F(CDEnumeration, AFailedStartIsTriedAgainByTheNextEnumeration) {
  controller->CloseCameraEnumeration();
  Sim().clearCallLog();
  FailCall("CDStartSDK", Busy);
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), Failure("CDStartSDK"));
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), "");
  EXPECT_EQ(CalledFunctions().at(1), "CDStartSDK");
}

TEST_F(CDEnumeration, EachFailedEnumerationCallIsReported) {
  for (const char* function :
       {"CDEnumDeviceReset", "CDGetDeviceCount", "CDEnumDeviceNext", "CDEnumDeviceRelease"}) {
    SCOPED_TRACE(function);
    FailCall(function, Busy);
    EXPECT_EQ(MessageOf([&] { controller->OpenCameraEnumeration(); }), Failure(function));
    // The device enumeration is released also when the count or a device
    // fails (a failed release cannot be helped).
    EXPECT_EQ(Sim().liveReferences(), std::string(function) == "CDEnumDeviceRelease" ? 1u : 0u);
    Sim().clearFailures();
    controller->CloseCameraEnumeration();
    controller = std::make_unique<TVostrel>();
  }
}

// ---------------------------------------------------------------------------
// Connecting

using CDConnect = SimulatedCD;

TEST_F(CDConnect, RefusesCameraNumbersOutsideTheListBeforeAnySDKCall) {
  UseScenario({{.model = "PowerShot A"}, {.model = "PowerShot B"}});
  TCDSDK backend;
  ConnectInfoType info;
  EXPECT_EQ(MessageOf([&] { backend.Connect(nullptr, -1, 0, info); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. Value must be at "
            "least zero. Currently ConnectToCamera = -1");
  EXPECT_EQ(MessageOf([&] { backend.Connect(nullptr, 2, 0, info); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. There are only 2 "
            "PowerShot cameras connected. Currently is parameter ConnectToCamera = 2");
  UseScenario({});
  EXPECT_EQ(MessageOf([&] { backend.Connect(nullptr, 0, 0, info); }), NoCDCamera);
  EXPECT_THAT(Calls(), IsEmpty());
  EXPECT_EQ(info.CameraModel, CamModNone);
}

TEST_F(CDConnect, OpensTheSourceReadsOwnerAndBatteryAndRegistersTheHandler) {
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

  const std::string owner = "4669656C64205465616D" + Hex("00", 22);
  std::vector<std::string> expected = {"CDOpenSource(device) = 0x00000000 -> source#"};
  for (const auto& calls :
       {PropertySearch(
            {BatteryProperty, OwnerProperty},
            {"CDGetDevicePropertyData(source#, 0x0800000C, 32, 0) = 0x00000000 -> " + owner}),
        PropertySearch({BatteryProperty},
                       {"CDGetDevicePropertyData(source#, 0x0000000F, 4, 0) = 0x00000000 -> "
                        "06000020"})}) {
    expected.insert(expected.end(), calls.begin(), calls.end());
  }
  expected.push_back("CDRegisterEventCallbackFunction(source#, handler, " +
                     std::to_string(controller->GetInstanceIndex()) +
                     ") = 0x00000000 -> registration#");
  EXPECT_EQ(Calls(), expected);
  EXPECT_EQ(controller->GetBodyID(), 0u); // the CD cameras have none
}

TEST_F(CDConnect, ReadsAnOwnerNameThatFillsTheBuffer) {
  UseScenario({{.owner = std::string(31, 'O')}});
  EXPECT_EQ(controller->Connect(CamModPowerShot, 0).OwnerName, std::string(31, 'O'));
}

TEST_F(CDConnect, MapsTheBatteryWord) {
  struct Case {
    std::uint32_t word;
    std::uint8_t source;
    std::uint8_t status;
  };
  const Case cases[] = {
      {0x10000006, BatterySourceAC, BatteryStatusNormal},
      {0x20000004, BatterySourceLitium, BatteryStatusWeak},
      {0x30000003, BatterySourceNiMH, BatteryStatusSafetyLow},
      {0x40000002, BatterySourceNiCD, BatteryStatusUnknown},
      {0x50000016, BatterySourceAlMN, BatteryStatusNormal},
      {0x60000005, BatterySourceUnknown, BatteryStatusUnknown},
      {0x00000006, BatterySourceUnknown, BatteryStatusNormal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    UseScenario({{.battery = c.word}});
    const ConnectInfoType info = controller->Connect(CamModPowerShot, 0);
    EXPECT_EQ(info.BatterySource, c.source);
    EXPECT_EQ(info.BatteryStatus, c.status);
  }
}

TEST_F(CDConnect, AFailedCallLeavesTheControllerUnconnectedAndTheNextConnectStartsAfresh) {
  struct Case {
    const char* function;
    std::uint32_t passing;
  };
  const Case cases[] = {
      {"CDOpenSource", 0},
      {"CDEnumDevicePropertyReset", 0},
      {"CDEnumDevicePropertyNext", 1},
      {"CDGetDevicePropertyData", 0},
      {"CDEnumDevicePropertyReset", 1},
      {"CDGetDevicePropertyData", 1},
      {"CDRegisterEventCallbackFunction", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " after " + std::to_string(c.passing));
    UseScenario({CDCameraSpec{}});
    FailCall(c.function, Busy, c.passing);
    EXPECT_EQ(MessageOf([&] { controller->Connect(CamModPowerShot, 0); }), Failure(c.function));
    EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
    // A property enumeration that was opened is released again.
    std::size_t opened = 0;
    std::size_t released = 0;
    for (const std::string& call : Calls()) {
      opened += call.rfind("CDEnumDevicePropertyReset(source#, 0) = 0x00000000", 0) == 0;
      released += call.rfind("CDEnumDevicePropertyRelease(", 0) == 0;
    }
    EXPECT_EQ(opened, released);
    // The source is closed again, so nothing of the failed connection stays.
    EXPECT_EQ(Sim().liveReferences(), 0u);
    EXPECT_FALSE(WorldCamera(0).at("sessionOpen").get<bool>());
    EXPECT_EQ(controller->Connect(CamModPowerShot, 0).CameraModel, CamModPowerShot);
  }
}

TEST_F(CDConnect, ACameraWithoutThePropertyEndsTheSearchWithTheSDKsError) {
  // The simulated camera lists battery, owner and clock; an enumeration that
  // runs out before the owner name ends with "Enum not applicable".
  FailCall("CDEnumDevicePropertyNext", 0x000000F0, 1);
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModPowerShot, 0); }),
            "CDEnumDevicePropertyNext errorcode 0x000000F0, Enum not applicable");
  EXPECT_THAT(CalledFunctions(),
              ElementsAre("CDOpenSource", "CDEnumDevicePropertyReset", "CDGetDevicePropertyCount",
                          "CDEnumDevicePropertyNext", "CDEnumDevicePropertyNext",
                          "CDEnumDevicePropertyRelease", "CDCloseSource"));
}

TEST_F(CDConnect, ASearchEndsAfterAsManyPropertiesAsTheSDKCounts) {
  // An SDK that keeps answering "success" without a property: the search
  // stops after the three properties the camera counts.
  Sim().injectFailure("CDEnumDevicePropertyNext", 0, 0, 1000000);
  EXPECT_EQ(MessageOf([&] { controller->Connect(CamModPowerShot, 0); }),
            "CDEnumDevicePropertyNext errorcode 0x000000F0, Enum not applicable");
  const auto functions = CalledFunctions();
  EXPECT_EQ(std::count(functions.begin(), functions.end(), "CDEnumDevicePropertyNext"), 3);
  EXPECT_EQ(Sim().liveReferences(), 0u);
  Sim().clearFailures();
  // An SDK that cannot count is searched all the same.
  FailCall("CDGetDevicePropertyCount", Busy);
  EXPECT_EQ(controller->Connect(CamModPowerShot, 0).OwnerName, "Test Owner");
}

TEST_F(CDConnect, CameraEventsReachTheControllerFromTheSimulatorsThread) {
  std::vector<EventCallbackType> events;
  controller->OnEvent = [&](EventCallbackType event) { events.push_back(event); };
  ConnectFirstCamera();
  Sim().setSynchronousCallbacks(false);

  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x00020001, 0, 4); // battery weak, a warning
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x00000002, 0, 0); // dial
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x00070063, 0, 0); // neither known
  Sim().detachCamera(0);
  Sim().waitIdle();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].Severity, EventSeverityType::EventSeverityWarning);
  EXPECT_EQ(events[0].Event, EventEnumType::EventBatteryLevelWeak);
  EXPECT_EQ(events[1].Severity, EventSeverityType::EventSeverityInfo);
  EXPECT_EQ(events[1].Event, EventEnumType::EventDialChanged);
  EXPECT_EQ(events[2].Severity, EventSeverityType::EventSeverityNotUsed);
  EXPECT_EQ(events[2].Event, EventEnumType::EventNotUsed);
  EXPECT_EQ(events[3].Severity, EventSeverityType::EventSeverityClosing);
  EXPECT_EQ(events[3].Event, EventEnumType::EventConnectionDisappeared);
}

TEST_F(CDConnect, AShutdownWarningKeepsTheCameraAwakeInsteadOfFiringAnEvent) {
  std::vector<EventCallbackType> events;
  controller->OnEvent = [&](EventCallbackType event) { events.push_back(event); };
  ConnectFirstCamera();
  Sim().setSynchronousCallbacks(false);
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x00020005, 0, 0);
  Sim().waitIdle();
  EXPECT_THAT(events, IsEmpty());
  EXPECT_EQ(Calls(), PropertySearch({BatteryProperty, OwnerProperty},
                                    {"CDGetDevicePropertyData(source#, 0x0800000C, 32, 0) = "
                                     "0x00000000 -> 54657374204F776E6572" +
                                     Hex("00", 22)}));
}

TEST_F(CDConnect, DisconnectUnregistersTheHandlerThenClosesTheSource) {
  std::vector<EventCallbackType> events;
  controller->OnEvent = [&](EventCallbackType event) { events.push_back(event); };
  ConnectFirstCamera();
  controller->Disconnect();
  EXPECT_THAT(Calls(),
              ElementsAre("CDUnregisterEventCallbackFunction(source#, registration#) = 0x00000000",
                          "CDCloseSource(source#) = 0x00000000"));
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
  EXPECT_FALSE(WorldCamera(0).at("sessionOpen").get<bool>());
  Sim().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0x00000002, 0, 0);
  EXPECT_THAT(events, IsEmpty());
}

TEST_F(CDConnect, AFailedDisconnectCanBeRepeated) {
  ConnectFirstCamera();
  FailCall("CDUnregisterEventCallbackFunction", Busy);
  EXPECT_EQ(MessageOf([&] { controller->Disconnect(); }),
            Failure("CDUnregisterEventCallbackFunction"));
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDUnregisterEventCallbackFunction"));
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModPowerShot);

  FailCall("CDCloseSource", Busy);
  EXPECT_EQ(MessageOf([&] { controller->Disconnect(); }), Failure("CDCloseSource"));

  // The source the SDK did not close is not closed twice: the next
  // Disconnect only ends the connection, and the camera connects again.
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->Disconnect(); }), "");
  EXPECT_THAT(Calls(), IsEmpty());
  EXPECT_EQ(controller->GetConnectInfo().CameraModel, CamModNone);
  ConnectFirstCamera();
  controller->Disconnect();
}

// ---------------------------------------------------------------------------
// The camera as a whole

class CDCamera : public SimulatedCD {
protected:
  void SetUp() override {
    SimulatedCD::SetUp();
    ConnectFirstCamera();
  }

  // Central European time: UTC = local time - 60 minutes; daylight saving
  // in effect, which the camera clock does not apply.
  platform::ScopedTimeZone zone{
      {.bias = -60, .standardBias = 0, .daylightBias = -60, .daylightInEffect = true}};
};

TEST_F(CDCamera, SetTimeInCameraSendsTheLocalTimeAsUTCSecondsSince1970) {
  // 2024-05-01 09:30:15.500 local is 08:30:16 UTC after rounding.
  controller->SetTimeInCamera(45413.0 + (9 * 3600 + 30 * 60 + 15) / 86400.0 + 500 * Millisecond);
  EXPECT_EQ(Calls(), PropertySearch({BatteryProperty, OwnerProperty, TimeProperty},
                                    {"CDSetDevicePropertyData(source#, 0x0800000D, 4, 98FD3166) = "
                                     "0x00000000"}));
  EXPECT_EQ(WorldCamera(0).at("clock"), "2024-05-01T08:30:16.000");

  platform::ScopedTimeZone utc({});
  controller->SetTimeInCamera(UnixEpoch + 499 * Millisecond);
  EXPECT_EQ(WorldCamera(0).at("clock"), "1970-01-01T00:00:00.000");
}

TEST_F(CDCamera, SetTimeInCameraSendsATimeBefore1970AsANegativeCount) {
  // 1970-01-01 00:00 in UTC+1 is -3600 seconds, which this camera refuses.
  EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(UnixEpoch); }),
            "It is not possible to set time in the current connected camera");
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[5], "CDSetDevicePropertyData(source#, 0x0800000D, 4, F0F1FFFF) = 0x00000086");
  EXPECT_EQ(calls[6], "CDEnumDevicePropertyRelease(enum#) = 0x00000000");
}

TEST_F(CDCamera, SetTimeInCameraReportsFailuresAfterTheSearchStartedWithItsOwnMessage) {
  const std::string message = "It is not possible to set time in the current connected camera";
  FailCall("CDEnumDevicePropertyReset", Busy);
  EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(45413.5); }),
            Failure("CDEnumDevicePropertyReset"));
  for (const char* function : {"CDEnumDevicePropertyNext", "CDSetDevicePropertyData"}) {
    FailCall(function, Busy);
    EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(45413.5); }), message) << function;
  }
  // A time that the camera's signed 32-bit count cannot hold is not sent.
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->SetTimeInCamera(UnixEpoch + 24856.0); }), message);
  EXPECT_THAT(CalledFunctions(),
              ElementsAre("CDEnumDevicePropertyReset", "CDGetDevicePropertyCount",
                          "CDEnumDevicePropertyNext", "CDEnumDevicePropertyNext",
                          "CDEnumDevicePropertyNext", "CDEnumDevicePropertyRelease"));
  EXPECT_EQ(WorldCamera(0).at("clock"), "2024-05-01T09:30:00.000");
}

TEST_F(CDCamera, SetOwnerNameSendsTheNameWithItsTerminator) {
  const std::string longest(31, 'N');
  controller->SetOwnerName(longest);
  EXPECT_EQ(Calls(), PropertySearch({BatteryProperty, OwnerProperty},
                                    {"CDSetDevicePropertyData(source#, 0x0800000C, 32, " +
                                     Hex("4E", 31) + "00) = 0x00000000"}));
  EXPECT_EQ(WorldCamera(0).at("owner"), longest);
  controller->SetOwnerName("");
  EXPECT_EQ(WorldCamera(0).at("owner"), "");
}

TEST_F(CDCamera, SetOwnerNameRefusesLongNamesAndReportsFailuresWithItsOwnMessage) {
  EXPECT_EQ(MessageOf([&] { controller->SetOwnerName(std::string(32, 'N')); }),
            "The owner name to set is too long");
  EXPECT_THAT(Calls(), IsEmpty());
  FailCall("CDEnumDevicePropertyReset", Busy);
  EXPECT_EQ(MessageOf([&] { controller->SetOwnerName("Ann"); }),
            Failure("CDEnumDevicePropertyReset"));
  FailCall("CDSetDevicePropertyData", Busy);
  EXPECT_EQ(MessageOf([&] { controller->SetOwnerName("Ann"); }),
            "It is not possible to set owner name in the current connected camera");
  EXPECT_EQ(WorldCamera(0).at("owner"), "Test Owner");
}

TEST_F(CDCamera, FormatCameraCardFormatsTheFirstVolume) {
  controller->FormatCameraCard();
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0], "CDEnumVolumeReset(source#) = 0x00000000 -> enum#");
  EXPECT_EQ(calls[1], "CDEnumVolumeNext(enum#) = 0x00000000 -> volume#");
  EXPECT_EQ(calls[2].rfind("CDGetVolumeInfo(volume#) = 0x00000000 -> 1048576 KB, ", 0), 0u)
      << calls[2];
  EXPECT_EQ(calls[3], "CDEnumVolumeRelease(enum#) = 0x00000000");
  EXPECT_EQ(calls[4], "CDFormat(volume#) = 0x00000000");
  EXPECT_EQ(Sim().listFiles(0, 0), "");
}

TEST_F(CDCamera, FormatCameraCardRefusesACardWithoutSpace) {
  UseScenario({{.cardKilobytes = 0, .files = {}}});
  ConnectFirstCamera();
  EXPECT_EQ(MessageOf([&] { controller->FormatCameraCard(); }),
            "OpenCameraCollection volume error");
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDEnumVolumeReset", "CDEnumVolumeNext",
                                             "CDGetVolumeInfo", "CDEnumVolumeRelease"));
}

TEST_F(CDCamera, FormatCameraCardReportsEachFailureAndReleasesTheEnumeration) {
  for (const char* function : {"CDEnumVolumeNext", "CDGetVolumeInfo"}) {
    Sim().clearCallLog();
    FailCall(function, Busy);
    EXPECT_EQ(MessageOf([&] { controller->FormatCameraCard(); }), Failure(function));
    EXPECT_EQ(CalledFunctions().back(), "CDEnumVolumeRelease") << function;
  }
  for (const char* function : {"CDEnumVolumeReset", "CDFormat"}) {
    FailCall(function, Busy);
    EXPECT_EQ(MessageOf([&] { controller->FormatCameraCard(); }), Failure(function));
  }
  EXPECT_NE(Sim().listFiles(0, 0), "");
}

TEST_F(CDCamera, RemoteSupportedAsksTheReleaseControlFaculty) {
  EXPECT_TRUE(controller->RemoteSupported());
  EXPECT_THAT(Calls(),
              ElementsAre("CDGetReleaseControlFaculty(source#) = 0x00000000 -> 0x40000006"));
  // A camera that cannot tell counts as capable.
  FailCall("CDGetReleaseControlFaculty", Busy);
  EXPECT_TRUE(controller->RemoteSupported());

  UseScenario({{.faculty = 0xBFFFFFFFu}});
  ConnectFirstCamera();
  EXPECT_FALSE(controller->RemoteSupported());
}

TEST_F(CDCamera, KeepCameraAwakeReadsTheOwnerName) {
  controller->KeepCameraAwake();
  EXPECT_EQ(Calls(), PropertySearch({BatteryProperty, OwnerProperty},
                                    {"CDGetDevicePropertyData(source#, 0x0800000C, 32, 0) = "
                                     "0x00000000 -> 54657374204F776E6572" +
                                     Hex("00", 22)}));
  FailCall("CDGetDevicePropertyData", Busy);
  EXPECT_EQ(MessageOf([&] { controller->KeepCameraAwake(); }), Failure("CDGetDevicePropertyData"));
}

} // namespace
} // namespace vostrel::test
