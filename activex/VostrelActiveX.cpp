#include "activex/VostrelActiveX.h"

#include "activex/DateTimeParts.h"
#include "activex/RemoteParamFields.h"
#include "activex/SupportedValueStrings.h"
#include "activex/Thumbnails.h"
#include "core/ECamException.h"
#include "core/TransferTarget.h"
#include "core/Vostrel.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vostrel {

namespace {

// The folder of the viewfinder frame file: the one the environment variable
// "Temp" names, or the system's temporary folder when it is not set.
std::string ViewfinderFolder() {
  const std::optional<std::string> temp = platform::environmentVariable("Temp");
  return temp && !temp->empty() ? *temp : platform::temporaryFolder();
}

// Writes the whole stream, from its start, to the file.
// The frame is written beside the frame file and replaces it only once
// complete: a host that reads the file at any moment, during the event or
// later, finds a whole frame, never an empty or half-written one.
void WriteStream(std::istream& stream, const std::string& fileName) {
  stream.clear();
  stream.seekg(0);
  TransferTarget target(fileName);
  target.Run([&stream](const std::string& temporaryName) {
    std::ofstream file(temporaryName, std::ios::binary | std::ios::trunc);
    std::copy(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>(),
              std::ostreambuf_iterator<char>(file));
    file.close();
    if (!file) {
      throw ECamException("The viewfinder frame could not be written to " + temporaryName);
    }
  });
}

std::int32_t CountOf(const std::weak_ptr<const NameListType>& list) {
  const std::shared_ptr<const NameListType> names = list.lock();
  return names ? static_cast<std::int32_t>(names->size()) : 0;
}

std::string NameAt(const std::weak_ptr<const NameListType>& list, std::int32_t number) {
  const std::shared_ptr<const NameListType> names = list.lock();
  if (!names || number < 0 || static_cast<std::size_t>(number) >= names->size()) {
    return {};
  }
  return (*names)[static_cast<std::size_t>(number)];
}

} // namespace

TVostrelActiveX::TVostrelActiveX() : Vostrel(std::make_unique<TVostrel>()) {
  Vostrel->OnEvent = [this](EventCallbackType event) { BridgeCameraEvent(event); };
  Vostrel->OnViewfinderEvent = [this](std::istream& jpegdata) { BridgeViewfinderEvent(jpegdata); };
  Vostrel->OnRemoteEvent = [this](RemoteEventCallbackType event,
                                  const AdditionNotifyRemoteEventType& data) {
    BridgeRemoteEvent(event, data);
  };
  Vostrel->OnRemoteTakePictureEvent = [this](std::int32_t percentage) {
    if (OnRemoteTakePictureEvent) {
      OnRemoteTakePictureEvent(percentage);
    }
  };
  Vostrel->OnRemoteGetPictureEvent = [this](std::int32_t percentage) {
    if (OnRemoteGetPictureEvent) {
      OnRemoteGetPictureEvent(percentage);
    }
  };
  Vostrel->OnGetPictureEvent = [this](std::int32_t percentage) {
    if (OnGetPictureEvent) {
      OnGetPictureEvent(percentage);
    }
  };
  Vostrel->OnRemoteProbeParamEvent = [this](std::int32_t percentage) {
    if (OnRemoteProbeParamEvent) {
      OnRemoteProbeParamEvent(percentage);
    }
  };
  Vostrel->OnRawDevelopEvent = [this](std::int32_t percentage) {
    if (OnRawDevelopEvent) {
      OnRawDevelopEvent(percentage);
    }
  };
}

TVostrelActiveX::~TVostrelActiveX() = default;

// ---------------------------------------------------------------------------
// Event bridging

void TVostrelActiveX::BridgeCameraEvent(EventCallbackType event) {
  if (OnEvent) {
    OnEvent(static_cast<TxEventSeverityType>(event.Severity),
            static_cast<TxEventEnumType>(event.Event));
  }
}

