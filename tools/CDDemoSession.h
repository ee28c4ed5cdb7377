#pragma once
// The demo's session with an older PowerShot (CD) camera: connect, remote
// mode with the parameter probe and its progress, a look at the shooting
// parameters and one change, the zoom and a short viewfinder run, shooting,
// fetching, the card listed with its thumbnails, disconnecting.

#include "tools/ToolHost.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vostrel::tools {

// The folder, inside the demo's folder, of the CD session's viewfinder frames.
inline constexpr const char* CDViewfinderFolder = "cd-viewfinder";

// What the session left behind: the pictures fetched, the viewfinder frames
// saved in <folder>/cd-viewfinder and the thumbnails saved in
// <folder>/cd-thumbnails.
struct CDDemoResult {
  std::vector<std::string> Pictures;
  std::int64_t ViewfinderFrames = 0;
  std::size_t Thumbnails = 0;
};

// Runs the session with the first CD camera, with the SDKs started and no
// camera connected; a PC without a CD camera says so and skips it. Files go
// to `folder`.
CDDemoResult RunCDDemoSession(ToolHost& host, const std::string& folder, std::int32_t count);

} // namespace vostrel::tools
