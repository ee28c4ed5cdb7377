// Paths on POSIX systems: '/' separates folders, and paths are bytes.

#include "platform/Native.h"

namespace vostrel::platform::native {

bool isPathSeparator(char c) {
  return c == '/';
}

std::size_t rootLength(const std::string& path) {
  return !path.empty() && path.front() == '/' ? 1 : 0;
}

bool hasFolderPart(const std::string& name) {
  return name.find('/') != std::string::npos;
}

std::filesystem::path toFilesystemPath(const std::string& path) {
  return path;
}

} // namespace vostrel::platform::native
