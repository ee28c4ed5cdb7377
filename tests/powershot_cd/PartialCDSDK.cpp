// A stand-in for CDSDK.DLL that exports the first twelve entry points and
// then skips CDEnumDevicePropertyNext; CDGetDevicePropertyData is exported
// again after the gap. Every function succeeds. The enumeration finds one
// camera.

#include "powershot_cd/CDTYPE.h"

#include <cstring>

#if defined(_WIN32)
#define PARTIAL_EXPORT extern "C" __declspec(dllexport)
#else
#define PARTIAL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace vostrel;

PARTIAL_EXPORT cdError CDAPI CDStartSDK(cdVersionInfo*, cdUInt32) {
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDFinishSDK() {
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDGetSDKVersion(cdVersionInfo*) {
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDEnumDeviceReset(cdUInt32, cdHandle* enumeration) {
  *enumeration = 1;
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDEnumDeviceNext(cdHandle, cdSourceInfo* source) {
  *source = cdSourceInfo{};
  std::strcpy(source->ModelName, "PowerShot Partial");
  std::strcpy(source->Name, "PowerShot Partial");
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDGetDeviceCount(cdHandle, cdUInt32* count) {
  *count = 1;
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDEnumDeviceRelease(cdHandle) {
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDOpenSource(const cdSourceInfo*, cdHandle* source) {
  *source = 2;
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDCloseSource(cdHandle) {
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDRegisterEventCallbackFunction(cdHandle, cdEventCallbackFunction,
                                                             cdContext, cdHandle* registration) {
  *registration = 3;
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDUnregisterEventCallbackFunction(cdHandle, cdHandle) {
  return cdOK;
}
PARTIAL_EXPORT cdError CDAPI CDEnumDevicePropertyReset(cdHandle, cdUInt32, cdHandle* enumeration) {
  *enumeration = 4;
  return cdOK;
}
// CDEnumDevicePropertyNext is missing.
PARTIAL_EXPORT cdError CDAPI CDGetDevicePropertyData(cdHandle, cdUInt32, cdUInt32*, void*,
                                                     cdUInt32) {
  return cdOK;
}
