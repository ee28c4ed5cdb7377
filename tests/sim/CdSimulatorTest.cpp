// The simulated CDSDK.DLL, loaded by name as the binding loads it and driven
// through its entry points and its control interface: the exports, the
// SDK's lifetime, the enumerations, sources and their event handlers,
// device properties, the card, and the result codes of misuse.

#include "platform/DynamicLibrary.h"
#include "powershot_cd/CDEVENT.h"
#include "powershot_cd/CDTYPE.h"
#include "sim/SimControlClient.h"
#include "support/LoggedCalls.h"
#include "support/SimulatedLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::sim::test {
namespace {

using ::testing::ElementsAre;
using vostrel::test::SimulatedLibrary;

// The entry points, resolved from CDSDK.DLL under their exported names.
struct Cdsdk {
#define VOSTREL_SIM_TEST_FIELD(number, name, exportName, parameters, arguments)                    \
  name##Fn name = nullptr;
  CDSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_FIELD)
#undef VOSTREL_SIM_TEST_FIELD
};

platform::DynamicLibrary& library() {
  static const auto loaded = platform::DynamicLibrary::open("CDSDK.DLL");
  return *loaded;
}

const Cdsdk& cd() {
  static const Cdsdk entries = [] {
    Cdsdk resolved;
#define VOSTREL_SIM_TEST_RESOLVE(number, name, exportName, parameters, arguments)                  \
  resolved.name = reinterpret_cast<name##Fn>(library().symbol(exportName));
    CDSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_RESOLVE)
#undef VOSTREL_SIM_TEST_RESOLVE
    return resolved;
  }();
  return entries;
}

SimControlClient& control() {
  return SimulatedLibrary("CDSDK.DLL");
}

// A camera event as the simulator delivered it.
struct Event {
  cdUInt32 word;
  cdUInt32 data;
  cdContext context;
  std::thread::id thread;
};

std::mutex eventsMutex;
std::vector<Event> events;

cdUInt32 CDCALLBACK onEvent(cdUInt32 word, const cdUInt32* data, cdUInt32, cdContext context) {
  std::lock_guard lock(eventsMutex);
  events.push_back(
      Event{word, data == nullptr ? 0xFFFFFFFF : *data, context, std::this_thread::get_id()});
  return 0;
}

constexpr cdError InvalidHandle = 0x61;
constexpr cdError NotApplicable = 0xF0;

class CdSimulator : public ::testing::Test {
protected:
  void SetUp() override {
    control().clearFailures();
    control().loadScenario(R"({"cd": {"cameras": [
      {"model": "PowerShot One", "owner": "Ann", "battery": 536870916},
      {"model": "PowerShot Two", "volumes": [{"label": "CF", "capacityKilobytes": 0}]}]}})");
    cdVersionInfo version{};
    version.Size = sizeof version;
    version.Major = cdVersionMajor;
    version.Minor = cdVersionMinor;
    ASSERT_EQ(cd().CDStartSDK(&version, 0), cdOK);
    std::lock_guard lock(eventsMutex);
    events.clear();
  }

  void TearDown() override { cd().CDFinishSDK(); }

  // The device records of the attached cameras.
  static std::vector<cdSourceInfo> Devices() {
    cdHandle enumeration = 0;
    EXPECT_EQ(cd().CDEnumDeviceReset(cdEnumAllDevices, &enumeration), cdOK);
    cdUInt32 count = 0;
    EXPECT_EQ(cd().CDGetDeviceCount(enumeration, &count), cdOK);
    std::vector<cdSourceInfo> devices(count);
    for (cdSourceInfo& device : devices) {
      EXPECT_EQ(cd().CDEnumDeviceNext(enumeration, &device), cdOK);
    }
    cdSourceInfo beyond{};
    EXPECT_EQ(cd().CDEnumDeviceNext(enumeration, &beyond), NotApplicable);
    EXPECT_EQ(cd().CDEnumDeviceRelease(enumeration), cdOK);
    return devices;
  }

  static cdHandle Open(std::size_t camera) {
    cdHandle source = 0;
    EXPECT_EQ(cd().CDOpenSource(&Devices().at(camera), &source), cdOK);
    return source;
  }

  // The device properties of a source, code and size, in enumeration order.
  static std::vector<std::pair<cdUInt32, cdUInt32>> Properties(cdHandle source) {
    cdHandle enumeration = 0;
    EXPECT_EQ(cd().CDEnumDevicePropertyReset(source, 0, &enumeration), cdOK);
    std::vector<std::pair<cdUInt32, cdUInt32>> properties;
    cdDevicePropertyInfo property{};
    while (cd().CDEnumDevicePropertyNext(enumeration, &property) == cdOK) {
      properties.emplace_back(property.Code, property.Size);
    }
    EXPECT_EQ(cd().CDEnumDevicePropertyRelease(enumeration), cdOK);
    return properties;
  }

  static nlohmann::json WorldCamera(std::size_t camera) {
    return nlohmann::json::parse(control().describeWorld()).at("cd").at("cameras").at(camera);
  }
};

