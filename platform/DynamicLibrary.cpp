#include "platform/DynamicLibrary.h"

#include "platform/FileSystem.h"
#include "platform/Native.h"

namespace vostrel::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& name) {
  if (name.empty()) {
    return nullptr;
  }
  // A name without a folder is looked for next to this module first, where
  // users ship the camera libraries, and only then along the system's search.
  std::string candidates[2];
  int count = 0;
  if (!native::hasFolderPart(name)) {
    candidates[count++] = joinPath(ownModuleFolder(), name);
  }
  candidates[count++] = name;
  for (int i = 0; i < count; ++i) {
    if (void* handle = native::loadLibrary(candidates[i])) {
      return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle, candidates[i]));
    }
  }
  return nullptr;
}

DynamicLibrary::~DynamicLibrary() {
  native::freeLibrary(handle_);
}

void* DynamicLibrary::symbol(const char* name) const {
  if (name == nullptr) {
    return nullptr;
  }
  return native::librarySymbol(handle_, name);
}

std::string plainExportName(const std::string& name) {
  const auto at = name.rfind('@');
  if (name.size() > 2 && name.front() == '_' && at != std::string::npos && at > 1 &&
      at + 1 < name.size() && name.find_first_not_of("0123456789", at + 1) == std::string::npos) {
    return name.substr(1, at - 1);
  }
  return name;
}

std::string ownModuleFolder() {
  const std::string file = native::ownModuleFileName();
  std::string::size_type end = file.size();
  while (end > 0 && !native::isPathSeparator(file[end - 1])) {
    --end;
  }
  return withoutTrailingSeparator(file.substr(0, end));
}

} // namespace vostrel::platform
