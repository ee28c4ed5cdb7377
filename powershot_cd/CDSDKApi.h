#pragma once
// TCDSDK: the backend that serves the older PowerShot cameras through
// CDSDK.DLL.
//
// The controller creates one instance, gives it its InstanceIndex and calls
// the operations named after its own public methods. The connection works
// through the binding of CDSDK.DLL (CDAPI): SDK start and finish, the
// enumeration into CDDeviceList, connecting with the camera event handler,
// the clock, the owner name, formatting and the keep-alive read; remote
// release control with the parameter probe and its cache file, taking and
// fetching pictures, and the shooting parameters (CDSDKApi.cpp); the
// viewfinder, zoom and AF lock (CDViewfinder.cpp); the card collection
// (CDCollection.cpp). The CD cameras have no body ID: the controller answers
// 0 without calling this backend.

#include "core/CamDefines.h"
#include "core/CamEvents.h"
#include "core/LeftRunning.h"
#include "powershot_cd/CDTYPE.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vostrel {

class TCDSDK {
public:
  TCDSDK() = default;
  // Takes the event handler back from the SDK; the source stays open.
  ~TCDSDK();
  TCDSDK(const TCDSDK&) = delete;
  TCDSDK& operator=(const TCDSDK&) = delete;

  // Called once by the controller right after creation.
  void SetInstanceIndex(std::int32_t instanceIndex) { InstanceIndex = instanceIndex; }
  std::int32_t GetInstanceIndex() const { return InstanceIndex; }
  // Passes the percentage of a running parameter probe to the controller.
  void ReportProbeProgress(std::int32_t percent);

  // Connection and the camera as a whole.
  void StartSDK();
  void OpenCameraEnumeration(std::vector<std::string>& nameList);
  void CloseCameraEnumeration();
  void Connect(CDCameraEventHandlerFn handler, std::int32_t cameraNumber,
               std::int32_t instanceIndex, ConnectInfoType& info);
  void Disconnect();
  void SetTimeInCamera(TDateTime dateTime);
  void SetOwnerName(const std::string& name);
  void FormatCameraCard();
  bool RemoteSupported();
  void KeepCameraAwake();

  // Remote shooting.
  void RemoteStart(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                   const std::string& cacheDirectory, ReleaseEventHandlerFn handler,
                   std::int32_t instanceIndex, RemoteStartInfoType& info);
  void RemoteEnd();
  std::int32_t RemoteGetNumberOfAvailableShots();
  void RemoteTakePicture(TakePictureProgressHandlerFn handler, std::int32_t instanceIndex);
  void RemoteGetPicture(const std::string& fileName, RemoteGetPictureProgressHandlerFn handler,
                        std::int32_t instanceIndex);
  void RemoteGetRemoteParams(RemoteParamsType& params);
  void RemoteSetRemoteParams(RemoteParamsType params);
  void RemoteGetZoomPos(ZoomPosType& zoom);
  void RemoteSetZoomPos(std::int32_t position);
  void RemoteAFLock(bool lock);
  void RemoteStartViewfinder(CDViewfinderHandlerFn handler, std::int32_t instanceIndex);
  void RemoteStopViewfinder();
  void RemoteSetViewfinderOutput(std::int32_t output);
  void RemoteActivateViewfinderAuto();

  // Card collection.
  void OpenCameraCollection(const std::string& temporaryDirectory, bool thumbnails,
                            ImageListType& list);
  void CloseCameraCollection(ImageListType& list);
  void GetPicture(std::int32_t pictureNumber, const std::string& fileName,
                  GetPictureProgressHandlerFn handler, std::int32_t instanceIndex);
  void DeletePicture(ImageListType& list, std::int32_t pictureNumber);

private:
  // The first card volume becomes Volume (FormatCameraCard and
  // OpenCameraCollection).
  void OpenFirstVolume();
  // Forgets the listed pictures and releases their enumeration, if one is
  // open; nothing is reported.
  void ReleaseItemEnumeration() noexcept;
  // Connect after the source was opened: the camera's identity and battery,
  // and the event handler.
  void OpenConnection(CDCameraEventHandlerFn handler, std::int32_t instanceIndex);
  // RemoteStart after release control was entered.
  void StartReleaseControl(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                           const std::string& cacheDirectory, RemoteStartInfoType& info);
  // Leaves release control without a check; release control the camera
  // does not confirm to have left is left again by the next RemoteStart.
  void ExitReleaseControlUnchecked() noexcept;
  // One unchecked attempt to leave release control: true when the camera
  // confirmed it (the viewfinder is then known to have ended with it).
  bool ReleaseControlExited() noexcept;
  // A property search starts with the connected camera's property
  // enumeration ...
  cdHandle OpenPropertySearch();
  // ... and finds the property `code` in it, runs `use` with its record, and
  // releases the enumeration whatever happens.
  template <typename Use>
  void SearchProperty(cdHandle enumeration, cdUInt32 code, Use use);
  // A whole property search that reads the property into `buffer`, at most
  // `size` bytes.
  void ReadDeviceProperty(cdUInt32 code, void* buffer, cdUInt32 size);

  // Copy of the connected camera's device record; also the record into
  // which the enumeration receives each camera.
  cdSourceInfo SourceRecord{};
  cdHandle SourceHandle = 0;
  // Model byte 0 (not connected) or CamModPowerShot.
  ConnectInfoType ConnectInfo;
  cdHandle EventRegistration = 0;
  // Release control that the camera may still be under although remote mode
  // ended, and the viewfinder that it may still run although it was stopped.
  LeftRunning ReleaseControl;
  LeftRunning Viewfinder;
  // The card volume of the last formatting or card collection.
  cdHandle Volume = 0;
  // The picture enumeration of the open card collection (0: none) and its
  // items, parallel to the collection's image list.
  cdHandle ItemEnumeration = 0;
  std::vector<cdHandle> ItemHandles;
  // The owning controller's position in the instance registry; the context
  // of every SDK callback registration.
  std::int32_t InstanceIndex = 0;
};

} // namespace vostrel
