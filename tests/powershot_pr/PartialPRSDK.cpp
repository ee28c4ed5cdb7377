// A stand-in for PRSDK.DLL that exports the first ten entry points and then
// skips PR_GetDeviceInfo; PR_GetDevicePropValue is exported again after the
// gap. Every function succeeds. The device list holds one camera.

#include "powershot_pr/PRTYPE.h"

#if defined(_WIN32)
#define PARTIAL_EXPORT extern "C" __declspec(dllexport)
#else
#define PARTIAL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace vostrel;

PARTIAL_EXPORT prResponse PRAPI PR_StartSDK() {
  return prOK;
}
PARTIAL_EXPORT prResponse PRAPI PR_FinishSDK() {
  return prOK;
}
PARTIAL_EXPORT prResponse PRAPI PR_GetDllsVersion(prUInt32*, void*) {
  return prOK;
}

PARTIAL_EXPORT prResponse PRAPI PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* list) {
  list->NumList = 1;
  list->DeviceInfo[0] = prDeviceInfo{};
  const char16_t name[] = u"PowerShot Partial";
  for (std::size_t i = 0; i < sizeof name / sizeof name[0]; ++i) {
    list->DeviceInfo[0].ModelName[i] = name[i];
  }
  *bufferSize = sizeof(prUInt32) + sizeof(prDeviceInfo);
  return prOK;
}

PARTIAL_EXPORT prResponse PRAPI PR_CreateCameraObject(const prDeviceInfo*, prHandle* camera) {
  *camera = 1;
  return prOK;
}
PARTIAL_EXPORT prResponse PRAPI PR_DestroyCameraObject(prHandle) {
  return prOK;
}
PARTIAL_EXPORT prResponse PRAPI PR_ConnectCamera(prHandle) {
  return prOK;
}
PARTIAL_EXPORT prResponse PRAPI PR_DisconnectCamera(prHandle) {
  return prOK;
}
PARTIAL_EXPORT prResponse PRAPI PR_SetEventCallBack(prHandle, prContext, prSetEventCB) {
  return prOK;
}
PARTIAL_EXPORT prResponse PRAPI PR_ClearEventCallBack(prHandle) {
  return prOK;
}

// PR_GetDeviceInfo is missing.

PARTIAL_EXPORT prResponse PRAPI PR_GetDevicePropValue(prHandle, prUInt16, prUInt32*, void*) {
  return prOK;
}