TEST_F(CdSimulator, ExportsEveryEntryPointOfTheTableUnderItsName) {
#define VOSTREL_SIM_TEST_EXPORTED(number, name, exportName, parameters, arguments)                 \
  EXPECT_NE(cd().name, nullptr) << exportName;
  CDSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_EXPORTED)
#undef VOSTREL_SIM_TEST_EXPORTED
  // Those the cameras do not serve answer "not supported".
  cdUInt32 value = 0;
  EXPECT_EQ(cd().CDGetDZoomMagnification(1, &value), 0x07u);
}

TEST_F(CdSimulator, NeedsTheSDKStartedWithAKnownVersion) {
  cd().CDFinishSDK();
  cdHandle enumeration = 0;
  EXPECT_EQ(cd().CDEnumDeviceReset(cdEnumAllDevices, &enumeration), 0xF1u);
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.Major = 6;
  EXPECT_EQ(cd().CDStartSDK(&version, 0), 0x06u);
  EXPECT_EQ(cd().CDStartSDK(nullptr, 0), 0x62u);
  version.Major = cdVersionMajor;
  EXPECT_EQ(cd().CDStartSDK(&version, 0), cdOK);
}

TEST_F(CdSimulator, EnumeratesTheAttachedCamerasWithRecordsForOpeningThem) {
  const std::vector<cdSourceInfo> devices = Devices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_STREQ(devices[0].ModelName, "PowerShot One");
  EXPECT_STREQ(devices[1].Name, "PowerShot Two");
  cdHandle enumeration = 0;
  EXPECT_EQ(cd().CDEnumDeviceReset(2, &enumeration), 0x60u);

  // A record from before the scenario was replaced opens nothing.
  control().loadScenario(R"({"cd": {"cameras": [{"model": "PowerShot One"}]}})");
  cdHandle source = 0;
  EXPECT_EQ(cd().CDOpenSource(&devices[0], &source), 0x80u);
  EXPECT_EQ(cd().CDOpenSource(&Devices().at(0), &source), cdOK);
  EXPECT_TRUE(WorldCamera(0).at("sessionOpen").get<bool>());
  EXPECT_EQ(cd().CDCloseSource(source), cdOK);
  EXPECT_FALSE(WorldCamera(0).at("sessionOpen").get<bool>());
  EXPECT_EQ(cd().CDCloseSource(source), InvalidHandle);
}

