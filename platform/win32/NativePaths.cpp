// Paths on Windows: '\' and '/' separate folders, a drive letter may lead,
// and 8-bit paths are in the ANSI code page.

#include "platform/Native.h"

#include <windows.h>

namespace vostrel::platform::native {

namespace {

bool hasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':';
}

} // namespace

bool isPathSeparator(char c) {
  return c == '\\' || c == '/';
}

std::size_t rootLength(const std::string& path) {
  if (hasDrive(path)) {
    return path.size() >= 3 && isPathSeparator(path[2]) ? 3 : 2;
  }
  return !path.empty() && isPathSeparator(path.front()) ? 1 : 0;
}

bool hasFolderPart(const std::string& name) {
  return hasDrive(name) || name.find_first_of("\\/") != std::string::npos;
}

std::filesystem::path toFilesystemPath(const std::string& path) {
  if (path.empty()) {
    return {};
  }
  const int inputLength = static_cast<int>(path.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), inputLength, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), inputLength, wide.data(), length);
  return wide;
}

} // namespace vostrel::platform::native
