// The simulated PRSDK.DLL, loaded by name as the binding loads it and driven
// through its entry points and its control interface: the SDK's lifetime,
// the device list, camera objects and connections, properties, the device
// information, camera events and the response codes of misuse.

#include "platform/DynamicLibrary.h"
#include "powershot_pr/PRTYPE.h"
#include "sim/SimControlClient.h"
#include "support/LoggedCalls.h"
#include "support/SimulatedLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::sim::test {
namespace {

using ::testing::ElementsAre;
using vostrel::test::SimulatedLibrary;

// The entry points, resolved from PRSDK.DLL by name.
struct Prsdk {
#define VOSTREL_SIM_TEST_FIELD(number, name, result, parameters) name##Fn name = nullptr;
  PRSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_FIELD)
#undef VOSTREL_SIM_TEST_FIELD
};

const Prsdk& pr() {
  static const auto library = platform::DynamicLibrary::open("PRSDK.DLL");
  static const Prsdk entries = [] {
    Prsdk resolved;
#define VOSTREL_SIM_TEST_RESOLVE(number, name, result, parameters)                                 \
  resolved.name = reinterpret_cast<name##Fn>(library->symbol(#name));
    PRSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_RESOLVE)
#undef VOSTREL_SIM_TEST_RESOLVE
    return resolved;
  }();
  return entries;
}

SimControlClient& control() {
  return SimulatedLibrary("PRSDK.DLL");
}

// A camera event as the simulator delivered it.
struct Event {
  prHandle camera;
  prContext context;
  std::uint16_t code;
  std::uint32_t object;
  std::uint32_t parameter;
  std::thread::id thread;
};

std::mutex eventsMutex;
std::vector<Event> events;

prResponse PRCALLBACK onEvent(prHandle camera, prContext context, const void* data) {
  const auto* record = static_cast<const std::uint8_t*>(data);
  Event event{camera, context, 0, 0, 0, std::this_thread::get_id()};
  std::memcpy(&event.code, record + 6, 2);
  std::memcpy(&event.object, record + 12, 4);
  std::memcpy(&event.parameter, record + 16, 4);
  std::lock_guard lock(eventsMutex);
  events.push_back(event);
  return prOK;
}

class PrSimulator : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(pr().PR_StartSDK, nullptr);
    control().clearFailures();
    control().loadScenario(R"({"pr": {"cameras": [
        {"model": "PowerShot One", "owner": "Ann", "bodyId": 77, "battery": 2,
         "clock": "2024-05-01T09:30:00", "properties": {"0xD02A": 3, "0xD0AA": 3}},
        {"model": "PowerShot Two", "operations": [4097, 36872]}]}})");
    control().setSynchronousCallbacks(true);
    std::lock_guard lock(eventsMutex);
    events.clear();
  }

  void TearDown() override {
    pr().PR_FinishSDK();
    control().clearFailures();
  }

  std::unique_ptr<prDeviceList> deviceList() {
    auto list = std::make_unique<prDeviceList>();
    prUInt32 size = sizeof(prDeviceList);
    EXPECT_EQ(pr().PR_GetDeviceList(&size, list.get()), prOK);
    return list;
  }

  // A connected camera object of the camera at an index of the device list.
  prHandle connected(std::size_t index) {
    const auto list = deviceList();
    prHandle camera = 0;
    EXPECT_EQ(pr().PR_CreateCameraObject(&list->DeviceInfo[index], &camera), prOK);
    EXPECT_EQ(pr().PR_ConnectCamera(camera), prOK);
    return camera;
  }

  static nlohmann::json world() { return nlohmann::json::parse(control().describeWorld()); }
};

std::string modelName(const prDeviceInfo& entry) {
  std::string name;
  for (const char16_t c : entry.ModelName) {
    if (c == 0) {
      break;
    }
    name.push_back(static_cast<char>(c));
  }
  return name;
}

TEST_F(PrSimulator, NothingWorksBeforeTheSDKIsStarted) {
  prUInt32 size = sizeof(prDeviceList);
  auto list = std::make_unique<prDeviceList>();
  EXPECT_EQ(pr().PR_GetDeviceList(&size, list.get()), 0x00000061u);
  EXPECT_EQ(pr().PR_ConnectCamera(1), 0x00000061u);
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  EXPECT_EQ(pr().PR_GetDeviceList(&size, list.get()), prOK);
}

