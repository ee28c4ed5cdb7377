#include "tools/LiveView.h"

#include "tools/Commands.h"
#include "tools/ToolError.h"

#include <cstdio>
#include <iostream>

namespace vostrel::tools {

void RequireLiveFunction(TVostrelActiveX& control, LiveFunction function) {
  const std::string model = control.Connect_CameraModelName();
  switch (function) {
  case LiveFunction::Viewfinder:
    if (!control.RemoteStart_DoSupportViewfinder()) {
      throw ToolError(model + " has no live viewfinder that the PC can show");
    }
    return;
  case LiveFunction::Zoom:
    if (!control.RemoteStart_DoSupportZoom()) {
      throw ToolError(model + " has no zoom that the PC can drive");
    }
    return;
  case LiveFunction::FocusLock:
    if (!control.RemoteStart_DoSupportAfLockUnlock()) {
      throw ToolError(model + " cannot lock its focus from the PC");
    }
    return;
  }
}

ViewfinderResult CaptureViewfinder(ToolHost& host, const std::string& folder,
                                   const ViewfinderRun& run) {
  const platform::Milliseconds start = platform::clock().now();
  ViewfinderResult result;
  if (run.Duration) {
    result.Frames = host.CaptureFramesFor(folder, *run.Duration);
  } else {
    host.CaptureFrames(folder, run.Frames);
    result.Frames = run.Frames;
  }
  result.Elapsed = platform::clock().now() - start;
  if (result.Elapsed.count() > 0) {
    result.FramesPerSecond =
        static_cast<double>(result.Frames) * 1000.0 / static_cast<double>(result.Elapsed.count());
  }
  return result;
}

std::string DescribeViewfinderResult(const ViewfinderResult& result) {
  char text[96];
  std::snprintf(text, sizeof text, "%lld frames in %.2f s (%.1f frames/s)",
                static_cast<long long>(result.Frames),
                static_cast<double>(result.Elapsed.count()) / 1000.0, result.FramesPerSecond);
  return text;
}

std::string DescribeZoom(TVostrelActiveX& control) {
  const std::int32_t current = control.RemoteGetZoomPos_CurrentZoomPos();
  const std::int32_t optical = control.RemoteGetZoomPos_MaxOpticalZoomPos();
  const std::int32_t maximum = control.RemoteGetZoomPos_MaxZoomPos();
  std::string text =
      "zoom position " + std::to_string(current) + " of 0 to " + std::to_string(maximum);
  text += optical < maximum ? " (optical up to " + std::to_string(optical) + ", digital beyond)"
                            : " (all optical)";
  return text;
}

void SetZoom(TVostrelActiveX& control, std::int32_t position) {
  const std::int32_t maximum = control.RemoteGetZoomPos_MaxZoomPos();
  if (position < 0 || position > maximum) {
    throw ToolError("Zoom position " + std::to_string(position) +
                    " is outside the camera's range of 0 to " + std::to_string(maximum));
  }
  control.RemoteSetZoomPos(position);
}

std::int64_t TourLiveFunctions(ToolHost& host, CameraSession& session,
                               const std::string& framesFolder) {
  TVostrelActiveX& control = host.Control();
  if (control.RemoteStart_DoSupportZoom()) {
    std::cout << "  " << DescribeZoom(control) << '\n';
    SetZoom(control, control.RemoteGetZoomPos_MaxOpticalZoomPos());
    std::cout << "  zoomed in: " << DescribeZoom(control) << '\n';
  } else {
    std::cout << "  no zoom to drive\n";
  }
  if (control.RemoteStart_DoSupportViewfinder()) {
    CreateOutputFolder(framesFolder);
    session.StartViewfinder();
    const ViewfinderResult result = CaptureViewfinder(host, framesFolder, ViewfinderRun{15, {}});
    session.StopViewfinder();
    std::cout << "  viewfinder: " << DescribeViewfinderResult(result) << " saved in "
              << framesFolder << '\n';
    return result.Frames;
  }
  std::cout << "  no live viewfinder\n";
  return 0;
}

} // namespace vostrel::tools