TEST_F(CdSimulator, ListsBatteryOwnerAndClockAndServesTheirValues) {
  const cdHandle source = Open(0);
  EXPECT_THAT(Properties(source), ElementsAre(std::pair<cdUInt32, cdUInt32>{0x0F, 4},
                                              std::pair<cdUInt32, cdUInt32>{0x0800000C, 32},
                                              std::pair<cdUInt32, cdUInt32>{0x0800000D, 4}));
  cdUInt32 battery = 0;
  cdUInt32 size = sizeof battery;
  EXPECT_EQ(cd().CDGetDevicePropertyData(source, cdDevicePropBattery, &size, &battery, 0), cdOK);
  EXPECT_EQ(battery, 0x20000004u);
  char owner[cdOwnerNameSize];
  size = 3;
  EXPECT_EQ(cd().CDGetDevicePropertyData(source, cdDevicePropOwnerName, &size, owner, 0), 0x64u);
  size = sizeof owner;
  EXPECT_EQ(cd().CDGetDevicePropertyData(source, cdDevicePropOwnerName, &size, owner, 0), cdOK);
  EXPECT_STREQ(owner, "Ann");
  EXPECT_EQ(cd().CDGetDevicePropertyData(source, 0x0800FFFF, &size, owner, 0), 0x07u);
}

TEST_F(CdSimulator, WritesOwnerNamesAndClockTheCameraCanHold) {
  const cdHandle source = Open(0);
  const char name[] = "Bea";
  cdUInt32 size = sizeof name;
  EXPECT_EQ(cd().CDSetDevicePropertyData(source, cdDevicePropOwnerName, &size, name), cdOK);
  EXPECT_EQ(WorldCamera(0).at("owner"), "Bea");
  const std::string tooLong(32, 'x');
  size = 32;
  EXPECT_EQ(cd().CDSetDevicePropertyData(source, cdDevicePropOwnerName, &size, tooLong.data()),
            0x86u);
  size = 33;
  EXPECT_EQ(cd().CDSetDevicePropertyData(source, cdDevicePropOwnerName, &size, tooLong.c_str()),
            0x64u);

  cdUInt32 seconds = 86400;
  size = 4;
  EXPECT_EQ(cd().CDSetDevicePropertyData(source, cdDevicePropTime, &size, &seconds), cdOK);
  EXPECT_EQ(WorldCamera(0).at("clock"), "1970-01-02T00:00:00.000");
  seconds = 0xFFFFF1F0; // -3600
  EXPECT_EQ(cd().CDSetDevicePropertyData(source, cdDevicePropTime, &size, &seconds), 0x86u);
  cdUInt32 battery = 6;
  EXPECT_EQ(cd().CDSetDevicePropertyData(source, cdDevicePropBattery, &size, &battery), 0x86u);
}

TEST_F(CdSimulator, ReportsAndFormatsTheCard) {
  const cdHandle source = Open(0);
  control().loadScenario(R"({"cd": {"cameras": [{"model": "PowerShot One", "volumes": [
      {"label": "CF", "capacityKilobytes": 2048, "files": ["DCIM/100_PSHT/IMG_0001.JPG"]}]}]}})");
  EXPECT_EQ(cd().CDEnumVolumeReset(source, nullptr), InvalidHandle); // the world was replaced

  const cdHandle camera = Open(0);
  cdHandle enumeration = 0;
  ASSERT_EQ(cd().CDEnumVolumeReset(camera, &enumeration), cdOK);
  cdHandle volume = 0;
  ASSERT_EQ(cd().CDEnumVolumeNext(enumeration, &volume), cdOK);
  cdHandle none = 0;
  EXPECT_EQ(cd().CDEnumVolumeNext(enumeration, &none), NotApplicable);
  EXPECT_EQ(cd().CDEnumVolumeRelease(enumeration), cdOK);
  cdVolumeInfo info{};
  ASSERT_EQ(cd().CDGetVolumeInfo(volume, &info), cdOK);
  EXPECT_EQ(info.TotalSpace, 2048u);
  EXPECT_LT(info.FreeSpace, 2048u);
  EXPECT_STREQ(info.Name, "CF");
  EXPECT_EQ(cd().CDFormat(volume), cdOK);
  EXPECT_EQ(control().listFiles(0, 0), "");
  ASSERT_EQ(cd().CDGetVolumeInfo(volume, &info), cdOK);
  EXPECT_EQ(info.FreeSpace, 2048u);
}

