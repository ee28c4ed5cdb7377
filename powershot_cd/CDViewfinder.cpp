// TCDSDK under release control: the electronic viewfinder, whose frames the
// SDK hands to the controller's handler, its output and automatic functions,
// the zoom and the focus lock.

#include "powershot_cd/CDSDKApi.h"

#include "powershot_cd/CDAPI.h"

#include <type_traits>

namespace vostrel {

// The controller's handler is handed to the SDK as it is.
static_assert(std::is_same_v<CDViewfinderHandlerFn, cdViewfinderCallbackFunction>);

namespace {

using namespace cdapi;

// Frames in the camera's own format.
constexpr cdUInt32 ViewfinderFormat = 0;

} // namespace

void TCDSDK::RemoteStartViewfinder(CDViewfinderHandlerFn handler, std::int32_t instanceIndex) {
  // A viewfinder the camera did not confirm to have stopped would refuse the
  // start: it is stopped first, whatever the camera answers.
  Viewfinder.EndIfLeftRunning(
      [this] { return CDTermViewfinder.bound() && CDTermViewfinder(SourceHandle) == cdOK; });
  CDStartViewfinder.checked(SourceHandle, ViewfinderFormat, handler,
                            static_cast<cdContext>(instanceIndex));
}

// The controller's viewfinder is off whatever the camera answers.
void TCDSDK::RemoteStopViewfinder() {
  Viewfinder.End([this] { CDTermViewfinder.checked(SourceHandle); });
}

// An output that is none of the three is not sent.
void TCDSDK::RemoteSetViewfinderOutput(std::int32_t output) {
  cdUInt32 code = 0;
  switch (output) {
  case RemoteViewFinderOutputLCD:
    code = cdViewfinderOutputLCD;
    break;
  case RemoteViewFinderOutputVideo:
    code = cdViewfinderOutputVideo;
    break;
  case RemoteViewFinderOutputOff:
    code = cdViewfinderOutputOff;
    break;
  default:
    return;
  }
  CDSelectViewFinderCameraOutput.checked(SourceHandle, code);
}

void TCDSDK::RemoteActivateViewfinderAuto() {
  CDActViewfinderAutoFunctions.checked(SourceHandle, cdViewfinderAutoExposure |
                                                         cdViewfinderAutoFocus |
                                                         cdViewfinderAutoWhiteBalance);
}

// The record is filled only once both reads succeeded.
void TCDSDK::RemoteGetZoomPos(ZoomPosType& zoom) {
  cdUInt32 maximum = 0;
  cdUInt32 maximumOptical = 0;
  CDGetMaximumZoomPos.checked(SourceHandle, &maximum, &maximumOptical);
  cdUInt32 position = 0;
  CDGetZoomPos.checked(SourceHandle, &position);
  zoom.CurrentZoomPos = static_cast<std::int32_t>(position);
  zoom.MaxOpticalZoomPos = static_cast<std::int32_t>(maximumOptical);
  zoom.MaxZoomPos = static_cast<std::int32_t>(maximum);
}

// The camera decides which positions it takes.
void TCDSDK::RemoteSetZoomPos(std::int32_t position) {
  CDSetZoomPos.checked(SourceHandle, static_cast<cdUInt32>(position));
}

// The same call locks (1) and unlocks (0).
void TCDSDK::RemoteAFLock(bool lock) {
  CDAFLock.checked(SourceHandle, cdUInt32{lock ? 1u : 0u});
}

} // namespace vostrel
