#pragma once
// TVostrelActiveX: the control that a host places on its form.
//
// The control owns one camera controller and turns every automation call into
// a controller call, with flat integers, strings and booleans in place of the
// controller's records. It keeps a copy of each record that a successful call
// returns (the enumeration lists, the connected camera, the remote
// capabilities, the card's picture list, the RAW file's white balances), so
// that later queries are answered without asking the camera again; a call
// that fails leaves the previous copy in place, and nothing is cleared when a
// connection, remote mode, collection or RAW file ends. The controller's
// eight events come back as the control's own events.
//
// The control holds no camera logic: every state check and every camera
// error comes from the controller and passes through unchanged. The control
// raises only the thumbnail errors of OpenCameraCollection_GetThumbnail and
// the invalid-date error of SetTimeInCamera.
//
// Events fire on the thread on which the camera SDK reports them.

#include "core/CamDefines.h"
#include "core/CamEvents.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>

namespace vostrel {

class TVostrel;

// The control's events, with the public values the automation interface
// passes on.
using TNotifyOCXCameraEvent =
    std::function<void(TxEventSeverityType Severity, TxEventEnumType Event)>;
// Every frame goes to the same file; the receiver reads it during the call.
using TNotifyOCXViewfinderEvent = std::function<void(const std::string& ViewfinderFileName)>;
using TNotifyOCXRemoteEvent =
    std::function<void(TxRemoteEventCallbackType Event, TxNotifyRemoteEventValidType EventValid,
                       std::int32_t NumOfEvents, TxypeOfPictureType TypeOfPicture)>;
using TNotifyOCXRemoteTakePictureEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyOCXRemoteGetPictureEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyOCXGetPictureEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyOCXRemoteProbeParamEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyOCXRawDevelopEvent = std::function<void(std::int32_t PercentageDone)>;

class TVostrelActiveX {
public:
  TVostrelActiveX();
  // Frees the controller; the camera stays connected and the SDKs running
  // unless the host ended them first.
  ~TVostrelActiveX();
  TVostrelActiveX(const TVostrelActiveX&) = delete;
  TVostrelActiveX& operator=(const TVostrelActiveX&) = delete;

  // Events; each fires only when assigned.
  TNotifyOCXViewfinderEvent OnViewfinderEvent;
  TNotifyOCXCameraEvent OnEvent;
  TNotifyOCXRemoteEvent OnRemoteEvent;
  TNotifyOCXRemoteTakePictureEvent OnRemoteTakePictureEvent;
  TNotifyOCXRemoteGetPictureEvent OnRemoteGetPictureEvent;
  TNotifyOCXGetPictureEvent OnGetPictureEvent;
  TNotifyOCXRemoteProbeParamEvent OnRemoteProbeParamEvent;
  TNotifyOCXRawDevelopEvent OnRawDevelopEvent;

  // Enumeration. The counts and names come from the lists of the last
  // successful OpenCameraEnumeration; once the controller has released them
  // (CloseCameraEnumeration, or CloseRAWObject without a camera), and before
  // any enumeration, the counts are 0 and every name is empty.
  void OpenCameraEnumeration();
  std::int32_t OpenCameraEnumeration_GetPowerShotNr() const;
  std::int32_t OpenCameraEnumeration_GetEOSNr() const;
  // The name of camera Nr of the family; empty for another family or a
  // number that is not a position in the list.
  std::string OpenCameraEnumeration_GetModel(std::int32_t CameraType, std::int32_t Nr) const;

  // Connection and the camera as a whole.
  void Connect(std::int32_t CameraType, std::int32_t CameraNumber);
  void Disconnect();
  void CloseCameraEnumeration();
  void SetTimeInCamera(std::int32_t YearCam, std::int32_t MonthCam, std::int32_t DayCam,
                       std::int32_t HourCam, std::int32_t MinutesCam, std::int32_t SecondCam,
                       std::int32_t MillisecondCam);
  void SetOwnerName(const std::string& OwnerName);
  std::uint32_t GetBodyID();
  void FormatCameraCard();
  bool RemoteSupported();

  // Remote shooting.
  void RemoteStart(std::int32_t ReleaseMode, std::int32_t ReleaseDataKind,
                   bool ProbeRemoteParameters, const std::string& CacheRemoteParamDir);
  // The supported values of a TxRemoteParamType kind from the last
  // RemoteStart, one "0" or "1" per value code.
  std::string RemoteStart_GetRemoteParamSupported(std::int32_t RemoteParamKind) const;
  void RemoteEnd();
  std::int32_t RemoteGetNumberOfAvailableShots();
  void RemoteTakePicture();
  void RemoteGetPicture(const std::string& FileName, std::int32_t PictureType);

