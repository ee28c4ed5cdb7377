// TPRSDK under release control: the electronic viewfinder, whose frames the
// SDK hands to the controller's handler, the zoom and the focus lock.

#include "powershot_pr/PRSDKApi.h"

#include "powershot_pr/PRAPI.h"
#include "powershot_pr/PRZoomDescription.h"

#include <algorithm>
#include <vector>

namespace vostrel {

namespace {

using namespace prapi;

// The buffer offered to PR_GetDevicePropDesc for the zoom description.
constexpr std::size_t ZoomDescriptionBufferSize = 1048576;

} // namespace

void TPRSDK::RemoteStartViewfinder(PRViewfinderHandlerFn handler, std::int32_t /*instanceIndex*/) {
  // A viewfinder the camera did not confirm to have stopped would refuse the
  // start: it is stopped first, whatever the camera answers.
  Viewfinder.EndIfLeftRunning([this] {
    return PR_RC_TermViewFinder.bound() && PR_RC_TermViewFinder(CameraHandle) == prOK;
  });
  PR_RC_StartViewFinder.checked(CameraHandle, static_cast<prContext>(InstanceIndex), handler);
}

// The controller's viewfinder is off whatever the camera answers.
void TPRSDK::RemoteStopViewfinder() {
  Viewfinder.End([this] {
    const prResponse result = PR_RC_TermViewFinder(CameraHandle);
    if (result != prOK) {
      // Reported under the name the hosts have always seen.
      CheckPRError(result, "PR_RC_TermViewfinder");
    }
  });
}

// The camera's answer is of no use: the host sees the output change or not.
void TPRSDK::RemoteSetViewfinderOutput(std::int32_t output) {
  std::uint8_t value = 0;
  switch (output) {
  case RemoteViewFinderOutputLCD:
    value = 1;
    break;
  case RemoteViewFinderOutputVideo:
    value = 2;
    break;
  case RemoteViewFinderOutputOff:
    value = 3;
    break;
  default:
    return;
  }
  static_cast<void>(
      PR_SetDevicePropValue(CameraHandle, prPropViewfinderOutput, prUInt32{sizeof value}, &value));
}

void TPRSDK::RemoteActivateViewfinderAuto() {
  for (const prUInt32 selector : {prAutoExposure, prAutoFocus, prAutoWhiteBalance}) {
    PR_RC_DoAeAfAwb.checked(CameraHandle, selector);
  }
}

void TPRSDK::RemoteGetZoomPos(ZoomPosType& zoom) {
  if (!Supports(CapZoom)) {
    return;
  }
  std::vector<std::uint8_t> buffer(ZoomDescriptionBufferSize);
  prUInt32 size = static_cast<prUInt32>(buffer.size());
  PR_GetDevicePropDesc.checked(CameraHandle, prPropZoomPosition, &size, buffer.data());
  const pr::PRZoomDescription description =
      pr::ReadZoomDescription(buffer.data(), std::min<std::size_t>(size, buffer.size()));

  zoom.CurrentZoomPos = description.Current;
  zoom.MaxZoomPos = description.Maximum;
  zoom.MaxOpticalZoomPos = description.Maximum;

  prUInt16 digitalZoomStart = 0;
  GetDevicePropValue(prPropDigitalZoomStart, &digitalZoomStart, sizeof digitalZoomStart);
  // Optical zoom ends one position before the digital zoom starts; a start
  // at 0 leaves the optical zoom at 0.
  if (digitalZoomStart != prNoDigitalZoom) {
    zoom.MaxOpticalZoomPos = std::max(std::int32_t{digitalZoomStart} - 1, 0);
  }
}

// Only the low 16 bits of the position travel: 65537 sends 1.
void TPRSDK::RemoteSetZoomPos(std::int32_t position) {
  if (!Supports(CapZoom)) {
    return;
  }
  const auto value = static_cast<prUInt16>(position);
  PR_SetDevicePropValue.checked(CameraHandle, prPropZoomPosition, prUInt32{sizeof value}, &value);
}

void TPRSDK::RemoteAFLock(bool lock) {
  if (lock) {
    PR_RC_FocusLock.checked(CameraHandle);
  } else {
    PR_RC_FocusUnlock.checked(CameraHandle);
  }
}

} // namespace vostrel
