#include "powershot_pr/PRSDKApi.h"

#include "core/BackendChecks.h"
#include "core/DeviceLists.h"
#include "core/ECamException.h"
#include "core/Vostrel.h"

namespace vostrel {

namespace {

[[noreturn]] void RaiseNotSupported(const std::string& operation) {
  throw ECamException(operation + " is not supported for you camera.");
}

} // namespace

void TPRSDK::ReportProbeProgress(std::int32_t percent) {
  TVostrel::ReportProbeProgress(InstanceIndex, percent);
}

// Until the PR binding exists, starting and finishing the SDK do nothing and
// the enumeration adds no camera: the controller starts and enumerates every
// family at once, and the EOS cameras must not wait for this one.
void TPRSDK::StartSDK() {}

void TPRSDK::OpenCameraEnumeration(std::vector<std::string>& /*nameList*/) {
  PRDeviceList().clear();
}

void TPRSDK::CloseCameraEnumeration() {}

void TPRSDK::Connect(PREventHandlerFn /*handler*/, std::int32_t cameraNumber,
                     std::int32_t /*instanceIndex*/, ConnectInfoType& /*info*/) {
  CheckConnectCameraNumber(cameraNumber, PRDeviceList().size(), "PowerShot",
                           "There seems to be no connected PowerShot cameras (newer than S80) "
                           "connected. Have you called the EnumerateCameras function before "
                           "calling Connect?");
  RaiseNotAvailableYet("Connect");
}

void TPRSDK::Disconnect() {
  RaiseNotAvailableYet("Disconnect");
}

void TPRSDK::SetTimeInCamera(TDateTime /*dateTime*/) {
  RaiseNotAvailableYet("SetTimeInCamera");
}

void TPRSDK::SetOwnerName(const std::string& name) {
  CheckOwnerNameLength(name);
  RaiseNotAvailableYet("SetOwnerName");
}

std::uint32_t TPRSDK::GetBodyID() {
  RaiseNotAvailableYet("GetBodyID");
}

void TPRSDK::FormatCameraCard() {
  RaiseNotSupported("FormatCameraCard");
}

bool TPRSDK::RemoteSupported() {
  RaiseNotAvailableYet("RemoteSupported");
}

void TPRSDK::KeepCameraAwake() {
  RaiseNotAvailableYet("KeepCameraAwake");
}

void TPRSDK::RemoteStart(ReleaseModeType /*mode*/, ReleaseDataKindType /*kind*/, bool /*probe*/,
                         const std::string& /*cacheDirectory*/, ReleaseEventHandlerFn /*handler*/,
                         std::int32_t /*instanceIndex*/, RemoteStartInfoType& /*info*/) {
  RaiseNotAvailableYet("RemoteStart");
}

void TPRSDK::RemoteEnd() {
  RaiseNotAvailableYet("RemoteEnd");
}

std::int32_t TPRSDK::RemoteGetNumberOfAvailableShots() {
  RaiseNotAvailableYet("RemoteGetNumberOfAvailableShots");
}

void TPRSDK::RemoteTakePicture(TakePictureProgressHandlerFn /*handler*/,
                               std::int32_t /*instanceIndex*/) {
  RaiseNotAvailableYet("RemoteTakePicture");
}

void TPRSDK::RemoteGetPicture(const PREventRecord& /*releasedItem*/,
                              PRPictureDataHandlerFn /*handler*/, std::int32_t /*instanceIndex*/) {
  RaiseNotAvailableYet("RemoteGetPicture");
}

void TPRSDK::RemoteGetRemoteParams(RemoteParamsType& /*params*/) {
  RaiseNotAvailableYet("RemoteGetRemoteParams");
}

void TPRSDK::RemoteSetRemoteParams(RemoteParamsType /*params*/) {
  RaiseNotAvailableYet("RemoteSetRemoteParams");
}

void TPRSDK::RemoteGetZoomPos(ZoomPosType& /*zoom*/) {
  RaiseNotAvailableYet("RemoteGetZoomPos");
}

void TPRSDK::RemoteSetZoomPos(std::int32_t /*position*/) {
  RaiseNotAvailableYet("RemoteSetZoomPos");
}

void TPRSDK::RemoteAFLock(bool /*lock*/) {
  RaiseNotAvailableYet("RemoteAFLock");
}

void TPRSDK::RemoteStartViewfinder(PRViewfinderHandlerFn /*handler*/,
                                   std::int32_t /*instanceIndex*/) {
  RaiseNotAvailableYet("RemoteStartViewfinder");
}

void TPRSDK::RemoteStopViewfinder() {
  RaiseNotAvailableYet("RemoteStopViewfinder");
}

void TPRSDK::RemoteSetViewfinderOutput(std::int32_t /*output*/) {
  RaiseNotAvailableYet("RemoteSetViewfinderOutput");
}

void TPRSDK::RemoteActivateViewfinderAuto() {
  RaiseNotAvailableYet("RemoteActivateViewfinderAuto");
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