TEST_F(PrSimulator, TheDeviceListNamesTheAttachedCamerasAndSaysWhatBufferItNeeds) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  auto list = deviceList();
  ASSERT_EQ(list->NumList, 2u);
  EXPECT_EQ(modelName(list->DeviceInfo[0]), "PowerShot One");
  EXPECT_EQ(modelName(list->DeviceInfo[1]), "PowerShot Two");

  prUInt32 size = 4 + sizeof(prDeviceInfo);
  EXPECT_EQ(pr().PR_GetDeviceList(&size, list.get()), 0x00000063u);
  EXPECT_EQ(size, 4 + 2 * sizeof(prDeviceInfo));
  EXPECT_EQ(pr().PR_GetDeviceList(nullptr, list.get()), 0x00000021u);

  control().detachCamera(0);
  EXPECT_EQ(deviceList()->NumList, 1u);
  EXPECT_EQ(modelName(deviceList()->DeviceInfo[0]), "PowerShot Two");
}

TEST_F(PrSimulator, CameraObjectsConnectOnceAndAnswerOnlyWhileConnected) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const auto list = deviceList();
  prHandle camera = 0;
  ASSERT_EQ(pr().PR_CreateCameraObject(&list->DeviceInfo[0], &camera), prOK);
  prUInt32 value = 0;
  prUInt32 size = sizeof value;
  EXPECT_EQ(pr().PR_GetDevicePropValue(camera, prPropBodyID, &size, &value), 0x00002003u);
  ASSERT_EQ(pr().PR_ConnectCamera(camera), prOK);
  EXPECT_EQ(pr().PR_ConnectCamera(camera), 0x0000201Eu);
  EXPECT_TRUE(world().at("pr").at("cameras").at(0).at("sessionOpen").get<bool>());
  EXPECT_EQ(control().liveReferences(), 1u);

  EXPECT_EQ(pr().PR_GetDevicePropValue(camera, prPropBodyID, &size, &value), prOK);
  EXPECT_EQ(value, 77u);
  EXPECT_EQ(pr().PR_DisconnectCamera(camera), prOK);
  EXPECT_EQ(pr().PR_DisconnectCamera(camera), 0x00002003u);
  EXPECT_FALSE(world().at("pr").at("cameras").at(0).at("sessionOpen").get<bool>());

  EXPECT_EQ(pr().PR_DestroyCameraObject(camera), prOK);
  EXPECT_EQ(pr().PR_ConnectCamera(camera), 0x00000022u);
  EXPECT_EQ(pr().PR_ConnectCamera(0), 0x00000022u);

  // An entry of a world that has been replaced names no camera.
  control().loadScenario(R"({"pr": {"cameras": [{"model": "PowerShot New"}]}})");
  EXPECT_EQ(pr().PR_CreateCameraObject(&list->DeviceInfo[0], &camera), 0x00000021u);
}

TEST_F(PrSimulator, PropertiesTravelInTheirOwnSizes) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);

  prOwnerNameBlock owner{};
  prUInt32 size = sizeof owner;
  ASSERT_EQ(pr().PR_GetDevicePropValue(camera, prPropOwnerName, &size, &owner), prOK);
  EXPECT_EQ(size, 260u);
  EXPECT_EQ(owner.Length, 4u);
  EXPECT_STREQ(owner.Text, "Ann");

  prUInt16 kind = 0;
  size = 1;
  EXPECT_EQ(pr().PR_GetDevicePropValue(camera, prPropBatteryKind, &size, &kind), 0x00000063u);
  EXPECT_EQ(size, 2u);
  ASSERT_EQ(pr().PR_GetDevicePropValue(camera, prPropBatteryKind, &size, &kind), prOK);
  EXPECT_EQ(kind, 2u);

  prUInt32 word = 0;
  size = sizeof word;
  ASSERT_EQ(pr().PR_GetDevicePropValue(camera, prPropBatteryStatus, &size, &word), prOK);
  EXPECT_EQ(word, 2u);
  ASSERT_EQ(pr().PR_GetDevicePropValue(camera, prPropCameraTime, &size, &word), prOK);
  EXPECT_EQ(word, 1714555800u); // 2024-05-01 09:30:00
  ASSERT_EQ(pr().PR_GetDevicePropValue(camera, 0xD0AA, &size, &word), prOK);
  EXPECT_EQ(word, 3u);
  EXPECT_EQ(pr().PR_GetDevicePropValue(camera, 0xD0FF, &size, &word), 0x0000200Au);
}