TEST_F(CdSimulator, ACardWithoutCapacityReportsNoSpaceAndCannotBeFormatted) {
  const cdHandle source = Open(1);
  cdHandle enumeration = 0;
  cdHandle volume = 0;
  ASSERT_EQ(cd().CDEnumVolumeReset(source, &enumeration), cdOK);
  ASSERT_EQ(cd().CDEnumVolumeNext(enumeration, &volume), cdOK);
  cdVolumeInfo info{};
  ASSERT_EQ(cd().CDGetVolumeInfo(volume, &info), cdOK);
  EXPECT_EQ(info.TotalSpace, 0u);
  EXPECT_EQ(info.FreeSpace, 0u);
  EXPECT_EQ(cd().CDFormat(volume), 0x87u);
  cd().CDEnumVolumeRelease(enumeration);
}

TEST_F(CdSimulator, TellsTheReleaseControlFacultyOfTheScenario) {
  cdUInt32 faculty = 0;
  EXPECT_EQ(cd().CDGetReleaseControlFaculty(Open(0), &faculty), cdOK);
  EXPECT_EQ(faculty & 0x40000000u, 0x40000000u);
  control().loadScenario(
      R"({"cd": {"cameras": [{"model": "PowerShot One",
          "properties": {"ReleaseControlFaculty": 2}}]}})");
  const cdHandle source = Open(0);
  EXPECT_EQ(cd().CDGetReleaseControlFaculty(source, &faculty), cdOK);
  EXPECT_EQ(faculty, 2u);
  // The faculty is not a device property.
  EXPECT_EQ(Properties(source).size(), 3u);
}

// The shooting settings under release control: a value the camera does not
// accept is refused and changes nothing, a setting the camera lacks or a
// code no camera has is not supported, and a setting that is not enumerable
// cannot be listed but is still written.
TEST_F(CdSimulator, ReleaseControlSettingsTakeOnlyWhatTheCameraAccepts) {
  control().loadScenario(R"({"cd": {"cameras": [{"model": "PowerShot One", "properties": {
      "Av": {"value": 40, "accepted": [32, 40]},
      "Tv": {"value": 96, "accepted": [96, 104], "refuseWith": 129},
      "WhiteBalance": {"value": 0, "accepted": [0, 1], "enumerable": false},
      "Metering": null}}]}})");
  const cdHandle source = Open(0);
  cdUInt16 code = 0;
  // Nothing is reached outside release control.
  EXPECT_EQ(cd().CDGetAvValue(source, &code), 0xF1u);
  ASSERT_EQ(cd().CDEnterReleaseControl(source, nullptr, 0), cdOK);

  EXPECT_EQ(cd().CDSetAvValue(source, 35), 0x86u);
  ASSERT_EQ(cd().CDGetAvValue(source, &code), cdOK);
  EXPECT_EQ(code, 40u);
  EXPECT_EQ(cd().CDSetAvValue(source, 32), cdOK);
  ASSERT_EQ(cd().CDGetAvValue(source, &code), cdOK);
  EXPECT_EQ(code, 32u);
  // A code wider than 16 bits is no code at all, not its low half.
  EXPECT_EQ(cd().CDSetAvValue(source, 0x10028), 0x60u);
  EXPECT_EQ(cd().CDSetTvValue(source, 100), 0x81u);
  ASSERT_EQ(cd().CDGetTvValue(source, &code), cdOK);
  EXPECT_EQ(code, 96u);

  // The listing gives the accepted values.
  cdHandle enumeration = 0;
  ASSERT_EQ(cd().CDEnumAvValueReset(source, &enumeration), cdOK);
  std::vector<cdUInt16> listed;
  while (cd().CDEnumAvValueNext(enumeration, &code) == cdOK) {
    listed.push_back(code);
  }
  EXPECT_THAT(listed, ElementsAre(32, 40));
  EXPECT_EQ(cd().CDEnumAvValueNext(enumeration, &code), NotApplicable);
  EXPECT_EQ(cd().CDEnumAvValueRelease(enumeration), cdOK);

  EXPECT_EQ(cd().CDEnumWBSettingReset(source, &enumeration), 0x07u);
  EXPECT_EQ(cd().CDSetWBSetting(source, 1), cdOK);
  EXPECT_EQ(cd().CDSetWBSetting(source, 2), 0x86u);
  ASSERT_EQ(cd().CDGetWBSetting(source, &code), cdOK);
  EXPECT_EQ(code, 1u);

  // Camera settings: in their own width only, and only those the camera has.
  const std::uint8_t wide[2] = {0xFF, 0xFF};
  EXPECT_EQ(cd().CDSetRelCamSettingData(source, 0x08000008, 2, wide), 0x64u);
  std::uint8_t contrast = 0xFF; // -1
  EXPECT_EQ(cd().CDSetRelCamSettingData(source, 0x08000008, 1, &contrast), cdOK);
  std::uint8_t read[4] = {};
  cdUInt32 size = sizeof read;
  ASSERT_EQ(cd().CDGetRelCamSettingData(source, 0x08000008, &size, read), cdOK);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(read[0], 0xFFu);
  contrast = 2;
  EXPECT_EQ(cd().CDSetRelCamSettingData(source, 0x08000008, 1, &contrast), 0x86u);
  size = sizeof read;
  EXPECT_EQ(cd().CDGetRelCamSettingData(source, 0x08000004, &size, read), 0x07u);
  EXPECT_EQ(cd().CDGetRelCamSettingData(source, 0x08000077, &size, read), 0x07u);
  cdUInt32 valueSize = 0;
  EXPECT_EQ(cd().CDEnumRelCamSettingDataReset(source, 0x08000077, &enumeration, &valueSize), 0x07u);
  EXPECT_EQ(cd().CDExitReleaseControl(source), cdOK);
}

