#pragma once
// TVostrel: the camera controller.
//
// One controller holds the state of one camera connection (which family is
// connected, which camera number, whether remote mode and the viewfinder are
// on) and owns one backend of each family. Every operation checks that state
// in a fixed order, picks the backend that serves the connected camera and
// calls the backend operation of the same name. Refusals and failures are
// raised as ECamException and pass through unchanged; any other failure (of
// the file layer, or a lack of memory) leaves an operation as ECamException
// too, so no other exception type reaches a host.
//
// The controller also owns the SDK handlers: static functions that the
// backends hand to their SDKs together with the controller's InstanceIndex.
// A handler finds its controller through the InstanceRegistry, translates
// the SDK's report into public values and fires one of the eight component
// events, on the SDK's thread.

#include "core/CamDefines.h"
#include "core/CamEvents.h"
#include "platform/BusyFlag.h"
#include "powershot_pr/PRTYPE.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

namespace vostrel {

class TCDSDK;
class TPRSDK;
class TEDSDK;

class TVostrel {
public:
  TVostrel();
  // Destroying a controller does not disconnect the camera, end remote mode
  // or stop the SDKs.
  ~TVostrel();
  TVostrel(const TVostrel&) = delete;
  TVostrel& operator=(const TVostrel&) = delete;

  // Component events; each fires only when assigned.
  TNotifyCameraEvent OnEvent;
  TNotifyViewfinderEvent OnViewfinderEvent;
  TNotifyRemoteEvent OnRemoteEvent;
  TNotifyRemoteTakePictureEvent OnRemoteTakePictureEvent;
  TNotifyRemoteGetPictureEvent OnRemoteGetPictureEvent;
  TNotifyGetPictureEvent OnGetPictureEvent;
  TNotifyRemoteProbeParamEvent OnRemoteProbeParamEvent;
  TNotifyRawDevelopEvent OnRawDevelopEvent; // never fired: RAW development reports no progress

  // Enumeration and connection.
  EnumerationListsType OpenCameraEnumeration();
  void CloseCameraEnumeration();
  ConnectInfoType Connect(std::int32_t cameraType, std::int32_t cameraNumber);
  void Disconnect();
  void SetTimeInCamera(TDateTime dateTime);
  void SetOwnerName(const std::string& name);
  std::uint32_t GetBodyID();
  void FormatCameraCard();
  bool RemoteSupported();
  // Keeps the connected camera from switching itself off; the handlers call
  // it when a camera warns that it will shut down.
  void KeepCameraAwake();

  // Remote shooting.
  RemoteStartInfoType RemoteStart(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                                  const std::string& cacheDirectory);
  void RemoteEnd();
  std::int32_t RemoteGetNumberOfAvailableShots();
  void RemoteTakePicture();
  void RemoteGetPicture(const std::string& fileName, std::int32_t pictureType);
  void RemoteGetRemoteParams(RemoteParamsType& params);
  void RemoteSetRemoteParams(const RemoteParamsType& params);
  void RemoteLoadCameraRemoteParams(const std::string& fileName);
  void RemoteSaveCameraRemoteParams(const std::string& fileName);
  // Zoom applies to PowerShot cameras only; for an EOS camera nothing is done
  // and the record stays as the caller passed it.
  void RemoteGetZoomPos(ZoomPosType& zoom);
  void RemoteSetZoomPos(std::int32_t position);
  void RemoteAFLock(bool lock);

  // Viewfinder (PowerShot cameras only).
  void RemoteStartViewfinder();
  void RemoteStopViewfinder();
  void RemoteSetViewfinderOutput(std::int32_t output);
  void RemoteActivateViewfinderAuto();

  // Pictures on the camera's card.
  ImageListType OpenCameraCollection(const std::string& temporaryDirectory, bool thumbnails);
  void CloseCameraCollection(ImageListType& list);
  void GetPicture(std::int32_t pictureNumber, bool getJPEGInRaw, const std::string& fileName);
  void DeletePicture(ImageListType& list, std::int32_t pictureNumber);

  // RAW development: works on files, needs no camera, always served by the
  // EOS backend.
  RAWSupportedType OpenRAWObject(const std::string& fileName);
  void SetRAWDevelopmentParameters(const RAWDevelopParamsType& params);
  void GetRAWDevelopmentParameters(RAWDevelopParamsType& params);
  void DevelopRAWPicture(const std::string& outputFile, std::int32_t fileFormat,
                         std::int32_t bitsPerPixel, const std::string& iccProfileFile,
                         std::int32_t jpegQuality);
  void CloseRAWObject();

  // State, read-only.
  ConnectInfoType GetConnectInfo() const;
  bool IsRemoteModeOn() const { return RemoteModeOn.load(); }
  bool IsViewfinderOn() const { return ViewfinderOn.load(); }
  ReleaseModeType GetReleaseMode() const { return ReleaseMode.load(); }
  ReleaseDataKindType GetReleaseDataKind() const { return ReleaseDataKind.load(); }
  std::int32_t GetInstanceIndex() const { return InstanceIndex; }
  std::int32_t GetCameraNumber() const { return CameraNumber.load(); }
  // Released PR pictures waiting for RemoteGetPicture.
  std::size_t PendingReleaseItemCount() const;

  // Held for the length of one Connect, across all controllers.
  static platform::BusyFlag& ConnectBusy();

  // Fires OnRemoteProbeParamEvent of the controller at the registry position,
  // if it exists and the event is assigned. Backends call it while they
  // probe the supported parameter values.
  static void ReportProbeProgress(std::int32_t instanceIndex, std::int32_t percent);