TEST_F(PrSimulator, WritesChangeTheCameraOrAreRefusedWithTheCamerasCode) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);

  prOwnerNameBlock owner{};
  owner.Length = 32;
  std::memset(owner.Text, 'N', 31);
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropOwnerName, sizeof owner, &owner), prOK);
  owner.Text[31] = 'N';
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropOwnerName, sizeof owner, &owner), 0x0000201Cu);
  std::memset(owner.Text, 'N', sizeof owner.Text); // no terminator at all
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropOwnerName, sizeof owner, &owner), 0x0000201Bu);

  const prUInt32 seconds = 1;
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropCameraTime, 4, &seconds), prOK);
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropCameraTime, 2, &seconds), 0x0000201Bu);
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropBodyID, 4, &seconds), 0x0000200Fu);
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, 0xD0AA, 2, &seconds), 0x0000201Bu);
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, 0xD0AA, 4, &seconds), prOK);

  const nlohmann::json camera0 = world().at("pr").at("cameras").at(0);
  EXPECT_EQ(camera0.at("owner"), std::string(31, 'N'));
  EXPECT_EQ(camera0.at("clock"), "1970-01-01T00:00:01.000");
  EXPECT_EQ(camera0.at("properties").at("0xD0AA").at("value"), 1);
}

TEST_F(PrSimulator, ShootingSettingsTravelInTheirWidthsAndKeepTheirSign) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);

  // Image size: 8 bits; ISO: 16 bits.
  std::uint8_t byte = 0xAA;
  prUInt32 size = 1;
  ASSERT_EQ(pr().PR_GetDevicePropValue(camera, 0xD008, &size, &byte), prOK);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(byte, 0u);
  const std::uint32_t wideIso = 0x48;
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, 0xD01C, 4, &wideIso), 0x0000201Bu);
  const std::uint16_t iso = 0x48;
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, 0xD01C, 2, &iso), prOK);
  const std::uint16_t unknownIso = 0x49;
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, 0xD01C, 2, &unknownIso), 0x0000201Cu);

  // Contrast -1 is the byte 0xFF and stays -1.
  const std::uint8_t minusOne = 0xFF;
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, 0xD017, 1, &minusOne), prOK);
  const nlohmann::json properties = world().at("pr").at("cameras").at(0).at("properties");
  EXPECT_EQ(properties.at("Contrast").at("value"), -1);
  EXPECT_EQ(properties.at("ISO").at("value"), 0x48);
}

TEST_F(PrSimulator, TheDeviceInformationListsOperationsEventsAndProperties) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(1);
  std::vector<std::uint8_t> buffer(16);
  prUInt32 size = static_cast<prUInt32>(buffer.size());
  ASSERT_EQ(pr().PR_GetDeviceInfo(camera, &size, buffer.data()), 0x00000063u);
  ASSERT_GT(size, 16u);
  buffer.resize(size);
  ASSERT_EQ(pr().PR_GetDeviceInfo(camera, &size, buffer.data()), prOK);

  // After the fixed head and the vendor description: the operations as the
  // scenario gives them.
  const std::size_t description = 8;
  const std::size_t operations = description + 1 + 2 * buffer[description] + 2;
  std::uint32_t count = 0;
  std::memcpy(&count, &buffer[operations], 4);
  ASSERT_EQ(count, 2u);
  std::uint16_t codes[2];
  std::memcpy(codes, &buffer[operations + 4], 4);
  EXPECT_THAT(codes, ElementsAre(0x1001, 0x9008));
}

TEST_F(PrSimulator, EventsReachTheRegisteredHandlerOnTheSimulatorsThread) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);
  ASSERT_EQ(pr().PR_SetEventCallBack(camera, 42, onEvent), prOK);
  EXPECT_EQ(pr().PR_SetEventCallBack(camera, 42, onEvent), 0x00000064u);
  control().setSynchronousCallbacks(false);

  control().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, 0xC008, 0x1234, 5);
  control().raiseEvent(1, VOSTREL_SIM_STATE_EVENT, 0xC00A, 0, 1); // no handler there
  control().detachCamera(0);
  control().waitIdle();
  {
    std::lock_guard lock(eventsMutex);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].camera, camera);
    EXPECT_EQ(events[0].context, 42u);
    EXPECT_EQ(events[0].code, 0xC008);
    EXPECT_EQ(events[0].object, 0x1234u);
    EXPECT_EQ(events[0].parameter, 5u);
    EXPECT_NE(events[0].thread, std::this_thread::get_id());
    EXPECT_EQ(events[1].code, 0xD001);
  }
  EXPECT_THROW(control().raiseEvent(0, VOSTREL_SIM_PROPERTY_EVENT, 0x4006, 0, 0),
               std::runtime_error);

  // A detached camera answers nothing; a cleared handler hears nothing.
  prUInt32 value = 0;
  prUInt32 size = sizeof value;
  EXPECT_EQ(pr().PR_GetDevicePropValue(camera, prPropBodyID, &size, &value), 0x00002002u);
  EXPECT_EQ(pr().PR_ClearEventCallBack(camera), prOK);
}

