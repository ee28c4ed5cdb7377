#include "core/Vostrel.h"

#include "core/CamErrors.h"
#include "core/DeviceLists.h"
#include "core/ECamException.h"
#include "core/InstanceRegistry.h"
#include "core/RemoteParamsFile.h"
#include "core/TransferTarget.h"
#include "eos/EDSDKApi.h"
#include "platform/FileSystem.h"
#include "powershot_cd/CDSDKApi.h"
#include "powershot_pr/PRSDKApi.h"

#include <utility>

namespace vostrel {

namespace {

// The model-name lists and the started state of the SDKs are shared by all
// controllers of the process. The lists exist from the start of the SDKs to
// CloseCameraEnumeration; EnumerationListsType hands out weak references.
struct EnumerationState {
  std::shared_ptr<NameListType> PowerShotNameList;
  std::shared_ptr<NameListType> EOSNameList;
  bool SDKsStarted = false;

  void CreateNameLists() {
    if (!PowerShotNameList) {
      PowerShotNameList = std::make_shared<NameListType>();
    }
    if (!EOSNameList) {
      EOSNameList = std::make_shared<NameListType>();
    }
  }
};

EnumerationState& Enumeration() {
  static EnumerationState state;
  return state;
}

} // namespace

// ---------------------------------------------------------------------------
// Creation and destruction.

TVostrel::TVostrel()
    : CD(std::make_unique<TCDSDK>()), PR(std::make_unique<TPRSDK>()),
      EOS(std::make_unique<TEDSDK>()) {
  InstanceRegistry::Add(this, InstanceIndex);
  CD->SetInstanceIndex(InstanceIndex);
  PR->SetInstanceIndex(InstanceIndex);
  EOS->SetInstanceIndex(InstanceIndex);
}

TVostrel::~TVostrel() {
  // First no callback may reach this controller any more, then the backends
  // take their handlers back from the SDKs; the camera stays connected.
  InstanceRegistry::Withdraw(InstanceIndex);
  {
    std::lock_guard lock(PictureFileLock);
    PictureFileStream.reset();
  }
  CD.reset();
  PR.reset();
  EOS.reset();
  InstanceRegistry::Remove(InstanceIndex);
}

platform::BusyFlag& TVostrel::ConnectBusy() {
  static platform::BusyFlag flag;
  return flag;
}

// ---------------------------------------------------------------------------
// State, guards and the choice of backend.

ConnectInfoType TVostrel::GetConnectInfo() const {
  ConnectInfoType info = ConnectInfo;
  info.CameraModel = ConnectedModel.load();
  return info;
}

std::size_t TVostrel::PendingReleaseItemCount() const {
  std::lock_guard lock(PendingReleaseItemsLock);
  return PendingReleaseItems.size();
}

void TVostrel::RequireRemoteMode() const {
  if (!RemoteModeOn.load()) {
    throw ECamException("Camera not in remote mode");
  }
}

void TVostrel::RequireConnection() const {
  if (!IsConnected()) {
    throw ECamException("No camera is connected");
  }
}

void TVostrel::RequireViewfinder() const {
  if (!ViewfinderOn.load()) {
    throw ECamException("Camera not in viewfinder mode");
  }
}

void TVostrel::RequireNoEOSCamera() const {
  if (ConnectedModel.load() == CamModEOS) {
    throw ECamException("EOS cameras do not support Viewfinder mode");
  }
}

// PowerShot cameras are numbered CD cameras first, then PR cameras. The
// choice is made afresh at every call, from the current number of CD devices.
TVostrel::Backend TVostrel::ConnectedBackend() const {
  if (ConnectedModel.load() == CamModEOS) {
    return Backend::EOS;
  }
  const auto cdCount = static_cast<std::int64_t>(CDDeviceList().size());
  return CameraNumber.load() < cdCount ? Backend::CD : Backend::PR;
}

template <typename Operation>
decltype(auto) TVostrel::Dispatch(Operation&& operation) {
  switch (ConnectedBackend()) {
  case Backend::CD:
    return operation(*CD);
  case Backend::PR:
    return operation(*PR);
  case Backend::EOS:
    break;
  }
  return operation(*EOS);
}

template <typename Operation>
void TVostrel::DispatchPowerShot(Operation&& operation) {
  switch (ConnectedBackend()) {
  case Backend::CD:
    operation(*CD);
    break;
  case Backend::PR:
    operation(*PR);
    break;
  case Backend::EOS:
    break;
  }
}

void TVostrel::StoreConnection(const ConnectInfoType& info) {
  ConnectInfo = info;
  ConnectedModel.store(info.CameraModel);
}

// ---------------------------------------------------------------------------
// Enumeration and connection.

void TVostrel::StartSDKs() {
  EnumerationState& state = Enumeration();
  if (state.SDKsStarted) {
    return;
  }
  state.CreateNameLists();
  CD->StartSDK();
  PR->StartSDK();
  EOS->StartSDK();
  state.SDKsStarted = true;
}

EnumerationListsType TVostrel::OpenCameraEnumeration() try {
  StartSDKs();
  EnumerationState& state = Enumeration();
  // A CloseCameraEnumeration that failed half way may have freed the lists
  // while the SDKs still count as started.
  state.CreateNameLists();
  state.PowerShotNameList->clear();
  state.EOSNameList->clear();
  CD->OpenCameraEnumeration(*state.PowerShotNameList);
  PR->OpenCameraEnumeration(*state.PowerShotNameList);
  EOS->OpenCameraEnumeration(*state.EOSNameList);
  return EnumerationListsType{state.PowerShotNameList, state.EOSNameList};
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::CloseCameraEnumeration() try {
  EnumerationState& state = Enumeration();
  if (!state.SDKsStarted) {
    return;
  }
  state.PowerShotNameList.reset();
  state.EOSNameList.reset();
  CD->CloseCameraEnumeration();
  PR->CloseCameraEnumeration();
  EOS->CloseCameraEnumeration();
  state.SDKsStarted = false;
} catch (...) {
  RaiseAsCamException();
}

ConnectInfoType TVostrel::Connect(std::int32_t cameraType, std::int32_t cameraNumber) try {
  platform::BusyGuard busy(ConnectBusy());
  if (IsConnected()) {
    throw ECamException("Camera already connected.");
  }
  CameraNumber.store(cameraNumber);
  // Releases announced to an earlier connection cannot be fetched any more.
  ClearPendingReleaseItems();
  ConnectInfoType info{};
  switch (cameraType) {
  case CamModPowerShot: {
    const auto cdCount = static_cast<std::int32_t>(CDDeviceList().size());
    if (cameraNumber < cdCount) {
      CD->Connect(&CDCameraEventHandler, cameraNumber, InstanceIndex, info);
    } else {
      PR->Connect(&PREventHandler, cameraNumber - cdCount, InstanceIndex, info);
    }
    StoreConnection(info);
    break;
  }
  case CamModEOS:
    EOS->Connect(&EOSStateEventHandler, cameraNumber, InstanceIndex, info);
    StoreConnection(info);
    break;
  default:
    break;
  }
  return GetConnectInfo();
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::Disconnect() try {
  RequireConnection();
  Dispatch([](auto& backend) { backend.Disconnect(); });
  ConnectInfo.CameraModel = CamModNone;
  ConnectedModel.store(CamModNone);
  ClearPendingReleaseItems();
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::ClearPendingReleaseItems() {
  std::lock_guard lock(PendingReleaseItemsLock);
  PendingReleaseItems.clear();
}

void TVostrel::SetTimeInCamera(TDateTime dateTime) try {
  RequireConnection();
  Dispatch([&](auto& backend) { backend.SetTimeInCamera(dateTime); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::SetOwnerName(const std::string& name) try {
  RequireConnection();
  Dispatch([&](auto& backend) { backend.SetOwnerName(name); });
} catch (...) {
  RaiseAsCamException();
}

std::uint32_t TVostrel::GetBodyID() try {
  RequireConnection();
  switch (ConnectedBackend()) {
  case Backend::CD:
    return 0; // the CD cameras have no body ID
  case Backend::PR:
    return PR->GetBodyID();
  case Backend::EOS:
    break;
  }
  return EOS->GetBodyID();
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::FormatCameraCard() try {
  RequireConnection();
  Dispatch([](auto& backend) { backend.FormatCameraCard(); });
} catch (...) {
  RaiseAsCamException();
}

bool TVostrel::RemoteSupported() try {
  RequireConnection();
  return Dispatch([](auto& backend) { return backend.RemoteSupported(); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::KeepCameraAwake() try {
  RequireConnection();
  Dispatch([](auto& backend) { backend.KeepCameraAwake(); });
} catch (...) {
  RaiseAsCamException();
}

// ---------------------------------------------------------------------------
// Remote shooting.

RemoteStartInfoType TVostrel::RemoteStart(ReleaseModeType mode, ReleaseDataKindType kind,
                                          bool probe, const std::string& cacheDirectory) try {
  // Mode and kind are kept even when the start is refused.
  ReleaseMode.store(mode);
  ReleaseDataKind.store(kind);
  RequireConnection();
  RemoteStartInfoType info{};
  Dispatch([&](auto& backend) {
    backend.RemoteStart(mode, kind, probe, cacheDirectory, &ReleaseEventHandler, InstanceIndex,
                        info);
  });
  RemoteModeOn.store(true);
  return info;
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteEnd() try {
  RequireRemoteMode();
  RequireConnection();
  // Cleared before the backend is told, so a failing end still leaves it off.
  RemoteModeOn.store(false);
  Dispatch([](auto& backend) { backend.RemoteEnd(); });
} catch (...) {
  RaiseAsCamException();
}

std::int32_t TVostrel::RemoteGetNumberOfAvailableShots() try {
  RequireRemoteMode();
  RequireConnection();
  return Dispatch([](auto& backend) { return backend.RemoteGetNumberOfAvailableShots(); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteTakePicture() try {
  RequireRemoteMode();
  RequireConnection();
  switch (ConnectedBackend()) {
  case Backend::CD:
    CD->RemoteTakePicture(&TakePictureProgressHandler, InstanceIndex);
    return;
  case Backend::PR:
    PR->RemoteTakePicture(&TakePictureProgressHandler, InstanceIndex);
    return;
  case Backend::EOS:
    EOS->RemoteTakePicture(InstanceIndex);
    return;
  }
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteGetPicture(const std::string& fileName, std::int32_t pictureType) try {
  RequireRemoteMode();
  RequireConnection();
  TransferTarget target(fileName);
  target.Run([&](const std::string& writeTo) {
    switch (ConnectedBackend()) {
    case Backend::CD:
      CD->RemoteGetPicture(writeTo, &RemoteGetPictureProgressHandler, InstanceIndex);
      return;
    case Backend::PR:
      RemoteGetPRPicture(writeTo);
      return;
    case Backend::EOS:
      EOS->RemoteGetPicture(writeTo, pictureType, InstanceIndex);
      return;
    }
  });
} catch (...) {
  RaiseAsCamException();
}

// A PR camera announces each released picture with an event whose record the
// event handler queues; the oldest queued picture is fetched in blocks that
// the picture data handler writes to the target file.
void TVostrel::RemoteGetPRPicture(const std::string& fileName) {
  PREventRecord item{};
  {
    std::lock_guard lock(PendingReleaseItemsLock);
    if (PendingReleaseItems.empty()) {
      throw ECamException("No released picture is waiting to be fetched");
    }
    item = PendingReleaseItems.front();
  }
  OpenPictureFile(fileName);
  try {
    PR->RemoteGetPicture(item, &PRPictureDataHandler, InstanceIndex);
  } catch (...) {
    ClosePictureFile();
    throw;
  }
  {
    std::lock_guard lock(PendingReleaseItemsLock);
    PendingReleaseItems.pop_front();
  }
  // The transfer is over when the backend returns: a file that the data
  // handler did not close yet is closed now, so the host finds it complete.
  if (!ClosePictureFile()) {
    throw ECamException("The picture could not be written to " + fileName);
  }
}

void TVostrel::OpenPictureFile(const std::string& fileName) {
  auto stream =
      std::make_unique<std::ofstream>(fileName, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!stream->is_open()) {
    throw ECamException("The picture file " + fileName + " could not be created");
  }
  std::lock_guard lock(PictureFileLock);
  PictureFileStream = std::move(stream);
  PictureFileWritten = false;
  PictureFileFailed = false;
}

bool TVostrel::ClosePictureFile() {
  std::lock_guard lock(PictureFileLock);
  if (PictureFileStream) {
    PictureFileStream->close();
    PictureFileFailed = PictureFileFailed || PictureFileStream->fail();
    PictureFileStream.reset();
  }
  PictureFileWritten = false;
  return !PictureFileFailed;
}

void TVostrel::RemoteGetRemoteParams(RemoteParamsType& params) try {
  RequireRemoteMode();
  RequireConnection();
  Dispatch([&](auto& backend) { backend.RemoteGetRemoteParams(params); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteSetRemoteParams(const RemoteParamsType& params) try {
  RequireRemoteMode();
  RequireConnection();
  Dispatch([&](auto& backend) { backend.RemoteSetRemoteParams(params); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteSaveCameraRemoteParams(const std::string& fileName) try {
  RequireRemoteMode();
  // The file is created before the parameters are read, so a refused read
  // leaves an empty file behind.
  platform::writeFile(fileName, {});
  RemoteParamsType params{};
  RemoteGetRemoteParams(params);
  platform::writeFile(fileName, EncodeRemoteParamsFile(params));
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteLoadCameraRemoteParams(const std::string& fileName) try {
  RequireRemoteMode();
  const RemoteParamsType params =
      DecodeRemoteParamsFile(platform::readFileStart(fileName, RemoteParamsFileSize), fileName);
  RemoteSetRemoteParams(params);
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteGetZoomPos(ZoomPosType& zoom) try {
  RequireRemoteMode();
  RequireConnection();
  DispatchPowerShot([&](auto& backend) { backend.RemoteGetZoomPos(zoom); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteSetZoomPos(std::int32_t position) try {
  RequireRemoteMode();
  RequireConnection();
  DispatchPowerShot([&](auto& backend) { backend.RemoteSetZoomPos(position); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteAFLock(bool lock) try {
  RequireRemoteMode();
  RequireConnection();
  Dispatch([&](auto& backend) { backend.RemoteAFLock(lock); });
} catch (...) {
  RaiseAsCamException();
}

// ---------------------------------------------------------------------------
// Viewfinder.

void TVostrel::RemoteStartViewfinder() try {
  RequireRemoteMode();
  RequireConnection();
  RequireNoEOSCamera();
  if (ConnectedBackend() == Backend::CD) {
    CD->RemoteStartViewfinder(&CDViewfinderHandler, InstanceIndex);
  } else {
    PR->RemoteStartViewfinder(&PRViewfinderHandler, InstanceIndex);
  }
  ViewfinderOn.store(true);
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteStopViewfinder() try {
  RequireViewfinder();
  RequireConnection();
  RequireNoEOSCamera();
  // Cleared before the backend is told, so a failing stop still leaves it off.
  ViewfinderOn.store(false);
  DispatchPowerShot([](auto& backend) { backend.RemoteStopViewfinder(); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteSetViewfinderOutput(std::int32_t output) try {
  RequireViewfinder();
  RequireConnection();
  RequireNoEOSCamera();
  DispatchPowerShot([&](auto& backend) { backend.RemoteSetViewfinderOutput(output); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::RemoteActivateViewfinderAuto() try {
  RequireViewfinder();
  RequireConnection();
  RequireNoEOSCamera();
  DispatchPowerShot([](auto& backend) { backend.RemoteActivateViewfinderAuto(); });
} catch (...) {
  RaiseAsCamException();
}

// ---------------------------------------------------------------------------
// Card collection.

ImageListType TVostrel::OpenCameraCollection(const std::string& temporaryDirectory,
                                             bool thumbnails) try {
  RequireConnection();
  ImageListType list;
  Dispatch(
      [&](auto& backend) { backend.OpenCameraCollection(temporaryDirectory, thumbnails, list); });
  return list;
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::CloseCameraCollection(ImageListType& list) try {
  RequireConnection();
  Dispatch([&](auto& backend) { backend.CloseCameraCollection(list); });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::GetPicture(std::int32_t pictureNumber, bool /*getJPEGInRaw*/,
                          const std::string& fileName) try {
  RequireConnection();
  TransferTarget target(fileName);
  target.Run([&](const std::string& writeTo) {
    switch (ConnectedBackend()) {
    case Backend::CD:
      CD->GetPicture(pictureNumber, writeTo, &GetPictureProgressHandler, InstanceIndex);
      return;
    case Backend::PR:
      PR->GetPicture(pictureNumber, writeTo, &GetPictureProgressHandler, InstanceIndex);
      return;
    case Backend::EOS:
      EOS->GetPicture(pictureNumber, writeTo, InstanceIndex);
      return;
    }
  });
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::DeletePicture(ImageListType& list, std::int32_t pictureNumber) try {
  RequireConnection();
  Dispatch([&](auto& backend) { backend.DeletePicture(list, pictureNumber); });
} catch (...) {
  RaiseAsCamException();
}

// ---------------------------------------------------------------------------
// RAW development.

RAWSupportedType TVostrel::OpenRAWObject(const std::string& fileName) try {
  StartSDKs();
  RAWSupportedType supported{};
  EOS->OpenRAWObject(fileName, supported);
  return supported;
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::SetRAWDevelopmentParameters(const RAWDevelopParamsType& params) try {
  EOS->SetRAWDevelopmentParameters(params);
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::GetRAWDevelopmentParameters(RAWDevelopParamsType& params) try {
  EOS->GetRAWDevelopmentParameters(params);
} catch (...) {
  RaiseAsCamException();
}

void TVostrel::DevelopRAWPicture(const std::string& outputFile, std::int32_t fileFormat,
                                 std::int32_t bitsPerPixel, const std::string& iccProfileFile,
                                 std::int32_t jpegQuality) try {
  EOS->DevelopRAWPicture(outputFile, fileFormat, bitsPerPixel, iccProfileFile, jpegQuality);
} catch (...) {
  RaiseAsCamException();
}

// Without a connected camera nothing needs the SDKs any more.
void TVostrel::CloseRAWObject() try {
  EOS->CloseRAWObject();
  if (!IsConnected()) {
    CloseCameraEnumeration();
  }
} catch (...) {
  RaiseAsCamException();
}

} // namespace vostrel
