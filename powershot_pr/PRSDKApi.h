#pragma once
// TPRSDK: the backend that serves the newer PowerShot cameras through
// PRSDK.DLL.
//
// The controller creates one instance, gives it its InstanceIndex and calls
// the operations named after its own public methods. Every SDK call goes
// through the binding of PRAPI, and every checked result through
// CheckPRError. The operations of release control live in PRSDKApi.cpp,
// those of the viewfinder, the zoom and the focus lock in PRViewfinder.cpp.

#include "core/CamDefines.h"
#include "core/CamEvents.h"
#include "core/DeviceLists.h"
#include "core/LeftRunning.h"
#include "powershot_pr/PRTYPE.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vostrel {

class TPRSDK {
public:
  TPRSDK() = default;
  // Takes the event handler back from the SDK; the camera stays connected.
  ~TPRSDK();
  TPRSDK(const TPRSDK&) = delete;
  TPRSDK& operator=(const TPRSDK&) = delete;

  // Called once by the controller right after creation.
  void SetInstanceIndex(std::int32_t instanceIndex) { InstanceIndex = instanceIndex; }
  std::int32_t GetInstanceIndex() const { return InstanceIndex; }
  // Passes the percentage of a running parameter probe to the controller.
  void ReportProbeProgress(std::int32_t percent);

  // Connection and the camera as a whole.
  void StartSDK();
  void OpenCameraEnumeration(std::vector<std::string>& nameList);
  void CloseCameraEnumeration();
  void Connect(PREventHandlerFn handler, std::int32_t cameraNumber, std::int32_t instanceIndex,
               ConnectInfoType& info);
  void Disconnect();
  void SetTimeInCamera(TDateTime dateTime);
  void SetOwnerName(const std::string& name);
  std::uint32_t GetBodyID();
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
  void RemoteGetPicture(const PREventRecord& releasedItem, PRPictureDataHandlerFn handler,
                        std::int32_t instanceIndex);
  void RemoteGetRemoteParams(RemoteParamsType& params);
  void RemoteSetRemoteParams(RemoteParamsType params);
  void RemoteGetZoomPos(ZoomPosType& zoom);
  void RemoteSetZoomPos(std::int32_t position);
  void RemoteAFLock(bool lock);
  void RemoteStartViewfinder(PRViewfinderHandlerFn handler, std::int32_t instanceIndex);
  void RemoteStopViewfinder();
  void RemoteSetViewfinderOutput(std::int32_t output);
  void RemoteActivateViewfinderAuto();

  // Card collection: the PR cameras refuse it.
  void OpenCameraCollection(const std::string& temporaryDirectory, bool thumbnails,
                            ImageListType& list);
  void CloseCameraCollection(ImageListType& list);
  void GetPicture(std::int32_t pictureNumber, const std::string& fileName,
                  GetPictureProgressHandlerFn handler, std::int32_t instanceIndex);
  void DeletePicture(ImageListType& list, std::int32_t pictureNumber);

  // What the connected camera can do, from its device information: Connect
  // fills the first entries, remote release control all of them.
  enum Capability : std::size_t {
    CapRemote,
    CapViewfinder,
    CapZoom,
    CapFocusLock,
    CapQuality,
    CapImageSize,
    CapStrobe,
    CapStrobeCompensation,
    CapShootingMode,
    CapDriveMode,
    CapMetering,
    CapAFDistance,
    CapAFPoint,
    CapAFAssistLight,
    CapWhiteBalance,
    CapContrast,
    CapColorGain,
    CapSharpness,
    CapISO,
    CapAv,
    CapTv,
    CapExposureCompensation,
    CapPhotoEffect,
    CapBeep,
    CapabilityCount
  };
  bool Supports(Capability capability) const {
    return capability < CapabilityCount && Capabilities[capability];
  }
  // True when the device information read last lists the device property.
  bool ListsProperty(std::uint16_t property) const;
  // The capability that a device property of the device information stands
  // for; CapabilityCount for a property that stands for none.
  static Capability CapabilityOfProperty(std::uint16_t property);

private:
  // How far a connection got: the camera object exists, it is connected,
  // its events are reported.
  enum class ConnectionStage { Created, Connected, Reporting };
  // The connected camera's model name, owner and battery into ConnectInfo.
  void ReadConnectedCamera(const PRDeviceRecord& entry);
  // Undoes the connection up to its stage and destroys the camera object;
  // SDK results are ignored.
  void ReleaseCameraObject(ConnectionStage stage) noexcept;
  // Reads a device property of the connected camera into value; size is the
  // buffer's size on the call.
  void GetDevicePropValue(std::uint16_t property, void* value, std::uint32_t size);
  // Clears every capability, then sets those of the device information's
  // operations and, when asked, of its device properties.
  void ReadCapabilities(bool withProperties);
  // Leaves release control without a check; release control the camera
  // does not confirm to have left is left again by the next RemoteStart.
  void LeaveReleaseControlUnchecked() noexcept;
  // One unchecked attempt to leave release control: true when the camera
  // confirmed it (the viewfinder is then known to have ended with it).
  bool ReleaseControlLeft() noexcept;
  // RemoteStart after release control was entered.
  void StartReleaseControl(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                           const std::string& cacheDirectory, RemoteStartInfoType& info);

  // The owning controller's position in the instance registry; the context
  // of every SDK callback registration.
  std::int32_t InstanceIndex = 0;
  // The SDK's camera object of the connected camera.
  prHandle CameraHandle = 0;
  ConnectInfoType ConnectInfo;
  std::array<bool, CapabilityCount> Capabilities{};
  // Release control that the camera may still be under although remote mode
  // ended, and the viewfinder that it may still run although it was stopped.
  LeftRunning ReleaseControl;
  LeftRunning Viewfinder;
  // The device properties of the device information read last; empty when
  // it was read for the operations only.
  std::vector<std::uint16_t> ListedProperties;
};

} // namespace vostrel