// The blocks of a transfer as the data callback received them.
struct Block {
  std::uint32_t percentage;
  std::uint32_t offset;
  std::vector<std::uint8_t> data;
};
std::vector<Block> blocks;

prResponse PRCALLBACK onData(prHandle, prObjectHandle, prContext, const void* progress) {
  const auto* record = static_cast<const PRProgressRecord*>(progress);
  blocks.push_back(Block{record->Percentage, record->Offset,
                         std::vector<std::uint8_t>(record->Data, record->Data + record->Length)});
  return prOK;
}

TEST_F(PrSimulator, ReleasesNeedReleaseControlAndAreFetchedOnceInBlocks) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);
  ASSERT_EQ(pr().PR_SetEventCallBack(camera, 7, onEvent), prOK);
  EXPECT_EQ(pr().PR_RC_Release(camera), 0x00000061u);
  ASSERT_EQ(pr().PR_InitiateReleaseControl(camera), prOK);
  EXPECT_EQ(pr().PR_InitiateReleaseControl(camera), 0x00000061u);
  // Picture to the card.
  const std::uint16_t toCard = 8;
  ASSERT_EQ(pr().PR_SetDevicePropValue(camera, prPropReleaseDestination, 2, &toCard), prOK);
  prUInt32 shots = 0;
  ASSERT_EQ(pr().PR_RC_GetNumAvailableShot(camera, &shots), prOK);
  ASSERT_EQ(pr().PR_RC_Release(camera), prOK);
  prUInt32 after = 0;
  ASSERT_EQ(pr().PR_RC_GetNumAvailableShot(camera, &after), prOK);
  EXPECT_EQ(after, shots - 1);

  std::uint32_t object = 0;
  {
    std::lock_guard lock(eventsMutex);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 0xC008);
    object = events[0].object;
  }
  blocks.clear();
  ASSERT_EQ(pr().PR_RC_GetReleasedData(camera, object, 0xC008, 4096, 7, onData), prOK);
  ASSERT_GE(blocks.size(), 3u);
  std::vector<std::uint8_t> whole;
  for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i].offset, whole.size());
    EXPECT_LE(blocks[i].data.size(), 4096u);
    whole.insert(whole.end(), blocks[i].data.begin(), blocks[i].data.end());
  }
  // Each block reports the share of the whole transfer done with it.
  for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i].percentage,
              (blocks[i].offset + blocks[i].data.size()) * 100 / whole.size());
  }
  EXPECT_TRUE(blocks.back().data.empty());
  EXPECT_EQ(blocks.back().percentage, 100u);
  EXPECT_EQ(blocks[blocks.size() - 2].percentage, 100u);
  EXPECT_EQ(whole, control().readFile(0, 0, "DCIM/100_PSHT/IMG_0001.JPG"));
  // Fetched once.
  EXPECT_EQ(pr().PR_RC_GetReleasedData(camera, object, 0xC008, 4096, 7, onData), 0x00000021u);

  EXPECT_EQ(pr().PR_TerminateReleaseControl(camera), prOK);
  EXPECT_EQ(pr().PR_TerminateReleaseControl(camera), 0x00000061u);
  EXPECT_EQ(pr().PR_ClearEventCallBack(camera), prOK);
}