TEST_F(CdSimulator, CameraEventsReachEveryRegisteredHandlerOnTheSimulatorsThread) {
  const cdHandle source = Open(0);
  cdHandle registration = 0;
  ASSERT_EQ(cd().CDRegisterEventCallbackFunction(source, &onEvent, 77, &registration), cdOK);
  EXPECT_EQ(cd().CDRegisterEventCallbackFunction(source, nullptr, 77, &registration), 0x60u);

  control().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, cdEventWord(cdEventSeverityWarning, 1), 0, 4);
  control().detachCamera(0);
  control().waitIdle();
  {
    std::lock_guard lock(eventsMutex);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].word, 0x00020001u);
    EXPECT_EQ(events[0].data, 4u);
    EXPECT_EQ(events[0].context, 77u);
    EXPECT_NE(events[0].thread, std::this_thread::get_id());
    EXPECT_EQ(events[1].word, 0x0004000Du);
  }
  // A detached camera answers "communication disconnected" and is not
  // enumerated any more.
  cdHandle enumeration = 0;
  EXPECT_EQ(cd().CDEnumDevicePropertyReset(source, 0, &enumeration), 0xC1u);
  EXPECT_EQ(Devices().size(), 1u);
  EXPECT_THROW(control().raiseEvent(0, VOSTREL_SIM_OBJECT_EVENT, 1, 0, 0), std::runtime_error);

  EXPECT_EQ(cd().CDUnregisterEventCallbackFunction(source, registration), cdOK);
  EXPECT_EQ(cd().CDUnregisterEventCallbackFunction(source, registration), InvalidHandle);
}

TEST_F(CdSimulator, LogsCallsUnderThePlainNamesAndInjectsFailuresByThem) {
  control().clearCallLog();
  control().injectFailure("CDGetReleaseControlFaculty", 0x81, 0, 1);
  cdUInt32 faculty = 0;
  EXPECT_EQ(cd().CDGetReleaseControlFaculty(1, &faculty), 0x81u);
  EXPECT_EQ(cd().CDGetReleaseControlFaculty(1, &faculty), InvalidHandle);
  EXPECT_THAT(vostrel::test::LoggedCalls(control()),
              ElementsAre("CDGetReleaseControlFaculty(invalid#) = 0x00000081",
                          "CDGetReleaseControlFaculty(invalid#) = 0x00000061"));
}

} // namespace
} // namespace vostrel::sim::test