// Every frame replaces the same file, which the host reads during the event.
// A frame that cannot be written raises, and the host hears nothing of it.
void TVostrelActiveX::BridgeViewfinderEvent(std::istream& jpegdata) {
  if (!OnViewfinderEvent) {
    return;
  }
  const std::string fileName =
      platform::joinPath(ViewfinderFolder(), std::to_string(ViewfinderFrameNumber) + ".jpg");
  WriteStream(jpegdata, fileName);
  OnViewfinderEvent(fileName);
}

// Only remote events that carry data reach the host: the number of pictures
// a release produced, or the kind of picture that is ready.
void TVostrelActiveX::BridgeRemoteEvent(RemoteEventCallbackType event,
                                        const AdditionNotifyRemoteEventType& data) {
  if (!OnRemoteEvent) {
    return;
  }
  const auto publicEvent = static_cast<TxRemoteEventCallbackType>(event);
  switch (data.EventValid) {
  case NotifyRemoteEventValidType::NotifyRemoteEventValid1:
    OnRemoteEvent(publicEvent, NotifyRemoteEventValid1, data.NumOfEvents, TypeOfPictureNo);
    break;
  case NotifyRemoteEventValidType::NotifyRemoteEventValid2:
    OnRemoteEvent(publicEvent, NotifyRemoteEventValid2, 0,
                  static_cast<TxypeOfPictureType>(data.TypeOfPicture));
    break;
  default:
    break;
  }
}

// ---------------------------------------------------------------------------
// Enumeration and connection

void TVostrelActiveX::OpenCameraEnumeration() {
  EnumerationLists = Vostrel->OpenCameraEnumeration();
}

std::int32_t TVostrelActiveX::OpenCameraEnumeration_GetPowerShotNr() const {
  return CountOf(EnumerationLists.PowerShotNameList);
}

std::int32_t TVostrelActiveX::OpenCameraEnumeration_GetEOSNr() const {
  return CountOf(EnumerationLists.EOSNameList);
}

std::string TVostrelActiveX::OpenCameraEnumeration_GetModel(std::int32_t CameraType,
                                                            std::int32_t Nr) const {
  switch (CameraType) {
  case CamModPowerShot:
    return NameAt(EnumerationLists.PowerShotNameList, Nr);
  case CamModEOS:
    return NameAt(EnumerationLists.EOSNameList, Nr);
  default:
    return {};
  }
}

void TVostrelActiveX::Connect(std::int32_t CameraType, std::int32_t CameraNumber) {
  ConnectInfo = Vostrel->Connect(CameraType, CameraNumber);
}

void TVostrelActiveX::Disconnect() {
  Vostrel->Disconnect();
}

void TVostrelActiveX::CloseCameraEnumeration() {
  Vostrel->CloseCameraEnumeration();
}

void TVostrelActiveX::SetTimeInCamera(std::int32_t YearCam, std::int32_t MonthCam,
                                      std::int32_t DayCam, std::int32_t HourCam,
                                      std::int32_t MinutesCam, std::int32_t SecondCam,
                                      std::int32_t MillisecondCam) {
  Vostrel->SetTimeInCamera(
      EncodeDateTime(YearCam, MonthCam, DayCam, HourCam, MinutesCam, SecondCam, MillisecondCam));
}

void TVostrelActiveX::SetOwnerName(const std::string& OwnerName) {
  Vostrel->SetOwnerName(OwnerName);
}

std::uint32_t TVostrelActiveX::GetBodyID() {
  return Vostrel->GetBodyID();
}

void TVostrelActiveX::FormatCameraCard() {
  Vostrel->FormatCameraCard();
}

bool TVostrelActiveX::RemoteSupported() {
  return Vostrel->RemoteSupported();
}

// ---------------------------------------------------------------------------
// Remote shooting

