#include "eos/EDSDKApi.h"

#include "core/InstanceRegistry.h"

#include "core/BackendChecks.h"
#include "core/DeviceLists.h"
#include "core/ECamException.h"
#include "core/TryFinally.h"
#include "core/Vostrel.h"
#include "eos/CameraTime.h"
#include "eos/EDSDK.h"
#include "eos/EOSParameterProbe.h"
#include "eos/EOSRemoteParams.h"
#include "platform/TimeZone.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <string>

namespace vostrel {

namespace {

using namespace edsdk;

constexpr std::size_t OwnerNameBufferSize = 256;
constexpr std::size_t MaximumOwnerNameLength = OwnerNameBufferSize - 2;

constexpr std::uint8_t LowByte(std::uint32_t value) {
  return static_cast<std::uint8_t>(value);
}

// The zero-terminated text of a fixed-size SDK buffer; a buffer without a
// terminator is taken whole.
template <std::size_t N>
std::string TextOf(const char (&buffer)[N]) {
  const void* zero = std::memchr(buffer, 0, N);
  return std::string(buffer, zero ? static_cast<const char*>(zero) - buffer : N);
}

struct BatteryState {
  TxBatterySourceType source;
  TxBatteryStatusType status;
};

// The battery level property: 255 means mains power, 80/50/30 a battery that
// is full, weak or nearly empty.
BatteryState BatteryStateOf(std::uint8_t level) {
  switch (level) {
  case 255:
    return {BatterySourceAC, BatteryStatusNormal};
  case 80:
    return {BatterySourceLitium, BatteryStatusNormal};
  case 50:
    return {BatterySourceLitium, BatteryStatusWeak};
  case 30:
    return {BatterySourceLitium, BatteryStatusSafetyLow};
  default:
    return {BatterySourceUnknown, BatteryStatusUnknown};
  }
}

// Minutes to add to a local time for the camera clock: during daylight saving
// time the daylight bias (usually -60) is taken off.
std::int64_t DaylightCorrectionMinutes() {
  const platform::TimeZoneInfo zone = platform::currentTimeZone();
  return zone.daylightInEffect ? -static_cast<std::int64_t>(zone.daylightBias) : 0;
}

// The longest file name that RemoteGetPicture hands to the SDK.
constexpr std::size_t MaximumFileNameLength = 254;

// What ProgressMode says about the transfer running.
constexpr std::uint8_t NoTransfer = 0;
constexpr std::uint8_t RemotePictureTransfer = 1;

// The value of the save-to property for a release mode. Only the three modes
// of the public enumeration have one; anything else is refused.
EdsUInt32 SaveToOf(ReleaseModeType mode) {
  switch (mode) {
  case ReleaseModeType::ReleaseModeOnlyToPC:
    return EdsSaveToHost;
  case ReleaseModeType::ReleaseModeBothPCAndCamera:
    return EdsSaveToBoth;
  case ReleaseModeType::ReleaseModeOnlyToCamera:
    return EdsSaveToCamera;
  }
  throw ECamException("RemoteStart : Release mode " + std::to_string(static_cast<int>(mode)) +
                      " is not valid for your EOS camera. Value must be 0, 1 or 2.");
}

} // namespace

TEDSDK::~TEDSDK() {
  if (Camera == nullptr) {
    return;
  }
  // Nothing could act on a failure here; the results are not looked at.
  if (EdsSetObjectEventHandler.bound()) {
    static_cast<void>(EdsSetObjectEventHandler(Camera, EdsObjectEventAll, nullptr, nullptr));
  }
  if (EdsSetPropertyEventHandler.bound()) {
    static_cast<void>(EdsSetPropertyEventHandler(Camera, EdsPropertyEventAll, nullptr, nullptr));
  }
  if (EdsSetCameraStateEventHandler.bound()) {
    static_cast<void>(EdsSetCameraStateEventHandler(Camera, EdsStateEventAll, nullptr, nullptr));
  }
  ReleaseQueuedItems();
}

void TEDSDK::SetInstanceIndex(std::int32_t instanceIndex) {
  InstanceIndex = instanceIndex;
}

void* TEDSDK::HandlerContext() const {
  // The SDK only hands the context back; the handlers read the key through it.
  return const_cast<std::int32_t*>(InstanceRegistry::KeyAddress(InstanceIndex));
}

void TEDSDK::ReportProbeProgress(std::int32_t percent) {
  TVostrel::ReportProbeProgress(InstanceIndex, percent);
}

// ---------------------------------------------------------------------------
// Starting and stopping the SDK, enumeration

void TEDSDK::StartSDK() {
  LoadEDSDK();
  EdsInitializeSDK.checked();
}

void TEDSDK::OpenCameraEnumeration(std::vector<std::string>& nameList) {
  nameList.clear();
  std::vector<EOSCameraRef>& devices = EOSDeviceList();
  devices.clear();

  EdsCameraListRef cameraList = nullptr;
  EdsGetCameraList.checked(&cameraList);
  TryFinally(
      [&] {
        EdsUInt32 count = 0;
        EdsGetChildCount.checked(cameraList, &count);
        for (EdsUInt32 i = 0; i < count; ++i) {
          EdsCameraRef camera = nullptr;
          EdsGetChildAtIndex.checked(cameraList, static_cast<EdsInt32>(i), &camera);
          DeviceInfoType info{};
          try {
            EdsGetDeviceInfo.checked(camera, &info);
          } catch (...) {
            // The camera does not make it into the list, so nobody else
            // would give its reference back; the first failure is reported.
            static_cast<void>(EdsRelease(camera));
            throw;
          }
          nameList.push_back(TextOf(info.deviceDescription));
          devices.push_back(camera);
        }
      },
      [&] {
        if (cameraList != nullptr) {
          EdsRelease.checked(cameraList);
        }
      });
}

void TEDSDK::CloseCameraEnumeration() {
  // Shutting the SDK down cannot fail in a way the caller could act on.
  static_cast<void>(EdsTerminateSDK());
}

// ---------------------------------------------------------------------------
// Connection

void TEDSDK::Connect(EOSStateEventHandlerFn /*handler*/, std::int32_t cameraNumber,
                     std::int32_t /*instanceIndex*/, ConnectInfoType& info) {
  LoadEDSDK();
  const std::vector<EOSCameraRef>& devices = EOSDeviceList();
  CheckConnectCameraNumber(cameraNumber, devices.size(), "EOS",
                           "There seems to be no connected EOS cameras connected. Have you called "
                           "the EnumerateCameras function before calling Connect?");

  ConnectInfo = ConnectInfoType{};
  Camera = devices[static_cast<std::size_t>(cameraNumber)];
  RegisterEventHandlers();

  EdsOpenSession.checked(Camera);
  ConnectInfo.CameraModel = CamModEOS;
  try {
    ReadConnectInfo();
  } catch (...) {
    // The controller stays unconnected, so nobody would close this session
    // and the camera could not be connected again.
    ConnectInfo.CameraModel = CamModNone;
    if (EdsCloseSession.bound()) {
      static_cast<void>(EdsCloseSession(Camera));
    }
    throw;
  }
  info = ConnectInfo;
}

void TEDSDK::RegisterEventHandlers() {
  // The SDK hands the context back to the handlers, which find the
  // controller through it.
  void* context = HandlerContext();
  EdsSetObjectEventHandler.checked(Camera, EdsObjectEventAll, &TVostrel::EOSObjectEventHandler,
                                   context);
  EdsSetPropertyEventHandler.checked(Camera, EdsPropertyEventAll,
                                     &TVostrel::EOSPropertyEventHandler, context);
  EdsSetCameraStateEventHandler.checked(Camera, EdsStateEventAll, &TVostrel::EOSStateEventHandler,
                                        context);
}

void TEDSDK::ReadConnectInfo() {
  DeviceInfoType device{};
  EdsGetDeviceInfo.checked(Camera, &device);
  ConnectInfo.CameraModelName = TextOf(device.deviceDescription);

  char owner[OwnerNameBufferSize] = {};
  EdsGetPropertyData.checked(Camera, EdsPropOwnerName, 0, EdsUInt32{sizeof owner}, owner);
  ConnectInfo.OwnerName = TextOf(owner);

  EdsUInt32 batteryLevel = 0;
  EdsGetPropertyData.checked(Camera, EdsPropBatteryLevel, 0, EdsUInt32{sizeof batteryLevel},
                             &batteryLevel);
  const BatteryState battery = BatteryStateOf(LowByte(batteryLevel));
  ConnectInfo.BatterySource = static_cast<std::uint8_t>(battery.source);
  ConnectInfo.BatteryStatus = static_cast<std::uint8_t>(battery.status);
}

void TEDSDK::Disconnect() {
  // Pictures released but not fetched cannot be fetched after the session:
  // their references go back first. The handlers stay registered and Camera
  // keeps its value.
  ReleaseQueuedItems();
  EdsCloseSession.checked(Camera);
}

// ---------------------------------------------------------------------------
// The camera as a whole

void TEDSDK::SetTimeInCamera(TDateTime dateTime) {
  EdsUInt32 dataType = 0;
  EdsUInt32 size = 0;
  EdsGetPropertySize.checked(Camera, EdsPropDateTime, 0, &dataType, &size);
  if (LowByte(dataType) != EdsDataTypeTime) {
    throw ECamException("SetTimeInCamera : Date/Time is of incorrect type");
  }
  const CameraTimeType time = CameraTimeFromDateTime(dateTime, DaylightCorrectionMinutes());
  EdsSetPropertyData.checked(Camera, EdsPropDateTime, 0, EdsUInt32{sizeof time}, &time);
}

void TEDSDK::SetOwnerName(const std::string& name) {
  if (name.size() > MaximumOwnerNameLength) {
    throw ECamException("The owner name to set is too long");
  }
  std::array<char, OwnerNameBufferSize> buffer{};
  std::memcpy(buffer.data(), name.data(), name.size());

  EdsUInt32 dataType = 0;
  EdsUInt32 size = 0;
  EdsGetPropertySize.checked(Camera, EdsPropOwnerName, 0, &dataType, &size);
  if (LowByte(dataType) != EdsDataTypeString) {
    throw ECamException("SetOwnerName : Owner name is of incorrect type");
  }
  // The name and its terminating zero must fit into the property.
  if (name.size() + 1 > size) {
    throw ECamException("The owner name to set is too long");
  }
  // The terminating zero is written too.
  EdsSetPropertyData.checked(Camera, EdsPropOwnerName, 0, static_cast<EdsUInt32>(name.size() + 1),
                             buffer.data());
}

std::uint32_t TEDSDK::GetBodyID() {
  EdsUInt32 bodyId = 0;
  EdsGetPropertyData.checked(Camera, EdsPropBodyID, 0, EdsUInt32{sizeof bodyId}, &bodyId);
  return bodyId;
}

void* TEDSDK::FirstVolume(const std::string& operation) {
  EdsUInt32 volumes = 0;
  EdsGetChildCount.checked(Camera, &volumes);
  if (volumes == 0) {
    throw ECamException(operation + " : No volumes found");
  }
  EdsVolumeRef volume = nullptr;
  EdsGetChildAtIndex.checked(Camera, 0, &volume);
  return volume;
}

void TEDSDK::FormatCameraCard() {
  // Only the first volume is formatted.
  const EdsVolumeRef volume = FirstVolume("FormatCameraCard");
  TryFinally([&] { EdsFormatVolume.checked(volume); }, [&] { EdsRelease.checked(volume); });
}

bool TEDSDK::RemoteSupported() {
  return true;
}

void TEDSDK::KeepCameraAwake() {
  EdsSendCommand.checked(Camera, EdsCommandExtendShutDownTimer, 0);
}

// ---------------------------------------------------------------------------
// Remote shooting

void TEDSDK::RemoteStart(ReleaseModeType mode, ReleaseDataKindType /*kind*/, bool probe,
                         const std::string& cacheDirectory, ReleaseEventHandlerFn /*handler*/,
                         std::int32_t /*instanceIndex*/, RemoteStartInfoType& info) {
  // An unknown mode is refused before the camera is touched.
  const EdsUInt32 saveTo = SaveToOf(mode);
  info = RemoteStartInfoType{};
  EdsSetPropertyData.checked(Camera, EdsPropSaveTo, 0, EdsUInt32{sizeof saveTo}, &saveTo);
  // Shooting parameters are all an EOS camera offers in remote mode: no zoom,
  // no viewfinder, no AF lock.
  info.DoSupportShootingPara = true;
  if (probe) {
    eos::ProbeSupportedParams(Camera, ConnectInfo.CameraModelName, cacheDirectory,
                              info.SupportedParamValues,
                              [this](std::int32_t percent) { ReportProbeProgress(percent); });
  }
}

// An EOS camera needs nothing to leave remote mode.
void TEDSDK::RemoteEnd() {}

std::int32_t TEDSDK::RemoteGetNumberOfAvailableShots() {
  EdsInt32 shots = 0;
  EdsGetPropertyData.checked(Camera, EdsPropAvailableShots, 0, EdsUInt32{sizeof shots}, &shots);
  return shots;
}

void TEDSDK::RemoteTakePicture(std::int32_t /*instanceIndex*/) {
  // The picture is announced later by the camera's object event.
  EdsSendCommand.checked(Camera, EdsCommandTakePicture, 0);
}

void TEDSDK::RemoteGetPicture(const std::string& fileName, std::int32_t pictureType,
                              std::int32_t /*instanceIndex*/) {
  void* const item = OldestReleasedItem();
  if (fileName.size() > MaximumFileNameLength) {
    throw ECamException("Filename " + fileName + " too long");
  }
  EdsStreamRef stream = nullptr;
  EdsCreateFileStream.checked(fileName.c_str(), EdsFileCreateAlways, EdsAccessWrite, &stream);
  TryFinally([&] { TransferReleasedItem(item, stream, pictureType); },
             [&] {
               ProgressMode.store(NoTransfer);
               if (pictureType != PictureTypeFull) {
                 EdsRelease.checked(stream);
                 return;
               }
               // A full picture leaves the queue even when the transfer or
               // the release of the stream failed.
               RunEvery([&] { EdsRelease.checked(stream); }, [&] { ConsumeReleasedItem(item); });
             });
}

void* TEDSDK::OldestReleasedItem() {
  const std::lock_guard<std::mutex> lock(DownloadQueueLock);
  if (DownloadQueue.empty()) {
    throw ECamException("There are no pictures to download");
  }
  return DownloadQueue.front();
}

void TEDSDK::TransferReleasedItem(void* item, void* stream, std::int32_t pictureType) {
  switch (pictureType) {
  case PictureTypeThumbnail:
    EdsDownloadThumbnail.checked(item, stream);
    break;
  case PictureTypeFull: {
    DirectoryItemInfoType itemInfo{};
    EdsGetDirectoryItemInfo.checked(item, &itemInfo);
    EdsSetProgressCallback.checked(stream, &TVostrel::EOSProgressHandler, EdsProgressPeriodically,
                                   HandlerContext());
    // The progress handler reports this transfer as take-picture progress.
    ProgressMode.store(RemotePictureTransfer);
    EdsDownload.checked(item, itemInfo.size, stream);
    break;
  }
  default:
    // Nothing to transfer: the file stays empty.
    break;
  }
}

void TEDSDK::ConsumeReleasedItem(void* item) {
  {
    // The object handler only appends, so the item is still where
    // OldestReleasedItem found it; it is looked up all the same.
    const std::lock_guard<std::mutex> lock(DownloadQueueLock);
    const auto position = std::find(DownloadQueue.begin(), DownloadQueue.end(), item);
    if (position != DownloadQueue.end()) {
      DownloadQueue.erase(position);
    }
  }
  // The reference is given back even when the camera refuses to complete.
  RunEvery([&] { EdsDownloadComplete.checked(item); }, [&] { EdsRelease.checked(item); });
}

void TEDSDK::RemoteGetRemoteParams(RemoteParamsType& params) {
  eos::ReadRemoteParams(Camera, params);
}

void TEDSDK::RemoteSetRemoteParams(RemoteParamsType params) {
  eos::WriteRemoteParams(Camera, params);
}

void TEDSDK::RemoteAFLock(bool /*lock*/) {
  throw ECamException("RemoteAFLock is not supported for your EOS camera.");
}

// ---------------------------------------------------------------------------
// Backend side of the controller's handlers

void TEDSDK::QueueReleasedItem(void* item) noexcept {
  try {
    const std::lock_guard<std::mutex> lock(DownloadQueueLock);
    DownloadQueue.push_back(item);
  } catch (...) {
    // Out of memory: the picture cannot be fetched, but the SDK's thread
    // must not see an exception.
    ReleaseEventObject(item);
  }
}

void TEDSDK::ReleaseQueuedItems() noexcept {
  std::deque<void*> queued;
  {
    const std::lock_guard<std::mutex> lock(DownloadQueueLock);
    queued.swap(DownloadQueue);
  }
  for (void* item : queued) {
    ReleaseEventObject(item);
  }
}

void TEDSDK::ReleaseEventObject(void* object) noexcept {
  if (object == nullptr || !EdsRelease.bound()) {
    return;
  }
  // Nobody could act on a failure here; the result is not looked at.
  static_cast<void>(EdsRelease(object));
}

} // namespace vostrel
