#pragma once
// The live functions of a camera under remote control, as the commands and
// the demo use them: the viewfinder with a frame-rate readout, the zoom, the
// focus lock. Each checks first that the camera offers the function and
// otherwise says so in plain words.

#include "tools/CameraSession.h"
#include "tools/ToolHost.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace vostrel::tools {

// What the camera under remote control can do live.
enum class LiveFunction { Viewfinder, Zoom, FocusLock };

// Raises ToolError naming the connected camera and the function it lacks.
void RequireLiveFunction(TVostrelActiveX& control, LiveFunction function);

// How long to let the viewfinder run: a number of frames or a duration.
struct ViewfinderRun {
  std::int64_t Frames = 10;
  std::optional<platform::Milliseconds> Duration;
};

// The frames a run saved and the rate at which they came.
struct ViewfinderResult {
  std::int64_t Frames = 0;
  platform::Milliseconds Elapsed{0};
  double FramesPerSecond = 0;
};

// Saves viewfinder frames into the folder as frame-001.jpg, ... The
// viewfinder must be running.
ViewfinderResult CaptureViewfinder(ToolHost& host, const std::string& folder,
                                   const ViewfinderRun& run);

// "12 frames in 0.40 s (30.0 frames/s)".
std::string DescribeViewfinderResult(const ViewfinderResult& result);

// "zoom 5 of 0 to 20 (optical up to 7)".
std::string DescribeZoom(TVostrelActiveX& control);

// Moves the zoom; raises ToolError for a position outside the camera's range.
void SetZoom(TVostrelActiveX& control, std::int32_t position);

// The demo's look at the live functions of a camera under remote control,
// each where the camera offers it: the zoom moved to the end of the optical
// zoom, and a short run of the viewfinder saved into the folder. Returns the
// number of frames saved (0 without a viewfinder).
std::int64_t TourLiveFunctions(ToolHost& host, CameraSession& session,
                               const std::string& framesFolder);

} // namespace vostrel::tools