TEST_F(PrSimulator, ACameraUnpluggedDuringATransferSendsNoMoreBlocks) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);
  ASSERT_EQ(pr().PR_SetEventCallBack(camera, 7, onEvent), prOK);
  ASSERT_EQ(pr().PR_InitiateReleaseControl(camera), prOK);
  ASSERT_EQ(pr().PR_RC_Release(camera), prOK);
  std::uint32_t object = 0;
  std::uint16_t code = 0;
  {
    std::lock_guard lock(eventsMutex);
    ASSERT_EQ(events.size(), 1u);
    object = events[0].object;
    code = events[0].code;
  }
  control().detachCameraDuring(0, "PR_RC_GetReleasedData");
  blocks.clear();
  EXPECT_EQ(pr().PR_RC_GetReleasedData(camera, object, code, 4096, 7, onData), 0x00002002u);
  // The first block came; neither a second one nor the closing empty block did.
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].data.size(), 4096u);
  control().waitIdle();
  {
    std::lock_guard lock(eventsMutex);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].code, 0xD001); // the camera's connection is lost
  }
  EXPECT_EQ(pr().PR_ClearEventCallBack(camera), prOK);
}

TEST_F(PrSimulator, DescriptionsListTheAcceptedValuesInThePropertysWidth) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);
  std::vector<std::uint8_t> buffer(64);
  prUInt32 size = static_cast<prUInt32>(buffer.size());
  // Contrast: signed 8 bits, value 0, accepting -1, 0, 1.
  ASSERT_EQ(pr().PR_GetDevicePropDesc(camera, 0xD017, &size, buffer.data()), prOK);
  buffer.resize(size);
  EXPECT_THAT(buffer, ElementsAre(0x17, 0xD0, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x03, 0x00, 0xFF,
                                  0x00, 0x01));
  // ISO: 16 bits.
  buffer.assign(64, 0);
  size = static_cast<prUInt32>(buffer.size());
  ASSERT_EQ(pr().PR_GetDevicePropDesc(camera, 0xD01C, &size, buffer.data()), prOK);
  EXPECT_EQ(size, 2u + 2 + 1 + 2 + 2 + 1 + 2 + 5 * 2);
  size = 4;
  EXPECT_EQ(pr().PR_GetDevicePropDesc(camera, 0xD01C, &size, buffer.data()), 0x00000063u);
  EXPECT_EQ(pr().PR_GetDevicePropDesc(camera, 0xD0FF, &size, buffer.data()), 0x0000200Au);
}

TEST_F(PrSimulator, TheZoomIsDescribedAsARange) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);
  std::vector<std::uint8_t> buffer(64);
  prUInt32 size = static_cast<prUInt32>(buffer.size());
  ASSERT_EQ(pr().PR_GetDevicePropDesc(camera, prPropZoomPosition, &size, buffer.data()), prOK);
  buffer.resize(size);
  // UINT16, settable, current 3, range form 0 to 20 in steps of 1.
  EXPECT_THAT(buffer, ElementsAre(0x2A, 0xD0, 0x04, 0x00, 0x01, 0x03, 0x00, 0x03, 0x00, 0x01, 0x00,
                                  0x00, 0x14, 0x00, 0x01, 0x00));
  const std::uint16_t beyond = 21;
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropZoomPosition, 2, &beyond), 0x0000201Cu);
  const std::uint16_t none = 255;
  EXPECT_EQ(pr().PR_SetDevicePropValue(camera, prPropDigitalZoomStart, 2, &none), 0x0000200Fu);
}

// Frames a viewfinder callback received.
struct Frames {
  std::mutex mutex;
  std::vector<std::vector<std::uint8_t>> received;
  std::thread::id thread;
  // Set by the test while a stream may run.
  std::atomic<int> pauseMilliseconds{0};
  std::atomic<bool> stopInside{false};

  std::size_t count() {
    std::lock_guard lock(mutex);
    return received.size();
  }
  // Waits in real time: frames come from the viewfinder's own thread.
  bool waitFor(std::size_t frames) {
    for (int i = 0; i < 5000 && count() < frames; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return count() >= frames;
  }
};

Frames frames;

prResponse PRCALLBACK onFrame(prHandle camera, prContext context, prUInt32 size,
                              const std::uint8_t* frame) {
  EXPECT_EQ(context, 9u);
  {
    std::lock_guard lock(frames.mutex);
    frames.received.emplace_back(frame, frame + size);
    frames.thread = std::this_thread::get_id();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(frames.pauseMilliseconds.load()));
  if (frames.stopInside) {
    EXPECT_EQ(pr().PR_RC_TermViewFinder(camera), prOK);
  }
  return prOK;
}

class PrViewfinder : public PrSimulator {
protected:
  void SetUp() override {
    PrSimulator::SetUp();
    control().loadScenario(R"({"pr": {"cameras": [
        {"model": "PowerShot One",
         "viewfinder": {"width": 64, "height": 48, "framesPerSecond": 200}},
        {"model": "PowerShot Two", "operations": [36872]}]}})");
    std::lock_guard lock(frames.mutex);
    frames.received.clear();
    frames.pauseMilliseconds = 0;
    frames.stopInside = false;
  }

  prHandle underReleaseControl(std::size_t index) {
    const prHandle camera = connected(index);
    EXPECT_EQ(pr().PR_InitiateReleaseControl(camera), prOK);
    return camera;
  }

  static nlohmann::json viewfinderOf(std::size_t camera) {
    return world().at("pr").at("cameras").at(camera).at("viewfinder");
  }
};

