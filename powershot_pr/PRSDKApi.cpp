#include "powershot_pr/PRSDKApi.h"

#include "core/BackendChecks.h"
#include "core/DeviceLists.h"
#include "core/ECamException.h"
#include "core/LittleEndian.h"
#include "core/ProbeCache.h"
#include "core/TryFinally.h"
#include "core/Vostrel.h"
#include "platform/Text.h"
#include "powershot_pr/PRAPI.h"
#include "powershot_pr/PRDeviceInfo.h"
#include "powershot_pr/PRParameterProbe.h"
#include "powershot_pr/PRRemoteParams.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <type_traits>

namespace vostrel {

// The controller's handlers are handed to the SDK as they are.
static_assert(std::is_same_v<PREventHandlerFn, prSetEventCB>);
static_assert(std::is_same_v<PRPictureDataHandlerFn, prGetFileDataCB>);
static_assert(std::is_same_v<PRViewfinderHandlerFn, prViewFinderCB>);
static_assert(sizeof(prDeviceInfo) == PRDeviceRecordSize);

namespace {

using namespace prapi;

[[noreturn]] void RaiseNotSupported(const std::string& operation) {
  throw ECamException(operation + " is not supported for you camera.");
}

// The zero-terminated UTF-16 model name of a device-list entry; a name that
// fills its field without a terminator is taken whole.
std::string ModelNameOf(const PRDeviceRecord& entry) {
  std::u16string name;
  for (std::size_t offset = offsetof(prDeviceInfo, ModelName);
       offset + 1 < offsetof(prDeviceInfo, Generation); offset += 2) {
    const auto c = static_cast<char16_t>(entry[offset] | entry[offset + 1] << 8);
    if (c == 0) {
      break;
    }
    name.push_back(c);
  }
  return platform::narrowText(name);
}

// Entries of a device list that the host may read: the count the SDK gives,
// but never more than the delivered bytes or the buffer hold.
std::size_t DeliveredEntries(const prDeviceList& list, std::uint32_t deliveredBytes) {
  const std::size_t delivered = std::min<std::size_t>(deliveredBytes, sizeof(prDeviceList));
  const std::size_t room =
      delivered < offsetof(prDeviceList, DeviceInfo)
          ? 0
          : (delivered - offsetof(prDeviceList, DeviceInfo)) / sizeof(prDeviceInfo);
  return std::min<std::size_t>(list.NumList, room);
}

// Removes from the first cdCount names (the CD cameras) every one equal to
// name, with its CD device record, last first.
void RemoveCDDuplicates(std::vector<std::string>& nameList, std::size_t& cdCount,
                        const std::string& name) {
  std::vector<CDDeviceRecord>& cdDevices = CDDeviceList();
  for (std::size_t position = cdCount; position-- > 0 && cdCount > 0;) {
    if (nameList[position] != name) {
      continue;
    }
    nameList.erase(nameList.begin() + static_cast<std::ptrdiff_t>(position));
    if (position < cdDevices.size()) {
      cdDevices.erase(cdDevices.begin() + static_cast<std::ptrdiff_t>(position));
    }
    --cdCount;
  }
}

TxBatterySourceType BatterySourceOf(std::uint16_t kind) {
  return kind >= 1 && kind <= 5 ? static_cast<TxBatterySourceType>(kind) : BatterySourceUnknown;
}

TxBatteryStatusType BatteryStatusOf(std::uint32_t status) {
  switch (status) {
  case 1:
    return BatteryStatusNormal;
  case 2:
    return BatteryStatusWeak;
  case 3:
    return BatteryStatusSafetyLow;
  default:
    return BatteryStatusUnknown;
  }
}

// Days from 1899-12-30, the origin of date-time values, to 1970-01-01.
constexpr double UnixEpochDays = 25569.0;
constexpr double MillisecondsPerDay = 86400000.0;

// Whole seconds from 1970-01-01 00:00:00 to a date-time taken as it is,
// counted to the millisecond and rounded to the nearest second. A time that
// the camera's 32-bit count cannot hold raises.
std::uint32_t SecondsSince1970(TDateTime dateTime) {
  const double milliseconds = std::round((dateTime - UnixEpochDays) * MillisecondsPerDay);
  const double seconds = std::floor((milliseconds + 500.0) / 1000.0);
  if (!std::isfinite(seconds) || seconds < 0.0 ||
      seconds > static_cast<double>(std::numeric_limits<std::uint32_t>::max())) {
    throw ECamException("Date/Time is out of range");
  }
  return static_cast<std::uint32_t>(seconds);
}

// Runs the step and raises every failure of it as `message`.
template <typename Step>
void ReportingFailureAs(const char* message, Step step) {
  try {
    step();
  } catch (...) {
    throw ECamException(message);
  }
}

// The release destination and data kind of property 0xD029.
prUInt16 ReleaseDestinationOf(ReleaseModeType mode, ReleaseDataKindType kind) {
  if (mode == ReleaseModeType::ReleaseModeBothPCAndCamera) {
    throw ECamException("Release to both camera and PC does not work for the connected camera");
  }
  prUInt16 toPC = 0;
  switch (kind) {
  case ReleaseDataKindType::ReleaseDataKindTakeOnlyThumbnail:
    toPC = 1;
    break;
  case ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture:
    toPC = 2;
    break;
  case ReleaseDataKindType::ReleaseDataKingTakeBothThumbAndPic:
    toPC = 3;
    break;
  }
  // The same kinds to the card are four times the values to the PC.
  return mode == ReleaseModeType::ReleaseModeOnlyToCamera ? static_cast<prUInt16>(toPC * 4) : toPC;
}

// Release control starts and ends in the automatic shooting mode; the camera
// may not let it be set, which changes nothing else.
void SwitchToAutoMode(prHandle camera) {
  pr::WritePRProperty(camera, pr::ShootingModeProperty, pr::ShootingModeTable.ToPRValue(16));
}

// Released data travels in blocks of this size.
constexpr prUInt32 ReleasedDataBlockSize = 100000;

} // namespace

void TPRSDK::ReportProbeProgress(std::int32_t percent) {
  TVostrel::ReportProbeProgress(InstanceIndex, percent);
}

// ---------------------------------------------------------------------------
// Starting and stopping the SDK, enumeration

void TPRSDK::StartSDK() {
  LoadPRSDK();
  PR_StartSDK.checked();
}

void TPRSDK::OpenCameraEnumeration(std::vector<std::string>& nameList) {
  std::size_t cdCount = nameList.size();
  const auto list = std::make_unique<prDeviceList>();
  prUInt32 size = sizeof(prDeviceList);
  PR_GetDeviceList.checked(&size, list.get());

  std::vector<PRDeviceRecord>& devices = PRDeviceList();
  devices.clear();
  const std::size_t count = DeliveredEntries(*list, size);
  for (std::size_t i = 0; i < count; ++i) {
    PRDeviceRecord entry;
    std::memcpy(entry.data(), &list->DeviceInfo[i], entry.size());
    const std::string name = ModelNameOf(entry);
    nameList.push_back(name);
    devices.push_back(entry);
    RemoveCDDuplicates(nameList, cdCount, name);
  }
}

void TPRSDK::CloseCameraEnumeration() {
  // The SDK's result is of no use here; a library that never had this
  // entry point has nothing to finish.
  if (PR_FinishSDK.bound()) {
    static_cast<void>(PR_FinishSDK());
  }
}

// ---------------------------------------------------------------------------
// Connection

void TPRSDK::Connect(PREventHandlerFn handler, std::int32_t cameraNumber,
                     std::int32_t instanceIndex, ConnectInfoType& info) {
  const std::vector<PRDeviceRecord>& devices = PRDeviceList();
  CheckConnectCameraNumber(cameraNumber, devices.size(), "PowerShot",
                           "There seems to be no connected PowerShot cameras (newer than S80) "
                           "connected. Have you called the EnumerateCameras function before "
                           "calling Connect?");
  InstanceIndex = instanceIndex;
  ConnectInfo.CameraModel = CamModNone;
  ReleaseControl.Forget();
  Viewfinder.Forget();

  const PRDeviceRecord& entry = devices[static_cast<std::size_t>(cameraNumber)];
  prDeviceInfo device;
  std::memcpy(&device, entry.data(), sizeof device);
  PR_CreateCameraObject.checked(&device, &CameraHandle);
  // A check that fails from here on leaves neither a connection nor a camera
  // object behind in the SDK.
  ConnectionStage stage = ConnectionStage::Created;
  try {
    PR_ConnectCamera.checked(CameraHandle);
    stage = ConnectionStage::Connected;
    ReadConnectedCamera(entry);
    PR_SetEventCallBack.checked(CameraHandle, static_cast<prContext>(InstanceIndex), handler);
    stage = ConnectionStage::Reporting;
    ReadCapabilities(false);
  } catch (...) {
    ConnectInfo.CameraModel = CamModNone;
    ReleaseCameraObject(stage);
    throw;
  }
  info = ConnectInfo;
}

void TPRSDK::ReadConnectedCamera(const PRDeviceRecord& entry) {
  ConnectInfo.CameraModel = CamModPowerShot;
  ConnectInfo.CameraModelName = ModelNameOf(entry);

  prOwnerNameBlock owner{};
  GetDevicePropValue(prPropOwnerName, &owner, sizeof owner);
  ConnectInfo.OwnerName.assign(owner.Text,
                               std::find(std::begin(owner.Text), std::end(owner.Text), '\0'));

  prUInt16 batteryKind = 0;
  GetDevicePropValue(prPropBatteryKind, &batteryKind, sizeof batteryKind);
  ConnectInfo.BatterySource = BatterySourceOf(batteryKind);
  prUInt32 batteryStatus = 0;
  GetDevicePropValue(prPropBatteryStatus, &batteryStatus, sizeof batteryStatus);
  ConnectInfo.BatteryStatus = BatteryStatusOf(batteryStatus);
}

// Undoes a connection up to its stage. The SDK's results are of no use here:
// the caller reports the failure that brought it here, or has already ended
// the connection.
void TPRSDK::ReleaseCameraObject(ConnectionStage stage) noexcept {
  if (stage >= ConnectionStage::Reporting && PR_ClearEventCallBack.bound()) {
    static_cast<void>(PR_ClearEventCallBack(CameraHandle));
  }
  if (stage >= ConnectionStage::Connected && PR_DisconnectCamera.bound()) {
    static_cast<void>(PR_DisconnectCamera(CameraHandle));
  }
  if (PR_DestroyCameraObject.bound()) {
    static_cast<void>(PR_DestroyCameraObject(CameraHandle));
  }
  CameraHandle = 0;
}

void TPRSDK::ReadCapabilities(bool withProperties) {
  Capabilities.fill(false);
  ListedProperties.clear();
  std::vector<std::uint8_t> deviceInfo(prDeviceInfoBufferSize);
  prUInt32 size = static_cast<prUInt32>(deviceInfo.size());
  PR_GetDeviceInfo.checked(CameraHandle, &size, deviceInfo.data());
  const PRDeviceInfoLists lists = ReadPRDeviceInfo(
      deviceInfo.data(), std::min<std::size_t>(size, deviceInfo.size()), withProperties);
  for (const std::uint16_t operation : lists.Operations) {
    Capabilities[CapRemote] = Capabilities[CapRemote] || operation == prOpInitiateReleaseControl;
    Capabilities[CapViewfinder] =
        Capabilities[CapViewfinder] || operation == prOpInitiateViewfinder;
    Capabilities[CapFocusLock] = Capabilities[CapFocusLock] || operation == prOpFocusLock;
  }
  ListedProperties = lists.Properties;
  for (const std::uint16_t property : lists.Properties) {
    if (const Capability capability = CapabilityOfProperty(property);
        capability < CapabilityCount) {
      Capabilities[capability] = true;
    }
  }
}

bool TPRSDK::ListsProperty(std::uint16_t property) const {
  return std::find(ListedProperties.begin(), ListedProperties.end(), property) !=
         ListedProperties.end();
}

TPRSDK::Capability TPRSDK::CapabilityOfProperty(std::uint16_t property) {
  struct PropertyCapability {
    std::uint16_t Property;
    Capability Flag;
  };
  static constexpr std::array<PropertyCapability, 22> Table{{
      {0xD02A, CapZoom},         {0xD006, CapQuality},
      {0xD007, CapQuality},      {0xD008, CapImageSize},
      {0xD00A, CapStrobe},       {0xD020, CapStrobeCompensation},
      {0xD00C, CapShootingMode}, {0xD00E, CapDriveMode},
      {0xD010, CapMetering},     {0xD011, CapAFDistance},
      {0xD012, CapAFPoint},      {0xD041, CapAFAssistLight},
      {0xD013, CapWhiteBalance}, {0xD017, CapContrast},
      {0xD018, CapColorGain},    {0xD019, CapSharpness},
      {0xD01C, CapISO},          {0xD01D, CapAv},
      {0xD01E, CapTv},           {0xD01F, CapExposureCompensation},
      {0xD040, CapPhotoEffect},  {0xD00B, CapBeep},
  }};
  for (const PropertyCapability& entry : Table) {
    if (entry.Property == property) {
      return entry.Flag;
    }
  }
  return CapabilityCount;
}

void TPRSDK::GetDevicePropValue(std::uint16_t property, void* value, std::uint32_t size) {
  prUInt32 bufferSize = size;
  PR_GetDevicePropValue.checked(CameraHandle, property, &bufferSize, value);
}

TPRSDK::~TPRSDK() {
  // Nothing could act on a failure here; the result is not looked at.
  if (CameraHandle != 0 && ConnectInfo.CameraModel != CamModNone && PR_ClearEventCallBack.bound()) {
    static_cast<void>(PR_ClearEventCallBack(CameraHandle));
  }
}

void TPRSDK::Disconnect() {
  // A disconnection that failed has destroyed the camera object already:
  // nothing is left to undo.
  if (CameraHandle == 0) {
    return;
  }
  PR_ClearEventCallBack.checked(CameraHandle);
  ConnectInfo.CameraModel = CamModNone;
  // The camera object goes with its connection, also when the camera does
  // not confirm the disconnection (the failure is reported all the same);
  // the next Connect creates one anew.
  TryFinally([this] { PR_DisconnectCamera.checked(CameraHandle); },
             [this] { ReleaseCameraObject(ConnectionStage::Created); });
}

// ---------------------------------------------------------------------------
// The camera as a whole

void TPRSDK::SetTimeInCamera(TDateTime dateTime) {
  ReportingFailureAs("It is not possible to set time in the current connected camera", [&] {
    const prUInt32 seconds = SecondsSince1970(dateTime);
    PR_SetDevicePropValue.checked(CameraHandle, prPropCameraTime,
                                  static_cast<prUInt32>(sizeof seconds), &seconds);
  });
}

void TPRSDK::SetOwnerName(const std::string& name) {
  CheckOwnerNameLength(name);
  ReportingFailureAs("It is not possible to set owner name in the current connected camera", [&] {
    prOwnerNameBlock block{};
    block.Length = static_cast<prUInt32>(name.size() + 1);
    std::memcpy(block.Text, name.data(), name.size());
    PR_SetDevicePropValue.checked(CameraHandle, prPropOwnerName,
                                  static_cast<prUInt32>(sizeof block), &block);
  });
}

std::uint32_t TPRSDK::GetBodyID() {
  prUInt32 bodyId = 0;
  GetDevicePropValue(prPropBodyID, &bodyId, sizeof bodyId);
  return bodyId;
}

void TPRSDK::FormatCameraCard() {
  RaiseNotSupported("FormatCameraCard");
}

bool TPRSDK::RemoteSupported() {
  return Supports(CapRemote);
}

// Reading the owner name is enough to keep the camera from switching off.
void TPRSDK::KeepCameraAwake() {
  prOwnerNameBlock owner{};
  GetDevicePropValue(prPropOwnerName, &owner, sizeof owner);
}

// ---------------------------------------------------------------------------
// Remote shooting

void TPRSDK::RemoteStart(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                         const std::string& cacheDirectory, ReleaseEventHandlerFn /*handler*/,
                         std::int32_t /*instanceIndex*/, RemoteStartInfoType& info) {
  info = RemoteStartInfoType{};
  // A camera that did not confirm the end of the last remote mode would
  // refuse to enter release control again.
  ReleaseControl.EndIfLeftRunning([this] { return ReleaseControlLeft(); });
  PR_InitiateReleaseControl.checked(CameraHandle);
  // The controller stays out of remote mode when the start fails, so the
  // camera must not stay under release control either.
  try {
    StartReleaseControl(mode, kind, probe, cacheDirectory, info);
  } catch (...) {
    LeaveReleaseControlUnchecked();
    throw;
  }
}

void TPRSDK::LeaveReleaseControlUnchecked() noexcept {
  ReleaseControl.TryToEnd([this] { return ReleaseControlLeft(); });
}

bool TPRSDK::ReleaseControlLeft() noexcept {
  const bool left =
      !PR_TerminateReleaseControl.bound() || PR_TerminateReleaseControl(CameraHandle) == prOK;
  // The viewfinder ends with release control.
  if (left) {
    Viewfinder.Forget();
  }
  return left;
}

void TPRSDK::StartReleaseControl(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                                 const std::string& cacheDirectory, RemoteStartInfoType& info) {
  const prUInt16 destination = ReleaseDestinationOf(mode, kind);
  PR_SetDevicePropValue.checked(CameraHandle, prPropReleaseDestination,
                                static_cast<prUInt32>(sizeof destination), &destination);
  SwitchToAutoMode(CameraHandle);

  ReadCapabilities(true);
  info.DoSupportZoom = Supports(CapZoom);
  info.DoSupportShootingPara = true;
  info.DoSupportViewfinder = Supports(CapViewfinder);
  info.ReqViewfinderOffWhenShooting = false;
  info.DoSupportAfLockUnlock = Supports(CapFocusLock);
  if (!probe) {
    return;
  }

  pr::ProbeSupportedParams(CameraHandle, *this, info.SupportedParamValues,
                           [this](std::int32_t percent) { ReportProbeProgress(percent); });
  if (!cacheDirectory.empty()) {
    // The PR cameras keep one table per model, filed under image mode 0.
    WriteProbeCache(ProbeCacheFileName(cacheDirectory, ConnectInfo.CameraModelName, 0),
                    info.SupportedParamValues);
  }
  SwitchToAutoMode(CameraHandle);
}

// Remote mode ends for the controller whatever the camera answers.
void TPRSDK::RemoteEnd() {
  ReleaseControl.End([this] { PR_TerminateReleaseControl.checked(CameraHandle); });
  // The viewfinder ends with release control.
  Viewfinder.Forget();
}

std::int32_t TPRSDK::RemoteGetNumberOfAvailableShots() {
  prUInt32 count = 0;
  PR_RC_GetNumAvailableShot.checked(CameraHandle, &count);
  return static_cast<std::int32_t>(count);
}

// The picture is announced through the event handler set at Connect.
void TPRSDK::RemoteTakePicture(TakePictureProgressHandlerFn /*handler*/,
                               std::int32_t /*instanceIndex*/) {
  PR_RC_Release.checked(CameraHandle);
}

void TPRSDK::RemoteGetPicture(const PREventRecord& releasedItem, PRPictureDataHandlerFn handler,
                              std::int32_t /*instanceIndex*/) {
  const auto object =
      static_cast<prObjectHandle>(ReadInt32LE(releasedItem.data() + PREventObjectOffset));
  const auto eventCode = ReadUInt16LE(releasedItem.data() + PREventCodeOffset);
  PR_RC_GetReleasedData.checked(CameraHandle, object, eventCode, ReleasedDataBlockSize,
                                static_cast<prContext>(InstanceIndex), handler);
}

void TPRSDK::RemoteGetRemoteParams(RemoteParamsType& params) {
  pr::ReadRemoteParams(CameraHandle, params);
}

void TPRSDK::RemoteSetRemoteParams(RemoteParamsType params) {
  pr::WriteRemoteParams(CameraHandle, params);
}

void TPRSDK::OpenCameraCollection(const std::string& /*temporaryDirectory*/, bool /*thumbnails*/,
                                  ImageListType& /*list*/) {
  RaiseNotSupported("OpenCameraCollection");
}

void TPRSDK::CloseCameraCollection(ImageListType& /*list*/) {
  RaiseNotSupported("CloseCameraCollection");
}

void TPRSDK::GetPicture(std::int32_t /*pictureNumber*/, const std::string& /*fileName*/,
                        GetPictureProgressHandlerFn /*handler*/, std::int32_t /*instanceIndex*/) {
  RaiseNotSupported("GetPicture");
}

void TPRSDK::DeletePicture(ImageListType& /*list*/, std::int32_t /*pictureNumber*/) {
  RaiseNotSupported("DeletePicture");
}

} // namespace vostrel