  // SDK handlers. Each returns 0 and lets no exception out.
  static std::uint32_t VOSTREL_CALLBACK CDCameraEventHandler(std::uint32_t eventWord,
                                                             const std::uint32_t* eventData,
                                                             std::uint32_t unused,
                                                             SDKContext context);
  static std::uint32_t VOSTREL_CALLBACK ReleaseEventHandler(std::uint32_t releaseCode,
                                                            const std::uint32_t* count,
                                                            std::uint32_t unused,
                                                            SDKContext context);
  static std::uint32_t VOSTREL_CALLBACK CDViewfinderHandler(const std::uint8_t* frame,
                                                            std::uint32_t length,
                                                            std::uint32_t unused,
                                                            SDKContext context);
  static std::uint32_t VOSTREL_CALLBACK PRViewfinderHandler(std::uint32_t unused,
                                                            SDKContext context,
                                                            std::uint32_t length,
                                                            const std::uint8_t* frame);
  static std::uint32_t VOSTREL_CALLBACK RemoteGetPictureProgressHandler(std::uint32_t percent,
                                                                        std::uint32_t unused,
                                                                        SDKContext context);
  static std::uint32_t VOSTREL_CALLBACK TakePictureProgressHandler(std::uint32_t percent,
                                                                   std::uint32_t unused,
                                                                   SDKContext context);
  static std::uint32_t VOSTREL_CALLBACK GetPictureProgressHandler(std::uint32_t percent,
                                                                  std::uint32_t unused,
                                                                  SDKContext context);
  static std::uint32_t VOSTREL_CALLBACK PREventHandler(std::uint32_t unused, SDKContext context,
                                                       const void* eventRecord);
  static std::uint32_t VOSTREL_CALLBACK PRPictureDataHandler(std::uint32_t unused1,
                                                             std::uint32_t unused2,
                                                             SDKContext context,
                                                             const void* progressRecord);
  static std::uint32_t VOSTREL_CALLBACK EOSPropertyEventHandler(std::uint32_t event,
                                                                std::uint32_t propertyId,
                                                                std::uint32_t parameter,
                                                                void* context);
  static std::uint32_t VOSTREL_CALLBACK EOSObjectEventHandler(std::uint32_t event, void* object,
                                                              void* context);
  static std::uint32_t VOSTREL_CALLBACK EOSStateEventHandler(std::uint32_t event,
                                                             std::uint32_t parameter,
                                                             void* context);
  static std::uint32_t VOSTREL_CALLBACK EOSProgressHandler(std::uint32_t percent, void* context,
                                                           std::int32_t* cancel);

private:
  friend class TVostrelTestAccess;

  // The backend that serves the connected camera.
  enum class Backend { CD, PR, EOS };

  bool IsConnected() const { return ConnectedModel.load() != CamModNone; }
  Backend ConnectedBackend() const;
  void StoreConnection(const ConnectInfoType& info);
  void StartSDKs();

  // The guards, in the words of their refusals.
  void RequireRemoteMode() const;
  void RequireConnection() const;
  void RequireViewfinder() const;
  // Forgets the releases that wait for RemoteGetPicture.
  void ClearPendingReleaseItems();
  void RequireNoEOSCamera() const;

  // Calls the operation with the backend of the connected camera.
  template <typename Operation>
  decltype(auto) Dispatch(Operation&& operation);
  // The same for operations that only PowerShot cameras have; for an EOS
  // camera nothing is done.
  template <typename Operation>
  void DispatchPowerShot(Operation&& operation);

  // The PR branch of RemoteGetPicture and the target file that the picture
  // data handler writes.
  void RemoteGetPRPicture(const std::string& fileName);
  void OpenPictureFile(const std::string& fileName);
  // Closes the target file if it is still open; false when any write failed.
  bool ClosePictureFile();
  void WritePictureData(const std::uint8_t* data, std::int32_t length);

  void QueueReleasedItem(const void* eventRecord);
  void FireEvent(EventSeverityType severity, EventEnumType event);
  void FireRemoteEvent(RemoteEventCallbackType event,
                       const AdditionNotifyRemoteEventType& data = {});
  void FireViewfinderEvent(const std::uint8_t* frame, std::uint32_t length);

  // The connection state: the model byte of the connected camera (0 none,
  // 1 PowerShot, 2 EOS). ConnectInfo holds the rest of the camera's record.
  std::atomic<std::uint8_t> ConnectedModel{CamModNone};
  ConnectInfoType ConnectInfo;
  std::atomic<bool> RemoteModeOn{false};
  std::atomic<bool> ViewfinderOn{false};
  std::atomic<ReleaseDataKindType> ReleaseDataKind{
      ReleaseDataKindType::ReleaseDataKindTakeOnlyThumbnail};
  std::atomic<ReleaseModeType> ReleaseMode{ReleaseModeType::ReleaseModeOnlyToPC};
  std::int32_t InstanceIndex = 0;
  std::atomic<std::int32_t> CameraNumber{0};

  // PR event records of released pictures, oldest first. The PR event
  // handler appends from the SDK's thread.
  mutable std::mutex PendingReleaseItemsLock;
  std::deque<PREventRecord> PendingReleaseItems;

  // Target file of the PR picture being fetched, written by the picture data
  // handler on the SDK's thread.
  std::mutex PictureFileLock;
  std::unique_ptr<std::ofstream> PictureFileStream;
  bool PictureFileWritten = false;
  bool PictureFileFailed = false;

  std::unique_ptr<TCDSDK> CD;
  std::unique_ptr<TPRSDK> PR;
  std::unique_ptr<TEDSDK> EOS;
};

} // namespace vostrel
