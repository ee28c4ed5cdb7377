// A stand-in for EDSDK.DLL that exports the first twelve entry points and
// then skips EdsGetDeviceInfo; EdsOpenSession and EdsCloseSession are
// exported again after the gap. Every function succeeds. The camera list
// holds one camera. EdsGetPropertySize reports the data type and size that
// the test stores in the two exported variables.

#include "eos/EDSDKTYPES.h"

#if defined(_WIN32)
#define PARTIAL_DATA __declspec(dllexport)
#else
#define PARTIAL_DATA __attribute__((visibility("default")))
#endif
#define PARTIAL_EXPORT extern "C" PARTIAL_DATA

namespace {
int CameraList;
int Camera;
} // namespace

extern "C" {
PARTIAL_DATA EdsUInt32 PartialEDSDK_DataType = 0;
PARTIAL_DATA EdsUInt32 PartialEDSDK_Size = 0;
}

PARTIAL_EXPORT EdsError EDSAPI EdsInitializeSDK() {
  return EdsErrOK;
}
PARTIAL_EXPORT EdsError EDSAPI EdsTerminateSDK() {
  return EdsErrOK;
}
PARTIAL_EXPORT EdsError EDSAPI EdsRetain(EdsBaseRef) {
  return EdsErrOK;
}
PARTIAL_EXPORT EdsError EDSAPI EdsRelease(EdsBaseRef) {
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsGetChildCount(EdsBaseRef, EdsUInt32* outCount) {
  *outCount = 1;
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsGetChildAtIndex(EdsBaseRef, EdsInt32, EdsBaseRef* outChild) {
  *outChild = &Camera;
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsGetParent(EdsBaseRef, EdsBaseRef*) {
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsGetPropertySize(EdsBaseRef, EdsUInt32, EdsInt32,
                                                  EdsUInt32* outDataType, EdsUInt32* outSize) {
  *outDataType = PartialEDSDK_DataType;
  *outSize = PartialEDSDK_Size;
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsGetPropertyData(EdsBaseRef, EdsUInt32, EdsInt32, EdsUInt32,
                                                  void*) {
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsSetPropertyData(EdsBaseRef, EdsUInt32, EdsInt32, EdsUInt32,
                                                  const void*) {
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsGetPropertyDesc(EdsBaseRef, EdsUInt32, PropertyDescType*) {
  return EdsErrOK;
}

PARTIAL_EXPORT EdsError EDSAPI EdsGetCameraList(EdsCameraListRef* outCameraList) {
  *outCameraList = &CameraList;
  return EdsErrOK;
}

// EdsGetDeviceInfo is missing.

PARTIAL_EXPORT EdsError EDSAPI EdsOpenSession(EdsCameraRef) {
  return EdsErrOK;
}
PARTIAL_EXPORT EdsError EDSAPI EdsCloseSession(EdsCameraRef) {
  return EdsErrOK;
}