  // Shooting parameters, one field at a time.
  std::int32_t RemoteGetRemoteParams(std::int32_t RemoteParamKind);
  std::int32_t RemoteGetRemoteParams_PictureStyle(std::int32_t RemoteParamPictureStyleKind);
  std::int32_t
  RemoteGetRemoteParams_WhitebalanceShift(std::int32_t RemoteParamWhitebalanceShiftKind);
  // Kinds that send nothing (the white-balance shift, the picture style,
  // kinds above 26) return without error.
  void RemoteSetRemoteParams(std::int32_t RemoteParamKind, std::int32_t Value);
  void RemoteSetRemoteParams_ImageQuality(std::int32_t ImageSize, std::int32_t ImageQuality,
                                          std::int32_t ImageSizePic2RAW,
                                          std::int32_t ImageQualityPic2RAW);
  void RemoteSetRemoteParams_PictureStyle(bool PictureStyleEnabled, std::int16_t Contrast,
                                          std::int16_t Sharpness, std::int16_t Saturation,
                                          bool SaturationUsed, std::int16_t ColorTone,
                                          bool ColorToneUsed, std::int32_t MonochromeFilter,
                                          bool MonochromeFilterUsed, std::int32_t MonochromeTone,
                                          bool MonochromeToneUsed);
  void RemoteSetRemoteParams_WhitebalanceShift(bool WBShiftEnabled, std::int16_t AmberBlue,
                                               std::int16_t GreenMagenta);
  void RemoteLoadCameraRemoteParams(const std::string& FileName);
  void RemoteSaveCameraRemoteParams(const std::string& FileName);

  // Zoom, AF lock and viewfinder. An EOS camera has no zoom: the positions
  // read 0.
  std::int32_t RemoteGetZoomPos_CurrentZoomPos();
  std::int32_t RemoteGetZoomPos_MaxOpticalZoomPos();
  std::int32_t RemoteGetZoomPos_MaxZoomPos();
  void RemoteSetZoomPos(std::int32_t ZoomPos);
  void RemoteAFLock(bool AFLock);
  void RemoteStartViewfinder();
  void RemoteStopViewfinder();
  void RemoteSetViewfinderOutput(std::int32_t ViewfinderOutput);
  void RemoteActivateViewfinderAuto();

  // Pictures on the camera's card, from the list of the last successful
  // OpenCameraCollection.
  void OpenCameraCollection(const std::string& TempDir, bool GetThumbnails);
  std::int32_t OpenCameraCollection_GetNrOfPictures() const;
  // Empty for a number that is not a position in the list.
  std::string OpenCameraCollection_NameOfImage(std::int32_t PictureNumber) const;
  // Saves the thumbnail of a picture to the file, creating or replacing it.
  void OpenCameraCollection_GetThumbnail(std::int32_t PictureNumber, const std::string& FileName);
  void CloseCameraCollection();
  void GetPicture(std::int32_t NrInList, bool GetJPEGInRaw, const std::string& FileName);
  void DeletePicture(std::int32_t NrInList);

  // RAW development.
  void OpenRAWObject(const std::string& FileName);
  // For RAWParamWhiteBalanceSetting the 17 settings of the last opened RAW
  // file; for any other kind the empty string.
  std::string OpenRAWObject_GetRemoteParamSupported(std::int32_t RAWParamKind) const;
  void SetRAWDevelopmentParameters(std::int32_t RAWParamKind, std::int32_t Value);
  std::int32_t GetRAWDevelopmentParameters(std::int32_t RAWParamKind);
  void DevelopRAWPicture(const std::string& OutFileName, std::int32_t FileFormat,
                         std::int32_t BitsPerPixel, const std::string& ICCProfileFileName,
                         std::int32_t JPEGQuality);
  void CloseRAWObject();

  // Cached values of the last successful Connect and RemoteStart; they never
  // fail.
  TxCamModType Connect_CameraModel() const;
  std::string Connect_CameraModelName() const;
  std::string Connect_OwnerName() const;
  TxBatterySourceType Connect_Battery_BatterySource() const;
  TxBatteryStatusType Connect_Battery_BatteryStatus() const;
  bool RemoteStart_DoSupportZoom() const;
  bool RemoteStart_DoSupportShootingPara() const;
  bool RemoteStart_DoSupportViewfinder() const;
  bool RemoteStart_ReqViewfinderOffWhenShooting() const;
  bool RemoteStart_DoSupportAfLockUnlock() const;

  // The controller, for hosts and tools that watch its state.
  const TVostrel& Controller() const { return *Vostrel; }

private:
  // The controller's events, passed on to the control's.
  void BridgeCameraEvent(EventCallbackType Event);
  void BridgeViewfinderEvent(std::istream& Jpegdata);
  void BridgeRemoteEvent(RemoteEventCallbackType Event,
                         const AdditionNotifyRemoteEventType& EventData);

  RemoteParamsType CurrentRemoteParams();
  ZoomPosType CurrentZoomPos();

  // Every viewfinder frame goes to the file of this number.
  static constexpr std::int32_t ViewfinderFrameNumber = 0;

  EnumerationListsType EnumerationLists;
  ConnectInfoType ConnectInfo;
  RemoteStartInfoType RemoteStartInfo{};
  ImageListType ImageList;
  bool ImageListHasThumbnails = false;
  RAWSupportedType RAWSupported{};

  // Declared last so that it goes first: no controller event reaches a
  // half-destroyed control.
  std::unique_ptr<TVostrel> Vostrel;
};

} // namespace vostrel
