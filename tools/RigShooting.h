#pragma once
// shoot --all: every attached camera fired at the same moment, as a rig of
// cameras needs, and each camera's pictures fetched into a folder of its own,
// every camera's at the same time as the others'.

#include "tools/CameraChoice.h"
#include "tools/ToolHost.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace vostrel::tools {

struct RigShootOptions {
  std::int32_t Count = 1;
  std::string Folder = ".";
  TxReleaseModeType Mode = ReleaseModeOnlyToPC;
  std::string Prefix = "shot";
};

// What one camera of the rig delivered.
struct RigCameraPictures {
  CameraChoice Camera;
  std::string Folder; // <out>/eos-0, <out>/powershot-1, ...
  std::vector<std::string> Files;
  // Why the camera stopped fetching (it released no more after that);
  // empty when every picture came.
  std::string Error;
};

// Connects every camera the host's control enumerates, each through a
// control of its own, releases them all together Count times and after each
// release fetches every camera's pictures into its folder, a thread per
// camera, with a progress line per camera. A camera whose fetch fails keeps
// what it fetched, its Error says why, and the others go on without it. A
// camera that fails to release stops the command with its message once the
// others have released.
std::vector<RigCameraPictures> ShootAll(ToolHost& host, const RigShootOptions& options,
                                        std::ostream& messages);

// Raises ToolError naming every camera that did not deliver all its
// pictures, with its message; returns when none failed.
void RequireEveryCamera(const std::vector<RigCameraPictures>& rig);

} // namespace vostrel::tools