TEST_F(PrViewfinder, FramesComeFromTheViewfinderThreadUntilItStops) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = underReleaseControl(0);
  ASSERT_EQ(pr().PR_RC_StartViewFinder(camera, 9, onFrame), prOK);
  ASSERT_TRUE(frames.waitFor(4));
  ASSERT_EQ(pr().PR_RC_TermViewFinder(camera), prOK);
  const std::size_t count = frames.count();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(frames.count(), count);
  EXPECT_NE(frames.thread, std::this_thread::get_id());
  for (std::size_t i = 0; i < count; ++i) {
    const std::vector<std::uint8_t>& frame = frames.received[i];
    ASSERT_GT(frame.size(), 4u);
    EXPECT_EQ(frame[0], 0xFF);
    EXPECT_EQ(frame[1], 0xD8);
    if (i > 0) {
      EXPECT_NE(frame, frames.received[i - 1]) << "frame " << i;
    }
  }
  EXPECT_EQ(viewfinderOf(0).at("framesSent").get<std::size_t>(), count);
}

TEST_F(PrViewfinder, FramesDueWhileTheHostIsBusyAreDroppedAndCounted) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = underReleaseControl(0);
  frames.pauseMilliseconds = 25; // five frame periods
  ASSERT_EQ(pr().PR_RC_StartViewFinder(camera, 9, onFrame), prOK);
  ASSERT_TRUE(frames.waitFor(3));
  ASSERT_EQ(pr().PR_RC_TermViewFinder(camera), prOK);
  EXPECT_EQ(viewfinderOf(0).at("framesSent").get<std::size_t>(), frames.count());
  EXPECT_GE(viewfinderOf(0).at("framesDropped").get<std::size_t>(), 2 * 3u);
}

TEST_F(PrViewfinder, TheHostMayStopTheViewfinderFromItsOwnCallback) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = underReleaseControl(0);
  frames.stopInside = true;
  ASSERT_EQ(pr().PR_RC_StartViewFinder(camera, 9, onFrame), prOK);
  ASSERT_TRUE(frames.waitFor(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(frames.count(), 1u);
  EXPECT_EQ(pr().PR_RC_TermViewFinder(camera), 0x00000061u); // stopped already
  // A new run starts once the old one has ended.
  frames.stopInside = false;
  ASSERT_EQ(pr().PR_RC_StartViewFinder(camera, 9, onFrame), prOK);
  ASSERT_TRUE(frames.waitFor(2));
  // Leaving release control ends it.
  ASSERT_EQ(pr().PR_TerminateReleaseControl(camera), prOK);
  const std::size_t count = frames.count();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(frames.count(), count);
}

TEST_F(PrViewfinder, MisuseIsRefusedWithTheSDKsCodes) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);
  EXPECT_EQ(pr().PR_RC_StartViewFinder(camera, 9, onFrame), 0x00000061u);
  EXPECT_EQ(pr().PR_RC_FocusLock(camera), 0x00000061u);
  ASSERT_EQ(pr().PR_InitiateReleaseControl(camera), prOK);
  EXPECT_EQ(pr().PR_RC_StartViewFinder(camera, 9, nullptr), 0x00000021u);
  EXPECT_EQ(pr().PR_RC_TermViewFinder(camera), 0x00000061u);
  EXPECT_EQ(pr().PR_RC_DoAeAfAwb(camera, 1), 0x00000061u); // no viewfinder running
  ASSERT_EQ(pr().PR_RC_StartViewFinder(camera, 9, onFrame), prOK);
  EXPECT_EQ(pr().PR_RC_StartViewFinder(camera, 9, onFrame), 0x00000061u);
  for (const prUInt32 selector : {1u, 2u, 4u, 7u}) {
    EXPECT_EQ(pr().PR_RC_DoAeAfAwb(camera, selector), prOK) << selector;
  }
  EXPECT_EQ(pr().PR_RC_DoAeAfAwb(camera, 0), 0x00000021u);
  EXPECT_EQ(pr().PR_RC_DoAeAfAwb(camera, 8), 0x00000021u);
  EXPECT_EQ(pr().PR_RC_FocusLock(camera), prOK);
  EXPECT_EQ(pr().PR_RC_FocusUnlock(camera), prOK);
  EXPECT_EQ(pr().PR_RC_TermViewFinder(camera), prOK);

  // A camera without the viewfinder and the focus lock operations.
  const prHandle other = underReleaseControl(1);
  EXPECT_EQ(pr().PR_RC_StartViewFinder(other, 9, onFrame), 0x00000007u);
  EXPECT_EQ(pr().PR_RC_FocusLock(other), 0x00000007u);
  EXPECT_EQ(pr().PR_RC_FocusUnlock(other), 0x00000007u);
}

