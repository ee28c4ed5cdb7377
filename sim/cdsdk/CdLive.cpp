// The live functions of the simulated CD cameras under release control: the
// viewfinder, which streams JPEG frames of a moving test pattern to the
// host's callback from a thread of its own, its output and the automatic
// exposure, focus and white balance it runs on demand, the zoom and the
// focus lock. A camera offers each of them when its capability word says so.

#include "sim/cdsdk/CdSimulator.h"

namespace vostrel::sim::cd {

namespace {

constexpr cdUInt32 AllAutoFunctions =
    cdViewfinderAutoExposure | cdViewfinderAutoFocus | cdViewfinderAutoWhiteBalance;

std::uint32_t valueOf(const Camera& camera, std::uint32_t id) {
  const Property* property = camera.property(id);
  return property != nullptr ? readU32(property->value, 0) : 0;
}

} // namespace

CdSimulator::Source& CdSimulator::capableSource(cdHandle handle, cdUInt32 capability) {
  Source& source = underReleaseControl(handle);
  if ((releaseControlFaculty(handle) & capability) == 0) {
    fail(cdNotSupported);
  }
  return source;
}

void CdSimulator::startViewfinder(cdHandle handle, cdUInt32 format,
                                  cdViewfinderCallbackFunction callback, cdContext context) {
  Source& source = capableSource(handle, cdReleaseControlCapViewfinder);
  if (callback == nullptr || format != 0) {
    fail(cdInvalidParameter);
  }
  if (source.viewfinder) {
    fail(cdInvalidFunctionCall);
  }
  source.viewfinder = std::make_unique<ViewfinderStream>(
      source.camera->viewfinder, [callback, context](const Bytes& frame, std::uint32_t /*number*/) {
        callback(frame.data(), static_cast<cdUInt32>(frame.size()), 0, context);
      });
}

void CdSimulator::terminateViewfinder(cdHandle handle) {
  Source& source = underReleaseControl(handle);
  if (!source.viewfinder) {
    fail(cdInvalidFunctionCall);
  }
  stoppedStreams_.stop(source.viewfinder, source.camera);
}

void CdSimulator::selectViewfinderOutput(cdHandle handle, cdUInt32 output) {
  Source& source = capableSource(handle, cdReleaseControlCapViewfinder);
  if (output < cdViewfinderOutputLCD || output > cdViewfinderOutputOff) {
    fail(cdInvalidParameter);
  }
  Property* property = source.camera->property(ViewfinderOutputId);
  if (property == nullptr) {
    fail(cdNotSupported);
  }
  property->value = u32Bytes(output);
}

// The camera measures on the viewfinder's picture.
void CdSimulator::viewfinderAutoFunctions(cdHandle handle, cdUInt32 functions) {
  const Source& source = capableSource(handle, cdReleaseControlCapViewfinder);
  if (functions == 0 || (functions & ~AllAutoFunctions) != 0) {
    fail(cdInvalidParameter);
  }
  if (!source.viewfinder) {
    fail(cdInvalidFunctionCall);
  }
}

void CdSimulator::maximumZoom(cdHandle handle, cdUInt32* maximum, cdUInt32* maximumOptical) {
  const Camera& camera = *capableSource(handle, cdReleaseControlCapZoom).camera;
  if (maximum == nullptr || maximumOptical == nullptr) {
    fail(cdInvalidPointer);
  }
  *maximum = valueOf(camera, MaximumZoomId);
  *maximumOptical = valueOf(camera, MaximumOpticalZoomId);
}

cdUInt32 CdSimulator::zoomPosition(cdHandle handle) {
  return valueOf(*capableSource(handle, cdReleaseControlCapZoom).camera, ZoomId);
}

// Positions from 0 to the camera's maximum.
void CdSimulator::setZoomPosition(cdHandle handle, cdUInt32 position) {
  Camera& camera = *capableSource(handle, cdReleaseControlCapZoom).camera;
  Property* zoom = camera.property(ZoomId);
  if (zoom == nullptr) {
    fail(cdNotSupported);
  }
  if (position > valueOf(camera, MaximumZoomId)) {
    fail(cdDeviceInvalidParameter);
  }
  zoom->value = u32Bytes(position);
}

void CdSimulator::focusLock(cdHandle handle, cdUInt32 lock) {
  Source& source = capableSource(handle, cdReleaseControlCapAFLock);
  if (lock > 1) {
    fail(cdInvalidParameter);
  }
  source.focusLocked = lock == 1;
}

} // namespace vostrel::sim::cd