void TVostrelActiveX::RemoteStart(std::int32_t ReleaseMode, std::int32_t ReleaseDataKind,
                                  bool ProbeRemoteParameters,
                                  const std::string& CacheRemoteParamDir) {
  RemoteStartInfo = Vostrel->RemoteStart(
      static_cast<ReleaseModeType>(static_cast<std::uint8_t>(ReleaseMode)),
      static_cast<ReleaseDataKindType>(static_cast<std::uint8_t>(ReleaseDataKind)),
      ProbeRemoteParameters, CacheRemoteParamDir);
}

std::string
TVostrelActiveX::RemoteStart_GetRemoteParamSupported(std::int32_t RemoteParamKind) const {
  return SupportedValuesString(RemoteStartInfo.SupportedParamValues, RemoteParamKind);
}

void TVostrelActiveX::RemoteEnd() {
  Vostrel->RemoteEnd();
}

std::int32_t TVostrelActiveX::RemoteGetNumberOfAvailableShots() {
  return Vostrel->RemoteGetNumberOfAvailableShots();
}

void TVostrelActiveX::RemoteTakePicture() {
  Vostrel->RemoteTakePicture();
}

void TVostrelActiveX::RemoteGetPicture(const std::string& FileName, std::int32_t PictureType) {
  Vostrel->RemoteGetPicture(FileName, PictureType);
}

RemoteParamsType TVostrelActiveX::CurrentRemoteParams() {
  RemoteParamsType params{};
  Vostrel->RemoteGetRemoteParams(params);
  return params;
}

std::int32_t TVostrelActiveX::RemoteGetRemoteParams(std::int32_t RemoteParamKind) {
  return RemoteParamField(CurrentRemoteParams(), RemoteParamKind);
}

std::int32_t
TVostrelActiveX::RemoteGetRemoteParams_PictureStyle(std::int32_t RemoteParamPictureStyleKind) {
  return PictureStyleField(CurrentRemoteParams(), RemoteParamPictureStyleKind);
}

std::int32_t TVostrelActiveX::RemoteGetRemoteParams_WhitebalanceShift(
    std::int32_t RemoteParamWhitebalanceShiftKind) {
  return WhitebalanceShiftField(CurrentRemoteParams(), RemoteParamWhitebalanceShiftKind);
}

void TVostrelActiveX::RemoteSetRemoteParams(std::int32_t RemoteParamKind, std::int32_t Value) {
  const std::optional<RemoteParamsType> record = RecordSettingRemoteParam(
      RemoteParamKind, Value, [this](std::int32_t kind) { return RemoteGetRemoteParams(kind); });
  if (record) {
    Vostrel->RemoteSetRemoteParams(*record);
  }
}

void TVostrelActiveX::RemoteSetRemoteParams_ImageQuality(std::int32_t ImageSize,
                                                         std::int32_t ImageQuality,
                                                         std::int32_t ImageSizePic2RAW,
                                                         std::int32_t ImageQualityPic2RAW) {
  Vostrel->RemoteSetRemoteParams(
      RecordSettingImageQuality(ImageSize, ImageQuality, ImageSizePic2RAW, ImageQualityPic2RAW));
}

void TVostrelActiveX::RemoteSetRemoteParams_PictureStyle(
    bool PictureStyleEnabled, std::int16_t Contrast, std::int16_t Sharpness,
    std::int16_t Saturation, bool SaturationUsed, std::int16_t ColorTone, bool ColorToneUsed,
    std::int32_t MonochromeFilter, bool MonochromeFilterUsed, std::int32_t MonochromeTone,
    bool MonochromeToneUsed) {
  Vostrel->RemoteSetRemoteParams(RecordSettingPictureStyle(
      {PictureStyleEnabled, Contrast, Sharpness, Saturation, SaturationUsed, ColorTone,
       ColorToneUsed, MonochromeFilter, MonochromeFilterUsed, MonochromeTone, MonochromeToneUsed}));
}