TEST_F(PrViewfinder, ScenariosCheckTheViewfinderFormat) {
  for (const char* scenario :
       {R"({"pr": {"cameras": [{"model": "X", "viewfinder": {"width": 8}}]}})",
        R"({"pr": {"cameras": [{"model": "X", "viewfinder": {"framesPerSecond": 0}}]}})",
        R"({"pr": {"cameras": [{"model": "X", "viewfinder": {"colour": true}}]}})"}) {
    EXPECT_THROW(control().loadScenario(scenario), std::runtime_error) << scenario;
  }
}

TEST_F(PrSimulator, CallsAreLoggedAndInjectedFailuresReturnTheirCode) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  control().clearCallLog();
  const prHandle camera = connected(0);
  control().injectFailure("PR_GetDevicePropValue", 0x00002019, 0, 1);
  prUInt32 value = 0;
  prUInt32 size = sizeof value;
  EXPECT_EQ(pr().PR_GetDevicePropValue(camera, prPropBodyID, &size, &value), 0x00002019u);
  EXPECT_EQ(pr().PR_GetDevicePropValue(camera, prPropBodyID, &size, &value), prOK);
  EXPECT_EQ(pr().PR_RC_FocusLock(camera), 0x00000061u); // only under release control
  EXPECT_THAT(vostrel::test::LoggedCalls(control()),
              ElementsAre("PR_GetDeviceList(110804) = 0x00000000 -> \"PowerShot One\", "
                          "\"PowerShot Two\"",
                          "PR_CreateCameraObject(device) = 0x00000000 -> camera#",
                          "PR_ConnectCamera(camera#) = 0x00000000",
                          "PR_GetDevicePropValue(camera#, 0x0000D049, 4) = 0x00002019",
                          "PR_GetDevicePropValue(camera#, 0x0000D049, 4) = 0x00000000 -> 4D000000",
                          "PR_RC_FocusLock(camera#) = 0x00000061"));
}

TEST_F(PrSimulator, FinishingTheSDKDropsEveryCameraObject) {
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  const prHandle camera = connected(0);
  ASSERT_EQ(pr().PR_FinishSDK(), prOK);
  EXPECT_EQ(control().liveReferences(), 0u);
  EXPECT_FALSE(world().at("pr").at("cameras").at(0).at("sessionOpen").get<bool>());
  ASSERT_EQ(pr().PR_StartSDK(), prOK);
  EXPECT_EQ(pr().PR_ConnectCamera(camera), 0x00000022u);
}

TEST_F(PrSimulator, ScenariosCheckTheOperationList) {
  EXPECT_THROW(control().loadScenario(
                   R"({"pr": {"cameras": [{"model": "PowerShot", "operations": [65536]}]}})"),
               std::runtime_error);
  EXPECT_THROW(
      control().loadScenario(R"({"pr": {"cameras": [{"model": "PowerShot", "operations": 5}]}})"),
      std::runtime_error);
  // The default scenario has one PR camera.
  control().resetScenario();
  const nlohmann::json cameras = world().at("pr").at("cameras");
  ASSERT_EQ(cameras.size(), 1u);
  EXPECT_EQ(cameras.at(0).at("model"), "Simulated Pro");
  EXPECT_EQ(cameras.at(0).at("owner"), "Field Team");
}

} // namespace
} // namespace vostrel::sim::test
