#pragma once
// The demo's session with an older PowerShot (CD) camera: connect, remote
// mode with the parameter probe and its progress, a look at the shooting
// parameters and one change, shooting, fetching, disconnecting.

#include "tools/ToolHost.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vostrel::tools {

// Runs the session with the first CD camera, with the SDKs started and no
// camera connected; a PC without a CD camera says so and skips it. Pictures
// go to `folder`. Returns the files written.
std::vector<std::string> RunCDDemoSession(ToolHost& host, const std::string& folder,
                                          std::int32_t count);

} // namespace vostrel::tools
