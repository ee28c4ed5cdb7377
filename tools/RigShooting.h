#pragma once
// shoot --all: every attached camera fired at the same moment, as a rig of
// cameras needs, and each camera's pictures fetched into a folder of its own.

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
};

// Connects every camera the host's control enumerates, each through a
// control of its own, releases them all together Count times and fetches
// each camera's pictures into its folder, with a progress bar per camera.
// A camera that fails to release stops the command with its message once
// the others have released.
std::vector<RigCameraPictures> ShootAll(ToolHost& host, const RigShootOptions& options,
                                        std::ostream& messages);

} // namespace vostrel::tools