void TVostrelActiveX::RemoteSetRemoteParams_WhitebalanceShift(bool WBShiftEnabled,
                                                              std::int16_t AmberBlue,
                                                              std::int16_t GreenMagenta) {
  Vostrel->RemoteSetRemoteParams(
      RecordSettingWhitebalanceShift(WBShiftEnabled, AmberBlue, GreenMagenta));
}

void TVostrelActiveX::RemoteLoadCameraRemoteParams(const std::string& FileName) {
  Vostrel->RemoteLoadCameraRemoteParams(FileName);
}

void TVostrelActiveX::RemoteSaveCameraRemoteParams(const std::string& FileName) {
  Vostrel->RemoteSaveCameraRemoteParams(FileName);
}

// ---------------------------------------------------------------------------
// Zoom, AF lock, viewfinder

ZoomPosType TVostrelActiveX::CurrentZoomPos() {
  ZoomPosType zoom{};
  Vostrel->RemoteGetZoomPos(zoom);
  return zoom;
}

std::int32_t TVostrelActiveX::RemoteGetZoomPos_CurrentZoomPos() {
  return CurrentZoomPos().CurrentZoomPos;
}

std::int32_t TVostrelActiveX::RemoteGetZoomPos_MaxOpticalZoomPos() {
  return CurrentZoomPos().MaxOpticalZoomPos;
}

std::int32_t TVostrelActiveX::RemoteGetZoomPos_MaxZoomPos() {
  return CurrentZoomPos().MaxZoomPos;
}

void TVostrelActiveX::RemoteSetZoomPos(std::int32_t ZoomPos) {
  Vostrel->RemoteSetZoomPos(ZoomPos);
}

void TVostrelActiveX::RemoteAFLock(bool AFLock) {
  Vostrel->RemoteAFLock(AFLock);
}

void TVostrelActiveX::RemoteStartViewfinder() {
  Vostrel->RemoteStartViewfinder();
}

void TVostrelActiveX::RemoteStopViewfinder() {
  Vostrel->RemoteStopViewfinder();
}

void TVostrelActiveX::RemoteSetViewfinderOutput(std::int32_t ViewfinderOutput) {
  Vostrel->RemoteSetViewfinderOutput(ViewfinderOutput);
}

void TVostrelActiveX::RemoteActivateViewfinderAuto() {
  Vostrel->RemoteActivateViewfinderAuto();
}

// ---------------------------------------------------------------------------
// Card collection

namespace {

// Runs a card operation that ends the collection when the camera's backend
// fails it: a listing gives up the collection listed before it first, and a
// close ends the collection whatever the camera answers. The stored list
// then goes as well, so that it never shows pictures the backend no longer
// has. A refusal before the backend is reached (no camera connected) leaves
// the list as it was.
template <typename Operation>
void ClearingTheListOnFailure(const TVostrel& controller, ImageListType& list,
                              Operation operation) {
  try {
    operation();
  } catch (...) {
    if (controller.GetConnectInfo().CameraModel != CamModNone) {
      list.clear();
    }
    throw;
  }
}

} // namespace

void TVostrelActiveX::OpenCameraCollection(const std::string& TempDir, bool GetThumbnails) {
  ClearingTheListOnFailure(*Vostrel, ImageList, [&] {
    ImageList = Vostrel->OpenCameraCollection(TempDir, GetThumbnails);
  });
  ImageListHasThumbnails = GetThumbnails;
}

std::int32_t TVostrelActiveX::OpenCameraCollection_GetNrOfPictures() const {
  return static_cast<std::int32_t>(ImageList.size());
}

std::string TVostrelActiveX::OpenCameraCollection_NameOfImage(std::int32_t PictureNumber) const {
  if (PictureNumber < 0 || static_cast<std::size_t>(PictureNumber) >= ImageList.size()) {
    return {};
  }
  return ImageList[static_cast<std::size_t>(PictureNumber)].Name;
}

void TVostrelActiveX::OpenCameraCollection_GetThumbnail(std::int32_t PictureNumber,
                                                        const std::string& FileName) {
  SaveThumbnail(ThumbnailEntry(ImageList, ImageListHasThumbnails, PictureNumber), FileName);
}

