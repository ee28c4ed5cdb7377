#pragma once
// The simulated PRSDK.DLL: the state behind its entry points. Every
// operation runs with the lock taken by a Call and raises SdkFailure (fail)
// for a PR response code.

#include "powershot_pr/PRTYPE.h"
#include "sim/prsdk/PrFamily.h"
#include "sim/world/SdkCall.h"
#include "sim/world/Simulator.h"
#include "sim/world/StoppedStreams.h"
#include "sim/world/ViewfinderStream.h"

#include <map>
#include <memory>
#include <vector>

namespace vostrel::sim::pr {

// PR response codes the simulated cameras give.
inline constexpr prResponse prInternalError = 0x00000002;
inline constexpr prResponse prMemoryAllocationFailed = 0x00000003;
inline constexpr prResponse prNotSupported = 0x00000007;
inline constexpr prResponse prInvalidParameter = 0x00000021;
inline constexpr prResponse prInvalidHandle = 0x00000022;
inline constexpr prResponse prInvalidFunctionCall = 0x00000061;
inline constexpr prResponse prInsufficientBuffer = 0x00000063;
inline constexpr prResponse prEventCallbackExists = 0x00000064;
inline constexpr prResponse prGeneralError = 0x00002002; // the camera is gone
inline constexpr prResponse prSessionNotOpen = 0x00002003;
inline constexpr prResponse prDevicePropNotSupported = 0x0000200A;
inline constexpr prResponse prAccessDenied = 0x0000200F;
inline constexpr prResponse prInvalidDevicePropFormat = 0x0000201B;
inline constexpr prResponse prInvalidDevicePropValue = 0x0000201C;
inline constexpr prResponse prSessionAlreadyOpen = 0x0000201E;

// The PR event codes the simulator raises itself.
inline constexpr prUInt16 prEventConnectionLost = 0xD001;
inline constexpr prUInt16 prEventReleaseComplete = 0xC008;

[[noreturn]] inline void fail(prResponse code) {
  throw SdkFailure(code);
}

class PrSimulator;

class Call : public SdkCall {
public:
  Call(PrSimulator& simulator, const char* name);
  PrSimulator& simulator() { return simulator_; }

private:
  PrSimulator& simulator_;
};

class PrSimulator final : public Simulator {
public:
  static PrSimulator& instance();

  PrSimulator();

  // Control interface.
  void raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                  std::uint32_t argument, std::uint32_t parameter) override;
  void detachCamera(std::int32_t camera) override;
  // The camera objects the host has created.
  std::size_t liveReferences() override;

  bool started() const { return started_; }
  // A camera handle as the call log shows it ("camera#3", "invalid#7").
  std::string describe(prHandle handle) const;

  // The SDK and its device list.
  void startSdk();
  void finishSdk();
  void deviceList(Call& call, prUInt32* bufferSize, prDeviceList* list);

  // Camera objects, connections and events.
  prHandle createCameraObject(const prDeviceInfo* device);
  void destroyCameraObject(prHandle handle);
  void connect(prHandle handle);
  void disconnect(prHandle handle);
  void setEventCallback(prHandle handle, prContext context, prSetEventCB callback);
  void clearEventCallback(prHandle handle);

  // Device information and properties.
  void deviceInfo(prHandle handle, prUInt32* bufferSize, void* buffer);
  void getProperty(Call& call, prHandle handle, prUInt16 code, prUInt32* bufferSize, void* buffer);
  void setProperty(prHandle handle, prUInt16 code, prUInt32 size, const void* value);
  void propertyDescription(prHandle handle, prUInt16 code, prUInt32* bufferSize, void* buffer);

  // Release control (PrRelease.cpp).
  void initiateReleaseControl(prHandle handle);
  void terminateReleaseControl(prHandle handle);
  void release(Call& call, prHandle handle);
  void releasedData(Call& call, prHandle handle, prObjectHandle object, prUInt32 blockSize,
                    prContext context, prGetFileDataCB callback);
  void availableShots(prHandle handle, prUInt32* count);

  // Viewfinder and focus (PrViewfinder.cpp). The frames go from a stream of
  // their own to the callback, without the lock.
  void startViewfinder(prHandle handle, prContext context, prViewFinderCB callback);
  // Stops the stream; it is joined by joinStoppedStreams.
  void terminateViewfinder(prHandle handle);
  void doAeAfAwb(prHandle handle, prUInt32 selector);
  void focusLock(prHandle handle, bool lock);
  // Waits for the streams stopped so far, apart from the calling thread's
  // own, and counts their frames. Call without the lock.
  void joinStoppedStreams() noexcept;

private:
  struct CameraObject {
    std::shared_ptr<Camera> camera;
    bool connected = false;
    prSetEventCB callback = nullptr;
    prContext context = 0;
    bool releaseControl = false;
    std::unique_ptr<ViewfinderStream> viewfinder;
    bool focusLocked = false;
  };
  // Released data waiting for PR_RC_GetReleasedData: the picture or its
  // thumbnail, fetched once.
  struct Released {
    std::shared_ptr<Entry> picture;
    bool thumbnailOnly = false;
  };

  void worldReplaced() override;
  // Stops the object's viewfinder, if it runs, and its release control.
  void leaveReleaseControl(CameraObject& object);
  void stopViewfinder(CameraObject& object);
  CameraObject& require(prHandle handle);
  // The object of a handle whose camera is still attached.
  CameraObject& attached(prHandle handle);
  // ... and connected.
  CameraObject& connected(prHandle handle);
  // ... and under release control.
  CameraObject& underReleaseControl(prHandle handle);
  // A camera event for every connected object of the camera with a handler;
  // posted by the caller once the lock is released.
  std::vector<PendingCallback> cameraEvent(const Camera& camera, prUInt16 code, prUInt32 object,
                                           prUInt32 parameter) const;
  void post(std::vector<PendingCallback> callbacks);
  Bytes propertyValue(const Camera& camera, prUInt16 code) const;

  bool started_ = false;
  // Device-list entries name the world they were made in.
  std::uint32_t generation_ = 1;
  prHandle nextHandle_ = 1;
  std::map<prHandle, CameraObject> objects_;
  prObjectHandle nextObject_ = 1;
  std::map<prObjectHandle, Released> released_;
  StoppedStreams stoppedStreams_;
};

} // namespace vostrel::sim::pr
