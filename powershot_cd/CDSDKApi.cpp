#include "powershot_cd/CDSDKApi.h"

#include "core/BackendChecks.h"
#include "core/DeviceLists.h"
#include "core/Vostrel.h"

namespace vostrel {

void TCDSDK::ReportProbeProgress(std::int32_t percent) {
  TVostrel::ReportProbeProgress(InstanceIndex, percent);
}

// Until the CD binding exists, starting and finishing the SDK do nothing and
// the enumeration adds no camera: the controller starts and enumerates every
// family at once, and the other families must not wait for this one.
void TCDSDK::StartSDK() {}

void TCDSDK::OpenCameraEnumeration(std::vector<std::string>& /*nameList*/) {
  CDDeviceList().clear();
}

void TCDSDK::CloseCameraEnumeration() {}

void TCDSDK::Connect(CDCameraEventHandlerFn /*handler*/, std::int32_t cameraNumber,
                     std::int32_t /*instanceIndex*/, ConnectInfoType& /*info*/) {
  CheckConnectCameraNumber(cameraNumber, CDDeviceList().size(), "PowerShot",
                           "There seems to be no connected PowerShot cameras connected. Have you "
                           "called the EnumerateCameras function before calling Connect?");
  RaiseNotAvailableYet("Connect");
}

void TCDSDK::Disconnect() {
  RaiseNotAvailableYet("Disconnect");
}

void TCDSDK::SetTimeInCamera(TDateTime /*dateTime*/) {
  RaiseNotAvailableYet("SetTimeInCamera");
}

void TCDSDK::SetOwnerName(const std::string& name) {
  CheckOwnerNameLength(name);
  RaiseNotAvailableYet("SetOwnerName");
}

void TCDSDK::FormatCameraCard() {
  RaiseNotAvailableYet("FormatCameraCard");
}

bool TCDSDK::RemoteSupported() {
  RaiseNotAvailableYet("RemoteSupported");
}

void TCDSDK::KeepCameraAwake() {
  RaiseNotAvailableYet("KeepCameraAwake");
}

void TCDSDK::RemoteStart(ReleaseModeType /*mode*/, ReleaseDataKindType /*kind*/, bool /*probe*/,
                         const std::string& /*cacheDirectory*/, ReleaseEventHandlerFn /*handler*/,
                         std::int32_t /*instanceIndex*/, RemoteStartInfoType& /*info*/) {
  RaiseNotAvailableYet("RemoteStart");
}

void TCDSDK::RemoteEnd() {
  RaiseNotAvailableYet("RemoteEnd");
}

std::int32_t TCDSDK::RemoteGetNumberOfAvailableShots() {
  RaiseNotAvailableYet("RemoteGetNumberOfAvailableShots");
}

void TCDSDK::RemoteTakePicture(TakePictureProgressHandlerFn /*handler*/,
                               std::int32_t /*instanceIndex*/) {
  RaiseNotAvailableYet("RemoteTakePicture");
}

void TCDSDK::RemoteGetPicture(const std::string& /*fileName*/,
                              RemoteGetPictureProgressHandlerFn /*handler*/,
                              std::int32_t /*instanceIndex*/) {
  RaiseNotAvailableYet("RemoteGetPicture");
}

void TCDSDK::RemoteGetRemoteParams(RemoteParamsType& /*params*/) {
  RaiseNotAvailableYet("RemoteGetRemoteParams");
}

void TCDSDK::RemoteSetRemoteParams(RemoteParamsType /*params*/) {
  RaiseNotAvailableYet("RemoteSetRemoteParams");
}

void TCDSDK::RemoteGetZoomPos(ZoomPosType& /*zoom*/) {
  RaiseNotAvailableYet("RemoteGetZoomPos");
}

void TCDSDK::RemoteSetZoomPos(std::int32_t /*position*/) {
  RaiseNotAvailableYet("RemoteSetZoomPos");
}

void TCDSDK::RemoteAFLock(bool /*lock*/) {
  RaiseNotAvailableYet("RemoteAFLock");
}

void TCDSDK::RemoteStartViewfinder(CDViewfinderHandlerFn /*handler*/,
                                   std::int32_t /*instanceIndex*/) {
  RaiseNotAvailableYet("RemoteStartViewfinder");
}

void TCDSDK::RemoteStopViewfinder() {
  RaiseNotAvailableYet("RemoteStopViewfinder");
}

void TCDSDK::RemoteSetViewfinderOutput(std::int32_t /*output*/) {
  RaiseNotAvailableYet("RemoteSetViewfinderOutput");
}

void TCDSDK::RemoteActivateViewfinderAuto() {
  RaiseNotAvailableYet("RemoteActivateViewfinderAuto");
}

void TCDSDK::OpenCameraCollection(const std::string& /*temporaryDirectory*/, bool /*thumbnails*/,
                                  ImageListType& /*list*/) {
  RaiseNotAvailableYet("OpenCameraCollection");
}

void TCDSDK::CloseCameraCollection(ImageListType& /*list*/) {
  RaiseNotAvailableYet("CloseCameraCollection");
}

void TCDSDK::GetPicture(std::int32_t /*pictureNumber*/, const std::string& /*fileName*/,
                        GetPictureProgressHandlerFn /*handler*/, std::int32_t /*instanceIndex*/) {
  RaiseNotAvailableYet("GetPicture");
}

void TCDSDK::DeletePicture(ImageListType& /*list*/, std::int32_t /*pictureNumber*/) {
  RaiseNotAvailableYet("DeletePicture");
}

} // namespace vostrel
