// The live functions of the simulated PR cameras under release control: the
// viewfinder, which streams JPEG frames of a moving test pattern to the
// host's callback from a thread of its own, the automatic exposure, focus
// and white balance it runs on demand, and the focus lock.

#include "sim/prsdk/PrSimulator.h"

#include <algorithm>

namespace vostrel::sim::pr {

namespace {

bool lists(const Camera& camera, prUInt16 operation) {
  return std::find(camera.operations.begin(), camera.operations.end(), operation) !=
         camera.operations.end();
}

} // namespace

void PrSimulator::leaveReleaseControl(CameraObject& object) {
  stopViewfinder(object);
  object.releaseControl = false;
  object.focusLocked = false;
}

void PrSimulator::stopViewfinder(CameraObject& object) {
  stoppedStreams_.stop(object.viewfinder, object.camera);
}

void PrSimulator::joinStoppedStreams() noexcept {
  stoppedStreams_.join(mutex());
}

void PrSimulator::startViewfinder(prHandle handle, prContext context, prViewFinderCB callback) {
  CameraObject& object = underReleaseControl(handle);
  if (!lists(*object.camera, prOpInitiateViewfinder)) {
    fail(prNotSupported);
  }
  if (callback == nullptr) {
    fail(prInvalidParameter);
  }
  if (object.viewfinder) {
    fail(prInvalidFunctionCall);
  }
  object.viewfinder = std::make_unique<ViewfinderStream>(
      object.camera->viewfinder,
      [callback, handle, context](const Bytes& frame, std::uint32_t /*number*/) {
        callback(handle, context, static_cast<prUInt32>(frame.size()), frame.data());
      });
}

void PrSimulator::terminateViewfinder(prHandle handle) {
  CameraObject& object = underReleaseControl(handle);
  if (!object.viewfinder) {
    fail(prInvalidFunctionCall);
  }
  stopViewfinder(object);
}

void PrSimulator::doAeAfAwb(prHandle handle, prUInt32 selector) {
  const CameraObject& object = underReleaseControl(handle);
  constexpr prUInt32 AllSelectors = prAutoExposure | prAutoFocus | prAutoWhiteBalance;
  if (selector == 0 || (selector & ~AllSelectors) != 0) {
    fail(prInvalidParameter);
  }
  // The camera measures on the viewfinder's picture.
  if (!object.viewfinder) {
    fail(prInvalidFunctionCall);
  }
}

void PrSimulator::focusLock(prHandle handle, bool lock) {
  CameraObject& object = underReleaseControl(handle);
  if (!lists(*object.camera, prOpFocusLock)) {
    fail(prNotSupported);
  }
  object.focusLocked = lock;
}

} // namespace vostrel::sim::pr
