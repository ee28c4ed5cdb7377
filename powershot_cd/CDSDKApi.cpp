#include "powershot_cd/CDSDKApi.h"

#include "core/BackendChecks.h"
#include "core/DeviceLists.h"
#include "core/ECamException.h"
#include "core/ProbeCache.h"
#include "core/TryFinally.h"
#include "core/Vostrel.h"
#include "platform/TimeZone.h"
#include "powershot_cd/CDAPI.h"
#include "powershot_cd/CDCalls.h"
#include "powershot_cd/CDParameterProbe.h"
#include "powershot_cd/CDRecords.h"
#include "powershot_cd/CDRemoteParams.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

namespace vostrel {

// The controller's handler is handed to the SDK as it is, and a device record
// of CDDeviceList is the SDK's record.
static_assert(std::is_same_v<CDCameraEventHandlerFn, cdEventCallbackFunction>);
static_assert(sizeof(cdSourceInfo) == CDDeviceRecordSize);

namespace {

using namespace cdapi;

constexpr char NoCDCamera[] = "There seems to be no connected PowerShot cameras connected. Have "
                              "you called the EnumerateCameras function before calling Connect?";

// The most device properties a search looks at when the SDK cannot count
// them.
constexpr cdUInt32 MaximumPropertyCount = 4096;

// Date-time values count days since 1899-12-30.
constexpr double UnixEpochDays = 25569.0;
constexpr double MillisecondsPerDay = 86400000.0;

// The camera clock value of a local date-time: seconds since 1970-01-01
// 00:00:00 UTC, the local time shifted by the zone's bias in standard time
// (daylight saving is not applied), counted to the millisecond and rounded
// to the nearest second. The camera counts in a signed 32-bit value; a time
// it cannot hold raises.
cdUInt32 CameraClockValue(TDateTime dateTime) {
  const platform::TimeZoneInfo zone = platform::currentTimeZone();
  const double biasMinutes = static_cast<double>(zone.bias) + zone.standardBias;
  const double milliseconds =
      std::round((dateTime - UnixEpochDays) * MillisecondsPerDay) + biasMinutes * 60000.0;
  const double seconds = std::floor((milliseconds + 500.0) / 1000.0);
  if (!std::isfinite(seconds) ||
      seconds < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      seconds > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    throw ECamException("Date/Time is out of range");
  }
  return static_cast<cdUInt32>(static_cast<std::int32_t>(seconds));
}

} // namespace

void TCDSDK::ReportProbeProgress(std::int32_t percent) {
  TVostrel::ReportProbeProgress(InstanceIndex, percent);
}

// ---------------------------------------------------------------------------
// Starting and stopping the SDK, enumeration

void TCDSDK::StartSDK() {
  LoadCDSDK();
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.Major = cdVersionMajor;
  version.Minor = cdVersionMinor;
  CDStartSDK.checked(&version, cdUInt32{0});
}

void TCDSDK::OpenCameraEnumeration(std::vector<std::string>& nameList) {
  nameList.clear();
  LoadCDSDK();
  cdHandle enumeration = 0;
  CDEnumDeviceReset.checked(cdEnumAllDevices, &enumeration);
  // The enumeration is released also when the count or a device fails.
  try {
    cdUInt32 count = 0;
    CDGetDeviceCount.checked(enumeration, &count);
    std::vector<CDDeviceRecord>& devices = CDDeviceList();
    devices.clear();
    for (cdUInt32 n = 0; n < count; ++n) {
      SourceRecord = cdSourceInfo{};
      CDEnumDeviceNext.checked(enumeration, &SourceRecord);
      nameList.push_back(CDRecordText(SourceRecord.Name, sizeof SourceRecord.Name));
      CDDeviceRecord& device = devices.emplace_back();
      std::memcpy(device.data(), &SourceRecord, sizeof SourceRecord);
    }
  } catch (...) {
    Unchecked(CDEnumDeviceRelease, enumeration);
    throw;
  }
  CDEnumDeviceRelease.checked(enumeration);
}

void TCDSDK::CloseCameraEnumeration() {
  Unchecked(CDFinishSDK);
}

// ---------------------------------------------------------------------------
// Device properties

cdHandle TCDSDK::OpenPropertySearch() {
  cdHandle enumeration = 0;
  CDEnumDevicePropertyReset.checked(SourceHandle, cdUInt32{0}, &enumeration);
  return enumeration;
}

// The search ends when the SDK reports no further property, or after as many
// properties as the SDK counts: a camera without the property fails with the
// SDK's enumeration error, or, when its SDK keeps delivering properties,
// with the error of an enumeration that has no item left (0x000000F0).
template <typename Use>
void TCDSDK::SearchProperty(cdHandle enumeration, cdUInt32 code, Use use) {
  TryFinally(
      [&] {
        cdUInt32 count = 0;
        if (CDGetDevicePropertyCount(enumeration, &count) != cdOK) {
          count = MaximumPropertyCount;
        }
        cdDevicePropertyInfo property{};
        property.Code = cdNoProperty;
        for (cdUInt32 n = 0; property.Code != code; ++n) {
          if (n == count) {
            CheckCDError(cdEnumNotApplicable, "CDEnumDevicePropertyNext");
          }
          CDEnumDevicePropertyNext.checked(enumeration, &property);
        }
        use(property);
      },
      [&] { Unchecked(CDEnumDevicePropertyRelease, enumeration); });
}

// The SDK writes as many bytes as the size it is given: the size that the
// enumeration reported, but never more than the buffer holds.
void TCDSDK::ReadDeviceProperty(cdUInt32 code, void* buffer, cdUInt32 size) {
  SearchProperty(OpenPropertySearch(), code, [&](cdDevicePropertyInfo& property) {
    property.Size = std::min(property.Size, size);
    CDGetDevicePropertyData.checked(SourceHandle, code, &property.Size, buffer, cdUInt32{0});
  });
}

// ---------------------------------------------------------------------------
// Connection

void TCDSDK::Connect(CDCameraEventHandlerFn handler, std::int32_t cameraNumber,
                     std::int32_t instanceIndex, ConnectInfoType& info) {
  LoadCDSDK();
  const std::vector<CDDeviceRecord>& devices = CDDeviceList();
  CheckConnectCameraNumber(cameraNumber, devices.size(), "PowerShot", NoCDCamera);
  ConnectInfo = ConnectInfoType{};
  ReleaseControl.Forget();
  Viewfinder.Forget();
  std::memcpy(&SourceRecord, devices[static_cast<std::size_t>(cameraNumber)].data(),
              sizeof SourceRecord);
  CDOpenSource.checked(&SourceRecord, &SourceHandle);
  // A connection that fails from here on closes the source again.
  try {
    OpenConnection(handler, instanceIndex);
  } catch (...) {
    ConnectInfo.CameraModel = CamModNone;
    Unchecked(CDCloseSource, std::exchange(SourceHandle, cdHandle{0}));
    throw;
  }
  info = ConnectInfo;
}

void TCDSDK::OpenConnection(CDCameraEventHandlerFn handler, std::int32_t instanceIndex) {
  ConnectInfo.CameraModel = CamModPowerShot;
  ConnectInfo.CameraModelName = CDRecordText(SourceRecord.ModelName, sizeof SourceRecord.ModelName);

  char owner[cdOwnerNameSize] = {};
  ReadDeviceProperty(cdDevicePropOwnerName, owner, sizeof owner);
  ConnectInfo.OwnerName = CDRecordText(owner, sizeof owner);

  cdUInt32 battery = 0;
  ReadDeviceProperty(cdDevicePropBattery, &battery, sizeof battery);
  ConnectInfo.BatterySource = static_cast<std::uint8_t>(CDBatterySourceOf(battery));
  ConnectInfo.BatteryStatus = static_cast<std::uint8_t>(CDBatteryStatusOf(battery));

  CDRegisterEventCallbackFunction.checked(
      SourceHandle, handler, static_cast<cdContext>(instanceIndex), &EventRegistration);
}

TCDSDK::~TCDSDK() {
  // Nothing could act on a failure here; the result is not looked at.
  if (EventRegistration != 0 && CDUnregisterEventCallbackFunction.bound()) {
    static_cast<void>(CDUnregisterEventCallbackFunction(SourceHandle, EventRegistration));
  }
}

// Only what is still open is ended: a registration the SDK did not take back
// is tried again by the next Disconnect, while the source is forgotten before
// it is closed, so a source the SDK failed to close is not closed twice and
// the next Disconnect ends the connection.
void TCDSDK::Disconnect() {
  // A card collection ends with the connection.
  ReleaseItemEnumeration();
  if (EventRegistration != 0) {
    CDUnregisterEventCallbackFunction.checked(SourceHandle, EventRegistration);
    EventRegistration = 0;
  }
  ConnectInfo.CameraModel = CamModNone;
  if (SourceHandle != 0) {
    CDCloseSource.checked(std::exchange(SourceHandle, cdHandle{0}));
  }
}

// ---------------------------------------------------------------------------
// The camera as a whole

void TCDSDK::SetTimeInCamera(TDateTime dateTime) {
  const cdHandle enumeration = OpenPropertySearch();
  ConvertingFailuresTo("It is not possible to set time in the current connected camera", [&] {
    SearchProperty(enumeration, cdDevicePropTime, [&](cdDevicePropertyInfo& property) {
      property.Size = sizeof(cdUInt32);
      const cdUInt32 seconds = CameraClockValue(dateTime);
      CDSetDevicePropertyData.checked(SourceHandle, cdDevicePropTime, &property.Size, &seconds);
    });
  });
}

void TCDSDK::SetOwnerName(const std::string& name) {
  CheckOwnerNameLength(name);
  const cdHandle enumeration = OpenPropertySearch();
  ConvertingFailuresTo("It is not possible to set owner name in the current connected camera", [&] {
    SearchProperty(enumeration, cdDevicePropOwnerName, [&](cdDevicePropertyInfo&) {
      char buffer[cdOwnerNameSize] = {};
      std::memcpy(buffer, name.data(), name.size());
      const cdUInt32 size = static_cast<cdUInt32>(name.size() + 1);
      CDSetDevicePropertyData.checked(SourceHandle, cdDevicePropOwnerName, &size, buffer);
    });
  });
}

// The first card volume of the camera becomes Volume; a camera without a
// usable card raises "OpenCameraCollection volume error", for formatting
// too.
void TCDSDK::OpenFirstVolume() {
  cdHandle enumeration = 0;
  CDEnumVolumeReset.checked(SourceHandle, &enumeration);
  TryFinally(
      [&] {
        CDEnumVolumeNext.checked(enumeration, &Volume);
        cdVolumeInfo volume{};
        CDGetVolumeInfo.checked(Volume, &volume);
        if (volume.TotalSpace == 0 && volume.FreeSpace == 0) {
          throw ECamException("OpenCameraCollection volume error");
        }
      },
      [&] { Unchecked(CDEnumVolumeRelease, enumeration); });
}

void TCDSDK::FormatCameraCard() {
  OpenFirstVolume();
  CDFormat.checked(Volume);
}

// A camera that cannot tell is taken to be capable.
bool TCDSDK::RemoteSupported() {
  cdUInt32 faculty = 0;
  try {
    if (CDGetReleaseControlFaculty(SourceHandle, &faculty) != cdOK) {
      return true;
    }
  } catch (...) {
    return true;
  }
  return (faculty & cdReleaseControlCapRemote) != 0;
}

// Reading the owner name is what keeps the camera from switching off; the
// value is not kept.
void TCDSDK::KeepCameraAwake() {
  char owner[cdOwnerNameSize] = {};
  ReadDeviceProperty(cdDevicePropOwnerName, owner, sizeof owner);
}

// ---------------------------------------------------------------------------
// Remote shooting and parameters

namespace {

// The data kind of CDSelectReleaseDataKind: the sum of 1 (thumbnail to the
// PC), 2 (picture to the PC), 4 (thumbnail to the card) and 8 (picture to the
// card) for the parts that apply; 0 for a combination that has none.
cdUInt32 ReleaseDataKindCode(ReleaseModeType mode, ReleaseDataKindType kind) {
  cdUInt32 parts = 0;
  switch (kind) {
  case ReleaseDataKindType::ReleaseDataKindTakeOnlyThumbnail:
    parts = cdReleaseThumbnailToPC;
    break;
  case ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture:
    parts = cdReleasePictureToPC;
    break;
  case ReleaseDataKindType::ReleaseDataKingTakeBothThumbAndPic:
    parts = cdReleaseThumbnailToPC | cdReleasePictureToPC;
    break;
  default:
    return 0;
  }
  switch (mode) {
  case ReleaseModeType::ReleaseModeOnlyToPC:
    return parts;
  case ReleaseModeType::ReleaseModeBothPCAndCamera:
    return parts | parts << 2;
  case ReleaseModeType::ReleaseModeOnlyToCamera:
    return parts << 2;
  default:
    return 0;
  }
}

constexpr cdUInt32 AutoModeCode = 1;
// The SDK's option of the release and transfer calls.
constexpr cdUInt32 ReleaseOption = 3;

void SwitchToAutoMode(cdHandle source) {
  Unchecked(CDSetShootingMode, source, AutoModeCode);
}

} // namespace

void TCDSDK::RemoteStart(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                         const std::string& cacheDirectory, ReleaseEventHandlerFn handler,
                         std::int32_t instanceIndex, RemoteStartInfoType& info) {
  info = RemoteStartInfoType{};
  // A camera that did not confirm the end of the last remote mode would
  // refuse to enter release control again.
  ReleaseControl.EndIfLeftRunning([this] { return ReleaseControlExited(); });
  CDEnterReleaseControl.checked(SourceHandle, handler, static_cast<cdContext>(instanceIndex));
  // The controller stays out of remote mode when the start fails, so the
  // camera must not stay under release control either.
  try {
    StartReleaseControl(mode, kind, probe, cacheDirectory, info);
  } catch (...) {
    ExitReleaseControlUnchecked();
    throw;
  }
}

void TCDSDK::ExitReleaseControlUnchecked() noexcept {
  ReleaseControl.TryToEnd([this] { return ReleaseControlExited(); });
}

bool TCDSDK::ReleaseControlExited() noexcept {
  const bool exited = !CDExitReleaseControl.bound() || CDExitReleaseControl(SourceHandle) == cdOK;
  // The viewfinder ends with release control.
  if (exited) {
    Viewfinder.Forget();
  }
  return exited;
}

void TCDSDK::StartReleaseControl(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                                 const std::string& cacheDirectory, RemoteStartInfoType& info) {
  CDSelectReleaseDataKind.checked(SourceHandle, ReleaseDataKindCode(mode, kind));
  cdUInt32 faculty = 0;
  const cdError result = CDGetReleaseControlFaculty(SourceHandle, &faculty);
  if (result != cdOK) {
    CheckCDError(result, "CDGetReleaseControlFaculty");
  }
  info.DoSupportZoom = (faculty & cdReleaseControlCapZoom) != 0;
  info.DoSupportShootingPara = (faculty & cdReleaseControlCapParameters) != 0;
  info.DoSupportViewfinder = (faculty & cdReleaseControlCapViewfinder) != 0;
  info.ReqViewfinderOffWhenShooting = (faculty & cdReleaseControlCapViewfinderOff) != 0;
  info.DoSupportAfLockUnlock = (faculty & cdReleaseControlCapAFLock) != 0;
  if (!info.DoSupportShootingPara || !probe) {
    return;
  }

  SwitchToAutoMode(SourceHandle);
  std::uint8_t imageMode = 0;
  std::string cacheFile;
  if (!cacheDirectory.empty()) {
    auto code = static_cast<cdUInt16>(cd::ImageModeTable.NoValueCode());
    if (CDGetShootingMode.bound() && CDGetShootingMode(SourceHandle, &code) == cdOK) {
      imageMode = cd::ImageModeTable.ToValue(code);
    }
    cacheFile = ProbeCacheFileName(cacheDirectory, ConnectInfo.CameraModelName, imageMode);
    if (ReadProbeCache(cacheFile, info.SupportedParamValues)) {
      SwitchToAutoMode(SourceHandle);
      return;
    }
  }

  // The trials change the camera's settings: whatever happens, they are put
  // back and the camera is left in the automatic mode.
  RemoteParamsType saved{};
  RemoteGetRemoteParams(saved);
  try {
    cd::ProbeSupportedParams(SourceHandle, info.SupportedParamValues,
                             [this](std::int32_t percent) { ReportProbeProgress(percent); });
  } catch (...) {
    RemoteSetRemoteParams(saved);
    SwitchToAutoMode(SourceHandle);
    throw;
  }
  RemoteSetRemoteParams(saved);
  if (!cacheFile.empty()) {
    try {
      WriteProbeCache(cacheFile, info.SupportedParamValues);
    } catch (...) {
      SwitchToAutoMode(SourceHandle);
      throw;
    }
  }
  SwitchToAutoMode(SourceHandle);
}

// Remote mode ends for the controller whatever the camera answers.
void TCDSDK::RemoteEnd() {
  ReleaseControl.End([this] { CDExitReleaseControl.checked(SourceHandle); });
  // The viewfinder ends with release control.
  Viewfinder.Forget();
}

std::int32_t TCDSDK::RemoteGetNumberOfAvailableShots() {
  cdUInt32 count = 0;
  CDGetNumAvailableShot.checked(SourceHandle, &count);
  return static_cast<std::int32_t>(count);
}

// The release is announced through the release event handler given to
// RemoteStart; its progress arrives through `handler`.
void TCDSDK::RemoteTakePicture(TakePictureProgressHandlerFn handler, std::int32_t instanceIndex) {
  cdUInt32 count = 0;
  CDRelease.checked(SourceHandle, cdUInt32{0}, handler, static_cast<cdContext>(instanceIndex),
                    ReleaseOption, &count);
}

// The SDK writes the oldest released data into the named file itself.
void TCDSDK::RemoteGetPicture(const std::string& fileName,
                              RemoteGetPictureProgressHandlerFn handler,
                              std::int32_t instanceIndex) {
  cdReleaseImageInfo released{};
  cdStgMedium destination{};
  destination.Kind = cdMediumFile;
  destination.FileName = fileName.c_str();
  CDGetReleasedData.checked(SourceHandle, handler, static_cast<cdContext>(instanceIndex),
                            ReleaseOption, static_cast<void*>(&released),
                            static_cast<void*>(&destination));
}

void TCDSDK::RemoteGetRemoteParams(RemoteParamsType& params) {
  cd::ReadRemoteParams(SourceHandle, params);
}

void TCDSDK::RemoteSetRemoteParams(RemoteParamsType params) {
  cd::WriteRemoteParams(SourceHandle, params);
}

} // namespace vostrel
