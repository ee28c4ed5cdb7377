// The 25 entry points of the simulated PRSDK.DLL. Each one logs its call,
// honours an injected failure, and turns every C++ exception into a PR
// response code: nothing thrown crosses into the host.

#include "sim/SimControl.h"
#include "sim/prsdk/PrSimulator.h"

#include <string>

namespace vostrel::sim::pr {

// Every definition below must match these declarations from the SDK's
// entry-point table.
#define VOSTREL_SIM_DECLARE_ENTRY_POINT(number, name, result, parameters)                          \
  extern "C" VOSTREL_SIM_API result PRAPI name parameters;
PRSDK_ENTRY_POINTS(VOSTREL_SIM_DECLARE_ENTRY_POINT)
#undef VOSTREL_SIM_DECLARE_ENTRY_POINT

namespace {

enum class Needs { Nothing, Sdk };

constexpr EntryCodes Codes{prInvalidFunctionCall, prMemoryAllocationFailed, prInternalError};

// Runs one call: `arguments` adds the logged arguments, `body` does the work
// and raises SdkFailure (fail) for a PR response code.
template <typename Arguments, typename Body>
prResponse entry(const char* name, Needs needs, Arguments arguments, Body body) noexcept {
  return runEntry<Call>(PrSimulator::instance(), name, needs == Needs::Sdk, Codes, arguments, body);
}

// The entry points that take only a camera handle.
template <typename Body>
prResponse onCamera(const char* name, prHandle camera, Body body) noexcept {
  return entry(
      name, Needs::Sdk, [&](Call& call) { call.argument(call.simulator().describe(camera)); },
      [&](Call& call) { body(call.simulator()); });
}

// An entry point that the simulated cameras do not offer yet.
prResponse notSimulated(const char* name, prHandle camera) noexcept {
  return onCamera(name, camera, [](PrSimulator&) { fail(prNotSupported); });
}

std::string sizeArgument(const prUInt32* size) {
  return size == nullptr ? "null" : std::to_string(*size);
}

} // namespace

extern "C" {

prResponse PRAPI PR_StartSDK(void) {
  return entry(
      "PR_StartSDK", Needs::Nothing, [](Call&) {}, [](Call& call) { call.simulator().startSdk(); });
}

prResponse PRAPI PR_FinishSDK(void) {
  // Callbacks already raised reach the host before the SDK ends.
  PrSimulator& simulator = PrSimulator::instance();
  simulator.waitIdle();
  const prResponse result = entry(
      "PR_FinishSDK", Needs::Nothing, [](Call&) {},
      [](Call& call) { call.simulator().finishSdk(); });
  simulator.joinStoppedStreams();
  simulator.events().stop();
  return result;
}

prResponse PRAPI PR_GetDllsVersion(prUInt32* bufferSize, void* /*versionInfo*/) {
  return entry(
      "PR_GetDllsVersion", Needs::Sdk, [&](Call& call) { call.argument(sizeArgument(bufferSize)); },
      [](Call&) { fail(prNotSupported); });
}

prResponse PRAPI PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* deviceList) {
  return entry(
      "PR_GetDeviceList", Needs::Sdk, [&](Call& call) { call.argument(sizeArgument(bufferSize)); },
      [&](Call& call) { call.simulator().deviceList(call, bufferSize, deviceList); });
}

prResponse PRAPI PR_CreateCameraObject(const prDeviceInfo* device, prHandle* camera) {
  return entry(
      "PR_CreateCameraObject", Needs::Sdk,
      [&](Call& call) { call.argument(device == nullptr ? "null" : "device"); },
      [&](Call& call) {
        if (camera == nullptr) {
          fail(prInvalidParameter);
        }
        *camera = call.simulator().createCameraObject(device);
        call.out(call.simulator().describe(*camera));
      });
}

prResponse PRAPI PR_DestroyCameraObject(prHandle camera) {
  const prResponse result = onCamera("PR_DestroyCameraObject", camera, [&](PrSimulator& simulator) {
    simulator.destroyCameraObject(camera);
  });
  PrSimulator::instance().joinStoppedStreams();
  return result;
}

prResponse PRAPI PR_ConnectCamera(prHandle camera) {
  return onCamera("PR_ConnectCamera", camera,
                  [&](PrSimulator& simulator) { simulator.connect(camera); });
}

prResponse PRAPI PR_DisconnectCamera(prHandle camera) {
  const prResponse result = onCamera("PR_DisconnectCamera", camera,
                                     [&](PrSimulator& simulator) { simulator.disconnect(camera); });
  PrSimulator::instance().joinStoppedStreams();
  return result;
}

prResponse PRAPI PR_SetEventCallBack(prHandle camera, prContext context, prSetEventCB callback) {
  return entry(
      "PR_SetEventCallBack", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument(std::to_string(context));
        call.argument(handlerArgument(callback != nullptr));
      },
      [&](Call& call) { call.simulator().setEventCallback(camera, context, callback); });
}

prResponse PRAPI PR_ClearEventCallBack(prHandle camera) {
  return onCamera("PR_ClearEventCallBack", camera,
                  [&](PrSimulator& simulator) { simulator.clearEventCallback(camera); });
}

