// A library that links the platform layer, as the control's library does, and
// tells which folder the layer believes it lives in.

#include "ProbeExport.h"

#include "platform/DynamicLibrary.h"

#include <string>

PROBE_EXPORT const char* PlatformModuleFolder() noexcept {
  static const std::string folder = vostrel::platform::ownModuleFolder();
  return folder.c_str();
}