void TVostrelActiveX::CloseCameraCollection() {
  ClearingTheListOnFailure(*Vostrel, ImageList, [&] { Vostrel->CloseCameraCollection(ImageList); });
}

void TVostrelActiveX::GetPicture(std::int32_t NrInList, bool GetJPEGInRaw,
                                 const std::string& FileName) {
  Vostrel->GetPicture(NrInList, GetJPEGInRaw, FileName);
}

void TVostrelActiveX::DeletePicture(std::int32_t NrInList) {
  Vostrel->DeletePicture(ImageList, NrInList);
}

// ---------------------------------------------------------------------------
// RAW development

void TVostrelActiveX::OpenRAWObject(const std::string& FileName) {
  RAWSupported = Vostrel->OpenRAWObject(FileName);
}

std::string
TVostrelActiveX::OpenRAWObject_GetRemoteParamSupported(std::int32_t RAWParamKind) const {
  return RAWSupportedString(RAWSupported, RAWParamKind);
}

void TVostrelActiveX::SetRAWDevelopmentParameters(std::int32_t RAWParamKind, std::int32_t Value) {
  const std::optional<RAWDevelopParamsType> record = RecordSettingRAWParam(
      RAWParamKind, Value, [this](std::int32_t kind) { return GetRAWDevelopmentParameters(kind); });
  if (record) {
    Vostrel->SetRAWDevelopmentParameters(*record);
  }
}

std::int32_t TVostrelActiveX::GetRAWDevelopmentParameters(std::int32_t RAWParamKind) {
  RAWDevelopParamsType params{};
  Vostrel->GetRAWDevelopmentParameters(params);
  return RAWParamField(params, RAWParamKind);
}

void TVostrelActiveX::DevelopRAWPicture(const std::string& OutFileName, std::int32_t FileFormat,
                                        std::int32_t BitsPerPixel,
                                        const std::string& ICCProfileFileName,
                                        std::int32_t JPEGQuality) {
  Vostrel->DevelopRAWPicture(OutFileName, FileFormat, BitsPerPixel, ICCProfileFileName,
                             JPEGQuality);
}

void TVostrelActiveX::CloseRAWObject() {
  Vostrel->CloseRAWObject();
}

// ---------------------------------------------------------------------------
// Cached values

TxCamModType TVostrelActiveX::Connect_CameraModel() const {
  return static_cast<TxCamModType>(ConnectInfo.CameraModel);
}

std::string TVostrelActiveX::Connect_CameraModelName() const {
  return ConnectInfo.CameraModelName;
}

std::string TVostrelActiveX::Connect_OwnerName() const {
  return ConnectInfo.OwnerName;
}

TxBatterySourceType TVostrelActiveX::Connect_Battery_BatterySource() const {
  return static_cast<TxBatterySourceType>(ConnectInfo.BatterySource);
}

TxBatteryStatusType TVostrelActiveX::Connect_Battery_BatteryStatus() const {
  return static_cast<TxBatteryStatusType>(ConnectInfo.BatteryStatus);
}

bool TVostrelActiveX::RemoteStart_DoSupportZoom() const {
  return RemoteStartInfo.DoSupportZoom;
}

bool TVostrelActiveX::RemoteStart_DoSupportShootingPara() const {
  return RemoteStartInfo.DoSupportShootingPara;
}

bool TVostrelActiveX::RemoteStart_DoSupportViewfinder() const {
  return RemoteStartInfo.DoSupportViewfinder;
}

bool TVostrelActiveX::RemoteStart_ReqViewfinderOffWhenShooting() const {
  return RemoteStartInfo.ReqViewfinderOffWhenShooting;
}

bool TVostrelActiveX::RemoteStart_DoSupportAfLockUnlock() const {
  return RemoteStartInfo.DoSupportAfLockUnlock;
}

} // namespace vostrel