prResponse PRAPI PR_GetDeviceInfo(prHandle camera, prUInt32* bufferSize, void* deviceInfo) {
  return entry(
      "PR_GetDeviceInfo", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument(sizeArgument(bufferSize));
      },
      [&](Call& call) {
        call.simulator().deviceInfo(camera, bufferSize, deviceInfo);
        call.out(std::to_string(*bufferSize));
      });
}

prResponse PRAPI PR_InitiateReleaseControl(prHandle camera) {
  return onCamera("PR_InitiateReleaseControl", camera,
                  [&](PrSimulator& simulator) { simulator.initiateReleaseControl(camera); });
}

prResponse PRAPI PR_TerminateReleaseControl(prHandle camera) {
  const prResponse result =
      onCamera("PR_TerminateReleaseControl", camera,
               [&](PrSimulator& simulator) { simulator.terminateReleaseControl(camera); });
  PrSimulator::instance().joinStoppedStreams();
  return result;
}

prResponse PRAPI PR_RC_Release(prHandle camera) {
  return entry(
      "PR_RC_Release", Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(camera)); },
      [&](Call& call) { call.simulator().release(call, camera); });
}

prResponse PRAPI PR_RC_GetReleasedData(prHandle camera, prObjectHandle object, prUInt16 eventCode,
                                       prUInt32 transferSize, prContext context,
                                       prGetFileDataCB callback) {
  return entry(
      "PR_RC_GetReleasedData", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument("object#" + std::to_string(object));
        call.argument(hexArgument(eventCode));
        call.argument(std::to_string(transferSize));
        call.argument(handlerArgument(callback != nullptr));
      },
      [&](Call& call) {
        call.simulator().releasedData(call, camera, object, transferSize, context, callback);
      });
}

prResponse PRAPI PR_RC_GetNumAvailableShot(prHandle camera, prUInt32* count) {
  return entry(
      "PR_RC_GetNumAvailableShot", Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(camera)); },
      [&](Call& call) {
        call.simulator().availableShots(camera, count);
        call.out(std::to_string(*count));
      });
}

prResponse PRAPI PR_RC_StartViewFinder(prHandle camera, prContext context,
                                       prViewFinderCB callback) {
  PrSimulator& simulator = PrSimulator::instance();
  // Streams stopped earlier end before a new one starts.
  simulator.joinStoppedStreams();
  return entry(
      "PR_RC_StartViewFinder", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument(std::to_string(context));
        call.argument(handlerArgument(callback != nullptr));
      },
      [&](Call& call) { call.simulator().startViewfinder(camera, context, callback); });
}

prResponse PRAPI PR_RC_TermViewFinder(prHandle camera) {
  const prResponse result = onCamera("PR_RC_TermViewFinder", camera, [&](PrSimulator& simulator) {
    simulator.terminateViewfinder(camera);
  });
  // No frame arrives once the call has returned, unless it was made from
  // within a frame's handler.
  PrSimulator::instance().joinStoppedStreams();
  return result;
}

prResponse PRAPI PR_RC_DoAeAfAwb(prHandle camera, prUInt32 selector) {
  return entry(
      "PR_RC_DoAeAfAwb", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument(std::to_string(selector));
      },
      [&](Call& call) { call.simulator().doAeAfAwb(camera, selector); });
}

prResponse PRAPI PR_RC_FocusLock(prHandle camera) {
  return onCamera("PR_RC_FocusLock", camera,
                  [&](PrSimulator& simulator) { simulator.focusLock(camera, true); });
}

prResponse PRAPI PR_RC_FocusUnlock(prHandle camera) {
  return onCamera("PR_RC_FocusUnlock", camera,
                  [&](PrSimulator& simulator) { simulator.focusLock(camera, false); });
}

prResponse PRAPI PR_GetDevicePropDesc(prHandle camera, prUInt16 property, prUInt32* bufferSize,
                                      void* desc) {
  return entry(
      "PR_GetDevicePropDesc", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument(hexArgument(property));
        call.argument(sizeArgument(bufferSize));
      },
      [&](Call& call) {
        call.simulator().propertyDescription(camera, property, bufferSize, desc);
        call.out(std::to_string(*bufferSize));
      });
}

prResponse PRAPI PR_GetDevicePropValue(prHandle camera, prUInt16 property, prUInt32* bufferSize,
                                       void* value) {
  return entry(
      "PR_GetDevicePropValue", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument(hexArgument(property));
        call.argument(sizeArgument(bufferSize));
      },
      [&](Call& call) { call.simulator().getProperty(call, camera, property, bufferSize, value); });
}

prResponse PRAPI PR_SetDevicePropValue(prHandle camera, prUInt16 property, prUInt32 size,
                                       const void* value) {
  return entry(
      "PR_SetDevicePropValue", Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(camera));
        call.argument(hexArgument(property));
        call.argument(std::to_string(size));
        call.argument(dataArgument(value, size));
      },
      [&](Call& call) { call.simulator().setProperty(camera, property, size, value); });
}

prResponse PRAPI PR_RC_GetChangedReleaseParamesList(prHandle camera, prUInt32* /*bufferSize*/,
                                                    void* /*list*/) {
  return notSimulated("PR_RC_GetChangedReleaseParamesList", camera);
}

} // extern "C"

} // namespace vostrel::sim::pr

namespace vostrel::sim {

Simulator& simulator() {
  return pr::PrSimulator::instance();
}

} // namespace vostrel::sim
